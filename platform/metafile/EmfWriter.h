#pragma once

// EmfWriter: writes an enhanced metafile (EMF) record by record, in memory.
//
// Records are little-endian and 4-byte aligned. The header is written last,
// by finish(), so that the frame, the bounds, the byte count, the record
// count and the handle count describe the finished picture. Coordinates are
// logical units of the recording; the writer keeps the default mapping (one
// logical unit is one device pixel, y grows downwards), and the reference
// device given at construction says how large a pixel is.
//
// Graphics objects (pens, brushes, fonts) get handle numbers from 1; a
// deleted object's number is reused. Stock objects are selected by their
// stock numbers (StockObject). Texts are UTF-16.
//
// Points that do not fit in 16 bits go into the 32-bit forms of the polygon
// and polyline records, so any int32 coordinate is recorded exactly.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::emf {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// Left, top, right, bottom, all inclusive.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

struct Size {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
};

// Record types written here (the EMF format's numbers).
namespace rec {
inline constexpr std::uint32_t Header = 1;
inline constexpr std::uint32_t PolyPolyline = 7;
inline constexpr std::uint32_t PolyPolygon = 8;
inline constexpr std::uint32_t Eof = 14;
inline constexpr std::uint32_t SetMapMode = 17;
inline constexpr std::uint32_t SetBkMode = 18;
inline constexpr std::uint32_t SetPolyFillMode = 19;
inline constexpr std::uint32_t SetTextAlign = 22;
inline constexpr std::uint32_t SetTextColor = 24;
inline constexpr std::uint32_t MoveToEx = 27;
inline constexpr std::uint32_t IntersectClipRect = 30;
inline constexpr std::uint32_t SaveDC = 33;
inline constexpr std::uint32_t RestoreDC = 34;
inline constexpr std::uint32_t SelectObject = 37;
inline constexpr std::uint32_t CreatePen = 38;
inline constexpr std::uint32_t CreateBrushIndirect = 39;
inline constexpr std::uint32_t DeleteObject = 40;
inline constexpr std::uint32_t Ellipse = 42;
inline constexpr std::uint32_t Rectangle = 43;
inline constexpr std::uint32_t LineTo = 54;
inline constexpr std::uint32_t ExtCreateFontIndirectW = 82;
inline constexpr std::uint32_t ExtTextOutW = 84;
inline constexpr std::uint32_t PolyPolyline16 = 90;
inline constexpr std::uint32_t PolyPolygon16 = 91;
} // namespace rec

// The "EMF" signature of the header (" EMF" read as a little-endian word).
inline constexpr std::uint32_t Signature = 0x464D4520;

// Stock objects, selected without creating them.
enum class StockObject : std::uint32_t {
    WhiteBrush = 0x80000000,
    NullBrush = 0x80000005,
    BlackPen = 0x80000007,
    NullPen = 0x80000008,
};

// Pen styles of CreatePen.
namespace pen {
inline constexpr std::uint32_t Solid = 0;
inline constexpr std::uint32_t Dash = 1;
inline constexpr std::uint32_t Dot = 2;
inline constexpr std::uint32_t DashDot = 3;
inline constexpr std::uint32_t Null = 5;
} // namespace pen

// Colours are 0x00BBGGRR.
[[nodiscard]] constexpr std::uint32_t rgb(int r, int g, int b)
{
    return static_cast<std::uint32_t>(r & 0xFF) | (static_cast<std::uint32_t>(g & 0xFF) << 8) |
           (static_cast<std::uint32_t>(b & 0xFF) << 16);
}

struct FontSpec {
    std::int32_t height = -12;     // negative: character height in logical units
    std::int32_t escapement = 0;   // tenths of a degree, counter-clockwise
    std::int32_t weight = 400;     // 400 normal, 700 bold
    bool italic = false;
    std::u16string face = u"Arial";
};

class EmfWriter {
public:
    // description: the application name and the picture name, each ended by
    // a NUL, and a closing NUL ("App\0Picture\0\0"). The reference device is
    // `devicePixels` pixels large and `deviceMillimetres` millimetres.
    EmfWriter(std::u16string description, Size devicePixels, Size deviceMillimetres);

    void setMapMode(std::uint32_t mode);
    void setBkMode(std::uint32_t mode);          // 1 transparent, 2 opaque
    void setPolyFillMode(std::uint32_t mode);    // 1 alternate, 2 winding
    void setTextAlign(std::uint32_t align);      // 0 top-left, 24 baseline
    void setTextColor(std::uint32_t colour);

    [[nodiscard]] std::uint32_t createPen(std::uint32_t style, std::int32_t width, std::uint32_t colour);
    // style 0 solid, 1 null (hollow).
    [[nodiscard]] std::uint32_t createBrush(std::uint32_t style, std::uint32_t colour);
    [[nodiscard]] std::uint32_t createFont(const FontSpec& font);
    void selectObject(std::uint32_t handle);
    void selectObject(StockObject stock) { selectObject(static_cast<std::uint32_t>(stock)); }
    void deleteObject(std::uint32_t handle);

    void moveTo(Point p);
    void lineTo(Point p);
    void ellipse(Rect box);
    void rectangle(Rect box);
    // Open polylines, one per entry, drawn with the selected pen.
    void polyPolyline(std::span<const std::vector<Point>> lines);
    // Closed polygons filled with the selected brush and outlined with the pen.
    void polyPolygon(std::span<const std::vector<Point>> polygons);
    // Text at the point, with one advance per UTF-16 unit (empty: the
    // reader's own advances are used).
    void textOut(Point at, std::u16string_view text, std::span<const std::int32_t> advances);

    void saveDC();
    void restoreDC();  // to the state of the last saveDC
    void intersectClipRect(Rect box);

    // Appends the end record, puts the header in front and gives the bytes.
    // frame: the picture's extent in hundredths of a millimetre. The writer
    // cannot be used afterwards.
    [[nodiscard]] std::string finish(Rect frame);

    [[nodiscard]] std::uint32_t recordCount() const noexcept { return m_records + 1; }

private:
    void oneWord(std::uint32_t type, std::uint32_t v);
    void begin(std::uint32_t type);
    void end();
    void u32(std::uint32_t v);
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void u16(std::uint16_t v);
    void rect(Rect box);  // left, top, right, bottom
    void bound(Point p);
    void bound(Rect r);
    void polyRecords(std::span<const std::vector<Point>> shapes, std::uint32_t type16, std::uint32_t type32);
    [[nodiscard]] std::uint32_t newHandle();

    std::u16string m_description;
    Size m_devicePixels;
    Size m_deviceMillimetres;
    std::string m_body;
    std::size_t m_recordStart = 0;
    std::uint32_t m_records = 0;
    std::vector<bool> m_handleUsed;  // index 0 is reserved
    Point m_position{};  // the current position, for the bounds of line records
    Rect m_bounds{};
    bool m_hasBounds = false;
};

} // namespace platform::emf
