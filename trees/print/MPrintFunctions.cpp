#include "trees/print/MPrintFunctions.h"

#include <cmath>

namespace trees::MPrintFunctions {

void ApplyPageSetup(platform::Printer& printer, const CPage& page)
{
    printer.setPaperSize(page.PaperSize());
    printer.setOrientation(page.Orientation());
}

void ApplyFont(platform::Printer& printer, const platform::StdFont& font)
{
    printer.setFont(font);
}

void PrintText(platform::Printer& printer, const CText& text, double left, double right)
{
    if (text.Text().empty()) {
        return;
    }
    ApplyFont(printer, text.Font());
    switch (text.Alignment()) {
    case align::Left: printer.setCurrentX(left); break;
    case align::Right: printer.setCurrentX(printer.ScaleWidth() - right - printer.TextWidth(text.Text())); break;
    case align::Centre: printer.setCurrentX((printer.ScaleWidth() - printer.TextWidth(text.Text())) / 2.0); break;
    default: break;
    }
    std::string shown = text.Text();
    ReplacePageToken(shown, printer.Page());
    printer.Print(shown);
}

void ReplacePageToken(std::string& s, std::int32_t page)
{
    static constexpr std::string_view token = "<pag>";
    const auto at = s.find(token);
    if (at != std::string::npos) {
        s.replace(at, token.size(), std::to_string(page));
    }
}

bool FitsOnPage(const platform::Printer& printer, std::string_view text, std::int32_t imageHeight, std::int32_t bottom)
{
    const auto textHeight = static_cast<std::int32_t>(std::lround(printer.TextHeight(text)));
    const std::int32_t h = MaxLong(imageHeight, textHeight);
    return printer.ScaleHeight() - bottom > printer.CurrentY() + h;
}

std::int32_t NodeDepth(const platform::TreeViewModel& tree, std::int32_t node)
{
    std::int32_t depth = 0;
    for (std::int32_t p = tree.Parent(node); p != 0; p = tree.Parent(p)) {
        ++depth;
    }
    return depth;
}

} // namespace trees::MPrintFunctions
