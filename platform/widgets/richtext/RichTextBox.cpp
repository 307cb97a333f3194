#include "platform/widgets/richtext/RichTextBox.h"

#include <algorithm>

#include <QTextCursor>
#include <QTextDocument>

#include <fstream>

#include "platform/widgets/richtext/RtfReader.h"

namespace platform {

RichTextBox::RichTextBox(QWidget* parent) : QTextEdit(parent) {}

std::int32_t RichTextBox::textLength() const
{
    // The document's last position stands behind its closing paragraph break.
    return std::max(0, document()->characterCount() - 1);
}

std::int32_t RichTextBox::find(std::string_view what, std::int32_t from) const
{
    if (from < 0)
        from = 0;
    const QString text = toPlainText();
    if (from > text.size())
        return -1;
    return static_cast<std::int32_t>(
        text.indexOf(QString::fromUtf8(what.data(), static_cast<qsizetype>(what.size())), from, Qt::CaseSensitive));
}

std::int32_t RichTextBox::length(std::string_view text) const
{
    return static_cast<std::int32_t>(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).size());
}

std::int32_t RichTextBox::SelStart() const
{
    return textCursor().selectionStart();
}

std::int32_t RichTextBox::SelLength() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void RichTextBox::setSelStart(std::int32_t start)
{
    QTextCursor c = textCursor();
    c.setPosition(std::clamp(start, 0, textLength()));
    setTextCursor(c);
}

void RichTextBox::setSelLength(std::int32_t length)
{
    QTextCursor c = textCursor();
    const int start = c.selectionStart();
    c.setPosition(start);
    c.setPosition(std::clamp(start + std::max(0, length), 0, textLength()), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void RichTextBox::SetFocus()
{
    setFocus();
}

void RichTextBox::setSelColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    QTextCharFormat format;
    format.setForeground(QColor(red, green, blue));
    QTextCursor c = textCursor();
    c.mergeCharFormat(format);
}

void RichTextBox::setSelBold(bool bold)
{
    QTextCharFormat format;
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    QTextCursor c = textCursor();
    c.mergeCharFormat(format);
}

std::string RichTextBox::SelText() const
{
    // A selection across lines holds paragraph separators: give them as line breaks.
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text.toStdString();
}

void RichTextBox::setSelText(std::string_view text)
{
    QTextCursor c = textCursor();
    c.insertText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    setTextCursor(c);
}

void RichTextBox::clearText()
{
    QTextCursor c(document());
    c.select(QTextCursor::Document);
    c.removeSelectedText();
    setTextCursor(c);
}

std::string RichTextBox::Text() const
{
    return toPlainText().toStdString();
}

void RichTextBox::setText(std::string_view text)
{
    QString q = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    q.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Plain text takes the caret's character format; after rich text that is
    // a residue's colour or size, so the caret is given the plain format
    // first.
    setCurrentCharFormat(QTextCharFormat());
    setPlainText(q);
}

void RichTextBox::setTextRTF(std::string_view rtf)
{
    ReadRtf(*document(), rtf);
    moveCursor(QTextCursor::Start);
}

bool RichTextBox::savePlainText(const std::string& path) const
{
    QString q = toPlainText();
    q.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const QByteArray bytes = q.toUtf8();
    out.write(bytes.constData(), bytes.size());
    return static_cast<bool>(out);
}

} // namespace platform
