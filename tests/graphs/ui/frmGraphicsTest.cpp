#include "graphs/ui/frmGraphics.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QImage>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Guard.h"
#include "platform/print/QtPrinter.h"
#include "platform/widgets/graph/GraphView.h"
#include "shell/core/mQuorin.h"
#include "tests/graphs/ui/GraphTestData.h"
#include "tests/support/TestSupport.h"

namespace {

using platform::Answer;
using platform::GraphAxis;
using platform::GraphType;

// Share of pixels that are not white: a drawn graph is far from blank.
double inkShare(const QImage& image)
{
    if (image.isNull()) {
        return 0;
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    qint64 ink = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            ink += (qRed(line[x]) < 235 || qGreen(line[x]) < 235 || qBlue(line[x]) < 235) ? 1 : 0;
        }
    }
    return static_cast<double>(ink) / (static_cast<double>(rgb.width()) * rgb.height());
}

struct GraphWindowTest : ::testing::Test {
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scopedDialogs{dialogs};
    std::vector<std::int32_t> reported;
    Answer reporterAnswer = Answer::Abort;
    platform::ScopedReporter reporter{[this](const platform::Error& e) {
        reported.push_back(e.number());
        return reporterAnswer;
    }};
    graphs::frmGraphics window;
    graphtest::Table table = graphtest::seededTable(12, 5, 1234);

    void SetUp() override
    {
        window.resize(800, 600);
        window.show();
        std::int32_t n = static_cast<std::int32_t>(table.x.size());
        std::int32_t m = 5;
        std::string type = "LINE";
        window.DrawGraph(table.x, table.data, n, m, "Time", "Expression", type, &table.setNames, true, true,
                         &table.pointNames);
    }

    void trigger(const char* name)
    {
        QAction* item = window.action(QString::fromLatin1(name));
        ASSERT_NE(item, nullptr) << name;
        item->trigger();
    }

    platform::GraphModel& model() { return window.graph().model(); }
};

TEST_F(GraphWindowTest, CaptionMenusAndPickPanel)
{
    EXPECT_EQ(window.windowTitle(), "Graph Tool");
    const char* items[] = {"GraphPrint", "GraphMetafile", "GraphBitMap", "GraphPickVar", "GraphRestore", "GraphExit",
                           "GEditCopyWMF", "GEditCopyBMP", "GEditCopyExcel", "GEditBarWidth", "GEditLineWidth",
                           "EditMinX", "EditMaxX", "EditNumTickX", "EditNumDigitX", "EditXLabel", "EditXPosTop",
                           "EditXPosBottom", "EditMinZ", "EditMaxZ", "EditNumTickZ", "EditNumDigitZ", "EditZLabel",
                           "EditLegend", "EditAddDataLabel", "EditShortenDataLabel", "ViewZoonInHoriz",
                           "ViewZoomInVert", "ViewNormal", "GphScatter", "GphLine", "GphLogY", "GphHiLow", "GphPolar",
                           "Gph2DBar", "Gph3DBAR", "Gph2DPie", "Gph3DPie", "GphGantt", "GphArea", "StatNone",
                           "StatMean", "StatMinMax", "StatMeanMinMax", "StatSTD", "StatMeanSTD", "StatBestFit",
                           "StatBestFitMean", "StatBestFitMinMax", "StatBestFitSTD", "StatBestFitSTDMean"};
    for (const char* name : items) {
        EXPECT_NE(window.action(QString::fromLatin1(name)), nullptr) << name;
    }
    EXPECT_EQ(window.action("GraphMetafile")->text(), "Save file in metafile format");
    EXPECT_EQ(window.action("StatBestFitSTDMean")->text(), "Best Fit, STD and Mean");
    EXPECT_EQ(window.pickPanel()->title(), "Pick variables to plot");
    EXPECT_FALSE(window.pickPanel()->isVisible());
    EXPECT_TRUE(window.action("EditAddDataLabel")->isChecked()) << "point labels were given";
    EXPECT_TRUE(window.action("EditShortenDataLabel")->isEnabled());
}

