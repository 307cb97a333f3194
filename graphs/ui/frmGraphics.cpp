#include "graphs/ui/frmGraphics.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPrinter>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <optional>

#include "graphs/AxisScaler.h"
#include "graphs/ChartLayout.h"
#include "graphs/GraphZoom.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "platform/print/QtPrinter.h"
#include "platform/runtime/Convert.h"
#include "platform/widgets/graph/GraphView.h"
#include "shell/core/FileUtil.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/mQuorin.h"

namespace graphs {

namespace {

constexpr const char* Title = "Graph Tool";

// An input box whose empty answer (also Cancel) means "change nothing".
std::optional<std::string> ask(const std::string& prompt, const std::string& title, const std::string& proposed)
{
    std::string answer = platform::dialogs().InputBox(prompt, title, proposed);
    if (answer.find_first_not_of(" \t") == std::string::npos) {
        return std::nullopt;
    }
    return answer;
}

// "minimum value for the X-axis": the box of an axis bound, as its messages name it.
std::string boundName(bool xAxis, bool minimum)
{
    return std::string(minimum ? "minimum" : "maximum") + " value for the " + (xAxis ? "X" : "Y") + "-axis";
}

} // namespace

frmGraphics::frmGraphics(QWidget* parent)
    : QMainWindow(parent), m_scroll(new QScrollArea()), m_picture(new QWidget()),
      m_graph(new platform::GraphView(m_picture)), m_frPickVar(new QGroupBox(QStringLiteral("Pick variables to plot"))),
      m_lstVar(new QListWidget()), m_cmdRePlot(new QPushButton(QStringLiteral("Re-Plot"))),
      m_cmdQuit(new QPushButton(QStringLiteral("Cancel"))), m_leftOffNote(new QLabel())
{
    setObjectName(QStringLiteral("frmGraphics"));
    setWindowTitle(QString::fromLatin1(Title));
    m_picture->setObjectName(QStringLiteral("Picture1"));
    m_graph->setObjectName(QStringLiteral("Graph1"));
    auto* pictureLayout = new QVBoxLayout(m_picture);
    pictureLayout->setContentsMargins(0, 0, 0, 0);
    pictureLayout->addWidget(m_graph);
    m_scroll->setWidget(m_picture);
    m_scroll->setWidgetResizable(false);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    m_frPickVar->setObjectName(QStringLiteral("frPickVar"));
    m_lstVar->setObjectName(QStringLiteral("lstVar"));
    m_lstVar->setSelectionMode(QAbstractItemView::MultiSelection);
    m_cmdRePlot->setObjectName(QStringLiteral("cmdRePlot"));
    m_cmdQuit->setObjectName(QStringLiteral("cmdQuit"));
    auto* pickLayout = new QVBoxLayout(m_frPickVar);
    pickLayout->addWidget(m_lstVar);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(m_cmdQuit);
    buttons->addWidget(m_cmdRePlot);
    pickLayout->addLayout(buttons);
    m_frPickVar->setFixedWidth(220);
    m_frPickVar->hide();

    auto* central = new QWidget();
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(m_frPickVar);
    setCentralWidget(central);
    // The status bar stays, two lines high, so that the note coming and
    // going, or taking a second line, does not resize the graph.
    m_leftOffNote->setObjectName(QStringLiteral("LeftOffNote"));
    m_leftOffNote->setWordWrap(true);
    m_leftOffNote->setFixedHeight(2 * m_leftOffNote->fontMetrics().lineSpacing());
    statusBar()->addWidget(m_leftOffNote, 1);

    connect(m_cmdRePlot, &QPushButton::clicked, this, [this] {
        platform::guarded([this](platform::Guard& g) { g.step([this] { cmdRePlot(); }); });
    });
    connect(m_cmdQuit, &QPushButton::clicked, this, [this] {
        platform::guarded([this](platform::Guard& g) { g.step([this] { cmdQuit(); }); });
    });
    buildMenus();
    m_scroll->viewport()->installEventFilter(this);
    resize(900, 650);
    fitPicture();
}

frmGraphics::~frmGraphics() = default;

frmGraphics& frmGraphics::instance()
{
    static QPointer<frmGraphics> window;
    if (window.isNull()) {
        window = new frmGraphics();
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, window.data(), &QObject::deleteLater);
    }
    return *window;
}

