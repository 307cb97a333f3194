#include "app/ProgramIcon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace shell::ProgramIcon {

QIcon icon()
{
    // Drawn once through the SVG renderer rather than an icon-engine
    // plug-in, so the icon does not depend on which plug-ins are installed.
    static const QIcon drawn = [] {
        QIcon out;
        QSvgRenderer picture{QString::fromLatin1(Path)};
        if (!picture.isValid())
            return out;
        for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
            QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            picture.render(&painter);
            painter.end();
            out.addPixmap(QPixmap::fromImage(image));
        }
        return out;
    }();
    return drawn;
}

} // namespace shell::ProgramIcon
