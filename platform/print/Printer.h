#pragma once

// Printer: the page printer that printing code draws on, in twips (1440 per
// inch) measured from the top-left corner of the sheet of paper.
//
// It keeps a current position (CurrentX, CurrentY) and a current font, as a
// line printer does: Print writes one line of text with its top-left corner at
// the current position and then moves the position to the left edge of the
// next line (CurrentX 0, CurrentY + TextHeight). The first drawing call opens
// the document on page 1; NewPage moves to the next page; EndDoc sends the
// document and KillDoc cancels it with every page drawn so far.
//
// Paper sizes are the platform's codes (1 Letter, 5 Legal, 8 A3, 9 A4, 11 A5);
// orientation 1 is portrait and 2 landscape. ScaleWidth and ScaleHeight give
// the whole sheet in the current orientation.
//
// RecordingPrinter is a printer without a device: it keeps every call with
// fixed font metrics, for tests and for measuring a layout.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A font as printing code describes it: face, size in points and styles.
struct StdFont {
    std::string Name = "Arial";
    double Size = 10.0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;

    friend bool operator==(const StdFont&, const StdFont&) = default;
};

namespace paper {
inline constexpr std::int16_t Letter = 1;
inline constexpr std::int16_t Legal = 5;
inline constexpr std::int16_t A3 = 8;
inline constexpr std::int16_t A4 = 9;
inline constexpr std::int16_t A5 = 11;
} // namespace paper

namespace orientation {
inline constexpr std::int16_t Portrait = 1;
inline constexpr std::int16_t Landscape = 2;
} // namespace orientation

// Width and height in twips of a paper size held upright; A4 for a code
// this table does not know.
struct PaperTwips {
    double width;
    double height;
};
[[nodiscard]] PaperTwips paperTwips(std::int16_t paperSize);

class Printer {
public:
    virtual ~Printer() = default;

    [[nodiscard]] virtual std::int16_t PaperSize() const = 0;
    virtual void setPaperSize(std::int16_t size) = 0;
    [[nodiscard]] virtual std::int16_t Orientation() const = 0;
    virtual void setOrientation(std::int16_t orientation) = 0;
    // The sheet in twips, in the current orientation.
    [[nodiscard]] virtual double ScaleWidth() const = 0;
    [[nodiscard]] virtual double ScaleHeight() const = 0;

    [[nodiscard]] double CurrentX() const noexcept { return m_x; }
    [[nodiscard]] double CurrentY() const noexcept { return m_y; }
    void setCurrentX(double x) noexcept { m_x = x; }
    void setCurrentY(double y) noexcept { m_y = y; }

    [[nodiscard]] const StdFont& Font() const noexcept { return m_font; }
    virtual void setFont(const StdFont& font) { m_font = font; }

    // Extent of a text in the current font, in twips.
    [[nodiscard]] virtual double TextWidth(std::string_view text) const = 0;
    [[nodiscard]] virtual double TextHeight(std::string_view text) const = 0;

    // Number of the page being drawn, from 1.
    [[nodiscard]] std::int32_t Page() const noexcept { return m_page; }

    // Prints one line at the current position and moves to the next line.
    void Print(std::string_view text);
    // A line in the current colour (black), one twip wide at least.
    virtual void Line(double x1, double y1, double x2, double y2) = 0;
    virtual void NewPage();
    virtual void EndDoc() = 0;
    virtual void KillDoc() = 0;

    // Why the device refused to open the document (a PDF file that cannot
    // be written, a printer that is gone), in plain words; "" while it takes
    // what is drawn. Asked after the first drawing call, which opens the
    // document: nothing drawn on a refusing device reaches paper.
    [[nodiscard]] virtual std::string refusal() const { return {}; }

protected:
    Printer() = default;
    Printer(const Printer&) = default;
    Printer& operator=(const Printer&) = default;

    // Draws a text with its top-left corner at (x, y).
    virtual void drawText(double x, double y, std::string_view text) = 0;
    // The page counter starts again at 1 for the next document.
    void resetPage() noexcept { m_page = 1; }

private:
    StdFont m_font;
    double m_x = 0;
    double m_y = 0;
    std::int32_t m_page = 1;
};

// A printer that keeps what it is asked to draw. Its font metrics are fixed:
// a text is Size × 20 twips high (one point is 20 twips) and every character
// is Size × 10 twips wide; Size 0 counts as 10.
class RecordingPrinter final : public Printer {
public:
    struct Text {
        std::int32_t page;
        double x;
        double y;
        std::string text;
        StdFont font;
    };
    struct Stroke {
        std::int32_t page;
        double x1, y1, x2, y2;
    };

    RecordingPrinter() = default;

    [[nodiscard]] std::int16_t PaperSize() const override { return m_paper; }
    void setPaperSize(std::int16_t size) override { m_paper = size; }
    [[nodiscard]] std::int16_t Orientation() const override { return m_orientation; }
    void setOrientation(std::int16_t orientation) override { m_orientation = orientation; }
    [[nodiscard]] double ScaleWidth() const override;
    [[nodiscard]] double ScaleHeight() const override;
    [[nodiscard]] double TextWidth(std::string_view text) const override;
    [[nodiscard]] double TextHeight(std::string_view text) const override;
    void Line(double x1, double y1, double x2, double y2) override;
    void NewPage() override;
    void EndDoc() override { m_ended = true; }
    void KillDoc() override { m_killed = true; }

    [[nodiscard]] const std::vector<Text>& texts() const noexcept { return m_texts; }
    [[nodiscard]] const std::vector<Stroke>& strokes() const noexcept { return m_strokes; }
    [[nodiscard]] std::int32_t pageCount() const noexcept { return m_pages; }
    [[nodiscard]] bool ended() const noexcept { return m_ended; }
    [[nodiscard]] bool killed() const noexcept { return m_killed; }

protected:
    void drawText(double x, double y, std::string_view text) override;

private:
    std::int16_t m_paper = paper::A4;
    std::int16_t m_orientation = orientation::Portrait;
    std::vector<Text> m_texts;
    std::vector<Stroke> m_strokes;
    std::int32_t m_pages = 1;
    bool m_ended = false;
    bool m_killed = false;
};

} // namespace platform
