#include "platform/metafile/EmfWriter.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace platform::emf {

namespace {

constexpr std::size_t HeaderSize = 108;  // the header with both extensions

bool fits16(const std::vector<Point>& shape)
{
    constexpr std::int32_t lo = std::numeric_limits<std::int16_t>::min();
    constexpr std::int32_t hi = std::numeric_limits<std::int16_t>::max();
    return std::all_of(shape.begin(), shape.end(),
                       [](Point p) { return p.x >= lo && p.x <= hi && p.y >= lo && p.y <= hi; });
}

void put32(std::string& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

} // namespace

EmfWriter::EmfWriter(std::u16string description, Size devicePixels, Size deviceMillimetres)
    : m_description(std::move(description)), m_devicePixels(devicePixels), m_deviceMillimetres(deviceMillimetres),
      m_handleUsed(1, true)
{
}

void EmfWriter::u32(std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        m_body.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

void EmfWriter::u16(std::uint16_t v)
{
    m_body.push_back(static_cast<char>(v & 0xFF));
    m_body.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void EmfWriter::begin(std::uint32_t type)
{
    m_recordStart = m_body.size();
    u32(type);
    u32(0);  // size, filled in by end()
}

void EmfWriter::end()
{
    while (m_body.size() % 4 != 0) {
        m_body.push_back('\0');
    }
    put32(m_body, m_recordStart + 4, static_cast<std::uint32_t>(m_body.size() - m_recordStart));
    ++m_records;
}

void EmfWriter::bound(Point p)
{
    if (!m_hasBounds) {
        m_bounds = Rect{p.x, p.y, p.x, p.y};
        m_hasBounds = true;
        return;
    }
    m_bounds.left = std::min(m_bounds.left, p.x);
    m_bounds.top = std::min(m_bounds.top, p.y);
    m_bounds.right = std::max(m_bounds.right, p.x);
    m_bounds.bottom = std::max(m_bounds.bottom, p.y);
}

void EmfWriter::bound(Rect r)
{
    bound(Point{r.left, r.top});
    bound(Point{r.right, r.bottom});
}

std::uint32_t EmfWriter::newHandle()
{
    for (std::size_t i = 1; i < m_handleUsed.size(); ++i) {
        if (!m_handleUsed[i]) {
            m_handleUsed[i] = true;
            return static_cast<std::uint32_t>(i);
        }
    }
    m_handleUsed.push_back(true);
    return static_cast<std::uint32_t>(m_handleUsed.size() - 1);
}

void EmfWriter::oneWord(std::uint32_t type, std::uint32_t v)
{
    begin(type);
    u32(v);
    end();
}

void EmfWriter::setMapMode(std::uint32_t mode) { oneWord(rec::SetMapMode, mode); }
void EmfWriter::setBkMode(std::uint32_t mode) { oneWord(rec::SetBkMode, mode); }
void EmfWriter::setPolyFillMode(std::uint32_t mode) { oneWord(rec::SetPolyFillMode, mode); }
void EmfWriter::setTextAlign(std::uint32_t align) { oneWord(rec::SetTextAlign, align); }
void EmfWriter::setTextColor(std::uint32_t colour) { oneWord(rec::SetTextColor, colour); }

std::uint32_t EmfWriter::createPen(std::uint32_t style, std::int32_t width, std::uint32_t colour)
{
    const std::uint32_t handle = newHandle();
    begin(rec::CreatePen);
    u32(handle);
    u32(style);
    i32(width);
    i32(0);
    u32(colour);
    end();
    return handle;
}

std::uint32_t EmfWriter::createBrush(std::uint32_t style, std::uint32_t colour)
{
    const std::uint32_t handle = newHandle();
    begin(rec::CreateBrushIndirect);
    u32(handle);
    u32(style);
    u32(colour);
    u32(0);  // hatch
    end();
    return handle;
}

std::uint32_t EmfWriter::createFont(const FontSpec& font)
{
    const std::uint32_t handle = newHandle();
    begin(rec::ExtCreateFontIndirectW);
    u32(handle);
    i32(font.height);
    i32(0);  // width: the face's own
    i32(font.escapement);
    i32(font.escapement);  // orientation follows the escapement
    i32(font.weight);
    m_body.push_back(font.italic ? '\1' : '\0');
    m_body.push_back('\0');  // underline
    m_body.push_back('\0');  // strike-out
    m_body.push_back('\1');  // DEFAULT_CHARSET
    m_body.push_back('\0');  // output precision
    m_body.push_back('\0');  // clip precision
    m_body.push_back('\0');  // quality
    m_body.push_back('\0');  // pitch and family
    for (std::size_t i = 0; i < 32; ++i) {
        u16(i < font.face.size() && i < 31 ? static_cast<std::uint16_t>(font.face[i]) : 0);
    }
    end();
    return handle;
}

void EmfWriter::selectObject(std::uint32_t handle) { oneWord(rec::SelectObject, handle); }

void EmfWriter::deleteObject(std::uint32_t handle)
{
    if (handle == 0 || handle >= m_handleUsed.size() || !m_handleUsed[handle]) {
        throw std::invalid_argument("EmfWriter::deleteObject: no such object");
    }
    m_handleUsed[handle] = false;
    oneWord(rec::DeleteObject, handle);
}

void EmfWriter::moveTo(Point p)
{
    m_position = p;
    begin(rec::MoveToEx);
    i32(p.x);
    i32(p.y);
    end();
}

void EmfWriter::lineTo(Point p)
{
    begin(rec::LineTo);
    i32(p.x);
    i32(p.y);
    end();
    bound(m_position);
    bound(p);
    m_position = p;
}

void EmfWriter::rect(Rect box)
{
    i32(box.left);
    i32(box.top);
    i32(box.right);
    i32(box.bottom);
}

void EmfWriter::ellipse(Rect box)
{
    begin(rec::Ellipse);
    rect(box);
    end();
    bound(box);
}

void EmfWriter::rectangle(Rect box)
{
    begin(rec::Rectangle);
    rect(box);
    end();
    bound(box);
}

void EmfWriter::polyRecords(std::span<const std::vector<Point>> shapes, std::uint32_t type16, std::uint32_t type32)
{
    std::vector<std::vector<Point>> kept;
    for (const auto& s : shapes) {
        if (s.size() >= 2) {
            kept.push_back(s);
        }
    }
    if (kept.empty()) {
        return;
    }
    const bool small = std::all_of(kept.begin(), kept.end(), fits16);
    Rect box{};
    bool first = true;
    std::size_t total = 0;
    for (const auto& s : kept) {
        total += s.size();
        for (Point p : s) {
            if (first) {
                box = Rect{p.x, p.y, p.x, p.y};
                first = false;
            }
            box.left = std::min(box.left, p.x);
            box.top = std::min(box.top, p.y);
            box.right = std::max(box.right, p.x);
            box.bottom = std::max(box.bottom, p.y);
        }
    }
    begin(small ? type16 : type32);
    rect(box);
    u32(static_cast<std::uint32_t>(kept.size()));
    u32(static_cast<std::uint32_t>(total));
    for (const auto& s : kept) {
        u32(static_cast<std::uint32_t>(s.size()));
    }
    for (const auto& s : kept) {
        for (Point p : s) {
            if (small) {
                u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(p.x)));
                u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(p.y)));
            } else {
                i32(p.x);
                i32(p.y);
            }
        }
    }
    end();
    bound(box);
}

