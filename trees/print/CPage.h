#pragma once

// CPage: the page settings of a printed tree: four margins in whole
// centimetres (15 each at first), paper size and orientation (the printer's
// codes), and the header and footer texts. Values are kept as given; the
// print job checks that they leave room for a row.

#include <cstdint>

#include "platform/print/Printer.h"
#include "trees/print/CText.h"

namespace trees {

class CPage {
public:
    // Paper size and orientation start as the printer's, or A4 portrait when
    // there is no printer.
    explicit CPage(std::int16_t paperSize = platform::paper::A4,
                   std::int16_t orientation = platform::orientation::Portrait)
        : m_paperSize(paperSize), m_orientation(orientation)
    {
    }

    [[nodiscard]] CText& Header() noexcept { return m_header; }
    [[nodiscard]] const CText& Header() const noexcept { return m_header; }
    [[nodiscard]] CText& Footer() noexcept { return m_footer; }
    [[nodiscard]] const CText& Footer() const noexcept { return m_footer; }

    [[nodiscard]] std::int16_t MarginLeft() const noexcept { return m_marginLeft; }
    void setMarginLeft(std::int16_t cm) noexcept { m_marginLeft = cm; }
    [[nodiscard]] std::int16_t MarginRight() const noexcept { return m_marginRight; }
    void setMarginRight(std::int16_t cm) noexcept { m_marginRight = cm; }
    [[nodiscard]] std::int16_t MarginTop() const noexcept { return m_marginTop; }
    void setMarginTop(std::int16_t cm) noexcept { m_marginTop = cm; }
    [[nodiscard]] std::int16_t MarginBottom() const noexcept { return m_marginBottom; }
    void setMarginBottom(std::int16_t cm) noexcept { m_marginBottom = cm; }
    [[nodiscard]] std::int16_t PaperSize() const noexcept { return m_paperSize; }
    void setPaperSize(std::int16_t size) noexcept { m_paperSize = size; }
    [[nodiscard]] std::int16_t Orientation() const noexcept { return m_orientation; }
    void setOrientation(std::int16_t orientation) noexcept { m_orientation = orientation; }

private:
    std::int16_t m_marginLeft = 15;
    std::int16_t m_marginRight = 15;
    std::int16_t m_marginTop = 15;
    std::int16_t m_marginBottom = 15;
    std::int16_t m_paperSize;
    std::int16_t m_orientation;
    CText m_header;
    CText m_footer;
};

} // namespace trees
