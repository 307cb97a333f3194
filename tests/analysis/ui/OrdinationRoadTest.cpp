// The principal component, correspondence and correlation roads through the
// real windows on the offscreen platform: a seeded table in a document
// window, each Analysis item chosen, its dialog driven as a user would, the
// new sheets checked against the runs without windows, and the score plot
// in the graph window. With TESSARAY_SCREENSHOTS set to a folder, pictures
// of the dialogs and of the plot are saved there.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "analysis/ui/OrdinationDialogs.h"
#include "analysis/ui/OrdinationRun.h"
#include "analysis/ui/frmClusterOpt.h"
#include "graphs/ui/DrawChart.h"
#include "graphs/ui/frmChart.h"
#include "graphs/ui/frmGraphics.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/runtime/Rnd.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/widgets/chart/ChartView.h"
#include "platform/widgets/graph/GraphView.h"
#include "platform/widgets/treeview/TreeView.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/Value.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/mQuorin.h"
#include "app/ClusterMenu.h"
#include "app/MainFrame.h"
#include "app/OrdinationMenu.h"
#include "app/WorkbookCommands.h"
#include "app/frmMDIChild.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/ReportedErrors.h"
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

// Two windows side by side in one picture, saved like snap().
void snapSideBySide(QWidget& left, QWidget& right, const char* name)
{
    const char* dir = std::getenv("TESSARAY_SCREENSHOTS");
    if (dir == nullptr) {
        return;
    }
    const QPixmap a = left.grab();
    const QPixmap b = right.grab();
    constexpr int gap = 12;
    QPixmap both(a.width() + gap + b.width(), std::max(a.height(), b.height()));
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, a);
    painter.drawPixmap(a.width() + gap, 0, b);
    painter.end();
    both.save(QString::fromUtf8(dir) + "/" + name + ".png");
}

class OrdinationRoad : public shelltest::ProgramFixture {
protected:
    OrdinationRoad()
    {
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
    }

    template <class D>
    D* open(const char* item)
    {
        frame->action(QString::fromLatin1(item))->trigger();
        return frame->findChild<D*>();
    }

    spreadsheet::Workbook& book() { return child->workbook(); }

    // Sheet 1 from A1: a header row and `loci` rows of log-ratios (negative
    // and positive) that follow one of `groups` seeded profiles with noise.
    void fillExpression(int loci, int points, int groups)
    {
        std::mt19937 gen(2026);
        std::normal_distribution<double> noise(0.0, 1.0);
        std::vector<std::vector<double>> profiles(static_cast<std::size_t>(groups));
        for (auto& profile : profiles) {
            double level = 0;
            for (int t = 0; t < points; ++t) {
                level += noise(gen);
                profile.push_back(level);
            }
        }
        spreadsheet::ValueTable table(loci + 1, points + 1);
        table.at(0, 0) = spreadsheet::Value(std::string("Gene"));
        for (int t = 1; t <= points; ++t) {
            table.at(0, t) = spreadsheet::Value("h" + std::to_string(t));
        }
        for (int g = 1; g <= loci; ++g) {
            table.at(g, 0) = spreadsheet::Value(std::to_string(1000 + g) + "_at");
            const auto& profile = profiles[static_cast<std::size_t>(g % groups)];
            for (int t = 1; t <= points; ++t) {
                table.at(g, t) = spreadsheet::Value(profile[static_cast<std::size_t>(t - 1)] + 0.3 * noise(gen));
            }
        }
        book().CopyDataFromArray(1, 1, 1, loci + 1, points + 1, false, table);
        book().setSheet(1);
    }

    static std::string rangeOf(int loci, int points)
    {
        return "$A$1:$" + spreadsheet::columnLetters(points + 1) + "$" + std::to_string(loci + 1);
    }

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

// Types `text` over what a line edit holds, as a user would.
void retype(QLineEdit* edit, const char* text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromLatin1(text));
}

