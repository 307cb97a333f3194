#include "graphs/clsEMF.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <exception>
#include <fstream>
#include <limits>
#include <string>
#include <system_error>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/metafile/EmfWriter.h"
#include "shell/core/ProgramInfo.h"

namespace graphs {

namespace {

constexpr const char* Source = "clsEMF";

// The logical unit is one twip: the reference device has 1440 pixels per
// inch (14400 pixels are 254 mm).
constexpr platform::emf::Size DevicePixels{14400, 14400};
constexpr platform::emf::Size DeviceMillimetres{254, 254};

std::u16string utf16(const std::string& text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c >> 5) == 0x6 && i + 1 < text.size()) {
            cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            len = 2;
        } else if ((c >> 4) == 0xE && i + 2 < text.size()) {
            cp = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                 (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
            len = 3;
        } else if ((c >> 3) == 0x1E && i + 3 < text.size()) {
            cp = ((c & 0x07u) << 18) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 12) |
                 ((static_cast<unsigned char>(text[i + 2]) & 0x3Fu) << 6) |
                 (static_cast<unsigned char>(text[i + 3]) & 0x3Fu);
            len = 4;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

// The process's file-creation mask. Linux reports it in /proc without
// changing it; elsewhere it is read by setting it and putting it back.
mode_t currentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            try {
                return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8) & 0777u);
            } catch (const std::exception&) {
                break;
            }
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// A new empty file "Vor" + six characters + ".tmp" in the folder. mkstemps
// makes it readable by its owner only; the recording ends up as the user's
// own file (saved under a name of the user's choice), so it gets the
// permissions any new file of the user gets: 0666 less the umask.
std::filesystem::path makeTempName(const std::filesystem::path& folder)
{
    std::string pattern = (folder / "VorXXXXXX.tmp").string();
    const int fd = ::mkstemps(pattern.data(), 4);
    if (fd < 0) {
        throw platform::Error(platform::err::PathFileAccess, Source,
                              "Unable to make a temporary file in " + folder.string() + ".");
    }
    const bool permitted = ::fchmod(fd, 0666 & ~currentUmask()) == 0;
    ::close(fd);
    if (!permitted) {
        ::unlink(pattern.c_str());
        throw platform::Error(platform::err::PathFileAccess, Source,
                              "Unable to make a temporary file in " + folder.string() + ".");
    }
    return pattern;
}

std::int32_t checkedSum(std::int32_t a, std::int32_t b)
{
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    if (sum > std::numeric_limits<std::int32_t>::max() || sum < std::numeric_limits<std::int32_t>::min()) {
        throw platform::Error::runtime(platform::err::Overflow, Source);
    }
    return static_cast<std::int32_t>(sum);
}

// One logical unit is a twip, far below a screen pixel: a pen one unit wide
// (or less) is recorded as the one-pixel pen (width 0), as it shows on
// screen, so that readers do not thin it away.
std::int32_t penWidth(std::int32_t width)
{
    return width <= 1 ? 0 : width;
}

std::int32_t toHundredthsMm(std::int32_t twips)
{
    return static_cast<std::int32_t>(static_cast<std::int64_t>(twips) * 2540 / 1440);
}

} // namespace

EmfTempFile::~EmfTempFile()
{
    std::error_code ignored;
    std::filesystem::remove(m_path, ignored);
}

clsEMF::clsEMF() : clsEMF(std::filesystem::temp_directory_path()) {}

clsEMF::clsEMF(const std::filesystem::path& folder)
    : m_description(std::string("Enhanced metafile") + '\0' + "Picture1" + '\0' + '\0'),
      m_file(std::make_shared<EmfTempFile>(makeTempName(folder)))
{
    std::u16string description(m_description.begin(), m_description.end());
    m_writer = std::make_unique<platform::emf::EmfWriter>(description, DevicePixels, DeviceMillimetres);
    m_writer->setBkMode(1);
    m_writer->setTextAlign(0);
    platform::emf::FontSpec font;
    font.height = -160;  // 8 points
    m_writer->selectObject(m_writer->createFont(font));
    m_pen = m_writer->createPen(platform::emf::pen::Solid, penWidth(1), platform::emf::rgb(255, 0, 0));
    m_writer->selectObject(m_pen);
    m_ops.push_back(Op{Op::Kind::Pen, 0, 1, 0, 0, platform::emf::rgb(255, 0, 0), {}});
}

