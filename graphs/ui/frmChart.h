#pragma once

// frmChart: the chart window "Chart Tool". It holds the chart control (a
// ChartView), two scroll bars that slide a chart larger than the window under
// it, and the menus that change the chart: chart type, line width, log Y,
// axis ranges, tick counts and titles, legend, zoom, copy and print.
//
// Each menu item is a QAction named as its item (ChartCopy, Cht2DLine, ...)
// so that tests find and trigger it. Handlers that talk to the chart control
// or the printer run guarded: an error goes to the error reporter, whose
// Abort, Retry or Ignore decides what follows. The input-box items change
// nothing when the box is cancelled or its answer is not a number.
//
// Lengths are twips (15 to a pixel) where the layout rules are concerned
// (graphs/ChartLayout.h).

#include <QMainWindow>

#include "graphs/ChartLayout.h"
#include "platform/widgets/chart/ChartModel.h"

class QAction;
class QScrollBar;

namespace platform {
class ChartView;
}

namespace graphs {

class frmChart : public QMainWindow {
    Q_OBJECT
public:
    explicit frmChart(QWidget* parent = nullptr);
    ~frmChart() override;

    [[nodiscard]] platform::ChartView& MSChart1() const noexcept { return *m_chart; }
    [[nodiscard]] platform::ChartModel& chart() const;
    [[nodiscard]] QScrollBar& HScroll1() const noexcept { return *m_hScroll; }
    [[nodiscard]] QScrollBar& VScroll1() const noexcept { return *m_vScroll; }
    // The menu item of that name, or null.
    [[nodiscard]] QAction* item(const QString& name) const;

    [[nodiscard]] double verticalZoomFactor() const noexcept { return m_vZoom; }
    [[nodiscard]] double horizontalZoomFactor() const noexcept { return m_hZoom; }
    // The window's outer size and client area now, in twips.
    [[nodiscard]] ChartFrame frame() const;

    // Click handlers, by item name.
    void ChartCopy_Click();
    void ChartPrint_Click();
    void ChartExit_Click();
    void LegendShow_Click();
    void LegendHide_Click();
    void ChtLineWid_Click(int width);
    void EditMinX_Click();
    void EditMaxX_Click();
    void ChartEditXTicks_Click();
    void EditXLabel_Click();
    void EditMinZ_Click();
    void EditMaxZ_Click();
    void ChartEditYTicks_Click();
    void EditZLabel_Click();
    void ChtZoomH_Click();
    void ChtZoomInV_Click();
    void ChtNormalView_Click();
    void ChartType_Click(int type);
    void ChtToggleLogY_Click();
    void HelpRotation_Click();
    void ChartExcel_Click();

signals:
    // The window was closed (its close box or Exit).
    void closed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void Form_Resize();
    void applyPlace(const ChartPlace& place);
    void editRange(int axis, bool maximum, const char* prompt);
    void editTicks(int axis, const char* prompt);
    void editTitle(int axis, const char* prompt);
    void showHelpTopic(int context);
    void changed();

    platform::ChartView* m_chart = nullptr;
    QWidget* m_client = nullptr;
    QScrollBar* m_hScroll = nullptr;
    QScrollBar* m_vScroll = nullptr;
    ChartPlace m_place;
    double m_vZoom = 1.0;
    double m_hZoom = 1.0;
    QSize m_laidOutFor;
};

} // namespace graphs