TEST_F(OrdinationRoad, TextInTheBlockIsNamedInWordsAndNothingIsWritten)
{
    book().setCellEntry(1, 5, 3, "n/a");
    struct Row {
        const char* item;
        const char* advice;
    };
    const Row rows[] = {
        {"mnuAnaPCA", "Replace it with a number, or with the missing-value code and tick Has missing value."},
        {"mnuAnaCA", "Replace it with a number."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.item);
        auto* dialog = row.item == std::string("mnuAnaPCA")
                           ? static_cast<analysis::OrdinationPlotDialog*>(open<analysis::frmPCAOpt>(row.item))
                           : static_cast<analysis::OrdinationPlotDialog*>(open<analysis::frmCA>(row.item));
        ASSERT_NE(dialog, nullptr);
        dialog->show();
        const std::int32_t sheets = book().NumSheets();
        testsupport::ReportedErrors reported;
        boxes.clear();
        QTest::mouseClick(dialog->cmdDone, Qt::LeftButton);
        EXPECT_EQ(reported.count, 0) << "no error box";
        EXPECT_FALSE(dialog->ran());
        EXPECT_EQ(book().NumSheets(), sheets);
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.last().text,
                  std::string("Cell C5 holds the text \"n/a\"; the analysis needs numbers. ") + row.advice);
        EXPECT_EQ(boxes.last().style, platform::mb::Exclamation);
        EXPECT_TRUE(dialog->isVisible());
        dialog->close();
        delete dialog;
    }
}

TEST_F(OrdinationRoad, NumbersBeyondTheirFieldsAreRefusedInWords)
{
    struct Row {
        const char* item;
        const char* field;  // "missing", "count"
        const char* typed;
        const char* message;
    };
    const Row rows[] = {
        {"mnuAnaPCA", "missing", "1e999",
         "The missing value code \"1e999\" is too large: a number can be at most 1.79769313486231E+308. Please "
         "type the number that stands for a missing value."},
        {"mnuAnaPCA", "count", "1e10",
         "The number of PC scores to keep (10000000000) cannot be larger than the number of variables (5)."},
        {"mnuAnaPCA", "count", "1e999",
         "The number of PC scores to keep \"1e999\" is too large: a number can be at most "
         "1.79769313486231E+308. Please type a whole number of at least 1."},
        {"mnuAnaCA", "missing", "1e999",
         "The missing value code \"1e999\" is too large: a number can be at most 1.79769313486231E+308. Please "
         "type the number that stands for a missing value."},
        {"mnuAnaCA", "count", "1e999",
         "The number of axes to keep \"1e999\" is too large: a number can be at most 1.79769313486231E+308. "
         "Please type a whole number of at least 1."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.item) + " " + row.field + " " + row.typed);
        const bool pca = row.item == std::string("mnuAnaPCA");
        analysis::OrdinationPlotDialog* dialog = nullptr;
        QLineEdit* count = nullptr;
        if (pca) {
            auto* d = open<analysis::frmPCAOpt>(row.item);
            ASSERT_NE(d, nullptr);
            count = d->txtNumPC;
            dialog = d;
        } else {
            auto* d = open<analysis::frmCA>(row.item);
            ASSERT_NE(d, nullptr);
            count = d->txtNumAxis;
            dialog = d;
        }
        dialog->show();
        if (row.field == std::string("missing")) {
            if (!dialog->chkMissing->isChecked()) {
                QTest::mouseClick(dialog->chkMissing, Qt::LeftButton, {}, QPoint(4, dialog->chkMissing->height() / 2));
            }
            ASSERT_TRUE(dialog->chkMissing->isChecked());
            retype(dialog->txtMissing, row.typed);
        } else {
            retype(count, row.typed);
        }
        const std::int32_t sheets = book().NumSheets();
        const double code = program.gMissingCode;
        testsupport::ReportedErrors reported;
        boxes.clear();
        QTest::mouseClick(dialog->cmdDone, Qt::LeftButton);
        EXPECT_EQ(reported.count, 0) << "no error box";
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.last().text, row.message);
        EXPECT_FALSE(dialog->ran());
        EXPECT_EQ(book().NumSheets(), sheets);
        EXPECT_EQ(program.gMissingCode, code);
        EXPECT_TRUE(dialog->isVisible());
        dialog->close();
        delete dialog;
    }
}

TEST_F(OrdinationRoad, ManyMoreAxesThanTheDataHaveAreLowered)
{
    auto* dialog = open<analysis::frmCA>("mnuAnaCA");
    ASSERT_NE(dialog, nullptr);
    dialog->show();
    retype(dialog->txtNumAxis, "1e10");
    boxes.clear();
    QTest::mouseClick(dialog->cmdDone, Qt::LeftButton);
    ASSERT_TRUE(dialog->ran());
    EXPECT_EQ(book().SheetName(book().NumSheets()), "CA Output");
    EXPECT_EQ(book().cellValue(book().NumSheets(), Loci + 5, 1).displayText(), "The first 5 eigenvalues:");
}

// The values of an expression plot: one row per time point, one column per
// locus, with the loci's names.
struct Plotted {
    std::vector<std::string> loci;
    std::vector<std::vector<double>> values;  // [locus][time point]
    bool operator==(const Plotted&) const = default;
};