QAction* frmGraphics::addItem(QMenu* menu, const char* name, const char* caption, void (frmGraphics::*handler)())
{
    QAction* item = menu->addAction(QString::fromUtf8(caption));
    item->setObjectName(QString::fromLatin1(name));
    if (handler != nullptr) {
        connect(item, &QAction::triggered, this, [this, handler] {
            platform::guarded([this, handler](platform::Guard& g) { g.step([this, handler] { (this->*handler)(); }); });
        });
    }
    return item;
}

void frmGraphics::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("Brisco Graphics"));
    file->setObjectName(QStringLiteral("BriscoGraph"));
    addItem(file, "GraphPrint", "Print", &frmGraphics::GraphPrint);
    addItem(file, "GraphMetafile", "Save file in metafile format", &frmGraphics::GraphMetafile);
    addItem(file, "GraphBitMap", "Save file in bitmap format", &frmGraphics::GraphBitMap);
    file->addSeparator();
    addItem(file, "GraphPickVar", "Select a subset of variables to plot", &frmGraphics::GraphPickVar);
    addItem(file, "GraphRestore", "Restore all variables", &frmGraphics::GraphRestore);
    file->addSeparator();
    addItem(file, "GraphExit", "Exit Graphics Screen", &frmGraphics::GraphExit);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("GraphEdit"));
    addItem(edit, "GEditCopyWMF", "Copy Graph in metafile format", &frmGraphics::GEditCopyWMF);
    addItem(edit, "GEditCopyBMP", "Copy Graph in Bitmap format", &frmGraphics::GEditCopyBMP);
    addItem(edit, "GEditCopyExcel", "Copy data to EXCEL", &frmGraphics::GEditCopyExcel);
    addItem(edit, "GEditBarWidth", "Bar width (0 - 100)", &frmGraphics::GEditBarWidth);
    edit->addSeparator();
    addItem(edit, "GEditLineWidth", "Toggle Line Width", &frmGraphics::GEditLineWidth);
    const auto bound = [this](const char* prompt, bool x, bool min) {
        return [this, prompt, x, min] { editBound(prompt, x, min); };
    };
    const auto connectLambda = [this](QAction* item, std::function<void()> f) {
        connect(item, &QAction::triggered, this, [f] { f(); });
    };
    connectLambda(addItem(edit, "EditMinX", "Set minimum X value", nullptr),
                  bound("Enter the minimum value for X-axis: ", true, true));
    connectLambda(addItem(edit, "EditMaxX", "Set maximum X value", nullptr),
                  bound("Enter the maximum value for X-axis: ", true, false));
    addItem(edit, "EditNumTickX", "Set number of ticks on X", nullptr);
    connectLambda(addItem(edit, "EditNumDigitX", "Set number of digits after decimal on X", nullptr), [this] {
        editDigits("Please enter the number of digits after the decimal for X-axis label: ", true);
    });
    addItem(edit, "EditXLabel", "X axis label", &frmGraphics::EditXLabel);
    QMenu* xpos = edit->addMenu(QStringLiteral("X axis position"));
    xpos->menuAction()->setObjectName(QStringLiteral("EditXPos"));
    connectLambda(addItem(xpos, "EditXPosTop", "Position X axis at Top", nullptr), [this] {
        m_graph->model().setXAxisAtTop(true);
        redraw();
    });
    connectLambda(addItem(xpos, "EditXPosBottom", "Position X axis at bottom", nullptr), [this] {
        m_graph->model().setXAxisAtTop(false);
        redraw();
    });
    edit->addSeparator();
    connectLambda(addItem(edit, "EditMinZ", "Set minimum Y value", nullptr),
                  bound("Enter the minimum value for Y-axis: ", false, true));
    connectLambda(addItem(edit, "EditMaxZ", "Set maximum Y value", nullptr),
                  bound("Enter the maximum value for Y-axis: ", false, false));
    addItem(edit, "EditNumTickZ", "Set number of ticks on Y", nullptr);
    connectLambda(addItem(edit, "EditNumDigitZ", "Set number of digits after decimal on Y", nullptr), [this] {
        editDigits("Please enter the number of digits after the decimal for Y-axis label: ", false);
    });
    addItem(edit, "EditZLabel", "Y axis label", &frmGraphics::EditZLabel);
    addItem(edit, "EditLegend", "Include Legends", &frmGraphics::EditLegend)->setCheckable(true);
    edit->addSeparator()->setObjectName(QStringLiteral("nextDataLabel"));
    QAction* labels = addItem(edit, "EditAddDataLabel", "Include data labels", &frmGraphics::EditAddDataLabel);
    labels->setCheckable(true);
    labels->setEnabled(false);
    addItem(edit, "EditShortenDataLabel", "Truncate data labels", &frmGraphics::EditShortenDataLabel)->setEnabled(false);

    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    view->setObjectName(QStringLiteral("View"));
    QMenu* zoom = view->addMenu(QStringLiteral("Zoom in"));
    zoom->menuAction()->setObjectName(QStringLiteral("ViewZoomIn"));
    addItem(zoom, "ViewZoonInHoriz", "Horizontally", &frmGraphics::ViewZoonInHoriz);
    addItem(zoom, "ViewZoomInVert", "Vertically", &frmGraphics::ViewZoomInVert);
    addItem(view, "ViewNormal", "Normal View", &frmGraphics::ViewNormal);

    QMenu* type = menuBar()->addMenu(QStringLiteral("Graph Type"));
    type->setObjectName(QStringLiteral("GraphType"));
    const struct {
        const char* name;
        const char* caption;
        int code;
    } types[] = {{"GphScatter", "Scatter Plot", 9}, {"GphLine", "Line", 6},     {"GphLogY", "Log Y vs X", 7},
                 {"GphHiLow", "High Low", 11},      {"GphPolar", "Polar", 10},  {"Gph2DBar", "2D Bar", 3},
                 {"Gph3DBAR", "3D Bar", 4},         {"Gph2DPie", "2D Pie", 1},  {"Gph3DPie", "3D Pie", 2},
                 {"GphGantt", "Gantt", 5},          {"GphArea", "Area", 8}};
    for (const auto& t : types) {
        const int code = t.code;
        connectLambda(addItem(type, t.name, t.caption, nullptr), [this, code] { setChartType(code); });
    }

    QMenu* stat = menuBar()->addMenu(QStringLiteral("Statistics"));
    stat->setObjectName(QStringLiteral("GraphStat"));
    const struct {
        const char* name;
        const char* caption;
        int bits;
        bool separatorAfter;
    } stats[] = {{"StatNone", "None", 0, false},
                 {"StatMean", "Mean", 1, false},
                 {"StatMinMax", "Minimum and Maximum", 2, false},
                 {"StatMeanMinMax", "Mean and MinMax", 3, true},
                 {"StatSTD", "Standard Deviation", 4, false},
                 {"StatMeanSTD", "Mean and STD", 5, true},
                 {"StatBestFit", "Least Square Best Fit", 8, false},
                 {"StatBestFitMean", "Best Fit and Mean", 9, false},
                 {"StatBestFitMinMax", "Best Fit and MinMax", 10, false},
                 {"StatBestFitSTD", "BestFit and STD", 12, false},
                 {"StatBestFitSTDMean", "Best Fit, STD and Mean", 13, false}};
    for (const auto& s : stats) {
        const int bits = s.bits;
        connectLambda(addItem(stat, s.name, s.caption, nullptr), [this, bits] { setStatistics(bits); });
        if (s.separatorAfter) {
            stat->addSeparator();
        }
    }
}

