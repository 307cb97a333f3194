#pragma once

// Builds text the way the run-time's `Print #` statement lays it out.
//   item(text)    the text as it is ("a"; "b" prints "ab")
//   item(number)  Str(number) and one blank after it: 5 prints " 5 ", -2 "-2 "
//   zone()        the `,` separator: to the start of the next 14-column zone
//   tab(n)        Tab(n): to column n (from 1); past it, on a new line
//   spc(n)        Spc(n): n blanks
//   endLine()     end of a statement without a trailing separator: CR LF
//
//   PrintLine p; p.item("x").zone().item(2.0).endLine();   // "x" + 13 blanks + " 2 \r\n"

#include <string>
#include <string_view>

namespace platform::rt {

class PrintLine {
public:
    static constexpr int ZoneWidth = 14;

    PrintLine& item(std::string_view text);
    PrintLine& item(double number);
    PrintLine& item(int number);
    PrintLine& zone();
    PrintLine& tab(int column);
    PrintLine& spc(int count);
    PrintLine& endLine();

    // Current 1-based column of the print position.
    [[nodiscard]] int column() const { return static_cast<int>(m_text.size() - m_lineStart) + 1; }
    [[nodiscard]] const std::string& text() const { return m_text; }

private:
    std::string m_text;
    std::size_t m_lineStart = 0;
};

} // namespace platform::rt