// Tree, Expression plot on the selected node; the chart window is read (and
// pictured as `picture` when screenshots are asked for) instead of waiting.
Plotted expressionPlot(shell::MainFrame& frame, const char* picture)
{
    Plotted out;
    graphs::Graphics::setModalRunner([&](graphs::frmChart& chart) {
        const platform::ChartModel& model = chart.MSChart1().model();
        for (int locus = 1; locus <= model.columnCount(); ++locus) {
            out.loci.push_back(model.columnLabel(locus));
            std::vector<double> line;
            for (int t = 1; t <= model.rowCount(); ++t) {
                line.push_back(model.value(t, locus).value_or(std::nan("")));
            }
            out.values.push_back(line);
        }
        chart.resize(900, 600);
        snap(chart, picture);
    });
    frame.action(QStringLiteral("mnuTreeExprPlot"))->trigger();
    graphs::Graphics::setModalRunner({});
    return out;
}

// Clustering, then a principal component analysis with the correlation
// matrix: the analysis works on its own copy, so the program's data set and
// the tree's expression plot still hold the values that were clustered.
TEST_F(OrdinationRoad, ExpressionPlotAfterPCAShowsTheClusteredValues)
{
    constexpr int loci = 12000;
    constexpr int points = 8;
    fillExpression(loci, points, 30);
    platform::rt::RandomSource rng(5);
    shell::InstallClusterDialog(*frame, &rng);
    boxes.type("30").answer(platform::Answer::Ok);  // k-means with 30 clusters
    bool clustered = false;
    testsupport::onModal<analysis::frmClusterOpt>([&](analysis::frmClusterOpt& dialog) {
        dialog.txtInRange->setText(QString::fromStdString(rangeOf(loci, points)));
        dialog.cboClusterMethod->setCurrentIndex(4);
        dialog.cboClusterMethod_Click(4);
        dialog.cboIndex->setCurrentIndex(1);
        dialog.cmdDone_Click();
        clustered = true;
    });
    frame->action(QStringLiteral("mnuAnaCluster"))->trigger();
    ASSERT_TRUE(clustered);
    ASSERT_EQ(program.gNumRow, loci);
    const auto clusteredData = program.gDataMat;
    const auto clusteredNames = program.gRowName;

    // The first cluster: a node whose children are all leaves.
    platform::TreeViewModel& nodes = child->TreeView1()->Nodes();
    std::int32_t cluster = 0;
    for (std::int32_t i = 1; i <= nodes.Count() && cluster == 0; ++i) {
        const auto& below = nodes.ChildList(i);
        const bool leaves = std::all_of(below.begin(), below.end(), [&](std::int32_t c) { return nodes.Children(c) == 0; });
        cluster = below.size() >= 50 && below.size() <= 2000 && leaves ? i : 0;
    }
    ASSERT_NE(cluster, 0);
    nodes.setSelected(cluster, true);
    const Plotted before = expressionPlot(*frame, "expression-plot-before-pca");
    ASSERT_GT(before.loci.size(), 100u);
    // Each line is its locus's row of the sheet.
    for (std::size_t k = 0; k < before.loci.size(); k += 37) {
        const int row = std::stoi(before.loci[k]) - 1000 + 1;
        for (int t = 0; t < points; ++t) {
            EXPECT_EQ(before.values[k][static_cast<std::size_t>(t)], book().cellValue(1, row, t + 2).number())
                << before.loci[k];
        }
    }

    auto* dialog = open<analysis::frmPCAOpt>("mnuAnaPCA");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->txtInRange->text().toStdString(), rangeOf(loci, points));
    ASSERT_TRUE(dialog->optCorr->isChecked());
    QTest::mouseClick(dialog->cmdDone, Qt::LeftButton);
    ASSERT_EQ(book().SheetName(1), "PCScore");

    // Opening the other two analyses changes nothing either.
    for (const char* item : {"mnuAnaCA", "mnuAnaCorr"}) {
        frame->action(QString::fromLatin1(item))->trigger();
        for (QDialog* other : frame->findChildren<QDialog*>()) {
            other->close();
        }
    }
    EXPECT_TRUE(program.gDataMat == clusteredData);
    EXPECT_EQ(program.gRowName, clusteredNames);
    EXPECT_EQ(program.gNumRow, loci);
    EXPECT_EQ(program.gNumCol, points);
    nodes.setSelected(cluster, true);
    const Plotted after = expressionPlot(*frame, "expression-plot-after-pca");
    EXPECT_TRUE(after == before);
}

