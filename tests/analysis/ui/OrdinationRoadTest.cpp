// The principal component, correspondence and correlation roads through the
// real windows on the offscreen platform: a seeded table in a document
// window, each Analysis item chosen, its dialog driven as a user would, the
// new sheets checked against the runs without windows, and the score plot
// in the graph window. With TESSARAY_SCREENSHOTS set to a folder, pictures
// of the dialogs and of the plot are saved there.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QRadioButton>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "analysis/ui/OrdinationDialogs.h"
#include "analysis/ui/OrdinationRun.h"
#include "graphs/ui/frmGraphics.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/Value.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/mQuorin.h"
#include "shell/ui/MainFrame.h"
#include "shell/ui/OrdinationMenu.h"
#include "shell/ui/WorkbookCommands.h"
#include "shell/ui/frmMDIChild.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int Loci = 30;
constexpr int Points = 5;

void snap(QWidget& widget, const char* name)
{
    const char* dir = std::getenv("TESSARAY_SCREENSHOTS");
    if (dir == nullptr) {
        return;
    }
    widget.grab().save(QString::fromUtf8(dir) + "/" + name + ".png");
}

class OrdinationRoad : public ::testing::Test {
protected:
    OrdinationRoad() : m_scope(program), m_dialogs(boxes)
    {
        ::setenv("QUORIN_WINDOWS_DIR", m_dir.file("win").c_str(), 1);
        frame = std::make_unique<shell::MainFrame>();
        frame->Form_Load();
        frame->NewDocument();
        shell::InstallOrdinationDialogs(*frame);
        child = frame->ActiveChild();
        spreadsheet::Workbook& book = child->workbook();
        std::mt19937 gen(77);
        std::uniform_int_distribution<int> count(1, 40);
        book.setCellEntry(1, 1, 1, "Gene");
        for (int t = 1; t <= Points; ++t) {
            book.setCellEntry(1, 1, t + 1, "t" + std::to_string(t));
        }
        for (int g = 0; g < Loci; ++g) {
            book.setCellEntry(1, g + 2, 1, "G" + std::to_string(g + 1));
            for (int t = 0; t < Points; ++t) {
                // Counts with structure: three groups of genes rising, falling and flat.
                const int trend = g % 3 == 0 ? 4 * t : (g % 3 == 1 ? 4 * (Points - t) : 8);
                book.setCellValue(1, g + 2, t + 2, spreadsheet::Value(static_cast<double>(trend + count(gen))));
            }
        }
        book.setSheet(1);
    }
    ~OrdinationRoad() override
    {
        frame.reset();
        ::unsetenv("QUORIN_WINDOWS_DIR");
    }

    template <class D>
    D* open(const char* item)
    {
        frame->action(QString::fromLatin1(item))->trigger();
        return frame->findChild<D*>();
    }

    spreadsheet::Workbook& book() { return child->workbook(); }

    testsupport::TempDir m_dir;
    mQuorin::ProgramState program;
    mQuorin::ProgramScope m_scope;
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs m_dialogs;
    std::unique_ptr<shell::MainFrame> frame;
    shell::frmMDIChild* child = nullptr;
};