QAction* frmGraphics::action(const QString& name) const
{
    return findChild<QAction*>(name);
}

void frmGraphics::redraw()
{
    m_graph->draw();
    const platform::GraphModel& model = m_graph->model();
    const int leftOff = PointsLeftOffLogAxis(model);
    const int total = model.numPoints() * model.numSets();
    std::string note = leftOff > 0 ? LeftOffNote(leftOff, total) : std::string();
    if (model.chartType() == platform::GraphType::LogY) {
        // Bounds set under a linear type stay in the graph for the linear
        // types; the logarithmic axis says what it does in their place.
        const platform::LogAxisRange range = platform::LogYAxisRange(model);
        const platform::GraphAxisSettings& y = model.axis(platform::GraphAxis::Y);
        const auto tell = [&note](bool minimum, bool kept, double bound, double instead) {
            if (!kept) {
                note += (note.empty() ? "" : " ") + LogBoundNote(minimum, bound, instead);
            }
        };
        tell(true, range.minKept, y.min, range.lo);
        tell(false, range.maxKept, y.max, range.hi);
    }
    m_leftOffNote->setText(QString::fromStdString(note));
    m_leftOffNote->setToolTip(m_leftOffNote->text());  // whole also where a narrow window cuts it
}

void frmGraphics::DrawGraph(const std::vector<double>& XValues, const std::vector<std::vector<double>>& Data,
                            std::int32_t& NumPoints, std::int32_t& NumSets, const std::string& XTitle,
                            const std::string& YTitle, std::string& ChartType,
                            const std::vector<std::string>* SetLabels, bool XNegative, bool YNegative,
                            const std::vector<std::string>* PointLabels)
{
    const DrawGraphResult result = graphs::DrawGraph(m_graph->model(), m_state, XValues, Data, NumPoints, NumSets,
                                                     XTitle, YTitle, ChartType, SetLabels, XNegative, YNegative,
                                                     PointLabels);
    m_fullLabels.clear();
    if (result.pointLabelsGiven) {
        m_fullLabels.assign(PointLabels->begin(), PointLabels->begin() + m_graph->model().numPoints());
        action(QStringLiteral("EditAddDataLabel"))->setEnabled(true);
        action(QStringLiteral("EditShortenDataLabel"))->setEnabled(true);
    }
    // The check mark follows the labels of this drawing, not of the last one.
    action(QStringLiteral("EditAddDataLabel"))->setChecked(result.pointLabelsGiven);
    action(QStringLiteral("EditShortenDataLabel"))->setEnabled(result.pointLabelsGiven);
    action(QStringLiteral("EditLegend"))->setChecked(m_graph->model().hasLegend());
    setAccessibleDescription(QString::fromStdString(YTitle));
    // A new drawing is shown whole: the zoom of the one before is undone, the
    // picture takes the client area and the zoom steps start again as after
    // a resize.
    fitPicture();
    m_state.ZoomFactorV = ResizeZoomFactorV;
    m_state.ZoomFactorH = ResizeZoomFactorH;
    redraw();
}