// The full data's correspondence analysis needs more rows than a sheet has:
// it is refused at once with the reason, and nothing is added to the book.
// The largest block that fits runs through the same dialog and writes its
// sheet.
TEST_F(OrdinationRoad, CAOfTheFullDataIsRefusedAtOnceAndTheLargestThatFitsIsWritten)
{
    fillExpression(12625, 128, 25);
    auto* dialog = open<analysis::frmCA>("mnuAnaCA");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->txtInRange->text().toStdString(), rangeOf(12625, 128));
    const std::string refusal =
        "The output of a correspondence analysis of 12625 rows and 128 columns needs 38154 worksheet rows, and a "
        "worksheet holds 16384. Please analyse at most 5368 rows at a time.";
    QTest::mouseClick(dialog->cmdDone, Qt::LeftButton);
    EXPECT_FALSE(dialog->ran());
    ASSERT_FALSE(boxes.calls().empty());
    EXPECT_EQ(boxes.calls().back().text, refusal);
    EXPECT_EQ(book().NumSheets(), 1);
    EXPECT_EQ(book().Sheet(), 1);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->cmdDone->isVisible());

    dialog->txtInRange->setText(QString::fromStdString(rangeOf(5368, 128)));
    QTest::mouseClick(dialog->cmdDone, Qt::LeftButton);
    ASSERT_TRUE(dialog->ran());
    ASSERT_EQ(book().NumSheets(), 2);
    EXPECT_EQ(book().Sheet(), 2);
    EXPECT_EQ(book().SheetName(2), "CA Output");
    const auto layout = analysis::CAOutputLayout::of(5368, 128, 2);
    EXPECT_EQ(book().lastUsedRow(2), layout.lastRow);
    EXPECT_EQ(book().cellValue(2, layout.correlations, 1).displayText(), "Row-Column correlations:");
}

// Chooses exactly the entries `rows` of a plot list by clicking them.
void clickChoice(QListWidget& list, const std::vector<int>& rows)
{
    list.clearSelection();
    for (int row : rows) {
        const QRect box = list.visualItemRect(list.item(row));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
    }
}

