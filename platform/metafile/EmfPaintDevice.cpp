#include "platform/metafile/EmfPaintDevice.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainterPath>
#include <QTextItem>

#include <cmath>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "platform/metafile/EmfWriter.h"

namespace platform::emf {

namespace {

std::uint32_t colourRef(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return emf::rgb(rgb.red(), rgb.green(), rgb.blue());
}

// The one colour a brush is recorded with: its own, or for a gradient the
// mean of its stops (a metafile brush has a single colour).
QColor brushColour(const QBrush& brush)
{
    const QGradient* gradient = brush.gradient();
    if (gradient == nullptr || gradient->stops().isEmpty()) {
        return brush.color();
    }
    double r = 0, g = 0, b = 0, a = 0;
    for (const QGradientStop& stop : gradient->stops()) {
        r += stop.second.redF();
        g += stop.second.greenF();
        b += stop.second.blueF();
        a += stop.second.alphaF();
    }
    const auto n = static_cast<double>(gradient->stops().size());
    return QColor::fromRgbF(static_cast<float>(r / n), static_cast<float>(g / n), static_cast<float>(b / n),
                            static_cast<float>(a / n));
}

std::int32_t px(double v)
{
    return static_cast<std::int32_t>(std::lround(v));
}

std::vector<Point> toPoints(const QPolygonF& polygon)
{
    std::vector<Point> out;
    out.reserve(static_cast<std::size_t>(polygon.size()));
    for (const QPointF& p : polygon) {
        const Point q{px(p.x()), px(p.y())};
        if (out.empty() || out.back().x != q.x || out.back().y != q.y) {
            out.push_back(q);
        }
    }
    return out;
}

} // namespace

class EmfPaintEngine : public QPaintEngine {
public:
    EmfPaintEngine(QSize size, int dpi)
        : QPaintEngine(QPaintEngine::AllFeatures), m_size(size), m_dpi(dpi)
    {
    }

    bool begin(QPaintDevice*) override
    {
        // The reference device: 100 * dpi pixels are 2540 millimetres.
        m_writer.emplace(std::u16string(u"Quorin\0Picture\0\0", 16), Size{100 * m_dpi, 100 * m_dpi},
                         Size{2540, 2540});
        m_writer->setBkMode(1);
        m_writer->setTextAlign(24);  // baseline, as QPainter places text
        m_writer->setPolyFillMode(1);
        m_pen.reset();
        m_brush.reset();
        m_font.reset();
        m_fonts.clear();
        m_textColour.reset();
        m_clipSaved = false;
        return true;
    }

    bool end() override
    {
        if (!m_writer) {
            return false;
        }
        if (m_clipSaved) {
            m_writer->restoreDC();
        }
        // Frame in hundredths of a millimetre, inclusive.
        const auto hmm = [this](int pixels) { return static_cast<std::int32_t>(std::lround(pixels * 2540.0 / m_dpi)); };
        const std::string out = m_writer->finish(Rect{0, 0, hmm(m_size.width()) - 1, hmm(m_size.height()) - 1});
        m_bytes = QByteArray(out.data(), static_cast<qsizetype>(out.size()));
        m_writer.reset();
        return true;
    }

    void updateState(const QPaintEngineState& state) override
    {
        const auto flags = state.state();
        if (flags & DirtyPen) {
            m_qpen = state.pen();
        }
        if (flags & DirtyBrush) {
            m_qbrush = state.brush();
        }
        if (flags & DirtyFont) {
            m_qfont = state.font();
        }
        if (flags & DirtyTransform) {
            m_transform = state.transform();
        }
        if (flags & (DirtyClipRegion | DirtyClipPath | DirtyClipEnabled)) {
            updateClip(state);
        }
    }

    void drawPath(const QPainterPath& path) override
    {
        const QList<QPolygonF> polygons = path.toSubpathPolygons(m_transform);
        std::vector<std::vector<Point>> shapes;
        for (const QPolygonF& p : polygons) {
            shapes.push_back(toPoints(p));
        }
        fillAndStroke(shapes, true);
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        QPolygonF polygon;
        polygon.reserve(count);
        for (int i = 0; i < count; ++i) {
            polygon << m_transform.map(points[i]);
        }
        std::vector<std::vector<Point>> shapes{toPoints(polygon)};
        if (mode == PolylineMode) {
            stroke(shapes, false);
        } else {
            fillAndStroke(shapes, true);
        }
    }

    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override
    {
        std::vector<QPointF> f(points, points + count);
        drawPolygon(f.data(), count, mode);
    }

    void drawLines(const QLineF* lines, int count) override
    {
        std::vector<std::vector<Point>> shapes;
        shapes.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            shapes.push_back(toPoints(QPolygonF{m_transform.map(lines[i].p1()), m_transform.map(lines[i].p2())}));
        }
        stroke(shapes, false);
    }

