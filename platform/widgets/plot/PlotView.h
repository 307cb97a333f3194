#pragma once

// PlotView: the picture of a chart or a graph and its exports, shared by the
// chart and graph controls.
//
// A plot view shows one surface: a Qt Charts chart (the 2-D chart types) or
// a widget that paints itself (the oblique 3-D types). Whatever it shows is
// rendered, at the view's size, into
//   - a bitmap (QImage; PNG or BMP files),
//   - SVG (Qt SVG),
//   - an enhanced metafile (platform/metafile),
//   - a PDF page (Qt Print Support; the printer stand-in until printing
//     lands),
// and copied to the clipboard as a bitmap, as vector data (SVG and the
// metafile bytes) or, for the data, as text.
//
// The bitmap, SVG, metafile and clipboard exports are also offered for any
// picture drawn by a painting function (imageOf, svgOf, metafileOf, copy), so
// that a control that paints itself (the chart control) exports through the
// same code.

#include <functional>
#include <optional>

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QWidget>

class QChart;
class QChartView;
class QPrinter;
class QStackedLayout;

namespace platform {

class PlotView : public QWidget {
    Q_OBJECT
public:
    // Draws a picture into the target rectangle.
    using Painting = std::function<void(QPainter&, const QRectF&)>;
    // What goes to the clipboard in one entry; an empty picture form and an
    // absent text are left out.
    struct ClipboardForms {
        QImage bitmap{};
        QByteArray svg{};       // "image/svg+xml"
        QByteArray metafile{};  // "image/emf" and "image/x-emf"
        std::optional<QString> text{};
    };

    explicit PlotView(QWidget* parent = nullptr);
    ~PlotView() override;

    // Shows the chart (the view takes it; the former chart is deleted).
    void showChart(QChart* chart);
    // Shows a widget that paints itself (the view takes it).
    void showPainted(QWidget* surface);
    [[nodiscard]] QChart* chart() const noexcept { return m_chart; }
    [[nodiscard]] bool isChartShown() const noexcept { return m_chart != nullptr; }

    // Draws what the view shows into the target rectangle.
    void render(QPainter& painter, const QRectF& target);

    [[nodiscard]] QImage toImage();
    // "bmp" writes a Windows bitmap, anything else PNG. False when the file
    // cannot be written.
    [[nodiscard]] bool saveBitmap(const QString& path);
    [[nodiscard]] QByteArray svgBytes();
    [[nodiscard]] bool saveSvg(const QString& path);
    [[nodiscard]] QByteArray metafileBytes();
    [[nodiscard]] bool saveMetafile(const QString& path);
    // One page: a chart laid out for the page's printable area with its
    // texts at their point sizes, a painted picture scaled to the page with
    // its shape kept. The printer draws at ScreenDotsPerInch. False when the
    // printer cannot be drawn on.
    static constexpr int ScreenDotsPerInch = 96;
    [[nodiscard]] bool print(QPrinter& printer);
    [[nodiscard]] bool printToPdf(const QString& path);

    // A picture `size` pixels large drawn by `paint` on white: as a bitmap
    // (with the painter's render hints `hints`), as SVG titled `title`, and
    // as enhanced-metafile bytes.
    [[nodiscard]] static QImage imageOf(QSize size, QPainter::RenderHints hints, const Painting& paint);
    [[nodiscard]] static QByteArray svgOf(QSize size, const QString& title, const Painting& paint);
    [[nodiscard]] static QByteArray metafileOf(QSize size, const Painting& paint);
    // Replaces the clipboard's content by the forms given.
    static void copy(const ClipboardForms& forms);

    void copyBitmap();
    // SVG ("image/svg+xml") and the metafile ("image/emf", "image/x-emf").
    void copyVector();
    static void copyText(const QString& text);

private:
    // Draws what the view shows at its own size.
    [[nodiscard]] Painting painting();
    // Gives the chart that size and lays it out at once.
    void layOutChart(QSizeF size);

    QStackedLayout* m_stack;
    QChartView* m_chartView;
    QChart* m_chart = nullptr;
    QWidget* m_painted = nullptr;
};

} // namespace platform
