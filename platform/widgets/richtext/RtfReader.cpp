#include "platform/widgets/richtext/RtfReader.h"

#include <QColor>
#include <QFont>
#include <QTextCursor>
#include <QTextDocument>

#include <cctype>
#include <string>
#include <vector>

namespace platform {

namespace {

enum class Dest { Text, FontTable, ColorTable, Skip };

struct GroupState {
    Dest dest = Dest::Text;
    bool bold = false;
    bool italic = false;
    int colour = -1;
    int halfPoints = 24;
};

class Reader {
public:
    Reader(QTextDocument& document, std::string_view rtf) : m_rtf(rtf), m_cursor(&document)
    {
        document.clear();
        m_cursor = QTextCursor(&document);
    }

    void run()
    {
        m_stack.push_back(GroupState{});
        while (m_pos < m_rtf.size()) {
            const char c = m_rtf[m_pos];
            if (c == '{') {
                flush();
                m_stack.push_back(m_stack.back());
                ++m_pos;
                if (m_rtf.substr(m_pos, 2) == "\\*") {
                    m_stack.back().dest = Dest::Skip;
                }
            } else if (c == '}') {
                flush();
                if (m_stack.back().dest == Dest::FontTable && !m_fontName.empty()) {
                    m_fontFace = m_fontName;
                }
                if (m_stack.size() > 1) {
                    m_stack.pop_back();
                }
                ++m_pos;
            } else if (c == '\\') {
                controlWord();
            } else if (c == '\r' || c == '\n') {
                ++m_pos;
            } else {
                text(c);
                ++m_pos;
            }
        }
        flush();
    }

private:
    GroupState& state() { return m_stack.back(); }

    void text(char c)
    {
        switch (state().dest) {
        case Dest::Text:
            m_pending += c;
            break;
        case Dest::FontTable:
            if (c == ';') {
                if (m_fontFace.empty()) {
                    m_fontFace = m_fontName;
                }
            } else {
                m_fontName += c;
            }
            break;
        case Dest::ColorTable:
            if (c == ';') {
                m_colours.push_back(QColor(m_red, m_green, m_blue));
                m_red = m_green = m_blue = 0;
            }
            break;
        case Dest::Skip:
            break;
        }
    }

    void controlWord()
    {
        ++m_pos;
        if (m_pos >= m_rtf.size()) {
            return;
        }
        const char c = m_rtf[m_pos];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++m_pos;
            if (c == '\'' && m_pos + 2 <= m_rtf.size() && std::isxdigit(static_cast<unsigned char>(m_rtf[m_pos])) &&
                std::isxdigit(static_cast<unsigned char>(m_rtf[m_pos + 1]))) {
                const std::string hex(m_rtf.substr(m_pos, 2));
                m_pos += 2;
                text(static_cast<char>(std::stoi(hex, nullptr, 16)));
            } else if (c == '\\' || c == '{' || c == '}') {
                text(c);
            } else if (c == '*') {
                state().dest = Dest::Skip;
            }
            return;
        }
        std::string word;
        while (m_pos < m_rtf.size() && std::isalpha(static_cast<unsigned char>(m_rtf[m_pos]))) {
            word += m_rtf[m_pos++];
        }
        bool hasNumber = false;
        int number = 0;
        bool negative = false;
        if (m_pos < m_rtf.size() && m_rtf[m_pos] == '-') {
            negative = true;
            ++m_pos;
        }
        while (m_pos < m_rtf.size() && std::isdigit(static_cast<unsigned char>(m_rtf[m_pos]))) {
            hasNumber = true;
            number = number * 10 + (m_rtf[m_pos++] - '0');
            if (number > 1000000) {
                number = 1000000;
            }
        }
        if (negative) {
            number = -number;
        }
        if (m_pos < m_rtf.size() && m_rtf[m_pos] == ' ') {
            ++m_pos;
        }
        apply(word, hasNumber, number);
    }

    void apply(const std::string& word, bool hasNumber, int number)
    {
        GroupState& s = state();
        if (word == "fonttbl") {
            s.dest = Dest::FontTable;
        } else if (word == "colortbl") {
            s.dest = Dest::ColorTable;
        } else if (word == "red") {
            m_red = number;
        } else if (word == "green") {
            m_green = number;
        } else if (word == "blue") {
            m_blue = number;
        } else if (s.dest != Dest::Text) {
            return;
        } else if (word == "par") {
            flush();
            m_cursor.insertBlock();
        } else if (word == "tab") {
            m_pending += '\t';
        } else if (word == "plain") {
            flush();
            s.bold = s.italic = false;
            s.colour = -1;
            s.halfPoints = 24;
        } else if (word == "b") {
            flush();
            s.bold = !hasNumber || number != 0;
        } else if (word == "i") {
            flush();
            s.italic = !hasNumber || number != 0;
        } else if (word == "cf") {
            flush();
            s.colour = number;
        } else if (word == "fs" && hasNumber && number > 0) {
            flush();
            s.halfPoints = number;
        }
    }

    void flush()
    {
        if (m_pending.empty()) {
            return;
        }
        const GroupState& s = state();
        QTextCharFormat format;
        QFont font(m_fontFace.empty() ? QStringLiteral("Courier New") : QString::fromStdString(m_fontFace));
        font.setStyleHint(QFont::Monospace);
        font.setPointSizeF(s.halfPoints / 2.0);
        font.setBold(s.bold);
        font.setItalic(s.italic);
        format.setFont(font);
        if (s.colour >= 0 && s.colour < static_cast<int>(m_colours.size())) {
            format.setForeground(m_colours[static_cast<std::size_t>(s.colour)]);
        } else {
            format.setForeground(QColor(0, 0, 0));
        }
        m_cursor.insertText(QString::fromLatin1(m_pending.data(), static_cast<qsizetype>(m_pending.size())), format);
        m_pending.clear();
    }

    std::string_view m_rtf;
    std::size_t m_pos = 0;
    QTextCursor m_cursor;
    std::vector<GroupState> m_stack;
    std::vector<QColor> m_colours;
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
    std::string m_fontName;
    std::string m_fontFace;
    std::string m_pending;
};

} // namespace

void ReadRtf(QTextDocument& document, std::string_view rtf)
{
    Reader(document, rtf).run();
}

} // namespace platform