    void drawLines(const QLine* lines, int count) override
    {
        std::vector<QLineF> f;
        for (int i = 0; i < count; ++i) {
            f.emplace_back(lines[i]);
        }
        drawLines(f.data(), count);
    }

    void drawRects(const QRectF* rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            QPainterPath path;
            path.addRect(rects[i]);
            drawPath(path);
        }
    }

    void drawRects(const QRect* rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QRectF r(rects[i]);
            drawRects(&r, 1);
        }
    }

    void drawEllipse(const QRectF& r) override
    {
        QPainterPath path;
        path.addEllipse(r);
        drawPath(path);
    }

    void drawPoints(const QPointF* points, int count) override
    {
        std::vector<std::vector<Point>> shapes;
        for (int i = 0; i < count; ++i) {
            const QPointF p = m_transform.map(points[i]);
            shapes.push_back({Point{px(p.x()), px(p.y())}, Point{px(p.x()) + 1, px(p.y())}});
        }
        stroke(shapes, false);
    }

    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        const QString text = item.text();
        if (text.isEmpty() || m_qpen.style() == Qt::NoPen || m_qpen.color().alpha() == 0) {
            return;
        }
        const QFont font = item.font();
        const double scale = std::hypot(m_transform.m11(), m_transform.m12());
        const double angle = std::atan2(m_transform.m12(), m_transform.m11()) * 180.0 / M_PI;
        double pixelSize = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * m_dpi / 72.0;
        pixelSize *= scale;
        FontSpec wanted;
        wanted.height = -std::max(1, px(pixelSize));
        wanted.escapement = -px(angle * 10.0);
        wanted.weight = font.weight() >= QFont::DemiBold ? 700 : 400;
        wanted.italic = font.italic();
        wanted.face = font.family().toStdU16String();
        selectFont(wanted);
        const std::uint32_t colour = colourRef(m_qpen.color());
        if (m_textColour != colour) {
            m_writer->setTextColor(colour);
            m_textColour = colour;
        }
        // Advances from the font the text was laid out with, so that the
        // reader places each character where Qt placed it.
        QFont metricsFont = font;
        metricsFont.setPixelSize(std::max(1, px(pixelSize)));
        const QFontMetricsF metrics(metricsFont);
        const std::u16string units = text.toStdU16String();
        std::vector<std::int32_t> advances;
        advances.reserve(units.size());
        double x = 0;
        std::int32_t placed = 0;
        for (std::size_t i = 0; i < units.size(); ++i) {
            x += metrics.horizontalAdvance(QChar(units[i]));
            const std::int32_t next = px(x);
            advances.push_back(next - placed);
            placed = next;
        }
        const QPointF at = m_transform.map(p);
        m_writer->textOut(Point{px(at.x()), px(at.y())}, units, advances);
    }

    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}

    Type type() const override { return QPaintEngine::User; }

    [[nodiscard]] const QByteArray& bytes() const { return m_bytes; }