TEST_F(OrdinationRoad, PCAWritesScoresReportsAndPlots)
{
    auto* dialog = open<analysis::frmPCAOpt>("mnuAnaPCA");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->txtInRange->text(), "$A$1:$F$31");
    EXPECT_EQ(dialog->txtMissing->text(), "9.999999");
    EXPECT_TRUE(dialog->chkMissing->isChecked());
    EXPECT_TRUE(dialog->optCorr->isChecked());
    EXPECT_TRUE(dialog->optNewSheet->isChecked());
    EXPECT_EQ(dialog->txtNumPC->text(), "3");
    snap(*dialog, "pca-dialog");

    dialog->chkGraphOut->setChecked(true);
    dialog->cmdDone_Click();
    ASSERT_TRUE(dialog->ran());
    ASSERT_FALSE(boxes.calls().empty());
    EXPECT_EQ(boxes.calls().back().text,
              "Output are shown in two windows, with the principal component scores saved in the worksheet labeled "
              "'PCScore' and the rest in the Output Window under the Window menu.");
    EXPECT_EQ(book().SheetName(1), "PCScore");
    EXPECT_EQ(book().cellValue(1, 1, 2).displayText(), "PC 1");
    EXPECT_EQ(book().cellValue(1, 2, 1).displayText(), "G1");
    EXPECT_FALSE(child->RichTextBox1()->toPlainText().isEmpty());

    // The same run without windows gives the same scores.
    mQuorin::ProgramState other;
    analysis::PCAChoice choice;
    choice.inRange = "$A$1:$F$31";
    book().setSheet(2);
    analysis::PCARun run(choice, other);
    ASSERT_EQ(run.ReadInput(book()), "");
    run.Compute();
    for (int i = 0; i < Loci; ++i) {
        EXPECT_DOUBLE_EQ(book().cellValue(1, i + 2, 2).number(), run.scores()(static_cast<std::size_t>(i), 0));
    }

    ASSERT_TRUE(dialog->frPlot->isVisibleTo(dialog));
    EXPECT_FALSE(dialog->frInput->isVisibleTo(dialog));
    ASSERT_EQ(dialog->lstPlot->count(), 3);
    EXPECT_EQ(dialog->lstPlot->item(2)->text(), "PC 3");
    snap(*dialog, "pca-plot-panel");
    dialog->lstPlot->item(0)->setSelected(true);
    dialog->lstPlot->item(1)->setSelected(true);
    dialog->cmdPlot_Click();
    graphs::frmGraphics& graph = graphs::frmGraphics::instance();
    EXPECT_TRUE(graph.isVisible());
    EXPECT_EQ(graph.state().XValues.size(), static_cast<std::size_t>(Loci));
    EXPECT_DOUBLE_EQ(graph.state().XValues[4], run.scores()(4, 0));
    EXPECT_DOUBLE_EQ(graph.state().GraphData[4][0], run.scores()(4, 1));
    graph.resize(900, 650);
    snap(graph, "pca-score-plot");
    graph.close();
    dialog->close();
}

TEST_F(OrdinationRoad, CAWritesItsOutputSheetAndPlotsRowsAndColumns)
{
    auto* dialog = open<analysis::frmCA>("mnuAnaCA");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Correspondence Analysis");
    EXPECT_EQ(dialog->txtNumAxis->text(), "2");
    EXPECT_FALSE(dialog->txtMissing->isEnabled());
    snap(*dialog, "ca-dialog");
    dialog->txtNumAxis->setText("3");
    dialog->chkGraphOut->setChecked(true);
    dialog->cmdDone_Click();
    ASSERT_TRUE(dialog->ran());
    const std::int32_t sheet = book().NumSheets();
    EXPECT_EQ(book().SheetName(sheet), "CA Output");
    EXPECT_EQ(book().cellValue(sheet, 1, 1).displayText(), "Correspondence analysis");
    ASSERT_EQ(dialog->lstPlot->count(), 3);
    dialog->lstPlot->item(1)->setSelected(true);
    dialog->lstPlot->item(2)->setSelected(true);
    dialog->cmdPlot_Click();
    graphs::frmGraphics& graph = graphs::frmGraphics::instance();
    EXPECT_TRUE(graph.isVisible());
    EXPECT_EQ(graph.state().XValues.size(), static_cast<std::size_t>(Loci + Points));
    graph.close();
    dialog->close();
}

TEST_F(OrdinationRoad, CorrelationWritesTheLowerTriangle)
{
    auto* dialog = open<analysis::frmCorr>("mnuAnaCorr");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Correlation");
    EXPECT_TRUE(dialog->optVarCol->isChecked());
    snap(*dialog, "correlation-dialog");
    dialog->chkLabels->setChecked(true);
    dialog->txtInRange->setText("$B$1:$F$31");
    dialog->cmdOK_Click();
    ASSERT_TRUE(dialog->ran());
    EXPECT_EQ(book().cellValue(1, 1, 2).displayText(), "t1");
    EXPECT_EQ(book().cellValue(1, 6, 1).displayText(), "t5");
    EXPECT_TRUE(book().cellValue(1, 2, 2).isEmpty());
    const double r = book().cellValue(1, 3, 2).number();
    EXPECT_TRUE(r > -1 && r < 1);
}

TEST_F(OrdinationRoad, TextInTheBlockIsNamedAndNothingIsWritten)
{
    book().setCellEntry(1, 5, 3, "n/a");
    auto* dialog = open<analysis::frmPCAOpt>("mnuAnaPCA");
    ASSERT_NE(dialog, nullptr);
    const std::int32_t sheets = book().NumSheets();
    std::string reported;
    {
        platform::ScopedReporter reporter([&](const platform::Error& e) {
            reported = e.description();
            return platform::Answer::Abort;
        });
        dialog->cmdDone_Click();
    }
    EXPECT_FALSE(dialog->ran());
    EXPECT_EQ(book().NumSheets(), sheets);
    EXPECT_NE(reported.find("The cell C5"), std::string::npos) << reported;
    dialog->close();
}

} // namespace
