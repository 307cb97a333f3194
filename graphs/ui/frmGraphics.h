#pragma once

// frmGraphics: the window "Graph Tool". The principal component and
// correspondence dialogs plot two score columns through Graph2To3; any
// table of sets goes through DrawGraph. The user then changes the chart
// type, statistics overlays, axes, labels, legend and widths from the
// menus, picks a subset of the sets to re-plot and restores them, zooms and
// scrolls, copies the graph (bitmap, vector, data text), saves it as a
// bitmap or a metafile and prints it.
//
// One window serves the whole program (instance()); its fields keep their
// values from one drawing to the next, also when the window has been closed
// in between. Every command runs guarded: its errors go to the program's
// error reporter (Abort, Retry, Ignore). An empty or cancelled input box
// changes nothing.
//
// Menu items and controls carry the names they have in the program's
// design (object names "GphScatter", "GEditBarWidth", "cmdRePlot", ...), so
// tests and callers find them by name.

#include <QMainWindow>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "graphs/GraphDraw.h"
#include "platform/dialogs/CommonDialog.h"

class QAction;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollArea;

namespace platform {
class GraphView;
enum class GraphAxis;
}

namespace graphs {

class frmGraphics : public QMainWindow {
    Q_OBJECT
public:
    explicit frmGraphics(QWidget* parent = nullptr);
    ~frmGraphics() override;

    // The program's one graph window, created on first use.
    [[nodiscard]] static frmGraphics& instance();

    // See graphs::DrawGraph; errors pass to the caller.
    void DrawGraph(const std::vector<double>& XValues, const std::vector<std::vector<double>>& Data,
                   std::int32_t& NumPoints, std::int32_t& NumSets, const std::string& XTitle, const std::string& YTitle,
                   std::string& ChartType, const std::vector<std::string>* SetLabels, bool XNegative, bool YNegative,
                   const std::vector<std::string>* PointLabels);
    void Graph2To3(const std::vector<double>& XValues, const std::vector<double>& YValues, std::int32_t NumPoints,
                   const std::string& XTitle, const std::string& YTitle, std::string& ChartType, bool XNegative,
                   bool YNegative, const std::vector<std::string>* PointLabels);

    [[nodiscard]] platform::GraphView& graph() noexcept { return *m_graph; }
    [[nodiscard]] const GraphWindowState& state() const noexcept { return m_state; }
    // A menu item or control by its design name; null when there is none.
    [[nodiscard]] QAction* action(const QString& name) const;
    [[nodiscard]] QGroupBox* pickPanel() const noexcept { return m_frPickVar; }
    [[nodiscard]] QListWidget* pickList() const noexcept { return m_lstVar; }
    [[nodiscard]] QPushButton* rePlotButton() const noexcept { return m_cmdRePlot; }
    [[nodiscard]] QPushButton* quitButton() const noexcept { return m_cmdQuit; }
    [[nodiscard]] QScrollArea* scrollArea() const noexcept { return m_scroll; }
    [[nodiscard]] QWidget* picture() const noexcept { return m_picture; }
    // The line under the graph that says how many points a logarithmic axis
    // leaves out, and which bounds of the Y axis it cannot use and what it
    // takes instead, while it does; empty otherwise.
    [[nodiscard]] QLabel* leftOffNote() const noexcept { return m_leftOffNote; }

    // The boxes that refuse an axis bound or a digit count that is not a
    // number (or more digits than a double holds): they name the field and
    // what it takes.
    static constexpr int MaxLabelDigits = 15;
    static constexpr int MaxBarWidth = 100;
    static constexpr std::int32_t MaxLabelKeep = std::numeric_limits<std::int32_t>::max();
    [[nodiscard]] static std::string NotANumberMessage(bool xAxis, bool minimum);
    // A typed bound beyond the range of a double, above it or (tooLarge
    // false) below it.
    [[nodiscard]] static std::string BoundOutOfRangeMessage(bool xAxis, bool minimum, bool tooLarge);
    // A typed bound at or beyond the other bound of its axis (`other`).
    [[nodiscard]] static std::string BoundsOutOfOrderMessage(bool xAxis, bool minimum, double other);
    // A typed bound so far from the other that the axis between them is too
    // long to draw: longer than `largest`.
    [[nodiscard]] static std::string BoundsTooFarApartMessage(bool xAxis, bool minimum, double other, double largest);
    // A typed bound so close to the other that the axis between them cannot
    // be drawn, or its labels would read alike.
    [[nodiscard]] static std::string BoundsTooCloseMessage(bool xAxis, bool minimum, double other);
    // A Y bound of 0 or less typed while the Y axis is logarithmic.
    [[nodiscard]] static std::string NotPositiveOnLogAxisMessage(bool minimum);
    // The note under a logarithmic graph: how many of its points it leaves
    // out, and why.
    [[nodiscard]] static std::string LeftOffNote(int leftOff, int total);
    // The sentence of that note for a bound of the Y axis that a logarithmic
    // axis cannot use (0 or less), with the value the axis takes instead.
    [[nodiscard]] static std::string LogBoundNote(bool minimum, double bound, double instead);
    [[nodiscard]] static std::string DigitsTooLargeMessage(bool xAxis);
    [[nodiscard]] static std::string DigitsNotANumberMessage(bool xAxis);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* addItem(QMenu* menu, const char* name, const char* caption, void (frmGraphics::*handler)());
    void buildMenus();
    void redraw();
    void setChartType(int code);
    void setStatistics(int bits);
    void editBound(const char* prompt, bool xAxis, bool minimum);
    void editDigits(const char* prompt, bool xAxis);
    // Asks for an axis title; an answer becomes the axis's title and is kept
    // in `kept` (the window's state).
    void editAxisTitle(const char* prompt, platform::GraphAxis axis, std::string& kept);
    void saveFile(bool metafile);
    void fitPicture();

    void GraphPrint();
    void GraphMetafile();
    void GraphBitMap();
    void GraphPickVar();
    void GraphRestore();
    void GraphExit();
    void GEditCopyWMF();
    void GEditCopyBMP();
    void GEditCopyExcel();
    void GEditBarWidth();
    void GEditLineWidth();
    void EditXLabel();
    void EditZLabel();
    void EditLegend();
    void EditAddDataLabel();
    void EditShortenDataLabel();
    void ViewZoonInHoriz();
    void ViewZoomInVert();
    void ViewNormal();
    void cmdRePlot();
    void cmdQuit();

    GraphWindowState m_state;
    std::vector<std::string> m_fullLabels;  // point labels as given, before any truncation
    platform::CommonDialog m_commonDialog;
    QScrollArea* m_scroll;
    QWidget* m_picture;
    platform::GraphView* m_graph;
    QGroupBox* m_frPickVar;
    QListWidget* m_lstVar;
    QPushButton* m_cmdRePlot;
    QPushButton* m_cmdQuit;
    QLabel* m_leftOffNote;
    bool m_fitPending = true;  // the window was resized: the picture takes the client area once it is laid out
};

} // namespace graphs
