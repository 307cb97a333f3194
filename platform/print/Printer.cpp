#include "platform/print/Printer.h"

#include <algorithm>

namespace platform {

PaperTwips paperTwips(std::int16_t paperSize)
{
    // Sizes in millimetres; 1 mm is 1440 / 25.4 twips.
    constexpr double mm = 1440.0 / 25.4;
    switch (paperSize) {
    case paper::Letter: return {8.5 * 1440.0, 11.0 * 1440.0};
    case paper::Legal: return {8.5 * 1440.0, 14.0 * 1440.0};
    case paper::A3: return {297.0 * mm, 420.0 * mm};
    case paper::A5: return {148.0 * mm, 210.0 * mm};
    default: return {210.0 * mm, 297.0 * mm};
    }
}

void Printer::Print(std::string_view text)
{
    const double height = TextHeight(text.empty() ? std::string_view(" ") : text);
    if (!text.empty()) {
        drawText(m_x, m_y, text);
    }
    m_x = 0;
    m_y += height;
}

void Printer::NewPage()
{
    ++m_page;
    m_x = 0;
    m_y = 0;
}

namespace {
double pointSize(const StdFont& font)
{
    return font.Size > 0 ? font.Size : 10.0;
}
} // namespace

double RecordingPrinter::ScaleWidth() const
{
    const PaperTwips p = paperTwips(m_paper);
    return m_orientation == orientation::Landscape ? p.height : p.width;
}

double RecordingPrinter::ScaleHeight() const
{
    const PaperTwips p = paperTwips(m_paper);
    return m_orientation == orientation::Landscape ? p.width : p.height;
}

double RecordingPrinter::TextWidth(std::string_view text) const
{
    return static_cast<double>(text.size()) * pointSize(Font()) * 10.0;
}

double RecordingPrinter::TextHeight(std::string_view) const
{
    return pointSize(Font()) * 20.0;
}

void RecordingPrinter::Line(double x1, double y1, double x2, double y2)
{
    m_strokes.push_back({Page(), x1, y1, x2, y2});
}

void RecordingPrinter::NewPage()
{
    Printer::NewPage();
    m_pages = std::max(m_pages, Page());
}

void RecordingPrinter::drawText(double x, double y, std::string_view text)
{
    m_texts.push_back({Page(), x, y, std::string(text), Font()});
}

} // namespace platform
