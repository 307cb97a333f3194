#include "app/frmSplash.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "platform/dialogs/Dialogs.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/Convert.h"
#include "shell/core/ProgramInfo.h"
#include "app/ProgramIcon.h"

namespace shell {

namespace {
QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

// The logo's side in pixels.
constexpr int kLogoSide = 64;
} // namespace

frmSplash::frmSplash(QString lockPath, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_lockPath(lockPath.isEmpty() ? defaultLockPath() : lockPath)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(560, 350);
    auto* layout = new QVBoxLayout(this);
    layout->addSpacing(110);  // the band of the banner
    m_frame1 = new QFrame(this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame1->setFrameShape(QFrame::Box);
    // In the frame: the logo on the left, the texts beside it, and the two
    // grant lines across the foot.
    auto* rows = new QVBoxLayout(m_frame1);
    auto* top = new QHBoxLayout;
    rows->addLayout(top);
    m_imgLogo = new QLabel(m_frame1);
    m_imgLogo->setObjectName(QStringLiteral("imgLogo"));
    m_imgLogo->setPixmap(ProgramIcon::icon().pixmap(kLogoSide));
    m_imgLogo->setFixedSize(kLogoSide, kLogoSide);
    top->addWidget(m_imgLogo, 0, Qt::AlignTop);
    auto* inner = new QVBoxLayout;
    top->addLayout(inner, 1);
    m_lblProductName = new QLabel(m_frame1);
    m_lblProductName->setFont(QFont(QStringLiteral("Times New Roman"), 24, QFont::Bold));
    m_lblCompanyProduct = new QLabel(m_frame1);
    m_lblCompanyProduct->setFont(QFont(QStringLiteral("Times New Roman"), 11, QFont::Bold));
    m_lblPlatform = new QLabel(m_frame1);
    m_lblCompany = new QLabel(m_frame1);
    m_lblCompany->setFont(QFont(QStringLiteral("Arial"), 9));
    m_lblVersion = new QLabel(m_frame1);
    m_lblVersion->setFont(QFont(QStringLiteral("Arial"), 10, QFont::Bold));
    auto* author = new QLabel(QStringLiteral("Author: ") + QString::fromLatin1(ProgramInfo::CompanyName), m_frame1);
    for (QWidget* w : {static_cast<QWidget*>(m_lblProductName), static_cast<QWidget*>(m_lblCompanyProduct),
                       static_cast<QWidget*>(m_lblPlatform), static_cast<QWidget*>(m_lblCompany),
                       static_cast<QWidget*>(m_lblVersion), static_cast<QWidget*>(author)}) {
        inner->addWidget(w);
    }
    m_label1 = new QLabel(QStringLiteral("Supported by a research grant for the study of gene expression."), m_frame1);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label2 = new QLabel(QStringLiteral("Supported by a research grant for molecular sequence analysis."), m_frame1);
    m_label2->setObjectName(QStringLiteral("Label2"));
    rows->addStretch(1);
    auto* grants = new QVBoxLayout;
    grants->setSpacing(2);
    rows->addLayout(grants);
    for (QLabel* grant : {m_label1, m_label2}) {
        grant->setFont(QFont(QStringLiteral("Arial"), 8));
        grants->addWidget(grant);
    }
    layout->addWidget(m_frame1);
}

frmSplash::~frmSplash() = default;

QString frmSplash::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) {
        dir = QDir::tempPath();
    }
    return QDir(dir).filePath(QStringLiteral("Quorin.lock"));
}

bool frmSplash::Load(double holdSeconds)
{
    DrawBanner();
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        const std::string exe = ProgramInfo::ExeName;
        platform::dialogs().MsgBox(exe + " is already running.", platform::mb::Critical | platform::mb::OkOnly,
                                   exe + " is running.");
        m_lock.reset();
        return false;
    }
    m_lblVersion->setText(QStringLiteral("Version ") + qs(ProgramInfo::Version()));
    m_lblProductName->setText(QString::fromLatin1(ProgramInfo::Title));
    m_lblCompanyProduct->setText(QString::fromLatin1(ProgramInfo::Comments));
    m_lblPlatform->setText(QStringLiteral("for Micorsoft Windows 95/98/NT"));
    m_lblCompany->setText(QString::fromLatin1(ProgramInfo::CompanyName));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const QSize outer = frameGeometry().size();
        move(area.left() + (area.width() - outer.width()) / 2, area.top() + (area.height() - outer.height()) / 2);
    }
    show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
    platform::rt::WaitPumping(holdSeconds);
    return true;
}

void frmSplash::DrawBanner()
{
    const QString text = QStringLiteral("Welcome to ") + QString::fromLatin1(ProgramInfo::Title);
    m_banner = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    m_banner.fill(palette().color(QPalette::Window));
    QPainter p(&m_banner);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(36);
    p.setFont(font);
    const QFontMetrics fm(font);
    const int bandHeight = m_frame1 ? m_frame1->geometry().top() : height() / 3;
    const int x = platform::rt::CLng((width() - fm.horizontalAdvance(text)) / 2.0);
    const int y = platform::rt::CLng((bandHeight - fm.height()) / 2.0);
    p.setPen(Qt::white);
    p.drawText(x - 1, y - 1 + fm.ascent(), text);
    p.setPen(Qt::black);
    p.drawText(x, y + fm.ascent(), text);
    update();
}

void frmSplash::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, m_banner);
}

void frmSplash::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    DrawBanner();
}

} // namespace shell
