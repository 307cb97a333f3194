#include "graphs/ui/frmChart.h"

#include <cmath>

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/runtime/Convert.h"
#include "platform/widgets/chart/ChartExport.h"
#include "platform/widgets/chart/ChartView.h"
#include "shell/core/ProgramInfo.h"

namespace graphs {

namespace {

constexpr double TwipsPerPixel = 15.0;

int px(double twips)
{
    return static_cast<int>(std::lround(twips / TwipsPerPixel));
}

double twips(int pixels)
{
    return pixels * TwipsPerPixel;
}

constexpr const char* CopyExplanation =
    "This method allows you to paste either the chart or the data for the chart into another application. To paste "
    "data into another application, e.g., EXCEL, go to EXCEL now and click Edit|Paste. To paste the picture into "
    "another application, e.g., EXCEL or PowerPoint, go to that application and click 'Edit|Paste Special' and "
    "select the 'Picture' type. If the pasted picture in PowerPoint is too large, click 'Format|Picture and then "
    "the 'Size' tab to reduce the size.";

// The value scale an axis draws now, made manual so that a change of one end
// keeps the other end and the divisions where they were.
void freezeRange(platform::ChartModel& model, int axis)
{
    platform::ChartAxis& a = model.axis(axis);
    if (!a.valueAuto) {
        return;
    }
    const platform::ChartRange r = axis == platform::chartaxis::X ? model.xRange() : model.valueRange();
    a.minimum = r.minimum;
    a.maximum = r.maximum;
    a.majorDivision = static_cast<std::int16_t>(r.divisions);
    a.valueAuto = false;
}

platform::ChartRange shownRange(const platform::ChartModel& model, int axis)
{
    return axis == platform::chartaxis::X ? model.xRange() : model.valueRange();
}

} // namespace

frmChart::frmChart(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle("Chart Tool");
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_client = new QWidget(this);
    setCentralWidget(m_client);
    m_chart = new platform::ChartView(m_client);
    m_hScroll = new QScrollBar(Qt::Horizontal, m_client);
    m_vScroll = new QScrollBar(Qt::Vertical, m_client);
    m_hScroll->setObjectName("HScroll1");
    m_vScroll->setObjectName("VScroll1");
    m_chart->setObjectName("MSChart1");
    connect(m_hScroll, &QScrollBar::valueChanged, this, [this](int value) {
        platform::guarded([&](platform::Guard& g) { g.step([&] { m_chart->move(-px(value), m_chart->y()); }); });
    });
    connect(m_vScroll, &QScrollBar::valueChanged, this, [this](int value) {
        platform::guarded([&](platform::Guard& g) { g.step([&] { m_chart->move(m_chart->x(), -px(value)); }); });
    });
    buildMenus();
    m_client->setMinimumSize(1, 1);
    resize(px(7575), px(5445) + menuBar()->sizeHint().height());
}

frmChart::~frmChart() = default;

platform::ChartModel& frmChart::chart() const
{
    return m_chart->model();
}

QAction* frmChart::item(const QString& name) const
{
    return findChild<QAction*>(name);
}

void frmChart::buildMenus()
{
    auto add = [this](QMenu* menu, const char* name, const char* caption, auto handler) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    QMenu* file = menuBar()->addMenu("Brisco Chart");
    file->setObjectName("ChartFile");
    add(file, "ChartCopy", "Copy", [this] { ChartCopy_Click(); });
    add(file, "ChartPrint", "Print", [this] { ChartPrint_Click(); });
    file->addSeparator();
    add(file, "ChartExit", "Exit Brisco Chart", [this] { ChartExit_Click(); });

    QMenu* edit = menuBar()->addMenu("Edit");
    edit->setObjectName("CharEdit");
    QMenu* legend = edit->addMenu("Legend");
    legend->setObjectName("ChartLegend");
    add(legend, "LegendShow", "Show Legend", [this] { LegendShow_Click(); });
    add(legend, "LegendHide", "Hide Legend", [this] { LegendHide_Click(); });
    QMenu* width = edit->addMenu("Line Width");
    width->setObjectName("ChartLineWid");
    add(width, "ChtLineWid10", "10", [this] { ChtLineWid_Click(10); });
    add(width, "ChtLineWid20", "20", [this] { ChtLineWid_Click(20); });
    add(width, "ChtLineWid30", "30", [this] { ChtLineWid_Click(30); });
    add(edit, "EditMinX", "Set minimum X value", [this] { EditMinX_Click(); });
    add(edit, "EditMaxX", "Set maximum X value", [this] { EditMaxX_Click(); });
    add(edit, "ChartEditXTicks", "Set number of ticks for X-axis", [this] { ChartEditXTicks_Click(); });
    add(edit, "EditXLabel", "X axis label", [this] { EditXLabel_Click(); });
    edit->addSeparator();
    add(edit, "EditMinZ", "Set minimum Y value", [this] { EditMinZ_Click(); });
    add(edit, "EditMaxZ", "Set maximum Y value", [this] { EditMaxZ_Click(); });
    add(edit, "ChartEditYTicks", "Set number of ticks for Y-axis", [this] { ChartEditYTicks_Click(); });
    add(edit, "EditZLabel", "Y axis label", [this] { EditZLabel_Click(); });

    QMenu* view = menuBar()->addMenu("View");
    view->setObjectName("CharView");
    QMenu* zoom = view->addMenu("Zoom in");
    zoom->setObjectName("ChtZoom");
    add(zoom, "ChtZoomH", "Horizontally", [this] { ChtZoomH_Click(); });
    add(zoom, "ChtZoomInV", "Vertically", [this] { ChtZoomInV_Click(); });
    add(view, "ChtNormalView", "NormalView", [this] { ChtNormalView_Click(); });

    QMenu* type = menuBar()->addMenu("Chart Type");
    type->setObjectName("ChartChType");
    using namespace platform::charttype;
    add(type, "Cht3DBar", "3D Bar", [this] { ChartType_Click(Bar3d); });
    add(type, "Cht2DBar", "2D Bar", [this] { ChartType_Click(Bar2d); });
    add(type, "Cht2DLine", "2D Line", [this] { ChartType_Click(Line2d); });
    add(type, "Cht3DLine", "3D Line", [this] { ChartType_Click(Line3d); });
    add(type, "Cht2DPie", "2D Pie", [this] { ChartType_Click(Pie2d); });
    add(type, "Cht2DXY", "2D XY", [this] { ChartType_Click(XY2d); });
    add(type, "ChtToggleLogY", "Toggle Log-Y", [this] { ChtToggleLogY_Click(); });

    QMenu* help = menuBar()->addMenu("Help");
    help->setObjectName("ChartHelp");
    add(help, "HelpRotation", "3D Rotation", [this] { HelpRotation_Click(); });
    add(help, "ChartExcel", "Export Chart Data to Excel", [this] { ChartExcel_Click(); });
}

void frmChart::changed()
{
    m_chart->update();
}

ChartFrame frmChart::frame() const
{
    ChartFrame f;
    const QRect outer = frameGeometry();
    f.windowWidth = twips(outer.width());
    f.windowHeight = twips(outer.height());
    f.scaleWidth = twips(m_client->width());
    f.scaleHeight = twips(m_client->height());
    f.hBarHeight = twips(m_hScroll->sizeHint().height());
    f.vBarWidth = twips(m_vScroll->sizeHint().width());
    return f;
}

void frmChart::applyPlace(const ChartPlace& p)
{
    m_place = p;
    m_chart->resize(px(p.width), px(p.height));
    m_hScroll->setGeometry(px(p.hBar.left), px(p.hBar.top), px(p.hBar.width), px(p.hBar.height));
    m_vScroll->setGeometry(px(p.vBar.left), px(p.vBar.top), px(p.vBar.width), px(p.vBar.height));
    for (auto [bar, place] : {std::pair{m_hScroll, &p.hBar}, std::pair{m_vScroll, &p.vBar}}) {
        bar->setMaximum(place->maximum);
        bar->setSingleStep(place->smallChange);
        bar->setPageStep(place->largeChange);
    }
    m_hScroll->raise();
    m_vScroll->raise();
}

void frmChart::Form_Resize()
{
    m_vZoom = 1.2;
    m_hZoom = 1.5;
    if (isMinimized()) {
        return;
    }
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { applyPlace(ResizeLayout(frame())); });
        m_laidOutFor = m_client->size();
    });
}