// With fewer than two axes chosen, the axis not chosen is the first: one
// chosen axis k is drawn against axis 1, none draws axis 1 against itself.
// The panel's Help still says how to choose.
TEST_F(OrdinationRoad, PlotWithFewerThanTwoAxesChosenTakesTheFirstAxis)
{
    graphs::frmGraphics& graph = graphs::frmGraphics::instance();
    graph.close();
    auto* pca = open<analysis::frmPCAOpt>("mnuAnaPCA");
    ASSERT_NE(pca, nullptr);
    pca->chkGraphOut->setChecked(true);
    QTest::mouseClick(pca->cmdDone, Qt::LeftButton);
    ASSERT_TRUE(pca->frPlot->isVisible());
    ASSERT_EQ(pca->lstPlot->count(), 3);
    // The scores the panel plots, from the sheet the run wrote.
    auto pcScore = [&](int point, int axis) { return book().cellValue(1, point + 2, axis + 2).number(); };
    book().setSheet(2);  // the data, behind the new "PCScore"
    auto* ca = open<analysis::frmCA>("mnuAnaCA");
    ASSERT_NE(ca, nullptr);
    ca->txtNumAxis->setText("3");
    ca->chkGraphOut->setChecked(true);
    QTest::mouseClick(ca->cmdDone, Qt::LeftButton);
    ASSERT_TRUE(ca->frPlot->isVisible());
    ASSERT_EQ(ca->lstPlot->count(), 3);
    // The row ordination on the output sheet: a header row under its title,
    // then one row per data row; column 1 the labels, column 2 the trivial
    // axis, then "CA 1" and on.
    const std::int32_t caSheet = book().NumSheets();
    const auto layout = analysis::CAOutputLayout::of(Loci, Points, 3);
    ASSERT_EQ(book().cellValue(caSheet, layout.rowOrdination + 1, 3).displayText(), "CA 1");
    auto caRowScore = [&](int point, int axis) {
        return book().cellValue(caSheet, layout.rowOrdination + 2 + point, axis + 3).number();
    };

    struct Case {
        const char* name;
        analysis::OrdinationPlotDialog* dialog;
        std::vector<int> chosen;
        std::string xTitle, yTitle;
        int xAxis, yAxis;
    };
    const Case cases[] = {
        {"PCA, none chosen", pca, {}, "PC1", "PC1", 0, 0},
        {"PCA, PC 3 chosen", pca, {2}, "PC3", "PC1", 2, 0},
        {"PCA, PC 1 chosen", pca, {0}, "PC1", "PC1", 0, 0},
        {"PCA, PC 2 and PC 3 chosen", pca, {1, 2}, "PC2", "PC3", 1, 2},
        {"CA, none chosen", ca, {}, "CA1", "CA1", 0, 0},
        {"CA, CA 2 chosen", ca, {1}, "CA2", "CA1", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        graph.close();
        clickChoice(*c.dialog->lstPlot, c.chosen);
        ASSERT_EQ(c.dialog->lstPlot->selectedItems().size(), static_cast<qsizetype>(c.chosen.size()));
        const std::size_t calls = boxes.calls().size();
        QTest::mouseClick(c.dialog->cmdPlot, Qt::LeftButton);
        EXPECT_EQ(boxes.calls().size(), calls) << "no message instead of the plot";
        ASSERT_TRUE(graph.isVisible());
        const platform::GraphModel& model = graph.graph().model();
        EXPECT_EQ(model.axis(platform::GraphAxis::X).title, c.xTitle);
        EXPECT_EQ(model.axis(platform::GraphAxis::Y).title, c.yTitle);
        const bool isPCA = c.dialog == pca;
        ASSERT_EQ(graph.state().XValues.size(), static_cast<std::size_t>(isPCA ? Loci : Loci + Points));
        for (int i : {0, 7, Loci - 1}) {
            const auto at = static_cast<std::size_t>(i);
            const double x = isPCA ? pcScore(i, c.xAxis) : caRowScore(i, c.xAxis);
            const double y = isPCA ? pcScore(i, c.yAxis) : caRowScore(i, c.yAxis);
            expectNearRel(graph.state().XValues[at], x, 1e-12);
            expectNearRel(graph.state().GraphData[at][0], y, 1e-12);
        }
        if (c.dialog == pca && c.chosen == std::vector<int>{2}) {
            graph.resize(800, 600);
            snapSideBySide(*pca, graph, "pca-plot-one-component");
        }
    }

    for (analysis::OrdinationPlotDialog* dialog : {static_cast<analysis::OrdinationPlotDialog*>(pca),
                                                   static_cast<analysis::OrdinationPlotDialog*>(ca)}) {
        const std::size_t calls = boxes.calls().size();
        QTest::mouseClick(dialog->cmdHelp2, Qt::LeftButton);
        ASSERT_EQ(boxes.calls().size(), calls + 1);
        EXPECT_EQ(boxes.calls().back().text, "Highlight two variables in the listbox and click the Plot button.");
    }
    graph.close();
    pca->close();
    ca->close();
}

// "Output range" is not a place these dialogs write to: OK says so and
// nothing is computed or written; the dialog stays for another choice.
TEST_F(OrdinationRoad, OutputRangeIsRefusedPlainly)
{
    auto* pca = open<analysis::frmPCAOpt>("mnuAnaPCA");
    ASSERT_NE(pca, nullptr);
    QTest::mouseClick(pca->optOutRange, Qt::LeftButton);
    ASSERT_TRUE(pca->optOutRange->isChecked());
    pca->txtOutRange->setText("$H$1:$K$31");
    QTest::mouseClick(pca->cmdDone, Qt::LeftButton);
    EXPECT_FALSE(pca->ran());
    ASSERT_FALSE(boxes.calls().empty());
    EXPECT_EQ(boxes.calls().back().text,
              "The output range is not used: the principal component scores can be written to a new worksheet or a "
              "new workbook only. Please choose one of them.");
    EXPECT_TRUE(pca->isVisible());
    EXPECT_EQ(book().NumSheets(), 1);
    EXPECT_TRUE(book().cellValue(1, 1, 8).isEmpty());
    EXPECT_TRUE(child->RichTextBox1()->toPlainText().isEmpty());
    QTest::mouseClick(pca->optNewSheet, Qt::LeftButton);
    QTest::mouseClick(pca->cmdDone, Qt::LeftButton);
    EXPECT_TRUE(pca->ran());
    EXPECT_EQ(book().NumSheets(), 2);

    auto* corr = open<analysis::frmCorr>("mnuAnaCorr");
    ASSERT_NE(corr, nullptr);
    QTest::mouseClick(corr->optOutRange, Qt::LeftButton);
    QTest::mouseClick(corr->cmdOK, Qt::LeftButton);
    EXPECT_FALSE(corr->ran());
    EXPECT_EQ(boxes.calls().back().text,
              "The output range is not used: the correlation matrix can be written to a new worksheet or a new "
              "workbook only. Please choose one of them.");
    EXPECT_EQ(book().NumSheets(), 2);
    corr->close();
}

} // namespace
