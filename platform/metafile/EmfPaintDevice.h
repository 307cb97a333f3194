#pragma once

// EmfPaintDevice: a QPaintDevice whose painting is recorded as an enhanced
// metafile, so that anything drawn with QPainter (a chart, a graph) can be
// saved or copied as a vector picture that other programs open.
//
// Paths, polygons, lines, rectangles and ellipses become polygon and
// polyline records in device pixels; text stays text (one text record per
// run, with its font, colour, rotation and character advances). Clipping is
// kept as rectangles. Images and pixmaps are not recorded (the pictures
// drawn here have none). Colours lose their transparency (a fully
// transparent pen or brush draws nothing) and a gradient is recorded as the
// mean colour of its stops.
//
//     EmfPaintDevice device(QSize(800, 600));
//     { QPainter p(&device); scene.render(&p); }
//     const QByteArray bytes = device.bytes();

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>

#include <memory>

namespace platform::emf {

class EmfPaintEngine;

class EmfPaintDevice : public QPaintDevice {
public:
    // size in pixels; dpi: pixels per inch of the reference device.
    explicit EmfPaintDevice(QSize size, int dpi = 96);
    ~EmfPaintDevice() override;
    EmfPaintDevice(const EmfPaintDevice&) = delete;
    EmfPaintDevice& operator=(const EmfPaintDevice&) = delete;

    [[nodiscard]] QPaintEngine* paintEngine() const override;

    // The finished metafile; empty until a painter has ended on the device.
    [[nodiscard]] QByteArray bytes() const;
    // Writes bytes() to the file; false when it cannot be written.
    [[nodiscard]] bool save(const QString& path) const;

protected:
    [[nodiscard]] int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    int m_dpi;
    std::unique_ptr<EmfPaintEngine> m_engine;
};

} // namespace platform::emf
