#include "app/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace shell::ToolbarIcons {

namespace {

constexpr int Size = 24;

const QColor Ink(40, 40, 40);
const QColor Paper(255, 255, 255);
const QColor Blue(40, 90, 170);
const QColor Yellow(235, 190, 70);
const QColor Red(200, 40, 40);

QPen pen(const QColor& c, qreal width = 1.4)
{
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet of paper with a folded corner.
void page(QPainter& p, const QRectF& r)
{
    QPainterPath path;
    const qreal fold = r.width() * 0.3;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(pen(Ink));
    p.setBrush(Paper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void lines(QPainter& p, const QRectF& r, int count)
{
    p.setPen(pen(QColor(120, 120, 120), 1.0));
    for (int i = 0; i < count; ++i) {
        const qreal y = r.top() + (i + 1) * r.height() / (count + 1);
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
    }
}

void arrow(QPainter& p, bool down, qreal x, const QColor& c)
{
    p.setPen(pen(c, 2.0));
    p.drawLine(QPointF(x, 4), QPointF(x, 20));
    const qreal tip = down ? 20 : 4;
    const qreal back = down ? 15 : 9;
    p.drawLine(QPointF(x, tip), QPointF(x - 4, back));
    p.drawLine(QPointF(x, tip), QPointF(x + 4, back));
}

void letters(QPainter& p, const QString& top, const QString& bottom)
{
    QFont f = p.font();
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Ink);
    p.drawText(QRectF(12, 1, 12, 11), Qt::AlignCenter, top);
    p.drawText(QRectF(12, 12, 12, 11), Qt::AlignCenter, bottom);
}

void curvedArrow(QPainter& p, bool redo)
{
    p.save();
    if (redo) {
        p.translate(Size, 0);
        p.scale(-1, 1);
    }
    QPainterPath path;
    path.moveTo(6, 10);
    path.cubicTo(12, 3, 22, 8, 18, 18);
    p.setPen(pen(Blue, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setBrush(Blue);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(3, 6), QPointF(10, 6), QPointF(4, 13)}));
    p.restore();
}

void draw(QPainter& p, const QString& key)
{
    if (key == QLatin1String("New")) {
        page(p, QRectF(5, 2, 14, 20));
    } else if (key == QLatin1String("Open")) {
        p.setPen(pen(Ink));
        p.setBrush(Yellow.darker(115));
        p.drawRect(QRectF(2, 6, 18, 14));
        p.setBrush(Yellow);
        p.drawPolygon(QPolygonF({QPointF(5, 10), QPointF(23, 10), QPointF(20, 20), QPointF(2, 20)}));
    } else if (key == QLatin1String("Save")) {
        p.setPen(pen(Ink));
        p.setBrush(Blue);
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(Paper);
        p.drawRect(QRectF(6, 3, 12, 7));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(7, 14, 10, 7));
    } else if (key == QLatin1String("Print")) {
        p.setPen(pen(Ink));
        p.setBrush(Paper);
        p.drawRect(QRectF(7, 2, 10, 8));
        p.setBrush(QColor(170, 170, 170));
        p.drawRoundedRect(QRectF(2, 9, 20, 9), 2, 2);
        p.setBrush(Paper);
        p.drawRect(QRectF(6, 15, 12, 7));
    } else if (key == QLatin1String("Cut")) {
        p.setPen(pen(Ink, 1.6));
        p.drawLine(QPointF(7, 2), QPointF(15, 15));
        p.drawLine(QPointF(17, 2), QPointF(9, 15));
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(Red, 1.8));
        p.drawEllipse(QPointF(7, 18), 3.5, 3.5);
        p.drawEllipse(QPointF(17, 18), 3.5, 3.5);
    } else if (key == QLatin1String("Delete")) {
        p.setPen(pen(Red, 3.0));
        p.drawLine(QPointF(5, 5), QPointF(19, 19));
        p.drawLine(QPointF(19, 5), QPointF(5, 19));
    } else if (key == QLatin1String("Copy")) {
        page(p, QRectF(2, 2, 12, 15));
        page(p, QRectF(9, 7, 12, 15));
        lines(p, QRectF(11, 10, 7, 10), 3);
    } else if (key == QLatin1String("Paste")) {
        p.setPen(pen(Ink));
        p.setBrush(QColor(170, 120, 60));
        p.drawRoundedRect(QRectF(3, 4, 14, 18), 2, 2);
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(7, 2, 6, 4));
        page(p, QRectF(10, 9, 11, 13));
    } else if (key == QLatin1String("Undo")) {
        curvedArrow(p, false);
    } else if (key == QLatin1String("Redo")) {
        curvedArrow(p, true);
    } else if (key == QLatin1String("Sum")) {
        p.setPen(pen(Ink, 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(18, 5), QPointF(6, 5), QPointF(13, 12), QPointF(6, 19), QPointF(18, 19)}));
    } else if (key == QLatin1String("SortD")) {
        arrow(p, true, 6, Blue);
        letters(p, QStringLiteral("Z"), QStringLiteral("A"));
    } else if (key == QLatin1String("SortA")) {
        arrow(p, true, 6, Blue);
        letters(p, QStringLiteral("A"), QStringLiteral("Z"));
    } else if (key == QLatin1String("Find")) {
        p.setPen(pen(Ink, 3.0));
        p.drawLine(QPointF(14, 14), QPointF(21, 21));
        p.setPen(pen(Ink, 1.8));
        p.setBrush(QColor(190, 220, 250));
        p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
    } else if (key == QLatin1String("Bold") || key == QLatin1String("Italic") || key == QLatin1String("Underline")) {
        QFont f(QStringLiteral("Serif"));
        f.setPixelSize(17);
        f.setBold(key == QLatin1String("Bold"));
        f.setItalic(key == QLatin1String("Italic"));
        f.setUnderline(key == QLatin1String("Underline"));
        p.setFont(f);
        p.setPen(pen(Ink));
        p.drawText(QRectF(2, 1, 20, 21), Qt::AlignCenter,
                   key == QLatin1String("Bold") ? QStringLiteral("B")
                   : key == QLatin1String("Italic") ? QStringLiteral("I") : QStringLiteral("U"));
    } else if (key == QLatin1String("Align Left") || key == QLatin1String("Center") || key == QLatin1String("Align Right")) {
        p.setPen(pen(Ink, 1.6));
        const double widths[] = {16, 10, 16, 10};
        for (int i = 0; i < 4; ++i) {
            const double w = widths[i];
            const double x = key == QLatin1String("Align Left") ? 4 : key == QLatin1String("Center") ? 12 - w / 2 : 20 - w;
            const double y = 6 + i * 4;
            p.drawLine(QPointF(x, y), QPointF(x + w, y));
        }
    } else if (key == QLatin1String("Line")) {
        p.setPen(pen(Ink, 2.0));
        p.drawLine(QPointF(4, 20), QPointF(20, 4));
    } else if (key == QLatin1String("Arc")) {
        p.setPen(pen(Ink, 2.0));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(-12, 4, 32, 32), 0, 90 * 16);
    } else if (key == QLatin1String("Rectangle")) {
        p.setPen(pen(Ink, 1.6));
        p.setBrush(Paper);
        p.drawRect(QRectF(3, 6, 18, 12));
    } else if (key == QLatin1String("Ellipse")) {
        p.setPen(pen(Ink, 1.6));
        p.setBrush(Paper);
        p.drawEllipse(QRectF(2, 5, 20, 14));
    } else if (key == QLatin1String("Freeform")) {
        p.setPen(pen(Ink, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(3, 19), QPointF(7, 6), QPointF(13, 14), QPointF(17, 4), QPointF(21, 19)}));
    } else if (key == QLatin1String("Drawing")) {
        // A pencil.
        p.setPen(pen(Ink, 1.2));
        p.setBrush(Yellow);
        p.drawPolygon(QPolygonF({QPointF(6, 21), QPointF(3, 21), QPointF(3, 18), QPointF(16, 5), QPointF(19, 8)}));
        p.setBrush(Red);
        p.drawPolygon(QPolygonF({QPointF(16, 5), QPointF(18, 3), QPointF(21, 6), QPointF(19, 8)}));
    } else if (key == QLatin1String("Chart")) {
        p.setPen(pen(Ink, 1.0));
        p.setBrush(Blue);
        p.drawRect(QRectF(4, 12, 4, 9));
        p.setBrush(Red);
        p.drawRect(QRectF(10, 6, 4, 15));
        p.setBrush(Yellow);
        p.drawRect(QRectF(16, 9, 4, 12));
        p.setPen(pen(Ink, 1.4));
        p.drawLine(QPointF(2, 21), QPointF(22, 21));
    } else if (key == QLatin1String("Button")) {
        p.setPen(pen(Ink, 1.2));
        p.setBrush(QColor(215, 215, 215));
        p.drawRoundedRect(QRectF(2, 6, 20, 12), 3, 3);
        p.setPen(pen(QColor(120, 120, 120), 1.4));
        p.drawLine(QPointF(7, 12), QPointF(17, 12));
    } else if (key == QLatin1String("Help")) {
        p.setPen(pen(Blue));
        p.setBrush(QColor(220, 235, 255));
        p.drawEllipse(QRectF(2, 2, 20, 20));
        QFont f = p.font();
        f.setPixelSize(15);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
    }
}

} // namespace

QIcon icon(const QString& key)
{
    static const QStringList known{QStringLiteral("New"),   QStringLiteral("Open"),   QStringLiteral("Save"),
                                   QStringLiteral("Print"), QStringLiteral("Cut"),    QStringLiteral("Delete"),
                                   QStringLiteral("Copy"),  QStringLiteral("Paste"),  QStringLiteral("Undo"),
                                   QStringLiteral("Redo"),  QStringLiteral("Sum"),    QStringLiteral("SortD"),
                                   QStringLiteral("SortA"), QStringLiteral("Find"),   QStringLiteral("Help"),
                                   QStringLiteral("Bold"),  QStringLiteral("Italic"), QStringLiteral("Underline"),
                                   QStringLiteral("Align Left"), QStringLiteral("Center"), QStringLiteral("Align Right"),
                                   QStringLiteral("Line"),  QStringLiteral("Arc"),    QStringLiteral("Rectangle"),
                                   QStringLiteral("Ellipse"), QStringLiteral("Freeform"), QStringLiteral("Drawing"),
                                   QStringLiteral("Chart"), QStringLiteral("Button")};
    if (!known.contains(key))
        return {};
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p, key);
    }
    return QIcon(pixmap);
}

} // namespace shell::ToolbarIcons
