#pragma once

// The rolling credits of the acknowledgements window, without painting.
//
// The lines are printed one per tick into a tall picture (P1) while the
// picture moves up through the window: each tick prints the next line (while
// any is left), asks for the whole picture to be copied at (PicLeft,
// ScrollTop) and moves ScrollTop 5 pixels up. The roll has finished once the
// picture's bottom edge has passed above the window's top edge
// (ScrollTop < -PicHeight); it does not start again by itself. All lengths
// are pixels; lines are counted from 0.

#include <string>
#include <vector>

namespace shell {

class CreditRoll {
public:
    static constexpr int StepPixels = 5;

    // windowHeight: the window's inner height, where the picture starts.
    CreditRoll(std::vector<std::string> lines, int windowHeight, int picLeft, int picWidth, int picHeight);

    // What one tick does.
    struct Step {
        int printLine = -1;  // the line to print into the picture, -1 for none
        int copyTop = 0;     // where the picture's top goes in the window
        bool finished = false;
    };
    [[nodiscard]] Step tick();
    // The window closed: the next roll starts from the first line.
    void closed() { m_nextLine = 0; }

    [[nodiscard]] const std::vector<std::string>& CreditLines() const { return m_lines; }
    [[nodiscard]] int NumLines() const { return static_cast<int>(m_lines.size()); }
    [[nodiscard]] int NextLine() const { return m_nextLine; }
    [[nodiscard]] int ScrollTop() const { return m_scrollTop; }
    [[nodiscard]] int PicLeft() const { return m_picLeft; }
    [[nodiscard]] int PicWidth() const { return m_picWidth; }
    [[nodiscard]] int PicHeight() const { return m_picHeight; }

    // The left edge that centres `contentWidth` in `areaWidth`, to the
    // nearest whole pixel (halves to the even one).
    [[nodiscard]] static int centredLeft(int areaWidth, int contentWidth);

private:
    std::vector<std::string> m_lines;
    int m_nextLine = 0;
    int m_scrollTop;
    int m_picLeft;
    int m_picWidth;
    int m_picHeight;
};

// The sixteen credit lines: two grant lines, a rule, ten names (surname,
// given name, in order of surname), an empty line, a rule and the thanks.
[[nodiscard]] std::vector<std::string> CreditLines();

} // namespace shell
