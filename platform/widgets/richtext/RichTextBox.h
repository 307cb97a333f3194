#pragma once

// The rich-text box: a QTextEdit that the program's find helpers can search
// and mark through the TextBox interface, with the tag that keeps their
// search memory. The output view of a document window and the sequence
// windows use it.

#include <QTextEdit>

#include "platform/widgets/richtext/TextBox.h"

namespace platform {

class RichTextBox : public QTextEdit, public RichText {
    Q_OBJECT

public:
    explicit RichTextBox(QWidget* parent = nullptr);

    [[nodiscard]] std::int32_t find(std::string_view what, std::int32_t from) const override;
    [[nodiscard]] std::int32_t length(std::string_view text) const override;
    [[nodiscard]] std::int32_t SelStart() const override;
    [[nodiscard]] std::int32_t SelLength() const override;
    void setSelStart(std::int32_t start) override;
    void setSelLength(std::int32_t length) override;
    [[nodiscard]] std::string Tag() const override { return m_tag; }
    void setTag(std::string tag) override { m_tag = std::move(tag); }
    void SetFocus() override;
    void setSelColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
    void setSelBold(bool bold) override;

    // The selected text, and replacing it (one undoable step).
    [[nodiscard]] std::string SelText() const;
    void setSelText(std::string_view text);
    // Empties the box as one undoable step (setPlainText would drop the undo history).
    void clearText();

    // The box's whole text as plain text (line breaks as LF), and replacing
    // it with plain text (CR LF and lone CR read as line breaks) or with rich
    // text in RTF.
    [[nodiscard]] std::string Text() const;
    void setText(std::string_view text);
    void setTextRTF(std::string_view rtf);
    // Writes the whole text as plain text with CR LF line ends; false when
    // the file cannot be written.
    bool savePlainText(const std::string& path) const;

private:
    [[nodiscard]] std::int32_t textLength() const;

    std::string m_tag;
};

} // namespace platform