void frmGraphics::Graph2To3(const std::vector<double>& XValues, const std::vector<double>& YValues,
                            std::int32_t NumPoints, const std::string& XTitle, const std::string& YTitle,
                            std::string& ChartType, bool XNegative, bool YNegative,
                            const std::vector<std::string>* PointLabels)
{
    if (NumPoints < 0 || YValues.size() < static_cast<std::size_t>(NumPoints)) {
        throw platform::Error::runtime(platform::err::Subscript, "Graph2To3");
    }
    std::vector<std::vector<double>> table(static_cast<std::size_t>(NumPoints));
    for (std::size_t p = 0; p < table.size(); ++p) {
        table[p] = {YValues[p]};
    }
    std::int32_t sets = 1;
    DrawGraph(XValues, table, NumPoints, sets, XTitle, YTitle, ChartType, nullptr, XNegative, YNegative, PointLabels);
}

void frmGraphics::setChartType(int code)
{
    m_graph->model().setChartType(code);
    redraw();
}

void frmGraphics::setStatistics(int bits)
{
    m_graph->model().setStatistics(bits);
    redraw();
}

void frmGraphics::editBound(const char* prompt, bool xAxis, bool minimum)
{
    const std::optional<std::string> answer = ask(prompt, Title, "");
    if (!answer) {
        return;
    }
    // A typing mistake is told plainly and changes nothing.
    const platform::rt::FieldNumber typed = platform::rt::ReadNumber(*answer);
    if (!typed.isNumber()) {
        (void)platform::dialogs().MsgBox(typed.isOutOfRange() ? BoundOutOfRangeMessage(xAxis, minimum, typed.isTooLarge())
                                                              : NotANumberMessage(xAxis, minimum),
                                         platform::mb::Exclamation, Title);
        return;
    }
    const std::optional<double> value = typed.value;
    const auto axis = xAxis ? platform::GraphAxis::X : platform::GraphAxis::Y;
    // The graph shows no other axis than the one asked for: bounds out of
    // order, or too far apart to draw, are told and change nothing.
    const platform::GraphAxisSettings& now = m_graph->model().axis(axis);
    const double other = minimum ? now.max : now.min;
    // A logarithmic Y axis shows values above 0 only.
    const bool logarithmic = !xAxis && m_graph->model().chartType() == platform::GraphType::LogY;
    if (logarithmic && !(*value > 0)) {
        (void)platform::dialogs().MsgBox(NotPositiveOnLogAxisMessage(minimum), platform::mb::Exclamation, Title);
        return;
    }
    const AxisBounds bounds =
        CheckAxisBounds(minimum ? *value : other, minimum ? other : *value, now.ticks, now.format, logarithmic);
    if (bounds != AxisBounds::Drawable) {
        (void)platform::dialogs().MsgBox(
            bounds == AxisBounds::NotIncreasing ? BoundsOutOfOrderMessage(xAxis, minimum, other)
            : bounds == AxisBounds::TooShort
                ? BoundsTooCloseMessage(xAxis, minimum, other)
                : BoundsTooFarApartMessage(xAxis, minimum, other, LargestAxisSpan(now.ticks)),
            platform::mb::Exclamation, Title);
        return;
    }
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            if (minimum) {
                m_graph->model().setAxisMin(axis, *value);
            } else {
                m_graph->model().setAxisMax(axis, *value);
            }
        });
        g.step([&] { redraw(); });
    });
}

