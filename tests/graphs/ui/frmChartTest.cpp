#include "graphs/ui/frmChart.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>

#include <gtest/gtest.h>

#include "graphs/Graphics.h"
#include "graphs/ui/DrawChart.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/print/QtPrinter.h"
#include "platform/widgets/chart/ChartExport.h"
#include "platform/widgets/chart/ChartPainter.h"
#include "platform/widgets/chart/ChartView.h"
#include "tests/support/PdfReader.h"
#include "tests/support/TestSupport.h"

namespace {

using graphs::frmChart;
namespace axis = platform::chartaxis;
namespace type = platform::charttype;

// Expression profiles of `loci` loci over `points` time points, from a
// seeded generator: waves with a phase and a level per locus.
struct Profiles {
    std::vector<std::string> times;
    std::vector<std::string> loci;
    std::vector<std::vector<double>> values;  // [time][locus]
};

Profiles profiles(int points, int loci, unsigned seed = 20261209)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> phase(0, 6.283), level(1, 4), noise(-0.2, 0.2);
    Profiles p;
    std::vector<double> ph, lv;
    for (int k = 0; k < loci; ++k) {
        p.loci.push_back("YGR" + std::to_string(100 + k * 7) + "W");
        ph.push_back(phase(gen));
        lv.push_back(level(gen));
    }
    for (int t = 0; t < points; ++t) {
        p.times.push_back(std::to_string(t * 2) + "h");
        p.values.emplace_back();
        for (int k = 0; k < loci; ++k) {
            p.values.back().push_back(lv[static_cast<std::size_t>(k)] +
                                      1.5 * std::sin(t * 0.55 + ph[static_cast<std::size_t>(k)]) + noise(gen));
        }
    }
    return p;
}

platform::ChartModel chartOf(const Profiles& p, std::string keyword)
{
    return graphs::Graphics::BuildChart(p.times, p.loci, p.values, static_cast<std::int32_t>(p.times.size()),
                                        static_cast<std::int32_t>(p.loci.size()), "Time", "Loci", "Expression",
                                        keyword, std::nullopt, 0);
}

// A shown chart window on a chart of 12 time points by 4 loci.
struct Window {
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs scope{boxes};
    frmChart w;

    explicit Window(const std::string& keyword = "2DLINE", int loci = 4)
    {
        w.MSChart1().setModel(chartOf(profiles(12, loci), keyword));
        w.resize(640, 480);
        w.show();
        QApplication::processEvents();
    }
    void click(const char* name)
    {
        QAction* a = w.item(name);
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
        QApplication::processEvents();
    }
    platform::ChartModel& chart() { return w.chart(); }
};

// Pixels of the picture that are not white.
int inked(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
        }
    }
    return n;
}

bool hasColor(const QImage& image, QColor color)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - color.red()) < 12 && std::abs(c.green() - color.green()) < 12 &&
                std::abs(c.blue() - color.blue()) < 12) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

TEST(DrawChart, EachChartTypeIsDrawnFromSeededDataAndLeavesTheClipboardAlone)
{
    struct Row {
        const char* keyword;
        int chartType;
    } rows[] = {{"3DBAR", type::Bar3d}, {"2DBAR", type::Bar2d}, {"3DLINE", type::Line3d},
                {"2dline", type::Line2d}, {"2DPIE", type::Pie2d}, {"2DXY", type::XY2d}};
    const Profiles p = profiles(12, 4);
    QApplication::clipboard()->setText("the user's own text");
    std::vector<QImage> pictures;
    for (const Row& r : rows) {
        platform::ScriptedDialogs boxes;
        platform::ScopedDialogs scope(boxes);
        int seenType = -1;
        QImage picture;
        graphs::Graphics::setModalRunner([&](frmChart& w) {
            EXPECT_EQ(w.windowTitle(), "Chart Tool");
            w.resize(640, 480);
            w.show();
            QApplication::processEvents();
            seenType = w.chart().chartType();
            picture = w.MSChart1().grab().toImage();
            w.item("ChartExit")->trigger();
        });
        std::string keyword = r.keyword;
        graphs::Graphics::DrawChart(p.times, p.loci, p.values, 12, 4, "Time", "Loci", "Expression", keyword,
                                    std::nullopt, 0);
        EXPECT_EQ(seenType, r.chartType) << r.keyword;
        EXPECT_EQ(keyword, r.keyword);
        EXPECT_TRUE(boxes.calls().empty());
        ASSERT_FALSE(picture.isNull());
        EXPECT_GT(inked(picture), picture.width() * picture.height() / 50) << r.keyword;
        EXPECT_TRUE(hasColor(picture, platform::seriesColor(2))) << r.keyword;
        EXPECT_EQ(QApplication::clipboard()->text(), "the user's own text") << r.keyword;
        pictures.push_back(picture);
    }
    graphs::Graphics::setModalRunner({});
    for (std::size_t i = 1; i < pictures.size(); ++i) {
        EXPECT_NE(pictures[i], pictures[i - 1]) << rows[i].keyword;
    }
}