void frmChart::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (m_client->size() != m_laidOutFor) {
        Form_Resize();
    }
}

void frmChart::closeEvent(QCloseEvent* event)
{
    m_vZoom = 1.0;
    m_hZoom = 1.0;
    event->accept();
    emit closed();
}

void frmChart::ChartCopy_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { platform::copyChart(chart(), m_chart->size()); });
        g.step([&] {
            (void)platform::dialogs().MsgBox(CopyExplanation, platform::mb::OkOnly | platform::mb::Information,
                                             shell::ProgramInfo::Title);
        });
    });
}

void frmChart::ChartPrint_Click()
{
    platform::guarded([&](platform::Guard& g) { g.step([&] { (void)platform::printChart(chart(), m_chart->size()); }); });
}

void frmChart::ChartExit_Click()
{
    close();
}

void frmChart::LegendShow_Click()
{
    platform::guarded([&](platform::Guard& g) { g.step([&] { chart().setLegendVisible(true); }); });
    changed();
}

void frmChart::LegendHide_Click()
{
    platform::guarded([&](platform::Guard& g) { g.step([&] { chart().setLegendVisible(false); }); });
    changed();
}

void frmChart::ChtLineWid_Click(int width)
{
    platform::guarded([&](platform::Guard& g) { g.step([&] { chart().setPenWidth(1, width); }); });
    changed();
}

void frmChart::ChartType_Click(int type)
{
    platform::guarded([&](platform::Guard& g) { g.step([&] { (void)chart().setChartType(type); }); });
    changed();
}