void frmGraphics::editDigits(const char* prompt, bool xAxis)
{
    const std::optional<std::string> answer = ask(prompt, "Waiting...", "3");
    if (!answer) {
        return;
    }
    // The count is the typed number to the nearest whole one (halves to even).
    const platform::rt::FieldNumber number = platform::rt::ReadNumber(*answer);
    std::optional<double> typed;
    if (number.isNumber() || number.isOutOfRange()) {
        typed = platform::rt::RoundHalfEven(number.value);
    }
    if (typed && *typed > MaxLabelDigits) {
        (void)platform::dialogs().MsgBox(DigitsTooLargeMessage(xAxis), platform::mb::Exclamation, Title);
        return;
    }
    if (!typed || number.isOutOfRange()) {
        (void)platform::dialogs().MsgBox(DigitsNotANumberMessage(xAxis), platform::mb::Exclamation, Title);
        return;
    }
    if (*typed < 0) {
        return;  // a negative count changes nothing
    }
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            m_graph->model().setLabelFormat(xAxis ? platform::GraphAxis::X : platform::GraphAxis::Y,
                                            DigitsFormat(static_cast<std::int16_t>(*typed)));
        });
        g.step([&] { redraw(); });
    });
}

std::string frmGraphics::NotANumberMessage(bool xAxis, bool minimum)
{
    return "The " + boundName(xAxis, minimum) + " must be a number, such as 0, 2.5 or -10. The graph is unchanged.";
}

std::string frmGraphics::BoundOutOfRangeMessage(bool xAxis, bool minimum, bool tooLarge)
{
    return "The " + boundName(xAxis, minimum) + " is too " +
           (tooLarge ? "large: it can be at most " : "small: it can be at least -") +
           platform::rt::LargestNumberText() + ". The graph is unchanged.";
}

std::string frmGraphics::BoundsOutOfOrderMessage(bool xAxis, bool minimum, double other)
{
    const std::string otherBound = minimum ? "maximum" : "minimum";
    return "The " + boundName(xAxis, minimum) + " must be " + (minimum ? "less" : "more") + " than the " + otherBound +
           ", " + platform::rt::CStr(other) + "; to move the axis past it, set the " + otherBound +
           " first. The graph is unchanged.";
}