private:
    void updateClip(const QPaintEngineState& state)
    {
        if (m_clipSaved) {
            m_writer->restoreDC();
            m_clipSaved = false;
            // Restoring the state brought back the objects selected before the
            // save: select the current ones again on their next use.
            m_pen.reset();
            m_brush.reset();
            m_font.reset();
            m_textColour.reset();
        }
        if (!state.isClipEnabled() || state.clipOperation() == Qt::NoClip) {
            return;
        }
        QRectF box;
        if (state.state() & DirtyClipPath) {
            box = state.transform().map(state.clipPath()).boundingRect();
        } else if (state.state() & DirtyClipRegion) {
            box = state.transform().mapRect(QRectF(state.clipRegion().boundingRect()));
        } else {
            return;
        }
        m_writer->saveDC();
        m_clipSaved = true;
        m_writer->intersectClipRect(Rect{px(box.left()), px(box.top()), px(box.right()) + 1, px(box.bottom()) + 1});
    }

    void selectPen(std::optional<std::tuple<std::uint32_t, std::int32_t, std::uint32_t>> pen)
    {
        if (pen == m_pen && m_pen) {
            return;
        }
        if (!pen) {
            m_writer->selectObject(StockObject::NullPen);
            if (m_penHandle) {
                m_writer->deleteObject(*m_penHandle);
                m_penHandle.reset();
            }
            m_pen = pen;
            return;
        }
        const std::uint32_t h = m_writer->createPen(std::get<0>(*pen), std::get<1>(*pen), std::get<2>(*pen));
        m_writer->selectObject(h);
        if (m_penHandle) {
            m_writer->deleteObject(*m_penHandle);
        }
        m_penHandle = h;
        m_pen = pen;
    }

    void selectBrush(std::optional<std::uint32_t> colour)
    {
        if (colour == m_brush && m_brush) {
            return;
        }
        if (!colour) {
            m_writer->selectObject(StockObject::NullBrush);
            if (m_brushHandle) {
                m_writer->deleteObject(*m_brushHandle);
                m_brushHandle.reset();
            }
            m_brush = colour;
            return;
        }
        const std::uint32_t h = m_writer->createBrush(0, *colour);
        m_writer->selectObject(h);
        if (m_brushHandle) {
            m_writer->deleteObject(*m_brushHandle);
        }
        m_brushHandle = h;
        m_brush = colour;
    }

    void selectFont(const FontSpec& wanted)
    {
        const auto key = std::make_tuple(wanted.face, wanted.height, wanted.escapement, wanted.weight, wanted.italic);
        if (m_font == key) {
            return;
        }
        auto it = m_fonts.find(key);
        if (it == m_fonts.end()) {
            it = m_fonts.emplace(key, m_writer->createFont(wanted)).first;
        }
        m_writer->selectObject(it->second);
        m_font = key;
    }

    std::optional<std::tuple<std::uint32_t, std::int32_t, std::uint32_t>> penSpec() const
    {
        if (m_qpen.style() == Qt::NoPen || brushColour(m_qpen.brush()).alpha() == 0 ||
            m_qpen.brush().style() == Qt::NoBrush) {
            return std::nullopt;
        }
        std::uint32_t style = pen::Solid;
        switch (m_qpen.style()) {
        case Qt::DashLine:
            style = pen::Dash;
            break;
        case Qt::DotLine:
            style = pen::Dot;
            break;
        case Qt::DashDotLine:
        case Qt::DashDotDotLine:
            style = pen::DashDot;
            break;
        default:
            break;
        }
        double width = m_qpen.widthF();
        if (!m_qpen.isCosmetic()) {
            width *= std::hypot(m_transform.m11(), m_transform.m12());
        }
        return std::make_tuple(style, std::max(1, px(width)), colourRef(brushColour(m_qpen.brush())));
    }

    std::optional<std::uint32_t> brushSpec() const
    {
        const QColor colour = brushColour(m_qbrush);
        if (m_qbrush.style() == Qt::NoBrush || colour.alpha() == 0) {
            return std::nullopt;
        }
        return colourRef(colour);
    }

    void stroke(const std::vector<std::vector<Point>>& shapes, bool)
    {
        const auto pen = penSpec();
        if (!pen) {
            return;
        }
        selectPen(pen);
        m_writer->polyPolyline(shapes);
    }

    void fillAndStroke(const std::vector<std::vector<Point>>& shapes, bool closed)
    {
        const auto brush = brushSpec();
        if (brush) {
            selectPen(std::nullopt);
            selectBrush(brush);
            m_writer->polyPolygon(shapes);
        }
        if (penSpec()) {
            if (closed) {
                std::vector<std::vector<Point>> rings = shapes;
                for (auto& r : rings) {
                    if (r.size() > 2 && (r.front().x != r.back().x || r.front().y != r.back().y) &&
                        brushSpec()) {
                        r.push_back(r.front());
                    }
                }
                stroke(rings, false);
            } else {
                stroke(shapes, false);
            }
        }
    }

    QSize m_size;
    int m_dpi;
    std::optional<EmfWriter> m_writer;
    QByteArray m_bytes;
    QPen m_qpen;
    QBrush m_qbrush;
    QFont m_qfont;
    QTransform m_transform;
    std::optional<std::tuple<std::uint32_t, std::int32_t, std::uint32_t>> m_pen;
    std::optional<std::uint32_t> m_penHandle;
    std::optional<std::uint32_t> m_brush;
    std::optional<std::uint32_t> m_brushHandle;
    std::optional<std::tuple<std::u16string, std::int32_t, std::int32_t, std::int32_t, bool>> m_font;
    std::map<std::tuple<std::u16string, std::int32_t, std::int32_t, std::int32_t, bool>, std::uint32_t> m_fonts;
    std::optional<std::uint32_t> m_textColour;
    bool m_clipSaved = false;
};

EmfPaintDevice::EmfPaintDevice(QSize size, int dpi)
    : m_size(size), m_dpi(dpi), m_engine(std::make_unique<EmfPaintEngine>(size, dpi))
{
}

EmfPaintDevice::~EmfPaintDevice() = default;

QPaintEngine* EmfPaintDevice::paintEngine() const
{
    return m_engine.get();
}

QByteArray EmfPaintDevice::bytes() const
{
    return m_engine->bytes();
}

bool EmfPaintDevice::save(const QString& path) const
{
    QFile file(path);
    if (m_engine->bytes().isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    return file.write(m_engine->bytes()) == m_engine->bytes().size() && file.flush();
}

int EmfPaintDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return static_cast<int>(std::lround(m_size.width() * 25.4 / m_dpi));
    case PdmHeightMM:
        return static_cast<int>(std::lround(m_size.height() * 25.4 / m_dpi));
    case PdmNumColors:
        return 0x7fffffff;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return m_dpi;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    }
    return 0;
}

} // namespace platform::emf