TEST_F(GraphWindowTest, EveryChartTypeAndOverlayDraws)
{
    const struct {
        const char* item;
        GraphType type;
    } types[] = {{"GphScatter", GraphType::Scatter}, {"GphLine", GraphType::Line},   {"GphLogY", GraphType::LogY},
                 {"GphHiLow", GraphType::HighLow},   {"GphPolar", GraphType::Polar}, {"Gph2DBar", GraphType::Bar2D},
                 {"Gph3DBAR", GraphType::Bar3D},     {"Gph2DPie", GraphType::Pie2D}, {"Gph3DPie", GraphType::Pie3D},
                 {"GphGantt", GraphType::Gantt},     {"GphArea", GraphType::Area}};
    for (const auto& t : types) {
        const int before = window.graph().drawCount();
        trigger(t.item);
        EXPECT_EQ(model().chartType(), t.type) << t.item;
        EXPECT_EQ(window.graph().drawCount(), before + 1) << t.item;
        EXPECT_GT(inkShare(window.graph().toImage()), 0.02) << t.item << " draws something";
    }
    trigger("GphScatter");
    const struct {
        const char* item;
        int bits;
    } stats[] = {{"StatNone", 0},         {"StatMean", 1},        {"StatMinMax", 2},         {"StatMeanMinMax", 3},
                 {"StatSTD", 4},          {"StatMeanSTD", 5},     {"StatBestFit", 8},        {"StatBestFitMean", 9},
                 {"StatBestFitMinMax", 10}, {"StatBestFitSTD", 12}, {"StatBestFitSTDMean", 13}};
    for (const auto& s : stats) {
        trigger(s.item);
        EXPECT_EQ(model().statistics(), s.bits) << s.item;
    }
    EXPECT_TRUE(reported.empty());
}

TEST_F(GraphWindowTest, DrawGraphDrawsEveryKeywordWithSeededData)
{
    for (const char* keyword : {"SCATTER", "LINE", "LOGY", "POLAR", "2DBAR", "3DBAR", "AREA", "GANTT"}) {
        const graphtest::Table t = graphtest::seededTable(30, 3, 99);
        std::int32_t n = 30;
        std::int32_t m = 3;
        std::string type = keyword;
        window.DrawGraph(t.x, t.data, n, m, "X", "Y", type, &t.setNames, false, false, nullptr);
        EXPECT_GT(inkShare(window.graph().toImage()), 0.02) << keyword;
    }
    EXPECT_FALSE(model().dataLabelsVisible()) << "a drawing without point labels shows none";
    EXPECT_FALSE(window.action("EditAddDataLabel")->isChecked());
    EXPECT_FALSE(window.action("EditShortenDataLabel")->isEnabled());
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(GraphWindowTest, BarWidthAppliesZeroAndIgnoresCancelAndOutOfRange)
{
    dialogs.type("25");
    trigger("GEditBarWidth");
    EXPECT_EQ(model().barGap(), 25);
    EXPECT_EQ(dialogs.last().title, "Bar Width");
    EXPECT_EQ(dialogs.last().text,
              "Enter an integer between 0 and 100 (0 for putting bars next to each other and 100 makes bars "
              "infinitely thin.)");
    dialogs.type("0");
    trigger("GEditBarWidth");
    EXPECT_EQ(model().barGap(), 0) << "0 puts the bars side by side";
    for (const char* answer : {"", "150", "-3", "wide"}) {
        dialogs.type(answer);
        trigger("GEditBarWidth");
        EXPECT_EQ(model().barGap(), 0) << "'" << answer << "' changes nothing";
    }
    dialogs.type("33.9");
    trigger("GEditBarWidth");
    EXPECT_EQ(model().barGap(), 33);
}

TEST_F(GraphWindowTest, DigitsSetTheLabelFormat)
{
    dialogs.type("0");
    trigger("EditNumDigitX");
    EXPECT_EQ(model().axis(GraphAxis::X).format, "0.");
    EXPECT_EQ(dialogs.last().title, "Waiting...");
    dialogs.type("4");
    trigger("EditNumDigitZ");
    EXPECT_EQ(model().axis(GraphAxis::Y).format, "0.0000");
    for (const char* answer : {"-1", ""}) {
        dialogs.type(answer);
        trigger("EditNumDigitZ");
        EXPECT_EQ(model().axis(GraphAxis::Y).format, "0.0000") << answer;
    }
}

TEST_F(GraphWindowTest, AxisBoundsFromInputBoxes)
{
    dialogs.type("2.5");
    trigger("EditMinX");
    EXPECT_EQ(model().axis(GraphAxis::X).min, 2.5);
    EXPECT_EQ(dialogs.last().title, "Graph Tool");
    EXPECT_EQ(dialogs.last().text, "Enter the minimum value for X-axis: ");
    dialogs.type("40");
    trigger("EditMaxZ");
    EXPECT_EQ(model().axis(GraphAxis::Y).max, 40);
    dialogs.type("");
    trigger("EditMaxZ");
    EXPECT_EQ(model().axis(GraphAxis::Y).max, 40) << "a cancelled box changes nothing";
    dialogs.type("lots");
    trigger("EditMaxX");
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], platform::err::TypeMismatch);
    EXPECT_NE(model().axis(GraphAxis::X).max, 0) << "Abort leaves the bound";
    reporterAnswer = Answer::Ignore;
    dialogs.type("lots");
    trigger("EditMaxX");
    EXPECT_EQ(model().axis(GraphAxis::X).max, 0) << "Ignore goes on with the bound 0";
}

