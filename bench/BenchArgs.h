#pragma once

// The command line of a benchmark program. "--help" or "-h" anywhere prints
// the usage to standard output and ends the program with status 0, before
// anything is computed (and before any window system is needed). An
// argument the program cannot take (not a whole number, out of its range,
// or one too many) prints what is wrong and the usage to standard error and
// ends the program with status 2. Depends on the standard library only, so
// every benchmark can use it.

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace bench {

class Args {
public:
    // `usage` is what follows the program's name on the usage line, then
    // lines that explain the arguments ("" for a program without any).
    Args(int argc, char** argv, std::string_view usage) : m_usage(usage)
    {
        const std::string_view path = argc > 0 && argv[0] != nullptr ? argv[0] : "bench";
        const std::size_t slash = path.rfind('/');
        m_program = slash == std::string_view::npos ? path : path.substr(slash + 1);
        for (int i = 1; i < argc; ++i)
            m_args.emplace_back(argv[i]);
        for (const std::string& a : m_args) {
            if (a == "--help" || a == "-h") {
                std::printf("%s", usageText().c_str());
                std::exit(0);
            }
        }
    }

    [[nodiscard]] bool done() const { return m_next == m_args.size(); }

    // Takes the next argument when it is `name`.
    bool flag(std::string_view name)
    {
        if (done() || m_args[m_next] != name)
            return false;
        ++m_next;
        return true;
    }

    // The next argument as a whole number from `low` to `high`; `what`
    // names it in the message. An argument must be there.
    long long number(std::string_view what, long long low, long long high)
    {
        if (done())
            refuse(std::string(what) + " is missing");
        const std::string& text = m_args[m_next];
        long long value = 0;
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, value);
        if (error != std::errc{} || stop != end || value < low || value > high)
            refuse("\"" + text + "\" is not a whole number from " + std::to_string(low) + " to " + std::to_string(high)
                   + " for " + std::string(what));
        ++m_next;
        return value;
    }

    // Every argument left, each a whole number from `low` to `high`.
    std::vector<long long> numbers(std::string_view what, long long low, long long high)
    {
        std::vector<long long> values;
        while (!done())
            values.push_back(number(what, low, high));
        return values;
    }

    // The next argument as it stands (a folder, say); one that starts with
    // "-" is an option the program does not know.
    std::string text(std::string_view what)
    {
        if (done())
            refuse(std::string(what) + " is missing");
        if (m_args[m_next].starts_with('-'))
            refuse("unknown option \"" + m_args[m_next] + "\"");
        return m_args[m_next++];
    }

    // Refuses whatever is left: call once the program has taken its arguments.
    void finish() const
    {
        if (!done())
            refuse("unexpected argument \"" + m_args[m_next] + "\"");
    }

    [[noreturn]] void refuse(const std::string& message) const
    {
        std::fprintf(stderr, "%s: %s\n%s", m_program.c_str(), message.c_str(), usageText().c_str());
        std::exit(2);
    }

private:
    [[nodiscard]] std::string usageText() const
    {
        const std::size_t lineEnd = m_usage.find('\n');
        std::string text = "usage: " + m_program;
        const std::string_view line = m_usage.substr(0, lineEnd);
        if (!line.empty())
            text += " " + std::string(line);
        text += "\n";
        if (lineEnd != std::string_view::npos)
            text += std::string(m_usage.substr(lineEnd + 1));
        if (!text.empty() && text.back() != '\n')
            text += "\n";
        return text;
    }

    std::string m_program;
    std::string_view m_usage;
    std::vector<std::string> m_args;
    std::size_t m_next = 0;
};

} // namespace bench
