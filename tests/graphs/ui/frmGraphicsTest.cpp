#include "graphs/ui/frmGraphics.h"

#include <QAction>
#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QClipboard>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QLogValueAxis>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Guard.h"
#include "platform/print/QtPrinter.h"
#include "platform/runtime/Convert.h"
#include "platform/widgets/graph/GraphView.h"
#include "shell/core/mQuorin.h"
#include "tests/graphs/ui/GraphTestData.h"
#include "tests/support/PdfReader.h"
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

TEST_F(GraphWindowTest, BarWidthAppliesZeroAndIgnoresCancelNegativesAndText)
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
    for (const char* answer : {"", "-3", "wide"}) {
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
}

TEST_F(GraphWindowTest, AnAnswerTheGraphCannotTakeIsToldPlainlyAndChangesNothing)
{
    // A row may first set the other bound of its axis (`setFirst` with
    // `firstAnswer`), which is taken.
    struct Row {
        const char* item;
        const char* answer;
        const char* message;
        const char* setFirst = nullptr;
        const char* firstAnswer = nullptr;
    } rows[] = {
        {"EditMinX", "lots", "The minimum value for the X-axis must be a number, such as 0, 2.5 or -10. The graph is "
                             "unchanged."},
        {"EditMaxX", "12,5", "The maximum value for the X-axis must be a number, such as 0, 2.5 or -10. The graph is "
                             "unchanged."},
        {"EditMinZ", "1e999", "The minimum value for the Y-axis is too large: it can be at most "
                              "1.79769313486231E+308. The graph is unchanged."},
        {"EditMaxX", "-1e400", "The maximum value for the X-axis is too small: it can be at least "
                               "-1.79769313486231E+308. The graph is unchanged."},
        {"EditMaxZ", "-", "The maximum value for the Y-axis must be a number, such as 0, 2.5 or -10. The graph is "
                          "unchanged."},
        {"EditMinX", "-1e308", "The minimum value for the X-axis is too far from the maximum, 10: the two can be at "
                               "most 2.99615522477053E+307 apart. The graph is unchanged.", "EditMaxX", "10"},
        // A span within a double whose ticks are not: 6 x 1e308.
        {"EditMaxZ", "1e308", "The maximum value for the Y-axis is too far from the minimum, 0: the two can be at "
                              "most 2.99615522477053E+307 apart. The graph is unchanged.", "EditMinZ", "0"},
        {"EditMaxX", "-5", "The maximum value for the X-axis must be more than the minimum, 0; to move the axis past "
                           "it, set the minimum first. The graph is unchanged.", "EditMinX", "0"},
        {"EditMinZ", "40", "The minimum value for the Y-axis must be less than the maximum, 40; to move the axis past "
                           "it, set the maximum first. The graph is unchanged.", "EditMaxZ", "40"},
        // Bounds the drawing takes for one value, and labels no form tells apart.
        {"EditMaxZ", "1e-100", "The maximum value for the Y-axis is too close to the minimum, 0: the axis between "
                               "them would be too short to draw with labels that tell its ticks apart. The graph is "
                               "unchanged.", "EditMinZ", "0"},
        {"EditMinX", "1000000.000000001", "The minimum value for the X-axis is too close to the maximum, 1000000.00000001: "
                                          "the axis between them would be too short to draw with labels that tell its "
                                          "ticks apart. The graph is unchanged.", "EditMaxX", "1000000.00000001"},
        {"EditNumDigitX", "two", "The number of digits after the decimal for the X-axis label must be a whole number "
                                 "from 0 to 15. The graph is unchanged."},
        {"EditNumDigitZ", "40000", "The number of digits after the decimal for the Y-axis label is too large: it "
                                   "can be at most 15. The graph is unchanged."},
        {"EditNumDigitX", "1e999", "The number of digits after the decimal for the X-axis label is too large: it "
                                   "can be at most 15. The graph is unchanged."},
        {"GEditBarWidth", "1e400", "The bar width is too large: it can be at most 100. The graph is unchanged."},
        {"GEditBarWidth", "150", "The bar width is too large: it can be at most 100. The graph is unchanged."},
        {"EditShortenDataLabel", "1e10", "The number of characters to keep in the label is too large: it can be at "
                                         "most 2147483647. The graph is unchanged."},
        {"EditShortenDataLabel", "1e999", "The number of characters to keep in the label is too large: it can be "
                                          "at most 2147483647. The graph is unchanged."},
    };
    const int gap = model().barGap();
    const std::string label = model().pointLabel(0);
    for (const Row& r : rows) {
        if (r.setFirst != nullptr) {
            dialogs.type(r.firstAnswer);
            trigger(r.setFirst);
        }
        const platform::GraphAxisSettings x = model().axis(GraphAxis::X);
        const platform::GraphAxisSettings y = model().axis(GraphAxis::Y);
        const int draws = window.graph().drawCount();
        dialogs.clear();
        dialogs.type(r.answer);
        trigger(r.item);
        ASSERT_EQ(dialogs.calls().size(), 2u) << r.item;
        EXPECT_EQ(dialogs.last().text, r.message) << r.item;
        EXPECT_EQ(dialogs.last().title, "Graph Tool") << r.item;
        EXPECT_EQ(dialogs.last().style & 0x70, platform::mb::Exclamation) << r.item;
        EXPECT_EQ(model().axis(GraphAxis::X).min, x.min) << r.item;
        EXPECT_EQ(model().axis(GraphAxis::X).max, x.max) << r.item;
        EXPECT_EQ(model().axis(GraphAxis::X).format, x.format) << r.item;
        EXPECT_EQ(model().axis(GraphAxis::Y).min, y.min) << r.item;
        EXPECT_EQ(model().axis(GraphAxis::Y).max, y.max) << r.item;
        EXPECT_EQ(model().axis(GraphAxis::Y).format, y.format) << r.item;
        EXPECT_EQ(window.graph().drawCount(), draws) << r.item;
        EXPECT_EQ(model().barGap(), gap) << r.item;
        EXPECT_EQ(model().pointLabel(0), label) << r.item;
    }
    EXPECT_TRUE(reported.empty()) << "no error report for a typing mistake";
    dialogs.type("-3.25");
    trigger("EditMinZ");
    EXPECT_EQ(model().axis(GraphAxis::Y).min, -3.25) << "a negative number is a number";
    dialogs.type("2.5");  // a digit count to the nearest whole number, halves to even
    trigger("EditNumDigitX");
    EXPECT_EQ(model().axis(GraphAxis::X).format, "0.00");
}

