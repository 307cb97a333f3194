#pragma once

// A Dialogs form for tests: records every box (kind, title, text, style) and
// every file dialog request, and answers from a script. When the script runs
// dry it answers with the box's default button (the input box's default text,
// a cancelled file dialog) and counts the box as unscripted, so a test can
// assert that no unexpected box appeared.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/dialogs/Dialogs.h"

namespace platform {

class ScriptedDialogs final : public Dialogs {
public:
    struct Call {
        enum class Kind { Message, Input } kind;
        std::string title;
        std::string text;
        int style = 0;
    };

    ScriptedDialogs& answer(Answer a)
    {
        m_answers.push_back(a);
        return *this;
    }
    ScriptedDialogs& type(std::string text)
    {
        m_inputs.push_back(std::move(text));
        return *this;
    }
    // The next file dialog chooses `path` (with the given filter index).
    ScriptedDialogs& choose(std::string path, int filterIndex = 1)
    {
        m_files.push_back(FileDialogResult{std::move(path), filterIndex});
        return *this;
    }
    // The next file dialog is cancelled.
    ScriptedDialogs& cancelFile()
    {
        m_files.push_back(std::nullopt);
        return *this;
    }

    // The next font dialog confirms `font`.
    ScriptedDialogs& chooseFont(FontChoice font)
    {
        m_fonts.push_back(std::move(font));
        return *this;
    }
    // The next font dialog is cancelled.
    ScriptedDialogs& cancelFont()
    {
        m_fonts.push_back(std::nullopt);
        return *this;
    }

    // Runs while each message box is up, after it is recorded and before it
    // is answered: what the desktop does meanwhile (a box takes the focus).
    std::function<void()> whileMessageShown;

    Answer MsgBox(std::string_view prompt, int style, std::string_view title) override;
    std::string InputBox(std::string_view prompt, std::string_view title, std::string_view defaultText) override;
    std::optional<FontChoice> FontDialog(const FontChoice& initial) override;

    [[nodiscard]] const std::vector<FileDialogRequest>& fileRequests() const { return m_fileRequests; }
    // The fonts the font dialogs were opened on.
    [[nodiscard]] const std::vector<FontChoice>& fontRequests() const { return m_fontRequests; }

    [[nodiscard]] const std::vector<Call>& calls() const { return m_calls; }
    [[nodiscard]] const Call& last() const { return m_calls.back(); }
    [[nodiscard]] int unscripted() const { return m_unscripted; }
    void clear() { m_calls.clear(); }

protected:
    std::optional<FileDialogResult> chooseFile(const FileDialogRequest& request) override;

private:
    std::deque<Answer> m_answers;
    std::deque<std::string> m_inputs;
    std::vector<Call> m_calls;
    std::deque<std::optional<FileDialogResult>> m_files;
    std::vector<FileDialogRequest> m_fileRequests;
    std::deque<std::optional<FontChoice>> m_fonts;
    std::vector<FontChoice> m_fontRequests;
    int m_unscripted = 0;
};

} // namespace platform
