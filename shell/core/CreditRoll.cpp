#include "shell/core/CreditRoll.h"

#include "platform/runtime/Convert.h"

namespace shell {

CreditRoll::CreditRoll(std::vector<std::string> lines, int windowHeight, int picLeft, int picWidth, int picHeight)
    : m_lines(std::move(lines)), m_scrollTop(windowHeight), m_picLeft(picLeft), m_picWidth(picWidth),
      m_picHeight(picHeight)
{
}

CreditRoll::Step CreditRoll::tick()
{
    Step step;
    if (m_nextLine < NumLines()) {
        step.printLine = m_nextLine++;
    }
    step.copyTop = m_scrollTop;
    m_scrollTop -= StepPixels;
    step.finished = m_scrollTop < -m_picHeight;
    return step;
}

int CreditRoll::centredLeft(int areaWidth, int contentWidth)
{
    return static_cast<int>(platform::rt::RoundHalfEven((areaWidth - contentWidth) / 2.0));
}

std::vector<std::string> CreditLines()
{
    return {
        "Genome Research Fund GR-2141",
        "Biocomputing Trust BT-0917",
        "-------",
        "Abela, Marta",
        "Brandt, Oskar",
        "Castellanos, Ines",
        "Dumont, Claire",
        "Ekwueme, Chidi",
        "Fujita, Ren",
        "Halvorsen, Siri",
        "Kowalczyk, Piotr",
        "Moreau, Lucien",
        "Varga, Eszter",
        "",
        "-------",
        "Thank you all!!!",
    };
}

} // namespace shell