// The axis labels the graph draws, as their text items show them, from the
// start of the axis on: those left of the plot area (the Y axis) or below it
// (the X axis), without the axis's title; with where they are in the scene.
struct DrawnLabel {
    std::string text;
    QRectF at;
};

std::vector<DrawnLabel> drawnAxisLabels(platform::GraphView& graph, bool xAxis)
{
    QApplication::processEvents();
    (void)graph.toImage();
    QChart* chart = graph.chart();
    if (chart == nullptr) {
        return {};
    }
    const QRectF plot = chart->mapRectToScene(chart->plotArea());
    const std::string title = chart->axes(xAxis ? Qt::Horizontal : Qt::Vertical).front()->titleText().toStdString();
    std::vector<std::pair<double, DrawnLabel>> found;
    for (QGraphicsItem* item : chart->scene()->items()) {
        auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (text == nullptr || !text->isVisible() || text->rotation() != 0) {
            continue;
        }
        const QRectF at = text->sceneBoundingRect();
        const std::string shown = text->toPlainText().toStdString();
        if (shown.empty() || shown == title) {
            continue;
        }
        if (xAxis ? at.top() >= plot.bottom() - 1 : at.right() <= plot.left() + 1) {
            found.push_back({xAxis ? at.center().x() : -at.center().y(), {shown, at}});
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<DrawnLabel> out;
    for (const auto& [where, label] : found) {
        out.push_back(label);
    }
    return out;
}

std::string joined(const std::vector<DrawnLabel>& labels)
{
    std::string out;
    for (const DrawnLabel& l : labels) {
        out += (out.empty() ? "" : " ") + l.text;
    }
    return out;
}

// The labels keep the digits the user set wherever they fit and say more
// than one value, also where neighbours read alike; spans far from the usual
// are drawn as asked with more decimals or an exponent, each tick reading
// its own value. A logarithmic Y axis refuses a bound of 0 or less.
TEST_F(GraphWindowTest, AxisLabelsKeepTheDigitsSetAndReadEachTicksOwnValue)
{
    const struct {
        bool x;
        const char* digits;  // the answer to "Set number of digits after decimal"
        const char* min;
        const char* max;
        bool minFirst;  // so that each bound is taken on its own
        const char* labels;
    } rows[] = {
        {false, "0", "0", "1", true, "0. 0. 0. 1. 1. 1. 1."},
        {false, "1", "0", "0.3", true, "0.0 0.1 0.1 0.2 0.2 0.3 0.3"},
        {false, "1", "-2.5", "16", true, "-2.5 0.6 3.7 6.8 9.8 12.9 16.0"},
        {false, "2", "0", "1e-10", true, "0.00e+00 1.67e-11 3.33e-11 5.00e-11 6.67e-11 8.33e-11 1.00e-10"},
        {true, "0", "-1e307", "5", true, "-1e+307 -8e+306 -7e+306 -5e+306 -3e+306 -2e+306 5e+00"},
        {true, "0", "-5", "1e150", false, "-5e+00 2e+149 3e+149 5e+149 7e+149 8e+149 1e+150"},
        {true, "3", "1", "2.2", true, "1.000 1.200 1.400 1.600 1.800 2.000 2.200"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.x ? "X " : "Y ") + r.min + ".." + r.max + " with " + r.digits + " digits");
        const char* minItem = r.x ? "EditMinX" : "EditMinZ";
        const char* maxItem = r.x ? "EditMaxX" : "EditMaxZ";
        dialogs.clear();
        dialogs.type(r.digits);
        trigger(r.x ? "EditNumDigitX" : "EditNumDigitZ");
        dialogs.type(r.minFirst ? r.min : r.max);
        trigger(r.minFirst ? minItem : maxItem);
        dialogs.type(r.minFirst ? r.max : r.min);
        trigger(r.minFirst ? maxItem : minItem);
        EXPECT_EQ(dialogs.calls().size(), 3u) << "no refusal";
        EXPECT_EQ(joined(drawnAxisLabels(window.graph(), r.x)), r.labels);
        EXPECT_GT(inkShare(window.graph().toImage()), 0.02) << "axes, labels and lines are drawn";
    }

    // Without a legend beside it, the last X label, centred on the end of
    // the axis, still lies wholly inside the graph.
    std::string type = "SCATTER";
    window.Graph2To3({-2.9023, 0.1, 1.5875}, {1, 2, 3}, 3, "PC1", "PC2", type, true, true, nullptr);
    ASSERT_FALSE(model().hasLegend());
    const std::vector<DrawnLabel> xLabels = drawnAxisLabels(window.graph(), true);
    ASSERT_FALSE(xLabels.empty());
    EXPECT_EQ(xLabels.back().text, "1.5875");
    EXPECT_LE(xLabels.back().at.right(), window.graph().chart()->sceneBoundingRect().right());

    trigger("GphLogY");
    for (const char* item : {"EditMinZ", "EditMaxZ"}) {
        for (const char* typed : {"0", "-1"}) {
            const platform::GraphAxisSettings y = model().axis(GraphAxis::Y);
            dialogs.clear();
            dialogs.type(typed);
            trigger(item);
            ASSERT_EQ(dialogs.calls().size(), 2u);
            EXPECT_EQ(dialogs.last().text, std::string("The ") + (std::string(item) == "EditMinZ" ? "minimum" : "maximum") +
                                               " value for the Y-axis must be more than 0: a logarithmic Y axis "
                                               "cannot show values of 0 or less. The graph is unchanged.");
            EXPECT_EQ(model().axis(GraphAxis::Y).min, y.min);
            EXPECT_EQ(model().axis(GraphAxis::Y).max, y.max);
        }
    }
}

TEST_F(GraphWindowTest, ANewDrawingIsShownWholeWithoutThePreviousZoom)
{
    trigger("ViewZoonInHoriz");
    trigger("ViewZoonInHoriz");
    ASSERT_GT(window.picture()->width(), window.scrollArea()->viewport()->width());
    std::vector<double> x(12000);
    std::vector<double> y(12000);
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = std::sin(static_cast<double>(i)) * 40;
        y[i] = std::cos(static_cast<double>(i) * 0.7) * 25 - 3;
    }
    std::string type = "SCATTER";
    window.Graph2To3(x, y, static_cast<std::int32_t>(x.size()), "PC1", "PC2", type, true, true, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(window.picture()->size(), window.scrollArea()->viewport()->size());
    EXPECT_DOUBLE_EQ(window.state().ZoomFactorH, 1.5);
    EXPECT_DOUBLE_EQ(window.state().ZoomFactorV, 1.2);
    const int before = window.picture()->width();
    trigger("ViewZoonInHoriz");
    EXPECT_NEAR(window.picture()->width(), before * 1.5, 2) << "zooming starts again from the whole picture";
}

TEST_F(GraphWindowTest, LogYLabelsItsAxisAtSeveralValues)
{
    // Expression values within one decade, and over three.
    for (const auto& [lo, hi] : std::vector<std::pair<double, double>>{{6.2, 14.8}, {2.5, 9.5}, {0.3, 450}}) {
        std::vector<double> x(12000);
        std::vector<double> y(12000);
        for (std::size_t i = 0; i < x.size(); ++i) {
            x[i] = static_cast<double>(i);
            y[i] = lo + (hi - lo) * (0.5 + 0.5 * std::sin(static_cast<double>(i) * 0.01));
        }
        std::string type = "LINE";
        window.Graph2To3(x, y, static_cast<std::int32_t>(x.size()), "Time", "Expression", type, true, true, nullptr);
        trigger("GphLogY");
        QChart* chart = window.graph().chart();
        ASSERT_NE(chart, nullptr);
        QCategoryAxis* labels = chart->findChild<QCategoryAxis*>(QStringLiteral("LogYLabels"));
        if (labels == nullptr) {
            for (QAbstractAxis* a : chart->axes(Qt::Vertical)) {
                labels = labels != nullptr ? labels : qobject_cast<QCategoryAxis*>(a);
            }
        }
        ASSERT_NE(labels, nullptr) << lo;
        EXPECT_GE(labels->categoriesLabels().size(), 3) << lo << ".." << hi;
        EXPECT_EQ(labels->titleText(), QStringLiteral("Expression"));
        QLogValueAxis* logAxis = nullptr;
        for (QAbstractAxis* a : chart->axes(Qt::Vertical)) {
            logAxis = logAxis != nullptr ? logAxis : qobject_cast<QLogValueAxis*>(a);
        }
        ASSERT_NE(logAxis, nullptr);
        for (const QString& label : labels->categoriesLabels()) {
            const double v = label.toDouble();
            EXPECT_GE(v, logAxis->min() * 0.999) << label.toStdString();
            EXPECT_LE(v, logAxis->max() * 1.001) << label.toStdString();
        }
        EXPECT_GT(inkShare(window.graph().toImage()), 0.01);
    }
}

TEST_F(GraphWindowTest, LogYSaysHowManyPointsItLeavesOutWhileItDoes)
{
    const graphtest::Table scores = graphtest::seededScores(300, 77);
    const auto leftOff = std::count_if(scores.data.begin(), scores.data.end(), [](const auto& p) { return p[0] <= 0; });
    ASSERT_GT(leftOff, 50);
    std::int32_t n = 300;
    std::int32_t m = 1;
    std::string type = "SCATTER";
    window.DrawGraph(scores.x, scores.data, n, m, "PC1", "PC2", type, nullptr, true, true, &scores.pointNames);
    EXPECT_TRUE(window.leftOffNote()->text().isEmpty());
    const double min = model().axis(GraphAxis::Y).min;
    ASSERT_LT(min, 0);
    trigger("GphLogY");
    EXPECT_TRUE(window.leftOffNote()->isVisible());
    EXPECT_EQ(window.leftOffNote()->text().toStdString(),
              std::to_string(leftOff) +
                  " of 300 points are not shown: a logarithmic Y axis cannot show values of 0 or less. The minimum "
                  "value for the Y-axis, " + platform::rt::CStr(min) + ", is 0 or less: the axis starts at " +
                  platform::rt::CStr(platform::LogYAxisRange(model()).lo) + " instead.");
    trigger("GphLine");
    EXPECT_TRUE(window.leftOffNote()->text().isEmpty()) << "every point is shown again";
}

// Bounds set under a linear graph type and then Log Y vs X: a bound the
// logarithmic axis can use stays; one it cannot use is told in the note with
// what the axis takes instead, and comes back with a linear type.
TEST_F(GraphWindowTest, LogYKeepsTheBoundsItCanUseAndSaysWhatItDoesWithTheOthers)
{
    const std::vector<double> x{1, 2, 3, 4, 5, 6, 7};
    const std::vector<double> y{-0.5, 0, 0.002, 0.05, 0.2, 1.5, 2};
    std::string type = "SCATTER";
    window.Graph2To3(x, y, static_cast<std::int32_t>(x.size()), "Time", "Expression", type, true, true, nullptr);
    const std::string points = "2 of 7 points are not shown: a logarithmic Y axis cannot show values of 0 or less.";
    const std::string minimumAt = " The minimum value for the Y-axis, ";
    const struct {
        const char* min;  // nullptr: the bounds the drawing chose
        const char* max;
        double lo, hi;    // the logarithmic axis
        std::string note;
    } rows[] = {
        {nullptr, nullptr, 0.001, 2, points + minimumAt + "-1, is 0 or less: the axis starts at 0.001 instead."},
        {"-1", "10", 0.001, 10, points + minimumAt + "-1, is 0 or less: the axis starts at 0.001 instead."},
        {"0", "0.3", 0.001, 0.3, points + minimumAt + "0, is 0 or less: the axis starts at 0.001 instead."},
        {"0.01", "10", 0.01, 10, points},
        {"-3", "-1", 0.001, 2,
         points + minimumAt + "-3, is 0 or less: the axis starts at 0.001 instead. The maximum value for the "
                              "Y-axis, -1, is 0 or less: the axis ends at 2 instead."},
        {"0", "0.001", 0.0001, 0.001, points + minimumAt + "0, is 0 or less: the axis starts at 0.0001 instead."},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.min != nullptr ? std::string(r.min) + ".." + r.max : std::string("as drawn"));
        trigger("GphScatter");
        if (r.min != nullptr) {
            for (const auto& [item, answer] : {std::pair{"EditMaxZ", "1e6"}, std::pair{"EditMinZ", r.min},
                                               std::pair{"EditMaxZ", r.max}}) {
                dialogs.type(answer);
                trigger(item);
            }
        }
        const platform::GraphAxisSettings linear = model().axis(GraphAxis::Y);
        EXPECT_TRUE(window.leftOffNote()->text().isEmpty());
        trigger("GphLogY");
        EXPECT_EQ(window.leftOffNote()->text().toStdString(), r.note);
        QApplication::processEvents();
        EXPECT_LE(window.leftOffNote()->heightForWidth(window.leftOffNote()->width()), window.leftOffNote()->height())
            << "the whole note is shown";
        QLogValueAxis* logAxis = nullptr;
        for (QAbstractAxis* a : window.graph().chart()->axes(Qt::Vertical)) {
            logAxis = logAxis != nullptr ? logAxis : qobject_cast<QLogValueAxis*>(a);
        }
        ASSERT_NE(logAxis, nullptr);
        expectNearRel(logAxis->min(), r.lo, 1e-12);
        expectNearRel(logAxis->max(), r.hi, 1e-12);
        EXPECT_EQ(model().axis(GraphAxis::Y).min, linear.min) << "the bounds stay for the linear types";
        EXPECT_EQ(model().axis(GraphAxis::Y).max, linear.max);
    }
    trigger("GphScatter");
    EXPECT_TRUE(window.leftOffNote()->text().isEmpty());
    EXPECT_EQ(model().axis(GraphAxis::Y).min, 0.0);
    EXPECT_EQ(model().axis(GraphAxis::Y).max, 0.001);
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

TEST_F(GraphWindowTest, LabelsOfTheExtremePointsAreWholeInsideThePlot)
{
    // A score plot whose extreme points on all four sides carry long names.
    const std::vector<double> x{-3.1, 4.2, 0.3, 0.1, 1.0, -1.0, 4.2};
    const std::vector<double> y{0.2, -0.4, 5.5, -4.8, 1.0, -1.0, 5.5};
    const std::vector<std::string> labels{"AFFX-HUMGAPDH/M33197_5_at", "AFFX-HSAC07/X00351_M_at", "1007_s_at_top",
                                          "31307_at_bottom",           "a",                       "b",
                                          "AFFX-BioB-5_at_corner"};
    std::string type = "SCATTER";
    window.Graph2To3(x, y, static_cast<std::int32_t>(x.size()), "PC1", "PC2", type, true, true, &labels);
    for (const QSize size : {QSize(800, 600), QSize(420, 300)}) {
        SCOPED_TRACE(size.width());
        window.resize(size);
        QApplication::processEvents();
        const QChart* chart = window.graph().chart();
        ASSERT_NE(chart, nullptr);
        const QRectF plot = chart->mapRectToScene(chart->plotArea()).adjusted(-0.5, -0.5, 0.5, 0.5);
        const QRectF view(QPointF(0, 0), QSizeF(window.graph().size()));
        const std::vector<QRectF> rects = window.graph().pointLabelRects();
        ASSERT_EQ(rects.size(), labels.size()) << "every point keeps its label";
        for (const QRectF& r : rects) {
            EXPECT_GT(r.width(), 0);
            EXPECT_TRUE(plot.contains(r)) << r.left() << "," << r.top() << " " << r.width() << "x" << r.height();
            EXPECT_TRUE(view.contains(r));
        }
    }
}

TEST(GraphLabel, GoesToTheSideOfItsPointThatHasRoom)
{
    const QRectF area(10, 10, 200, 100);
    const QSizeF text(60, 12);
    struct Row {
        const char* name;
        QPointF point;
        QPointF topLeft;
    };
    const Row rows[] = {
        {"inside: right and above", QPointF(100, 60), QPointF(104, 44)},
        {"right edge: to the left", QPointF(210, 60), QPointF(146, 44)},
        {"top edge: below", QPointF(100, 10), QPointF(104, 14)},
        {"top right corner", QPointF(210, 10), QPointF(146, 14)},
        {"left bottom corner: right and above", QPointF(10, 110), QPointF(14, 94)},
    };
    for (const Row& r : rows) {
        const QRectF placed = platform::GraphView::PointLabelRect(area, r.point, text);
        EXPECT_EQ(placed.topLeft(), r.topLeft) << r.name;
        EXPECT_EQ(placed.size(), text) << r.name;
        EXPECT_TRUE(area.contains(placed)) << r.name;
    }
    // Wider than the area: kept from its left edge.
    const QRectF wide = platform::GraphView::PointLabelRect(area, QPointF(100, 60), QSizeF(300, 12));
    EXPECT_EQ(wide.left(), area.left());
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

TEST_F(GraphWindowTest, ABitmapSavedUnderABareNameIsABmpFileNamedSo)
{
    testsupport::TempDir dir;
    dialogs.choose(dir.file("graph").string());
    trigger("GraphBitMap");
    ASSERT_TRUE(std::filesystem::exists(dir.file("graph.bmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("graph")));
    EXPECT_EQ(testsupport::readFile(dir.file("graph.bmp")).substr(0, 2), "BM");
    QImage read(QString::fromStdString(dir.file("graph.bmp").string()), "BMP");
    EXPECT_EQ(read.size(), window.graph().size());
    dialogs.choose(dir.file("graph").string());
    trigger("GraphMetafile");
    EXPECT_EQ(testsupport::readFile(dir.file("graph.emf")).substr(40, 4), " EMF");
    EXPECT_TRUE(reported.empty());
}

TEST_F(GraphWindowTest, PrintedPageFitsThePaperWithEveryLabelAtAPaperSize)
{
    if (!testsupport::hasPoppler()) {
        GTEST_SKIP() << "poppler is not installed";
    }
    // A score plot of 12,625 loci, as the ordination dialogs draw, in a wide
    // window with long axis titles.
    std::vector<double> x(12625);
    std::vector<double> y(12625);
    std::vector<std::string> names(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = 180 * std::sin(static_cast<double>(i) * 0.37) * std::cos(static_cast<double>(i) * 0.011);
        y[i] = -60 + 95 * std::cos(static_cast<double>(i) * 0.23);
        names[i] = std::to_string(1000 + i) + "_at";
    }
    std::string type = "SCATTER";
    window.resize(1500, 420);
    QApplication::processEvents();
    window.Graph2To3(x, y, static_cast<std::int32_t>(x.size()), "PC1 of the standardized expression",
                     "PC2 of the standardized expression", type, true, true, &names);
    trigger("EditAddDataLabel");  // labels off: 12,625 of them hide the plot
    testsupport::TempDir dir;
    const auto pdf = dir.file("graph.pdf");
    platform::PrintTarget::setPdfOutput(QString::fromStdString(pdf.string()));
    trigger("GraphPrint");
    platform::PrintTarget::setPdfOutput(QString());
    ASSERT_TRUE(reported.empty());
    EXPECT_EQ(testsupport::pdfPageCount(pdf), 1);
    const auto words = testsupport::pdfWords(pdf);
    ASSERT_TRUE(words.has_value());
    ASSERT_FALSE(words->empty());
    std::string all;
    double left = 1e9;
    double right = 0;
    for (const testsupport::PdfWord& w : *words) {
        EXPECT_TRUE(w.insidePage()) << w.text << " at " << w.xMin << "," << w.yMin;
        EXPECT_LT(w.height(), 16) << w.text << ": a label at a size for paper";
        EXPECT_GT(w.height(), 5) << w.text;
        all += w.text + " ";
        left = std::min(left, w.xMin);
        right = std::max(right, w.xMax);
    }
    EXPECT_NE(all.find("PC1 of the standardized expression"), std::string::npos) << all;
    EXPECT_NE(all.find("PC2 of the standardized expression"), std::string::npos) << all;
    // The tick labels of both axes: six intervals each, seven numbers.
    int numbers = 0;
    for (const testsupport::PdfWord& w : *words) {
        bool isNumber = false;
        (void)QString::fromStdString(w.text).toDouble(&isNumber);
        numbers += isNumber ? 1 : 0;
    }
    EXPECT_GE(numbers, 2 * (model().axis(GraphAxis::X).ticks + 1)) << all;
    EXPECT_GT(right - left, 0.75 * words->front().pageWidth) << "the plot takes the width of the page";
    if (const char* shots = std::getenv("TESSARAY_SCREENSHOT_DIR")) {
        const std::string command = "pdftoppm -png -r 80 -singlefile '" + pdf.string() + "' '" +
                                    (std::filesystem::path(shots) / "graph-window-printed-page").string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
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