void EmfWriter::polyPolyline(std::span<const std::vector<Point>> lines)
{
    polyRecords(lines, rec::PolyPolyline16, rec::PolyPolyline);
}

void EmfWriter::polyPolygon(std::span<const std::vector<Point>> polygons)
{
    polyRecords(polygons, rec::PolyPolygon16, rec::PolyPolygon);
}

void EmfWriter::textOut(Point at, std::u16string_view text, std::span<const std::int32_t> advances)
{
    if (text.empty()) {
        return;
    }
    if (!advances.empty() && advances.size() != text.size()) {
        throw std::invalid_argument("EmfWriter::textOut: one advance per character");
    }
    constexpr std::uint32_t offString = 76;
    const std::size_t stringBytes = (text.size() * 2 + 3) / 4 * 4;
    std::int32_t width = 0;
    for (std::int32_t a : advances) {
        width += a;
    }
    begin(rec::ExtTextOutW);
    i32(at.x);  // bounds: the reader recomputes them; the reference point is enough
    i32(at.y);
    i32(at.x + width);
    i32(at.y);
    u32(1);  // GM_COMPATIBLE
    u32(0);  // x scale (unused in compatible mode)
    u32(0);  // y scale
    i32(at.x);
    i32(at.y);
    u32(static_cast<std::uint32_t>(text.size()));
    u32(offString);
    u32(0);  // options
    i32(0);
    i32(0);
    i32(-1);
    i32(-1);
    u32(advances.empty() ? 0 : static_cast<std::uint32_t>(offString + stringBytes));
    for (char16_t c : text) {
        u16(static_cast<std::uint16_t>(c));
    }
    while ((m_body.size() - m_recordStart) % 4 != 0) {
        m_body.push_back('\0');
    }
    for (std::int32_t a : advances) {
        i32(a);
    }
    end();
    bound(at);
    bound(Point{at.x + width, at.y});
}

