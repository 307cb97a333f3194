#pragma once

// A horizontal splitter bar between an upper control (the A side) and a lower
// one (the B side) in the same container. Dragging the bar with the left
// button moves it; each side keeps at least `minimumPane` pixels, and the bar
// never leaves the container. The upper control ends at the bar; the lower
// one starts under it and keeps its bottom edge.

#include <QObject>

class QWidget;

namespace rampart {

// Limits of the bar's top, measured down from the container's top.
struct SplitLimits {
    int minTop = 0;          // A side's top + the minimum pane
    int maxTop = 0;          // B side's bottom - the minimum pane - the bar
    int containerLimit = 0;  // the container's height - the bar
};

[[nodiscard]] SplitLimits splitLimits(int aTop, int bTop, int bHeight, int barHeight, int containerHeight,
                                      int minimumPane);
// Where a drag to `proposed` puts the bar: raised to minTop, lowered to
// maxTop, then to containerLimit.
[[nodiscard]] int clampSplitTop(int proposed, const SplitLimits& limits);

class CSplit : public QObject {
    Q_OBJECT
public:
    explicit CSplit(int minimumPane, QObject* parent = nullptr);

    void AddASide(QWidget* control) { m_a = control; }
    void AddBSide(QWidget* control) { m_b = control; }
    // Takes the bar (its parent is the container) and lays the three controls
    // out at once, as a press, a move by nothing and a release would.
    void Split(QWidget* bar);
    // Lays the sides out around the bar where it stands.
    void layOut();

    [[nodiscard]] QWidget* bar() const { return m_bar; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buttonDown();
    void moveBy(int offset);
    void buttonUp();

    int m_minimumPane;
    QWidget* m_a = nullptr;
    QWidget* m_b = nullptr;
    QWidget* m_bar = nullptr;
    SplitLimits m_limits;
    bool m_dragging = false;
};

} // namespace rampart