clsEMF::~clsEMF() = default;

void clsEMF::recording() const
{
    if (m_ended || !m_writer) {
        throw platform::Error(platform::err::InvalidCall, Source, "The recording has ended.");
    }
}

void clsEMF::emfEndDoc()
{
    if (m_ended || !m_writer) {
        return;
    }
    const platform::emf::Rect frame{toHundredthsMm(m_left), toHundredthsMm(m_top), toHundredthsMm(m_right),
                                    toHundredthsMm(m_bottom)};
    const std::string bytes = m_writer->finish(frame);
    m_writer.reset();
    m_ended = true;
    std::ofstream out(m_file->path(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw platform::Error(platform::err::PathFileAccess, Source,
                              "Unable to write " + m_file->path().string() + ".");
    }
}

void clsEMF::emfCls()
{
    m_writer.reset();
    m_ended = true;
    m_ops.clear();
}

void clsEMF::emfEllipse(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2)
{
    recording();
    m_writer->ellipse(platform::emf::Rect{x1, y1, x2, y2});
    m_ops.push_back(Op{Op::Kind::Ellipse, x1, y1, x2, y2, 0, {}});
}

void clsEMF::emfLineTo(std::int32_t x, std::int32_t y)
{
    recording();
    m_writer->lineTo(platform::emf::Point{x, y});
    m_ops.push_back(Op{Op::Kind::Line, x, y, 0, 0, 0, {}});
    m_currentX = x;
    m_currentY = y;
}

void clsEMF::emfMoveToEx(std::int32_t x, std::int32_t y)
{
    recording();
    m_writer->moveTo(platform::emf::Point{x, y});
    m_ops.push_back(Op{Op::Kind::Move, x, y, 0, 0, 0, {}});
    m_currentX = x;
    m_currentY = y;
}

void clsEMF::emfCreatePen(std::int32_t& style, std::int32_t width, std::uint32_t colour)
{
    recording();
    const std::uint32_t pen = m_writer->createPen(static_cast<std::uint32_t>(style), penWidth(width), colour);
    m_writer->selectObject(pen);
    m_writer->deleteObject(m_pen);  // the former pen is released once, here
    m_pen = pen;
    m_ops.push_back(Op{Op::Kind::Pen, style, width, 0, 0, colour, {}});
}

void clsEMF::emfPlayEMF(EmfPlayTarget& target, std::int32_t& mapMode, std::int32_t x, std::int32_t y)
{
    (void)mapMode;
    if (x > 100) {
        (void)platform::dialogs().MsgBox("ViewPortX > MAXRECTRIGHT. Adjusted to 90% of MAXRECTRIGHT.",
                                         platform::mb::Information, shell::ProgramInfo::Title);
        x = 90;
    }
    if (y > 100) {
        (void)platform::dialogs().MsgBox("ViewPortX > MAXRECTBOTTOM. Adjusted to 90% of MAXRECTBOTTOM.",
                                         platform::mb::Information, shell::ProgramInfo::Title);
        y = 90;
    }
    target.setViewportOrigin(x, y);
    for (const Op& op : m_ops) {
        switch (op.kind) {
        case Op::Kind::Move:
            target.moveTo(op.a, op.b);
            break;
        case Op::Kind::Line:
            target.lineTo(op.a, op.b);
            break;
        case Op::Kind::Ellipse:
            target.ellipse(op.a, op.b, op.c, op.d);
            break;
        case Op::Kind::Pen:
            target.setPen(op.a, op.b, op.colour);
            break;
        case Op::Kind::Text:
            target.text(op.a, op.b, op.text);
            break;
        }
    }
}

void clsEMF::emfPrint(const std::string& text)
{
    recording();
    m_writer->textOut(platform::emf::Point{m_currentX, m_currentY}, utf16(text), {});
    m_ops.push_back(Op{Op::Kind::Text, m_currentX, m_currentY, 0, 0, 0, text});
}

std::string clsEMF::emfFileName() const
{
    return m_file->path().string();
}

void clsEMF::emfHeight(std::int32_t v)
{
    m_bottom = checkedSum(m_top, v);
}

void clsEMF::emfWidth(std::int32_t v)
{
    m_right = checkedSum(m_left, v);
}

} // namespace graphs