TEST(DrawChart, ExpressionPlotDrawsOneLinePerLocusOverTheTimePoints)
{
    const Profiles p = profiles(8, 3);
    platform::ChartModel seen;
    graphs::Graphics::setModalRunner([&](frmChart& w) { seen = w.chart(); });
    graphs::Graphics::PlotExpressionProfiles(p.times, p.loci, p.values);
    graphs::Graphics::setModalRunner({});
    EXPECT_EQ(seen.chartType(), type::Line2d);
    EXPECT_EQ(seen.rowCount(), 8);
    EXPECT_EQ(seen.columnCount(), 3);
    EXPECT_EQ(seen.rowLabel(8), "14h");
    EXPECT_EQ(seen.columnLabel(2), p.loci[1]);
    EXPECT_EQ(seen.axis(axis::X).title, "Time");
    EXPECT_EQ(seen.axis(axis::Y).title, "Expression");
    EXPECT_EQ(seen.axis(axis::Z).title, "Loci");
    EXPECT_EQ(seen.value(3, 2), p.values[2][1]);
    EXPECT_EQ(seen.axis(axis::X).divisionsPerLabel, 1);  // 8 div 6
}

TEST(DrawChart, MissingCellsBreakTheLineInsteadOfDroppingToZero)
{
    Profiles p = profiles(9, 1);
    for (auto& row : p.values) {
        row[0] = 5;
    }
    p.values[4][0] = -999;
    std::string keyword = "2DLINE";
    platform::ChartModel gap = graphs::Graphics::BuildChart(p.times, p.loci, p.values, 9, 1, "", "", "", keyword,
                                                            -999.0, 0);
    platform::ChartView view;
    view.resize(400, 300);
    view.setModel(gap);
    const QImage withGap = view.grab().toImage();
    // Nothing of the series is drawn below the middle of the plot: a zero
    // would pull the line far down.
    const QColor line = platform::seriesColor(1);
    bool low = false;
    for (int y = 200; y < 260; ++y) {
        for (int x = 0; x < 400; ++x) {
            low = low || withGap.pixelColor(x, y) == line;
        }
    }
    EXPECT_FALSE(low);
    EXPECT_TRUE(hasColor(withGap, line));
}

TEST(frmChart, ChartTypeItemsSetOnlyTheType)
{
    Window win;
    const std::string before = win.chart().dataText();
    struct Row {
        const char* item;
        int chartType;
    } rows[] = {{"Cht3DBar", 0}, {"Cht2DBar", 1}, {"Cht3DLine", 2}, {"Cht2DLine", 3}, {"Cht2DPie", 14}, {"Cht2DXY", 16}};
    for (const Row& r : rows) {
        win.click(r.item);
        EXPECT_EQ(win.chart().chartType(), r.chartType) << r.item;
        EXPECT_EQ(win.chart().dataText(), before);
        EXPECT_EQ(win.chart().axis(axis::X).title, "Time");
    }
    EXPECT_TRUE(win.boxes.calls().empty());
}

TEST(frmChart, LegendLineWidthAndLogToggle)
{
    Window win;
    win.click("LegendHide");
    EXPECT_FALSE(win.chart().isLegendVisible());
    win.click("LegendShow");
    EXPECT_TRUE(win.chart().isLegendVisible());
    for (const auto& [item, width] : std::vector<std::pair<const char*, double>>{
             {"ChtLineWid30", 30}, {"ChtLineWid20", 20}, {"ChtLineWid10", 10}}) {
        win.click(item);
        EXPECT_EQ(win.chart().penWidth(1), width) << item;
        EXPECT_EQ(win.chart().penWidth(2), 0) << item;
    }
    win.click("ChtToggleLogY");
    EXPECT_EQ(win.chart().axis(axis::Y).scaleType, 1);
    win.click("ChtToggleLogY");
    EXPECT_EQ(win.chart().axis(axis::Y).scaleType, 0);
}

