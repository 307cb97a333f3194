#include "shell/core/ShellRules.h"

#include <cmath>

#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"
#include "shell/core/mQuorin.h"

namespace shell {

namespace {

std::optional<std::int16_t> toInt16(double value)
{
    const double rounded = platform::rt::RoundHalfEven(value);
    if (!std::isfinite(rounded) || rounded < -32768.0 || rounded > 32767.0) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

double HoldDeadline(double startSeconds)
{
    return platform::rt::RoundHalfEven(startSeconds) + 2.0;
}

std::optional<std::int16_t> ViewScaleFromText(std::string_view text)
{
    const auto scale = toInt16(platform::rt::Val(text));
    if (!scale || *scale <= 10 || *scale >= 400) {
        return std::nullopt;
    }
    return scale;
}

std::optional<std::int16_t> FontSizeFromText(std::string_view text)
{
    const std::string_view trimmed = trimBlanks(text);
    if (trimmed.empty()) {
        return std::nullopt;
    }
    return toInt16(platform::rt::Val(trimmed));
}

std::optional<std::int16_t> MaxRecentFromText(std::string_view text)
{
    const platform::rt::FieldNumber typed = platform::rt::ReadNumber(text);
    if (!typed.isNumber()) {
        return std::nullopt;
    }
    const std::optional<std::int16_t> maximum = toInt16(typed.value);
    if (!maximum || *maximum < 0) {
        return std::nullopt;
    }
    return maximum;
}

std::string NextBookCaption(mQuorin::ProgramState& program)
{
    if (program.gBookCount == 32767) {
        throw platform::Error::runtime(platform::err::Overflow, "frmMDIChild");
    }
    ++program.gBookCount;
    return "Book" + std::to_string(program.gBookCount);
}

const std::string& GeneFillList()
{
    static const std::string list = [] {
        std::string text(58893, ';');
        std::size_t at = 0;
        for (int i = 1; i <= 9999; ++i) {
            const std::string label = "G" + std::to_string(i);
            text.replace(at, label.size(), label);
            at += label.size() + 1;  // the ";" already in place closes it
        }
        return text;
    }();
    return list;
}

const std::vector<MenuState>& MenuSetFor(View view)
{
    static const std::vector<MenuState> data{
        {"Edit", false},      {"mnuTree", false},   {"mnuFile", true},     {"mnuEdit", true},
        {"mnuView", true},    {"mnuInsert", true},  {"mnuFormat", true},   {"mnuData", true},
        {"mnuAnalysis", true}, {"mnuToolsRecalc", true},
    };
    static const std::vector<MenuState> output{
        {"mnuFile", false},    {"mnuEdit", false},   {"mnuView", false},        {"mnuInsert", false},
        {"mnuFormat", false},  {"mnuData", false},   {"mnuAnalysis", false},    {"mnuToolsRecalc", false},
        {"mnuTree", false},    {"Edit", true},
    };
    static const std::vector<MenuState> tree{
        {"mnuFile", false},   {"mnuEdit", false},     {"Edit", false},           {"mnuView", false},
        {"mnuInsert", false}, {"mnuFormat", false},   {"mnuData", false},        {"mnuAnalysis", false},
        {"mnuToolsRecalc", false}, {"mnuTree", true},
    };
    switch (view) {
    case View::Tree:
        return tree;
    case View::Output:
        return output;
    case View::Data:
    default:
        return data;
    }
}

} // namespace shell