std::string frmGraphics::BoundsTooFarApartMessage(bool xAxis, bool minimum, double other, double largest)
{
    return "The " + boundName(xAxis, minimum) + " is too far from the " + (minimum ? "maximum, " : "minimum, ") +
           platform::rt::CStr(other) + ": the two can be at most " + platform::rt::CStr(largest) +
           " apart. The graph is unchanged.";
}

std::string frmGraphics::BoundsTooCloseMessage(bool xAxis, bool minimum, double other)
{
    return "The " + boundName(xAxis, minimum) + " is too close to the " + (minimum ? "maximum, " : "minimum, ") +
           platform::rt::CStr(other) + ": the axis between them would be too short to draw with labels that tell "
           "its ticks apart. The graph is unchanged.";
}

std::string frmGraphics::NotPositiveOnLogAxisMessage(bool minimum)
{
    return "The " + boundName(false, minimum) +
           " must be more than 0: a logarithmic Y axis cannot show values of 0 or less. The graph is unchanged.";
}

std::string frmGraphics::LeftOffNote(int leftOff, int total)
{
    return std::to_string(leftOff) + " of " + std::to_string(total) + (leftOff == 1 ? " points is" : " points are") +
           " not shown: a logarithmic Y axis cannot show values of 0 or less.";
}

std::string frmGraphics::LogBoundNote(bool minimum, double bound, double instead)
{
    return "The " + boundName(false, minimum) + ", " + platform::rt::CStr(bound) + ", is 0 or less: the axis " +
           (minimum ? "starts" : "ends") + " at " + platform::rt::CStr(instead) + " instead.";
}

std::string frmGraphics::DigitsTooLargeMessage(bool xAxis)
{
    return std::string("The number of digits after the decimal for the ") + (xAxis ? "X" : "Y") +
           "-axis label is too large: it can be at most " + std::to_string(MaxLabelDigits) +
           ". The graph is unchanged.";
}

std::string frmGraphics::DigitsNotANumberMessage(bool xAxis)
{
    return std::string("The number of digits after the decimal for the ") + (xAxis ? "X" : "Y") +
           "-axis label must be a whole number from 0 to " + std::to_string(MaxLabelDigits) +
           ". The graph is unchanged.";
}

void frmGraphics::editAxisTitle(const char* prompt, platform::GraphAxis axis, std::string& kept)
{
    const auto answer = ask(prompt, "", "");
    if (!answer) {
        return;
    }
    kept = *answer;
    m_graph->model().setAxisTitle(axis, *answer);
    redraw();
}

void frmGraphics::EditXLabel()
{
    editAxisTitle("Enter the label for the X axis:", platform::GraphAxis::X, m_state.XLabelText);
}

void frmGraphics::EditZLabel()
{
    editAxisTitle("Enter the label for the Y axis:", platform::GraphAxis::Y, m_state.YLabelText);
}

void frmGraphics::EditLegend()
{
    platform::GraphModel& model = m_graph->model();
    model.clearLegendTexts();
    // The item's check mark was toggled by the click itself.
    if (action(QStringLiteral("EditLegend"))->isChecked()) {
        const std::vector<std::string>& names =
            m_state.Subsets.isSubsetShown() ? m_state.Subsets.pickedSetNames() : m_state.SetNames;
        const int count = std::min(static_cast<int>(names.size()), model.numSets());
        for (int i = 0; i < count; ++i) {
            model.setLegendText(i, names[static_cast<std::size_t>(i)]);
        }
    }
    redraw();
}

void frmGraphics::EditAddDataLabel()
{
    const bool on = action(QStringLiteral("EditAddDataLabel"))->isChecked();
    action(QStringLiteral("EditShortenDataLabel"))->setEnabled(on);
    m_graph->model().setDataLabelsVisible(on);
    redraw();
}