TEST(frmChart, EveryRangeItemTurnsAutomaticScalingOff)
{
    struct Row {
        const char* item;
        int axis;
        bool maximum;
        const char* prompt;
    } rows[] = {{"EditMinX", axis::X, false, "Please enter the minimum value for X-axis"},
                {"EditMaxX", axis::X, true, "Please enter the maximum value for X-axis"},
                {"EditMinZ", axis::Y, false, "Please enter the minimum value for Y-axis"},
                {"EditMaxZ", axis::Y, true, "Please enter the maximum value for Y-axis"}};
    for (const Row& r : rows) {
        Window win;
        const auto shown = r.axis == axis::X ? win.chart().xRange() : win.chart().valueRange();
        const auto other = r.maximum ? shown.minimum : shown.maximum;
        win.boxes.type("-1.5");
        win.click(r.item);
        const auto& a = win.chart().axis(r.axis);
        EXPECT_FALSE(a.valueAuto) << r.item;
        EXPECT_EQ(r.maximum ? a.maximum : a.minimum, -1.5) << r.item;
        EXPECT_EQ(r.maximum ? a.minimum : a.maximum, other) << r.item;  // the other end stays put
        ASSERT_EQ(win.boxes.calls().size(), 1u);
        EXPECT_EQ(win.boxes.last().title, "Input");
        EXPECT_EQ(win.boxes.last().text, r.prompt);
    }
}

TEST(frmChart, CancelOrTextThatIsNoNumberChangesNothing)
{
    for (const char* item : {"EditMinX", "EditMaxX", "EditMinZ", "EditMaxZ", "ChartEditXTicks", "ChartEditYTicks"}) {
        for (const char* answer : {"", "abc", "1,5x"}) {
            Window win;
            win.boxes.type(answer);
            win.click(item);
            for (int id : {axis::X, axis::Y}) {
                const auto& a = win.chart().axis(id);
                EXPECT_TRUE(a.valueAuto) << item << " '" << answer << "'";
                EXPECT_EQ(a.majorDivision, 5);
            }
            EXPECT_TRUE(win.w.isVisible());
        }
    }
}

TEST(frmChart, TickCountsStoreDivisionsAndRefuseFewerThanOneTick)
{
    Window win;
    const int shown = win.chart().valueRange().divisions;
    win.boxes.type("6");
    win.click("ChartEditYTicks");
    EXPECT_EQ(win.boxes.last().text, "Enter the number of ticks for Y-axis");
    EXPECT_EQ(win.chart().axis(axis::Y).majorDivision, 5);
    EXPECT_FALSE(win.chart().axis(axis::Y).valueAuto);
    (void)shown;

    win.boxes.type("0").type("-3").type("4");
    win.click("ChartEditXTicks");
    EXPECT_TRUE(win.chart().axis(axis::X).valueAuto);
    win.click("ChartEditXTicks");
    EXPECT_TRUE(win.chart().axis(axis::X).valueAuto);
    win.click("ChartEditXTicks");
    EXPECT_EQ(win.chart().axis(axis::X).majorDivision, 3);

    // The box offers the current number of ticks: divisions plus one.
    win.boxes.clear();
    win.click("ChartEditXTicks");
    EXPECT_EQ(win.boxes.calls().size(), 1u);
    EXPECT_EQ(win.chart().axis(axis::X).majorDivision, 3);  // unscripted: the default answer "4" keeps it
}

TEST(frmChart, AxisTitlesTakeTheAnswerAsTyped)
{
    Window win;
    win.boxes.type("Hours after shift").type("");
    win.click("EditXLabel");
    EXPECT_EQ(win.chart().axis(axis::X).title, "Hours after shift");
    EXPECT_EQ(win.boxes.last().text, "Please enter the label for X-axis");
    win.click("EditXLabel");
    EXPECT_EQ(win.chart().axis(axis::X).title, "");
    win.boxes.type("log2 ratio");
    win.click("EditZLabel");
    EXPECT_EQ(win.chart().axis(axis::Y).title, "log2 ratio");
    EXPECT_EQ(win.boxes.last().text, "Please enter the label for Y-axis");
}

TEST(frmChart, CopyPutsPictureAndDataOnTheClipboardAndExplains)
{
    Window win;
    QApplication::clipboard()->clear();
    win.click("ChartCopy");
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text().toStdString(), win.chart().dataText());
    EXPECT_TRUE(data->hasImage());
    EXPECT_TRUE(data->hasFormat("image/svg+xml"));
    ASSERT_EQ(win.boxes.calls().size(), 1u);
    EXPECT_EQ(win.boxes.last().title, "Tessaray");
    EXPECT_EQ(win.boxes.last().style, platform::mb::Information);
    EXPECT_EQ(win.boxes.last().text.rfind("This method allows you to paste either the chart or the data", 0), 0u);
}

