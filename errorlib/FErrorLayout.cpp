#include "errorlib/FErrorLayout.h"

#include <algorithm>

namespace rampart::FErrorLayout {

Row layoutRow(const std::vector<ButtonRecord>& records, const std::function<int(const std::string&)>& textWidth)
{
    Row row;
    int x = InnerMargin;
    for (const ButtonRecord& record : records) {
        PlacedButton placed;
        placed.visible = !record.caption.empty();
        if (placed.visible) {
            placed.width = textWidth(record.caption) + ButtonPadding;
            placed.left = x;
            x += placed.width + ButtonGap;
        }
        row.buttons.push_back(placed);
    }
    row.width = x + ButtonGap;
    return row;
}

std::vector<ButtonRecord> standardRow(const std::string& timerCaption)
{
    return {
        {"E&xit Application", "Close the Application"},
        {"&Cancel Action", "Cancel the Failed Action"},
        {"&Retry Now", "Retry the Failed Action Immediately"},
        {timerCaption, "Cancel Automatic Retry Timer"},
    };
}

std::vector<ButtonRecord> customRow(const ErrorDialogRequest& request)
{
    std::vector<ButtonRecord> row;
    for (std::size_t i = 0; i < request.customCaptions.size(); ++i) {
        row.push_back({request.customCaptions[i], request.customToolTips[i]});
    }
    return row;
}

std::string errorText(const std::string& description, const std::string& suggestion, const std::string& notes)
{
    std::string text = description;
    if (!suggestion.empty()) {
        text += "\r\n\r\n" + suggestion;
    }
    if (!notes.empty()) {
        text += "\r\n\r\n" + notes;
    }
    return text;
}

int widestLine(const std::string& text, const std::function<int(const std::string&)>& textWidth)
{
    int widest = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        widest = std::max(widest, textWidth(line));
        start = end + 1;
    }
    return widest;
}

int dialogWidth(int customRowWidth, int actionRowWidth, int widestTextLine, int scrollBarWidth, int screenWidth)
{
    int width = std::max(customRowWidth, actionRowWidth);
    const int textNeed = widestTextLine + scrollBarWidth + ButtonGap;
    if (textNeed + 2 * InnerMargin > width) {
        width = textNeed + 2 * InnerMargin;
    }
    const int cap = static_cast<int>(static_cast<long long>(screenWidth) * 8 / 10);
    return std::min(width, cap);
}

std::string trimRemarks(const std::string& remarks)
{
    const std::size_t first = remarks.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return remarks.substr(first, remarks.find_last_not_of(' ') - first + 1);
}

States states(const ErrorDialogRequest& request)
{
    States s;
    s.frameVisible = {true, request.allowRemarks, request.showCustom, true};
    s.buttonVisible = {true, true, request.allowRetry, request.allowRetry && request.autoRetry};
    s.buttonEnabled = {true, request.cancelAllowed, request.retryAllowed, request.retryAllowed && request.autoRetry};
    s.countdownRuns = request.retryAllowed && request.autoRetry && request.allowRetry;
    return s;
}

} // namespace rampart::FErrorLayout