void EmfWriter::saveDC()
{
    begin(rec::SaveDC);
    end();
}

void EmfWriter::restoreDC() { oneWord(rec::RestoreDC, static_cast<std::uint32_t>(-1)); }

void EmfWriter::intersectClipRect(Rect box)
{
    begin(rec::IntersectClipRect);
    rect(box);
    end();
}

std::string EmfWriter::finish(Rect frame)
{
    begin(rec::Eof);
    u32(0);   // palette entries
    u32(16);  // offset of the palette entries
    u32(20);  // size of the record, repeated at its end
    end();

    const std::size_t descriptionBytes = (m_description.size() * 2 + 3) / 4 * 4;
    const std::size_t headerBytes = HeaderSize + descriptionBytes;
    std::string body = std::move(m_body);
    m_body.clear();
    m_recordStart = 0;
    const Rect bounds = m_hasBounds ? m_bounds : Rect{0, 0, -1, -1};

    begin(rec::Header);
    i32(bounds.left);
    i32(bounds.top);
    i32(bounds.right);
    i32(bounds.bottom);
    i32(frame.left);
    i32(frame.top);
    i32(frame.right);
    i32(frame.bottom);
    u32(Signature);
    u32(0x10000);
    u32(static_cast<std::uint32_t>(headerBytes + body.size()));
    u32(m_records + 1);  // the records so far (end record included) and the header
    u16(static_cast<std::uint16_t>(m_handleUsed.size()));
    u16(0);
    u32(static_cast<std::uint32_t>(m_description.size()));
    u32(m_description.empty() ? 0 : static_cast<std::uint32_t>(HeaderSize));
    u32(0);  // palette entries
    i32(m_devicePixels.cx);
    i32(m_devicePixels.cy);
    i32(m_deviceMillimetres.cx);
    i32(m_deviceMillimetres.cy);
    u32(0);  // pixel format size
    u32(0);  // pixel format offset
    u32(0);  // no OpenGL records
    i32(m_deviceMillimetres.cx * 1000);
    i32(m_deviceMillimetres.cy * 1000);
    for (char16_t c : m_description) {
        u16(static_cast<std::uint16_t>(c));
    }
    end();
    --m_records;  // end() counted the header, already counted above
    std::string out = std::move(m_body);
    out += body;
    m_body.clear();
    return out;
}

} // namespace platform::emf
