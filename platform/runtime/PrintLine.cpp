#include "platform/runtime/PrintLine.h"

#include "platform/runtime/Convert.h"

namespace platform::rt {

PrintLine& PrintLine::item(std::string_view text)
{
    m_text.append(text);
    return *this;
}

PrintLine& PrintLine::item(double number)
{
    m_text.append(Str(number)).push_back(' ');
    return *this;
}

PrintLine& PrintLine::item(int number)
{
    m_text.append(Str(number)).push_back(' ');
    return *this;
}

PrintLine& PrintLine::zone()
{
    const int used = column() - 1;
    const int pad = ZoneWidth - used % ZoneWidth;
    m_text.append(static_cast<std::size_t>(pad), ' ');
    return *this;
}

PrintLine& PrintLine::tab(int column)
{
    if (column < 1) {
        column = 1;
    }
    if (this->column() > column) {
        endLine();
    }
    m_text.append(static_cast<std::size_t>(column - this->column()), ' ');
    return *this;
}

PrintLine& PrintLine::spc(int count)
{
    if (count > 0) {
        m_text.append(static_cast<std::size_t>(count), ' ');
    }
    return *this;
}

PrintLine& PrintLine::endLine()
{
    m_text.append("\r\n");
    m_lineStart = m_text.size();
    return *this;
}

} // namespace platform::rt