void frmChart::ChtToggleLogY_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            platform::ChartAxis& y = chart().axis(platform::chartaxis::Y);
            y.scaleType = y.scaleType != 1 ? 1 : 0;
        });
    });
    changed();
}

void frmChart::editRange(int axis, bool maximum, const char* prompt)
{
    const platform::ChartRange shown = shownRange(chart(), axis);
    const std::string answer = platform::dialogs().InputBox(
        prompt, "Input", platform::rt::CStr(maximum ? shown.maximum : shown.minimum));
    const auto value = NumberAnswer(answer);
    if (!value) {
        return;
    }
    freezeRange(chart(), axis);
    platform::ChartAxis& a = chart().axis(axis);
    (maximum ? a.maximum : a.minimum) = *value;
    changed();
}

void frmChart::EditMinX_Click()
{
    editRange(platform::chartaxis::X, false, "Please enter the minimum value for X-axis");
}

void frmChart::EditMaxX_Click()
{
    editRange(platform::chartaxis::X, true, "Please enter the maximum value for X-axis");
}

void frmChart::EditMinZ_Click()
{
    editRange(platform::chartaxis::Y, false, "Please enter the minimum value for Y-axis");
}

void frmChart::EditMaxZ_Click()
{
    editRange(platform::chartaxis::Y, true, "Please enter the maximum value for Y-axis");
}

void frmChart::editTicks(int axis, const char* prompt)
{
    const platform::ChartAxis& a = chart().axis(axis);
    const int divisions = a.valueAuto ? shownRange(chart(), axis).divisions : a.majorDivision;
    const std::string answer = platform::dialogs().InputBox(prompt, "Input", platform::rt::CStr(divisions + 1));
    const auto n = DivisionsForTicks(answer);
    if (!n) {
        return;
    }
    freezeRange(chart(), axis);
    chart().axis(axis).majorDivision = *n;
    changed();
}

void frmChart::ChartEditXTicks_Click()
{
    editTicks(platform::chartaxis::X, "Enter the number of ticks for X-axis");
}

void frmChart::ChartEditYTicks_Click()
{
    editTicks(platform::chartaxis::Y, "Enter the number of ticks for Y-axis");
}

void frmChart::editTitle(int axis, const char* prompt)
{
    const std::string answer = platform::dialogs().InputBox(
        prompt, "Input", platform::rt::CStr(shownRange(chart(), axis).minimum));
    platform::ChartAxis& a = chart().axis(axis);
    a.title = answer;
    changed();
}

void frmChart::EditXLabel_Click()
{
    editTitle(platform::chartaxis::X, "Please enter the label for X-axis");
}

void frmChart::EditZLabel_Click()
{
    editTitle(platform::chartaxis::Y, "Please enter the label for Y-axis");
}

void frmChart::ChtZoomH_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { applyPlace(ZoomHorizontally(frame(), m_place, m_hZoom)); });
    });
}

void frmChart::ChtZoomInV_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            const ChartFrame f = frame();
            m_chart->setGeometry(0, 0, m_client->width(), px(f.scaleHeight * m_vZoom));
        });
        g.step([&] {
            const ChartFrame f = frame();
            const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
            const double screenHeight = s != nullptr ? twips(s->availableGeometry().height()) : f.windowHeight;
            const double h = VerticalZoomHeight(f.windowHeight, screenHeight);
            if (px(h) > px(f.windowHeight)) {
                resize(width(), height() + px(h) - px(f.windowHeight));
                Form_Resize();
            }
        });
        g.step([&] { m_vZoom *= 1.2; });
    });
}

void frmChart::ChtNormalView_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
            const QRect screenRect = s != nullptr ? s->geometry() : QRect(0, 0, 1024, 768);
            const NormalViewPlace n = NormalView(twips(screenRect.width()), twips(screenRect.height()));
            move(px(n.windowLeft), px(n.windowTop));
            const QSize extra = frameGeometry().size() - size();
            resize(px(n.windowWidth) - extra.width(), px(n.windowHeight) - extra.height());
            Form_Resize();
            m_chart->setGeometry(px(n.chartLeft), px(n.chartTop), px(n.chartWidth), px(n.chartHeight));
        });
    });
}

void frmChart::showHelpTopic(int context)
{
    const char* text = context == 93
        ? "3D Rotation\n\nThe 3D Bar and 3D Line charts draw each series in its own row of depth, the first series "
          "in front. Choose a 2D chart type from the Chart Type menu to see every series in one plane."
        : "Export Chart Data to Excel\n\nClick Copy in the Brisco Chart menu: the chart's data go to the clipboard "
          "together with its picture. Then click Edit|Paste in the spreadsheet program.";
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            (void)platform::dialogs().MsgBox(text, platform::mb::OkOnly | platform::mb::Information, "Chart Tool");
        });
    });
}

void frmChart::HelpRotation_Click()
{
    showHelpTopic(93);
}

void frmChart::ChartExcel_Click()
{
    showHelpTopic(99);
}

} // namespace graphs