TEST_F(GraphWindowTest, TitlesPositionLegendAndLineWidth)
{
    dialogs.type("Hours");
    trigger("EditXLabel");
    EXPECT_EQ(model().axis(GraphAxis::X).title, "Hours");
    dialogs.type("");
    trigger("EditZLabel");
    EXPECT_EQ(model().axis(GraphAxis::Y).title, "Expression") << "Cancel keeps the title";
    EXPECT_EQ(dialogs.last().text, "Enter the label for the Y axis:");
    trigger("EditXPosTop");
    EXPECT_TRUE(model().xAxisAtTop());
    trigger("EditXPosBottom");
    EXPECT_FALSE(model().xAxisAtTop());
    EXPECT_TRUE(model().hasLegend());
    trigger("EditLegend");
    EXPECT_FALSE(model().hasLegend());
    trigger("EditLegend");
    EXPECT_EQ(model().legendText(4), "Sample 5");
    trigger("GEditLineWidth");
    EXPECT_TRUE(model().thickLines());
    trigger("GEditLineWidth");
    EXPECT_FALSE(model().thickLines());
    trigger("EditNumTickX");  // no handler: nothing happens
    EXPECT_TRUE(dialogs.unscripted() == 0);
}

TEST_F(GraphWindowTest, TruncatedLabelsKeepTheirOriginals)
{
    dialogs.type("4");
    trigger("EditShortenDataLabel");
    EXPECT_EQ(dialogs.last().title, "Data label option");
    EXPECT_EQ(model().pointLabel(0), "gene");
    EXPECT_EQ(model().pointLabelStyle(0), 4);
    dialogs.type("7");
    trigger("EditShortenDataLabel");
    EXPECT_EQ(model().pointLabel(0), "gene_1_") << "a longer cut brings characters back";
    dialogs.type("");
    trigger("EditShortenDataLabel");
    EXPECT_EQ(model().pointLabel(0), "gene_1_");
    trigger("EditAddDataLabel");
    EXPECT_FALSE(model().dataLabelsVisible());
    EXPECT_FALSE(window.action("EditShortenDataLabel")->isEnabled());
}

