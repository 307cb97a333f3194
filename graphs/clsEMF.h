#pragma once

// clsEMF: records drawing into an enhanced metafile file, so that a picture
// the program draws (a tree) can be saved as a metafile or put on the
// clipboard as one.
//
// Coordinates are twips (1/1440 inch), x to the right and y downwards, as
// the windows draw on screen. A new object opens a recording in a new
// temporary file "Vor*.tmp" in the user's temporary folder, with a solid red
// pen one unit wide selected and an 8-point font for text. The frame (left,
// top, width, height in twips; 0, 0, 100, 100 until set) is written into the
// file's header when the recording ends (emfEndDoc), so the file opens at
// the size the caller set, whatever it was at creation. Pens one twip wide
// are recorded as one-pixel pens, as they show on screen.
//
// The temporary file belongs to the object and to every holder of
// emfFile(): it is removed when the last of them goes, unless it has been
// moved away (renamed) by then. emfFileName() gives its path.
//
// Errors (platform::Error, source "clsEMF"): 6 overflow when right or bottom
// would leave the 32-bit range; 75 when no temporary file can be made or the
// file cannot be written; 5 when drawing after emfEndDoc.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace platform::emf {
class EmfWriter;
}

namespace graphs {

// A temporary file removed when its last holder goes.
class EmfTempFile {
public:
    explicit EmfTempFile(std::filesystem::path path) : m_path(std::move(path)) {}
    ~EmfTempFile();
    EmfTempFile(const EmfTempFile&) = delete;
    EmfTempFile& operator=(const EmfTempFile&) = delete;
    [[nodiscard]] const std::filesystem::path& path() const noexcept { return m_path; }

private:
    std::filesystem::path m_path;
};

// Where emfPlayEMF draws the recording again (a picture box of a window).
class EmfPlayTarget {
public:
    virtual ~EmfPlayTarget() = default;
    virtual void setViewportOrigin(std::int32_t x, std::int32_t y) = 0;
    virtual void setPen(std::int32_t style, std::int32_t width, std::uint32_t colour) = 0;
    virtual void moveTo(std::int32_t x, std::int32_t y) = 0;
    virtual void lineTo(std::int32_t x, std::int32_t y) = 0;
    virtual void ellipse(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) = 0;
    virtual void text(std::int32_t x, std::int32_t y, const std::string& text) = 0;

protected:
    EmfPlayTarget() = default;
    EmfPlayTarget(const EmfPlayTarget&) = default;
    EmfPlayTarget& operator=(const EmfPlayTarget&) = default;
};

class clsEMF {
public:
    clsEMF();
    // Uses `folder` for the temporary file instead of the user's temporary folder.
    explicit clsEMF(const std::filesystem::path& folder);
    ~clsEMF();
    clsEMF(const clsEMF&) = delete;
    clsEMF& operator=(const clsEMF&) = delete;

    // Ends the recording and writes the file; a second call does nothing.
    void emfEndDoc();
    // Frees the recording; the file stays while a holder of emfFile() keeps it.
    void emfCls();
    void emfEllipse(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    void emfLineTo(std::int32_t x, std::int32_t y);
    void emfMoveToEx(std::int32_t x, std::int32_t y);
    // style: 0 solid, 1 dash, 2 dot, 3 dash-dot, 5 none; colour 0x00BBGGRR.
    void emfCreatePen(std::int32_t& style, std::int32_t width, std::uint32_t colour);
    // Draws the recording into the target with its viewport origin at x, y;
    // x or y above 100 is brought to 90 after a message. mapMode is kept for
    // the caller's sake: the recording always plays in twips.
    void emfPlayEMF(EmfPlayTarget& target, std::int32_t& mapMode, std::int32_t x, std::int32_t y);
    // Text at the current point (top-left of the text).
    void emfPrint(const std::string& text);

    void emfCurrentX(std::int32_t v) { m_currentX = v; }
    void emfCurrentY(std::int32_t v) { m_currentY = v; }
    [[nodiscard]] std::int32_t emfCurrentX() const noexcept { return m_currentX; }
    [[nodiscard]] std::int32_t emfCurrentY() const noexcept { return m_currentY; }
    [[nodiscard]] std::string emfFileName() const;
    // Keeps the file on disk for as long as the returned handle lives.
    [[nodiscard]] std::shared_ptr<const EmfTempFile> emfFile() const { return m_file; }
    void emfHeight(std::int32_t v);
    [[nodiscard]] std::int32_t emfHeight() const noexcept { return m_bottom; }
    void emfWidth(std::int32_t v);
    [[nodiscard]] std::int32_t emfWidth() const noexcept { return m_right; }
    void emfLeft(std::int32_t v) { m_left = v; }
    void emfTop(std::int32_t v) { m_top = v; }

    [[nodiscard]] bool isEnded() const noexcept { return m_ended; }

private:
    // One drawing call as emfPlayEMF draws it again.
    struct Op {
        enum class Kind { Move, Line, Ellipse, Pen, Text } kind;
        std::int32_t a = 0, b = 0, c = 0, d = 0;  // coordinates; for a pen: style, width
        std::uint32_t colour = 0;
        std::string text;
    };

    void recording() const;

    std::string m_description;
    std::unique_ptr<platform::emf::EmfWriter> m_writer;
    std::uint32_t m_pen = 0;
    std::int32_t m_left = 0, m_top = 0, m_right = 100, m_bottom = 100;
    std::shared_ptr<EmfTempFile> m_file;
    std::int32_t m_currentX = 0, m_currentY = 0;
    std::vector<Op> m_ops;
    bool m_ended = false;
};

} // namespace graphs
