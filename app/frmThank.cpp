#include "app/frmThank.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "platform/errors/Guard.h"

namespace shell {

namespace {

// The picture is 20,000 twips tall: 1,333 pixels at 15 twips to the pixel.
constexpr int PictureHeight = 20000 / 15;
constexpr int ButtonMargin = 8;

QFont pictureFont(const QFont& base)
{
    QFont font = base;
    font.setPointSize(10);
    return font;
}

} // namespace

frmThank::frmThank(QWidget* parent)
    : QDialog(parent), m_roll({}, InnerHeight, 0, 0, 0), m_p1Font(pictureFont(font()))
{
    setObjectName(QStringLiteral("frmThank"));
    setWindowTitle(QStringLiteral("Thank you!!!"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(InnerWidth, InnerHeight);

    m_cmdPause = new QPushButton(QStringLiteral("Pause"), this);
    m_cmdPause->setObjectName(QStringLiteral("cmdPause"));
    m_cmdResume = new QPushButton(QStringLiteral("Resume"), this);
    m_cmdResume->setObjectName(QStringLiteral("cmdResume"));
    m_cmdQuit = new QPushButton(QStringLiteral("Quit"), this);
    m_cmdQuit->setObjectName(QStringLiteral("cmdQuit"));
    int buttonWidth = 0;
    int buttonHeight = 0;
    for (QPushButton* b : {m_cmdPause, m_cmdResume, m_cmdQuit}) {
        b->setAutoDefault(false);
        buttonWidth = std::max(buttonWidth, b->sizeHint().width());
        buttonHeight = std::max(buttonHeight, b->sizeHint().height());
    }
    const int top = InnerHeight - ButtonMargin - buttonHeight;
    m_cmdPause->setGeometry(ButtonMargin, top, buttonWidth, buttonHeight);
    m_cmdResume->setGeometry(ButtonMargin, top, buttonWidth, buttonHeight);
    m_cmdQuit->setGeometry(InnerWidth - ButtonMargin - buttonWidth, top, buttonWidth, buttonHeight);
    connect(m_cmdPause, &QPushButton::clicked, this, [this] { cmdPause_Click(); });
    connect(m_cmdResume, &QPushButton::clicked, this, [this] { cmdResume_Click(); });
    connect(m_cmdQuit, &QPushButton::clicked, this, [this] { cmdQuit_Click(); });

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    connect(m_timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });

    Form_Load();
}

void frmThank::Form_Load()
{
    platform::guarded([&](platform::Guard& g) {
        const QFontMetrics metrics(m_p1Font);
        const int pictureWidth = metrics.horizontalAdvance(QString(21, QLatin1Char('m')));
        g.step([&] {
            m_p1 = QPixmap(pictureWidth, PictureHeight);
            m_p1.fill(palette().color(QPalette::Window));
            m_currentY = 0;
        });
        g.step([&] { m_cmdResume->hide(); });
        g.step([&] {
            m_roll = CreditRoll(CreditLines(), InnerHeight, CreditRoll::centredLeft(InnerWidth, pictureWidth),
                                m_p1.width(), m_p1.height());
        });
        g.step([&] {
            m_surface = QPixmap(InnerWidth, InnerHeight);
            m_surface.fill(palette().color(QPalette::Window));
        });
        g.step([&] { m_timer1->start(TimerInterval); });
    });
}

void frmThank::PrintCentered(const QString& text)
{
    const QFontMetrics metrics(m_p1Font);
    const int x = CreditRoll::centredLeft(m_p1.width(), metrics.horizontalAdvance(text));
    QPainter p(&m_p1);
    p.setFont(m_p1Font);
    p.setPen(QColor(0, 0, 255));
    p.drawText(x, m_currentY + metrics.ascent(), text);
    m_currentY += metrics.height();
}

void frmThank::Timer1_Timer()
{
    platform::guarded([&](platform::Guard& g) {
        CreditRoll::Step step;
        g.step([&] { step = m_roll.tick(); });
        if (step.printLine >= 0) {
            g.step([&] {
                PrintCentered(
                    QString::fromStdString(m_roll.CreditLines()[static_cast<std::size_t>(step.printLine)]));
            });
        }
        g.step([&] {
            QPainter p(&m_surface);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawPixmap(m_roll.PicLeft(), step.copyTop, m_p1);
            update();
        });
        if (step.finished) {
            g.step([&] { m_timer1->stop(); });
        }
    });
}

void frmThank::cmdPause_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { m_timer1->stop(); });
        g.step([&] { m_cmdResume->show(); });
        g.step([&] { m_cmdPause->hide(); });
    });
}

void frmThank::cmdResume_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { m_timer1->start(TimerInterval); });
        g.step([&] { m_cmdPause->show(); });
        g.step([&] { m_cmdResume->hide(); });
    });
}

void frmThank::cmdQuit_Click()
{
    close();
}

void frmThank::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, m_surface);
}

void frmThank::closeEvent(QCloseEvent* event)
{
    m_timer1->stop();
    m_roll.closed();
    QDialog::closeEvent(event);
}

void frmThank::reject()
{
    m_timer1->stop();
    m_roll.closed();
    QDialog::reject();
}

} // namespace shell
