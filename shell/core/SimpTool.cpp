#include "shell/core/SimpTool.h"

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/widgets/richtext/TextBox.h"
#include "shell/core/ProgramInfo.h"

namespace SimpTool {

namespace {

// Searches from the 1-based position `from`; selects and remembers a match.
bool findFrom(platform::TextBox& box, const std::string& text, std::int32_t from)
{
    const std::int32_t at = box.find(text, from - 1);
    if (at < 0)
        return false;
    box.setSelStart(at);
    box.setSelLength(box.length(text));
    box.setTag(text + "." + std::to_string(at + 2));
    return true;
}

} // namespace

void FindText(platform::TextBox& box, std::optional<std::string> searchText)
{
    std::string text = searchText ? std::move(*searchText)
                                  : platform::dialogs().InputBox("Enter text to be found (case-sensitive):",
                                                                 shell::ProgramInfo::Title, "");
    if (text.empty()) {
        (void)platform::dialogs().MsgBox("You specified an empty search string.", platform::mb::Information,
                                         shell::ProgramInfo::Title);
        return;
    }
    if (!findFrom(box, text, box.SelStart() + 1))
        (void)platform::dialogs().MsgBox("String not found.", platform::mb::OkOnly, shell::ProgramInfo::Title);
    box.SetFocus();
}

void FindNext(platform::TextBox& box)
{
    const std::string tag = box.Tag();
    const auto point = tag.rfind('.');
    if (point == std::string::npos) {
        // No search memory: this is a first search.
        FindText(box);
        return;
    }
    const std::string text = tag.substr(0, point);
    std::int32_t from = 0;
    for (std::size_t i = point + 1; i < tag.size() && tag[i] >= '0' && tag[i] <= '9' && from < 100000000; ++i)
        from = from * 10 + (tag[i] - '0');
    if (text.empty() || !findFrom(box, text, from < 1 ? 1 : from))
        FindText(box, text);
    else
        box.SetFocus();
}

std::int32_t FindAll(platform::RichText& box, const std::string& searchText, std::int32_t& start)
{
    if (start < 1)
        start = 1;
    if (searchText.empty())
        return 0;
    const std::int32_t length = box.length(searchText);
    std::int32_t count = 0;
    for (;;) {
        const std::int32_t at = box.find(searchText, start - 1);
        if (at < 0)
            return count;
        box.setSelStart(at);
        box.setSelLength(length);
        box.setSelColor(255, 0, 0);
        box.setSelBold(true);
        box.setSelLength(0);
        start = at + 1 + length;
        ++count;
    }
}

namespace {

template <class Better>
double extreme(std::span<const double> values, std::int32_t count, std::int32_t* position, const char* source,
               Better better)
{
    if (values.empty() || (count > 0 && static_cast<std::size_t>(count) > values.size()))
        throw platform::Error::runtime(platform::err::Subscript, source);
    double best = values[0];
    std::int32_t at = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        if (better(values[static_cast<std::size_t>(i)], best)) {
            best = values[static_cast<std::size_t>(i)];
            at = i;
        }
    }
    if (position)
        *position = at;
    return best;
}

} // namespace

double MinOfArray(std::span<const double> values, std::int32_t count, std::int32_t* position)
{
    return extreme(values, count, position, "MinOfArray", [](double v, double best) { return best > v; });
}

double MaxOfArray(std::span<const double> values, std::int32_t count, std::int32_t* position)
{
    return extreme(values, count, position, "MaxOfArray", [](double v, double best) { return best < v; });
}

} // namespace SimpTool