TEST(frmChart, PrintGoesStraightToThePrinterWithoutTheClipboard)
{
    testsupport::TempDir dir;
    const auto pdf = dir.file("chart.pdf");
    platform::PrintTarget::setPdfOutput(QString::fromStdString(pdf.string()));
    Window win;
    QApplication::clipboard()->setText("kept");
    win.click("ChartPrint");
    platform::PrintTarget::setPdfOutput({});
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_GT(std::filesystem::file_size(pdf), 1000u);
    EXPECT_EQ(testsupport::readFile(pdf).rfind("%PDF", 0), 0u);
    // One page, read back by an independent reader where it is installed.
    if (std::system("command -v pdfinfo >/dev/null 2>&1") == 0) {
        const std::string command = "pdfinfo '" + pdf.string() + "' > '" + dir.file("info.txt").string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const std::string info = testsupport::readFile(dir.file("info.txt"));
        const auto at = info.find("Pages:");
        ASSERT_NE(at, std::string::npos) << info;
        EXPECT_EQ(std::stoi(info.substr(at + 6)), 1) << info;
    }
    EXPECT_TRUE(win.boxes.calls().empty());
}

TEST(frmChart, PrintoutOfAWindowWiderThanThePageKeepsItsRightSideAndLegend)
{
    if (!testsupport::hasPoppler()) {
        GTEST_SKIP() << "poppler is not installed";
    }
    testsupport::TempDir dir;
    const auto pdf = dir.file("chart.pdf");
    platform::PrintTarget::setPdfOutput(QString::fromStdString(pdf.string()));
    Window win("2DLINE", 8);
    win.w.resize(1580, 900);  // 16 inches at the screen's 96 dots: wider than any page
    QApplication::processEvents();
    win.click("ChartPrint");
    platform::PrintTarget::setPdfOutput({});
    EXPECT_EQ(testsupport::pdfPageCount(pdf), 1);
    if (const char* shots = std::getenv("TESSARAY_SCREENSHOT_DIR")) {
        const std::string command = "pdftoppm -png -r 80 -singlefile '" + pdf.string() + "' '" +
                                    (std::filesystem::path(shots) / "chart-window-printed-page").string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    const auto words = testsupport::pdfWords(pdf);
    ASSERT_TRUE(words.has_value());
    std::string all;
    for (const testsupport::PdfWord& w : *words) {
        EXPECT_TRUE(w.insidePage()) << w.text << " at " << w.xMin << "," << w.yMin << " on a page "
                                    << w.pageWidth << " x " << w.pageHeight;
        EXPECT_LT(w.height(), 16) << w.text;
        all += w.text + " ";
    }
    const Profiles p = profiles(12, 8);
    for (const std::string& locus : p.loci) {
        EXPECT_NE(all.find(locus), std::string::npos) << "legend entry " << locus << " in " << all;
    }
    for (const std::string& time : {std::string("0h"), std::string("20h")}) {
        EXPECT_NE(all.find(time), std::string::npos) << "the last category label on the right: " << time;
    }
    EXPECT_NE(all.find("Expression"), std::string::npos);
    ASSERT_FALSE(words->empty());
    EXPECT_GT(words->front().pageWidth, words->front().pageHeight) << "a wide chart prints on a page turned sideways";

    // A chart that fits the page keeps its size there.
    const QRectF page(36, 36, 720, 540);
    EXPECT_EQ(platform::printedChartRect(QSize(400, 300), page, 1.0), QRectF(36, 36, 400, 300));
    EXPECT_EQ(platform::printedChartRect(QSize(1440, 540), page, 1.0), QRectF(36, 36, 720, 270));
}

TEST(frmChart, LogYLabelsAManualRangeWithinADecadeAtSeveralValues)
{
    Window win;
    win.boxes.type("2").type("15");
    win.click("EditMinZ");
    win.click("EditMaxZ");
    win.click("ChtToggleLogY");
    ASSERT_EQ(win.chart().axis(axis::Y).scaleType, 1);
    const QString svg = QString::fromUtf8(platform::chartSvg(win.chart(), QSize(640, 480)));
    int labels = 0;
    for (const char* value : {">2<", ">5<", ">10<"}) {
        labels += svg.contains(QString::fromLatin1(value)) ? 1 : 0;
    }
    EXPECT_EQ(labels, 3) << "ticks at 2, 5 and 10 on a log axis from 2 to 15";
}

TEST(DrawChart, TheChartWindowOpensWhollyInsideTheMainWindow)
{
    QWidget frame;
    frame.setGeometry(300, 200, 1000, 700);
    frame.show();
    const Profiles p = profiles(12, 12000);
    QRect placed;
    graphs::Graphics::setModalRunner([&](frmChart& w) {
        w.show();
        QApplication::processEvents();
        placed = w.frameGeometry();
    });
    graphs::Graphics::PlotExpressionProfiles(p.times, p.loci, p.values, &frame);
    graphs::Graphics::setModalRunner({});
    EXPECT_TRUE(frame.frameGeometry().contains(placed))
        << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
}

TEST(frmChart, HorizontalZoomWidensTheChartAndTheBarScrollsIt)
{
    Window win;
    const graphs::ChartFrame f = win.w.frame();
    win.click("ChtZoomH");
    const double expected = std::min(std::nearbyint(f.windowWidth * 1.5), 32767.0);
    EXPECT_NEAR(win.w.MSChart1().width(), expected / 15, 1);
    EXPECT_GT(win.w.HScroll1().maximum(), 0);
    EXPECT_LT(win.w.HScroll1().y() + win.w.HScroll1().height(), win.w.centralWidget()->height() + 1);
    win.w.HScroll1().setValue(300);
    EXPECT_EQ(win.w.MSChart1().x(), -20);
    win.click("ChtZoomH");  // not cumulative
    EXPECT_NEAR(win.w.MSChart1().width(), expected / 15, 1);
}

TEST(frmChart, RepeatedVerticalZoomStopsAtTheScreen)
{
    Window win;
    const int screenHeight = win.w.screen()->availableGeometry().height();
    int last = win.w.frameGeometry().height();
    win.click("ChtZoomInV");
    EXPECT_GT(win.w.frameGeometry().height(), last);
    for (int i = 0; i < 40; ++i) {
        win.click("ChtZoomInV");
        EXPECT_LE(win.w.frameGeometry().height(), std::max(screenHeight, last) + 1);
    }
    last = win.w.frameGeometry().height();
    win.click("ChtZoomInV");
    EXPECT_EQ(win.w.frameGeometry().height(), last);
}

TEST(frmChart, NormalViewPlacesWindowAndChart)
{
    Window win;
    win.click("ChtNormalView");
    EXPECT_EQ(win.w.frameGeometry().topLeft(), QPoint(13, 13));
    EXPECT_EQ(win.w.MSChart1().pos(), QPoint(20, 27));
    const QRect screen = win.w.screen()->geometry();
    EXPECT_NEAR(win.w.frameGeometry().width(), (screen.width() * 15 - 1000) / 15.0, 1);
}

TEST(frmChart, HelpItemsShowTheirTopicAndWriteNothing)
{
    Window win;
    win.click("HelpRotation");
    win.click("ChartExcel");
    ASSERT_EQ(win.boxes.calls().size(), 2u);
    EXPECT_EQ(win.boxes.calls()[0].title, "Chart Tool");
    EXPECT_EQ(win.boxes.calls()[0].text.rfind("3D Rotation", 0), 0u);
    EXPECT_EQ(win.boxes.calls()[1].text.rfind("Export Chart Data to Excel", 0), 0u);
}

TEST(frmChart, ExitClosesTheWindowAndResetsTheZoom)
{
    Window win;
    bool closed = false;
    QObject::connect(&win.w, &frmChart::closed, [&] { closed = true; });
    EXPECT_DOUBLE_EQ(win.w.horizontalZoomFactor(), 1.5);
    win.click("ChartExit");
    EXPECT_TRUE(closed);
    EXPECT_FALSE(win.w.isVisible());
    EXPECT_DOUBLE_EQ(win.w.horizontalZoomFactor(), 1.0);
    EXPECT_DOUBLE_EQ(win.w.verticalZoomFactor(), 1.0);
}

TEST(frmChart, Screenshots)
{
    const char* dir = std::getenv("TESSARAY_SCREENSHOT_DIR");
    if (dir == nullptr) {
        GTEST_SKIP() << "set TESSARAY_SCREENSHOT_DIR to a folder to take the pictures";
    }
    {
        Window win("2DLINE", 12);
        win.w.resize(1000, 640);
        QApplication::processEvents();
        win.w.grab().save(QString::fromLocal8Bit(dir) + "/chart-2d-line-12-profiles.png");
    }
    {
        Window win("3DBAR", 5);
        win.w.resize(1000, 640);
        QApplication::processEvents();
        win.w.grab().save(QString::fromLocal8Bit(dir) + "/chart-3d-bar.png");
    }
}