void frmGraphics::EditShortenDataLabel()
{
    const auto answer = ask("How many characters to keep in the label?", "Data label option", "2");
    if (!answer) {
        return;
    }
    // The typed number to the nearest 32-bit count; a larger one is refused.
    const double typed = platform::rt::RoundHalfEven(platform::rt::ReadLeadingNumber(*answer).value);
    if (typed > MaxLabelKeep) {
        (void)platform::dialogs().MsgBox("The number of characters to keep in the label is too large: it can be at "
                                         "most " +
                                             std::to_string(MaxLabelKeep) + ". The graph is unchanged.",
                                         platform::mb::Exclamation, Title);
        return;
    }
    if (typed < 0) {
        return;
    }
    const auto keep = static_cast<std::int32_t>(typed);
    platform::GraphModel& model = m_graph->model();
    model.setDataLabelsVisible(true);
    // Cut from the labels as given, so that a longer cut later brings
    // characters back.
    for (int p = 0; p < model.numPoints(); ++p) {
        const std::string& full =
            static_cast<std::size_t>(p) < m_fullLabels.size() ? m_fullLabels[static_cast<std::size_t>(p)] : model.pointLabel(p);
        model.setPointLabel(p, QString::fromStdString(full).left(keep).toStdString());
        model.setPointLabelStyle(p, 4);
    }
    redraw();
}

void frmGraphics::GEditBarWidth()
{
    const auto answer = ask(
        "Enter an integer between 0 and 100 (0 for putting bars next to each other and 100 makes bars infinitely "
        "thin.)",
        "Bar Width", "10");
    if (!answer) {
        return;
    }
    const platform::rt::FieldNumber typed = platform::rt::ReadNumber(*answer);
    if (!typed.isNumber() && !typed.isTooLarge()) {
        return;
    }
    const double width = std::floor(typed.value);
    if (width > MaxBarWidth) {
        (void)platform::dialogs().MsgBox("The bar width is too large: it can be at most " +
                                             std::to_string(MaxBarWidth) + ". The graph is unchanged.",
                                         platform::mb::Exclamation, Title);
        return;
    }
    if (width < 0) {
        return;
    }
    m_graph->model().setBarGap(static_cast<int>(width));
    redraw();
}

void frmGraphics::GEditLineWidth()
{
    m_graph->model().setThickLines(!m_graph->model().thickLines());
    redraw();
}

void frmGraphics::GEditCopyBMP()
{
    m_graph->copyBitmap();
}

void frmGraphics::GEditCopyWMF()
{
    m_graph->copyVector();
}

void frmGraphics::GEditCopyExcel()
{
    platform::PlotView::copyText(QString::fromStdString(GraphTabText(m_state, m_graph->model())));
}

