#pragma once

// A Dialogs form for tests: records every box (kind, title, text, style) and
// answers from a script. When the script runs dry it answers with the box's
// default button (and the input box's default text) and counts the box as
// unscripted, so a test can assert that no unexpected box appeared.

#include <deque>
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

    Answer MsgBox(std::string_view prompt, int style, std::string_view title) override;
    std::string InputBox(std::string_view prompt, std::string_view title, std::string_view defaultText) override;

    [[nodiscard]] const std::vector<Call>& calls() const { return m_calls; }
    [[nodiscard]] const Call& last() const { return m_calls.back(); }
    [[nodiscard]] int unscripted() const { return m_unscripted; }
    void clear() { m_calls.clear(); }

private:
    std::deque<Answer> m_answers;
    std::deque<std::string> m_inputs;
    std::vector<Call> m_calls;
    int m_unscripted = 0;
};

} // namespace platform