TEST_F(GraphWindowTest, PickRePlotAndRestore)
{
    trigger("GraphPickVar");
    ASSERT_TRUE(window.pickPanel()->isVisible());
    ASSERT_EQ(window.pickList()->count(), 5);
    window.rePlotButton()->click();
    ASSERT_EQ(dialogs.calls().size(), 1u);
    EXPECT_EQ(dialogs.last().title, "Help");
    EXPECT_EQ(dialogs.last().text,
              "Please select variables in the list by highlighting them. Then click the Re-Plot button.");
    EXPECT_TRUE(window.pickPanel()->isVisible()) << "the panel stays";
    EXPECT_EQ(model().numSets(), 5);

    window.pickList()->item(1)->setSelected(true);
    window.pickList()->item(3)->setSelected(true);
    window.rePlotButton()->click();
    EXPECT_FALSE(window.pickPanel()->isVisible());
    ASSERT_EQ(model().numSets(), 2);
    EXPECT_EQ(model().legendText(1), "Sample 4");
    EXPECT_EQ(model().value(1, 7), table.data[7][3]);

    trigger("GraphPickVar");
    window.pickList()->item(0)->setSelected(true);
    window.rePlotButton()->click();
    ASSERT_EQ(model().numSets(), 1);
    EXPECT_EQ(model().legendText(0), "Sample 2");

    trigger("GraphRestore");
    ASSERT_EQ(model().numSets(), 5) << "Restore brings back every set, however often the user re-plotted";
    for (int s = 0; s < 5; ++s) {
        EXPECT_EQ(model().value(s, 11), table.data[11][static_cast<std::size_t>(s)]);
    }
    trigger("GraphPickVar");
    window.quitButton()->click();
    EXPECT_FALSE(window.pickPanel()->isVisible());
    EXPECT_EQ(window.pickList()->count(), 0);
}

TEST_F(GraphWindowTest, CopiesGoToTheClipboard)
{
    trigger("GEditCopyExcel");
    const QString text = QApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith("Time\tSample 1\tSample 2\tSample 3\tSample 4\tSample 5\r\n1\t")) << text.toStdString();
    EXPECT_EQ(text.count("\r\n"), 13);
    trigger("GEditCopyBMP");
    EXPECT_GT(inkShare(QApplication::clipboard()->image()), 0.02);
    trigger("GEditCopyWMF");
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->data("image/svg+xml").contains("<svg"));
    const QByteArray emf = data->data("image/emf");
    ASSERT_GT(emf.size(), 108);
    EXPECT_EQ(emf.mid(40, 4), QByteArray(" EMF"));
}

TEST_F(GraphWindowTest, SavesBitmapMetafileAndPrintsToPdf)
{
    testsupport::TempDir dir;
    mQuorin::Program().gOutDir = dir.path().string();
    const std::string bmp = dir.file("graph.bmp").string();
    const std::string emf = dir.file("graph.emf").string();
    const std::string pdf = dir.file("graph.pdf").string();
    dialogs.choose(bmp).choose(emf);
    platform::PrintTarget::setPdfOutput(QString::fromStdString(pdf));
    trigger("GraphBitMap");
    trigger("GraphMetafile");
    trigger("GraphPrint");
    platform::PrintTarget::setPdfOutput(QString());
    ASSERT_EQ(dialogs.fileRequests().size(), 2u);
    EXPECT_EQ(dialogs.fileRequests()[0].title, "Save metafile ......");
    EXPECT_EQ(dialogs.fileRequests()[0].initDir, dir.path().string());
    EXPECT_NE(dialogs.fileRequests()[1].filter.find("*.emf"), std::string::npos);
    EXPECT_EQ(testsupport::readFile(bmp).substr(0, 2), "BM");
    EXPECT_EQ(testsupport::readFile(emf).substr(40, 4), " EMF");
    EXPECT_EQ(testsupport::readFile(pdf).substr(0, 5), "%PDF-");
    EXPECT_TRUE(reported.empty());
}

TEST_F(GraphWindowTest, ZoomAndNormalView)
{
    const int before = window.picture()->width();
    trigger("ViewZoonInHoriz");
    EXPECT_NEAR(window.picture()->width(), before * 1.5, 2);
    trigger("ViewZoomInVert");
    EXPECT_DOUBLE_EQ(window.state().ZoomFactorV, 1.44);
    trigger("ViewZoomInVert");
    EXPECT_DOUBLE_EQ(window.state().ZoomFactorV, 1.44);
    trigger("ViewNormal");
    EXPECT_EQ(window.picture()->size(), window.scrollArea()->viewport()->size());
}

TEST_F(GraphWindowTest, ExitKeepsTheFieldsAndResetsZoom)
{
    trigger("GraphExit");
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.state().ZoomFactorV, 1.0);
    EXPECT_EQ(window.state().SetNames.size(), 5u);
    EXPECT_EQ(model().numSets(), 5);
}

TEST(GraphWindow, OneProgramWideInstance)
{
    EXPECT_EQ(&graphs::frmGraphics::instance(), &graphs::frmGraphics::instance());
}

} // namespace
