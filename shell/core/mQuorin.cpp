#include "shell/core/mQuorin.h"

namespace mQuorin {

namespace {
ProgramState*& current()
{
    static ProgramState* state = nullptr;
    return state;
}
} // namespace

ProgramState::ProgramState() : m_errorHandler(std::make_shared<shell::NullErrorHandlerLink>()) {}

void ProgramState::setErrorHandler(std::shared_ptr<shell::ErrorHandlerLink> link)
{
    m_errorHandler = link ? std::move(link) : std::make_shared<shell::NullErrorHandlerLink>();
}

shell::IniQuorin& ProgramState::gIni()
{
    if (!m_ini) {
        m_ini = std::make_unique<shell::IniQuorin>();
    }
    return *m_ini;
}

bool ProgramState::IsSheetOpen() const
{
    if (gFlankWinOpen) {
        return false;
    }
    return loadedWindowCount && loadedWindowCount() > 1;
}

void ProgramState::BuildColLetters()
{
    gColLetter.clear();
    gColLetter.reserve(256);
    for (int i = 0; i < 256; ++i) {
        gColLetter.push_back(ColumnLetter(i));
    }
}

void ProgramState::ClearAnalysisData()
{
    gRowName.clear();
    gColName.clear();
    gDataMat.clear();
    gNumRow = 0;
    gNumCol = 0;
    gDataReady = false;
}

ProgramState& Program()
{
    static ProgramState fallback;
    ProgramState* state = current();
    return state ? *state : fallback;
}

ProgramScope::ProgramScope(ProgramState& state) : m_previous(current())
{
    current() = &state;
}

ProgramScope::~ProgramScope()
{
    current() = m_previous;
}

std::string ColumnLetter(int index)
{
    std::string name;
    int n = index + 1;
    while (n > 0) {
        const int rem = (n - 1) % 26;
        name.insert(name.begin(), static_cast<char>('A' + rem));
        n = (n - 1) / 26;
    }
    return name;
}

} // namespace mQuorin
