#include "platform/dialogs/Dialogs.h"

#include <iostream>

#include "platform/dialogs/ScriptedDialogs.h"

namespace platform {

Answer defaultAnswer(int style)
{
    static constexpr Answer table[6][3] = {
        {Answer::Ok, Answer::Ok, Answer::Ok},
        {Answer::Ok, Answer::Cancel, Answer::Cancel},
        {Answer::Abort, Answer::Retry, Answer::Ignore},
        {Answer::Yes, Answer::No, Answer::Cancel},
        {Answer::Yes, Answer::No, Answer::No},
        {Answer::Retry, Answer::Cancel, Answer::Cancel},
    };
    const int b = mb::buttons(style);
    const int d = mb::defaultButton(style);
    return table[b < 6 ? b : 0][d < 3 ? d : 0];
}

std::optional<FileDialogResult> Dialogs::FileDialog(const FileDialogRequest& request)
{
    std::optional<FileDialogResult> result = chooseFile(request);
    if (result && request.save && !result->path.empty()) {
        std::string extension = FilterExtension(request.filter, result->filterIndex);
        if (extension.empty()) {
            extension = request.defaultExt;
        }
        result->path = WithExtension(std::move(result->path), extension);
    }
    return result;
}

std::optional<FileDialogResult> Dialogs::chooseFile(const FileDialogRequest&)
{
    return std::nullopt;
}

std::string FilterExtension(std::string_view filter, int index)
{
    // Entries alternate description and patterns: entry k's patterns are
    // field 2k - 1 (from 0).
    if (index < 1) {
        return {};
    }
    std::size_t from = 0;
    for (int field = 0; field < 2 * index - 1; ++field) {
        from = filter.find('|', from);
        if (from == std::string_view::npos) {
            return {};
        }
        ++from;
    }
    std::string_view patterns = filter.substr(from);
    patterns = patterns.substr(0, patterns.find('|'));
    const std::string_view first = patterns.substr(0, patterns.find(';'));
    if (first.size() < 3 || first.substr(0, 2) != "*.") {
        return {};
    }
    const std::string_view extension = first.substr(2);
    if (extension.find_first_of("*? ") != std::string_view::npos) {
        return {};
    }
    return std::string(extension);
}

std::string WithExtension(std::string path, std::string_view extension)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && dot > nameStart && dot + 1 < path.size();
    if (hasExtension || extension.empty() || nameStart == path.size()) {
        return path;
    }
    if (path.back() != '.') {
        path += '.';
    }
    path += extension;
    return path;
}

std::optional<FontChoice> Dialogs::FontDialog(const FontChoice&)
{
    return std::nullopt;
}

namespace {

class SilentDialogs final : public Dialogs {
public:
    Answer MsgBox(std::string_view prompt, int style, std::string_view title) override
    {
        std::cerr << "[message box] " << title << ": " << prompt << '\n';
        return defaultAnswer(style);
    }
    std::string InputBox(std::string_view prompt, std::string_view title, std::string_view defaultText) override
    {
        std::cerr << "[input box] " << title << ": " << prompt << '\n';
        return std::string(defaultText);
    }
};

Dialogs*& current()
{
    static Dialogs* service = nullptr;
    return service;
}

} // namespace

Dialogs& dialogs()
{
    static SilentDialogs silent;
    Dialogs* service = current();
    return service ? *service : silent;
}

void setDialogs(Dialogs* service)
{
    current() = service;
}

ScopedDialogs::ScopedDialogs(Dialogs& service) : m_previous(current())
{
    current() = &service;
}

ScopedDialogs::~ScopedDialogs()
{
    current() = m_previous;
}

Answer ScriptedDialogs::MsgBox(std::string_view prompt, int style, std::string_view title)
{
    m_calls.push_back({Call::Kind::Message, std::string(title), std::string(prompt), style});
    if (whileMessageShown) {
        whileMessageShown();
    }
    if (m_answers.empty()) {
        ++m_unscripted;
        return defaultAnswer(style);
    }
    const Answer a = m_answers.front();
    m_answers.pop_front();
    return a;
}

std::string ScriptedDialogs::InputBox(std::string_view prompt, std::string_view title, std::string_view defaultText)
{
    m_calls.push_back({Call::Kind::Input, std::string(title), std::string(prompt), 0});
    if (m_inputs.empty()) {
        ++m_unscripted;
        return std::string(defaultText);
    }
    std::string text = std::move(m_inputs.front());
    m_inputs.pop_front();
    return text;
}

std::optional<FileDialogResult> ScriptedDialogs::chooseFile(const FileDialogRequest& request)
{
    m_fileRequests.push_back(request);
    if (m_files.empty()) {
        ++m_unscripted;
        return std::nullopt;
    }
    auto result = std::move(m_files.front());
    m_files.pop_front();
    return result;
}

std::optional<FontChoice> ScriptedDialogs::FontDialog(const FontChoice& initial)
{
    m_fontRequests.push_back(initial);
    if (m_fonts.empty()) {
        ++m_unscripted;
        return std::nullopt;
    }
    auto result = std::move(m_fonts.front());
    m_fonts.pop_front();
    return result;
}

} // namespace platform