void frmGraphics::GraphPrint()
{
    // One page on the program's printer (a PDF file where there is none).
    const std::unique_ptr<QPrinter> device = platform::PrintTarget::jobPrinter(QString::fromLatin1(Title));
    if (!device) {
        return;
    }
    device->setPageOrientation(m_graph->width() >= m_graph->height() ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (!m_graph->print(*device)) {
        throw platform::Error(platform::err::PrinterError, "GraphPrint", "Unable to print the graph.");
    }
}

void frmGraphics::saveFile(bool metafile)
{
    const std::string path = FileUtil::GetDlgFileName("Save metafile ......", metafile ? "emf" : "bmp",
                                                      m_commonDialog, 2, mQuorin::Program().gOutDir, "");
    if (path.empty()) {
        return;
    }
    const QString file = QString::fromStdString(path);
    const bool written = metafile ? m_graph->saveMetafile(file) : m_graph->saveBitmap(file);
    if (!written) {
        throw platform::Error(platform::err::PathFileAccess, metafile ? "GraphMetafile" : "GraphBitMap",
                              "Unable to write " + path + ".");
    }
}

void frmGraphics::GraphMetafile()
{
    saveFile(true);
}

void frmGraphics::GraphBitMap()
{
    saveFile(false);
}

void frmGraphics::GraphPickVar()
{
    m_lstVar->clear();
    const platform::GraphModel& model = m_graph->model();
    for (int s = 0; s < model.numSets(); ++s) {
        std::string name = model.legendText(s);
        if (name.empty()) {
            const auto& names = m_state.Subsets.isSubsetShown() ? m_state.Subsets.pickedSetNames() : m_state.SetNames;
            if (static_cast<std::size_t>(s) < names.size()) {
                name = names[static_cast<std::size_t>(s)];
            }
        }
        m_lstVar->addItem(QString::fromStdString(name));
    }
    m_frPickVar->show();
}

void frmGraphics::GraphRestore()
{
    (void)m_state.Subsets.Restore(m_graph->model());
    redraw();
}

void frmGraphics::GraphExit()
{
    close();
}

void frmGraphics::cmdRePlot()
{
    std::vector<int> chosen;
    for (int i = 0; i < m_lstVar->count(); ++i) {
        if (m_lstVar->item(i)->isSelected()) {
            chosen.push_back(i);
        }
    }
    if (chosen.empty()) {
        (void)platform::dialogs().MsgBox(
            "Please select variables in the list by highlighting them. Then click the Re-Plot button.",
            platform::mb::Information, "Help");
        return;
    }
    m_state.Subsets.RePlot(m_graph->model(), chosen);
    m_lstVar->clear();
    m_frPickVar->hide();
    redraw();
}

void frmGraphics::cmdQuit()
{
    m_lstVar->clear();
    m_frPickVar->hide();
    redraw();
}

void frmGraphics::fitPicture()
{
    m_picture->resize(m_scroll->viewport()->size());
}

void frmGraphics::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (isMinimized()) {
        return;
    }
    m_fitPending = true;
    fitPicture();
    m_state.ZoomFactorV = ResizeZoomFactorV;
    m_state.ZoomFactorH = ResizeZoomFactorH;
}

bool frmGraphics::eventFilter(QObject* watched, QEvent* event)
{
    // The client area gets its size after the window's own resize event:
    // the picture follows it then. Scroll bars coming and going after a zoom
    // do not undo the zoom.
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize && m_fitPending) {
        m_fitPending = false;
        fitPicture();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmGraphics::ViewZoonInHoriz()
{
    const double twips = 1440.0 / logicalDpiX();
    const auto toTwips = [twips](int pixels) { return static_cast<std::int32_t>(pixels * twips); };
    const HorizontalZoom zoom =
        ZoomHorizontally(toTwips(m_picture->width()), toTwips(m_scroll->viewport()->width()), m_state.ZoomFactorH);
    if (zoom.capped) {
        (void)platform::dialogs().MsgBox("Maximum width reached.", platform::mb::Information,
                                         shell::ProgramInfo::Title);
    }
    m_picture->resize(static_cast<int>(zoom.width / twips), m_picture->height());
}

void frmGraphics::ViewZoomInVert()
{
    const QSize client = m_scroll->viewport()->size();
    m_picture->resize(client.width(), static_cast<int>(client.height() * m_state.ZoomFactorV));
    // The taller window runs the resize rule (which sets the factors back);
    // the window never grows past the screen.
    int height = static_cast<int>(this->height() * 1.1);
    if (const QScreen* s = screen()) {
        height = std::min(height, s->availableGeometry().height());
    }
    resize(width(), height);
    fitPicture();
    m_state.ZoomFactorV = ResizeZoomFactorV;
    m_state.ZoomFactorH = ResizeZoomFactorH;
    m_state.ZoomFactorV *= 1.2;
}

void frmGraphics::ViewNormal()
{
    const double pixelsPerTwip = logicalDpiX() / 1440.0;
    const int margin = static_cast<int>(1000 * pixelsPerTwip);
    move(static_cast<int>(200 * pixelsPerTwip), static_cast<int>(200 * pixelsPerTwip));
    if (const QScreen* s = screen()) {
        resize(s->availableGeometry().width() - margin, s->availableGeometry().height() - margin);
    }
    fitPicture();
}

void frmGraphics::closeEvent(QCloseEvent* event)
{
    m_state.ZoomFactorV = 1.0;
    m_state.ZoomFactorH = 1.0;
    m_frPickVar->hide();
    event->accept();
}

} // namespace graphs
