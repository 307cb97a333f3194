#include "errorlib/ui/FAbout.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

namespace rampart {

namespace {

// The library's logo: a shield with the library's mark.
QPixmap logo()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shield;
    shield.moveTo(32, 4);
    shield.lineTo(58, 14);
    shield.cubicTo(58, 40, 46, 52, 32, 60);
    shield.cubicTo(18, 52, 6, 40, 6, 14);
    shield.closeSubpath();
    p.setPen(QPen(QColor(30, 50, 110), 2));
    p.setBrush(QColor(60, 100, 180));
    p.drawPath(shield);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(20);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(6, 10, 52, 40), Qt::AlignCenter, QStringLiteral("R6"));
    return pixmap;
}

} // namespace

FAbout::FAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FAbout"));
    setWindowTitle(QStringLiteral("About Keelwise Rampart"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* frame1 = new QFrame(this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameShape(QFrame::Box);
    auto* frameLayout = new QHBoxLayout(frame1);
    auto* image1 = new QLabel(frame1);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(logo());
    frameLayout->addWidget(image1);

    m_lblVersion = new QLabel(QString::fromUtf8(LibraryInfo::FileDescription), this);
    m_lblVersion->setObjectName(QStringLiteral("lblVersion"));
    QFont bold = m_lblVersion->font();
    bold.setBold(true);
    m_lblVersion->setFont(bold);
    m_lblLegal = new QLabel(QString::fromUtf8(LibraryInfo::LegalCopyright), this);
    m_lblLegal->setObjectName(QStringLiteral("lblLegal"));
    m_lblWarning = new QLabel(QString::fromUtf8(LibraryInfo::Warning), this);
    m_lblWarning->setObjectName(QStringLiteral("lblWarning"));
    m_lblWarning->setWordWrap(true);
    m_lblWarning->setMinimumWidth(360);
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(frame1, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(m_lblVersion, 0, 1);
    grid->addWidget(m_lblLegal, 1, 1);
    grid->addWidget(m_lblWarning, 2, 0, 1, 2);
    grid->addWidget(m_cmdOK, 3, 1, Qt::AlignRight);
    setFixedSize(sizeHint());
}

void FAbout::Display(QWidget* parent)
{
    try {
        FAbout box(parent);
        box.exec();
    } catch (...) {
    }
}

} // namespace rampart
