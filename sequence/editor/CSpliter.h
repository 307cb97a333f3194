#pragma once

// A vertical splitter bar between two side-by-side panes of a window: the
// pointer turns into the sizing arrow near the gap, a drag moves the gap,
// and a resize lays the panes and their scroll controls out. It sees the
// panes, the window and the scroll controls only through SplitControl, so
// any pair of controls can be split; lengths are in the window's units.

#include <cstdint>

namespace sequence::editor {

class SplitControl {
public:
    virtual ~SplitControl() = default;
    [[nodiscard]] virtual std::int32_t left() const = 0;
    [[nodiscard]] virtual std::int32_t top() const = 0;
    // For the window: its inner width and height.
    [[nodiscard]] virtual std::int32_t width() const = 0;
    [[nodiscard]] virtual std::int32_t height() const = 0;
    virtual void move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) = 0;
    // 1 arrow, 9 west-east sizing arrow.
    virtual void setPointer(int shape) = 0;
};

class CSpliter {
public:
    static constexpr int kArrow = 1;
    static constexpr int kSizeWE = 9;

    CSpliter() = default;
    CSpliter(const CSpliter&) = delete;
    CSpliter& operator=(const CSpliter&) = delete;

    // Lays the panes out over the window's inner area, less the status bar,
    // with the vertical bar right of the right pane and the slider along its
    // bottom. Controls that are null are skipped.
    void FrmResize(SplitControl* statusBar, SplitControl* vScroll, SplitControl* slider);
    void MouseUp() { m_dragging = false; }
    void MouseMove(double x, double y, SplitControl* slider);
    void MouseDown() { m_dragging = true; }

    void setHostForm(SplitControl* form) { m_form = form; }
    void setRightPane(SplitControl* pane) { m_right = pane; }
    [[nodiscard]] SplitControl* RightPane() const { return m_right; }
    void setLeftPane(SplitControl* pane) { m_left = pane; }
    [[nodiscard]] SplitControl* LeftPane() const { return m_left; }
    void setBarWidth(std::int32_t width) { m_barWidth = width; }
    [[nodiscard]] std::int32_t BarWidth() const { return m_barWidth; }
    // Kept as a 16-bit value.
    void setMargin(std::int32_t margin) { m_margin = static_cast<std::int16_t>(margin); }
    [[nodiscard]] std::int16_t Margin() const { return m_margin; }
    void setHotZone(std::int32_t zone) { m_hotZone = zone; }
    [[nodiscard]] std::int32_t HotZone() const { return m_hotZone; }
    [[nodiscard]] bool isDragging() const { return m_dragging; }

private:
    void MoveBar(std::int32_t x, std::int32_t y, SplitControl* slider);

    SplitControl* m_left = nullptr;
    SplitControl* m_right = nullptr;
    SplitControl* m_form = nullptr;
    std::int32_t m_barWidth = 5;
    std::int16_t m_margin = 5;
    std::int32_t m_hotZone = 200;
    bool m_dragging = false;
};

} // namespace sequence::editor
