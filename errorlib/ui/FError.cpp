#include "errorlib/ui/FError.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

#include "errorlib/FErrorLayout.h"
#include "errorlib/ui/FAbout.h"
#include "errorlib/ui/UiClock.h"

namespace rampart {

namespace {

namespace L = FErrorLayout;

constexpr std::int16_t ActionCancel = 2;
constexpr std::int16_t ActionEnd = 3;
constexpr std::int16_t ActionRetry = 4;

// Designed heights of the text boxes, in lines of their font.
constexpr int ErrorLines = 7;
constexpr int RemarksLines = 3;

QString fromCrLf(const std::string& text)
{
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

} // namespace

FError::FError(UiClock& clock, QWidget* parent) : QDialog(parent), m_clock(clock)
{
    setObjectName(QStringLiteral("FError"));
    setWindowTitle(QStringLiteral("Keelwise Rampart"));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    showAbout = [](QWidget* owner) { FAbout::Display(owner); };

    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    m_lblCaption = new QLabel(QStringLiteral("lblCaption"), this);
    m_lblCaption->setObjectName(QStringLiteral("lblCaption"));
    QFont headline(QStringLiteral("Sans Serif"), 12, QFont::Bold);
    headline.setStyleHint(QFont::SansSerif);
    m_lblCaption->setFont(headline);

    const char* frameCaptions[] = {"Error Description", "Remarks", "<custom>", "Action"};
    for (std::size_t i = 0; i < m_frames.size(); ++i) {
        m_frames[i] = new QGroupBox(QString::fromLatin1(frameCaptions[i]), this);
        m_frames[i]->setObjectName(QStringLiteral("fraFrame%1").arg(i));
    }
    m_txtError = new QPlainTextEdit(m_frames[0]);
    m_txtError->setObjectName(QStringLiteral("txtError"));
    m_txtError->setReadOnly(true);
    m_txtError->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_txtError->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_txtError->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_txtRemarks = new QPlainTextEdit(m_frames[1]);
    m_txtRemarks->setObjectName(QStringLiteral("txtRemarks"));
    m_txtRemarks->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(m_txtRemarks, &QPlainTextEdit::textChanged, this, [this] { pauseCountdown(); });

    for (std::size_t i = 0; i < m_custom.size(); ++i) {
        m_custom[i] = new QPushButton(QStringLiteral("<custom%1>").arg(i + 1), m_frames[2]);
        m_custom[i]->setObjectName(QStringLiteral("cmdCustom%1").arg(i + 1));
        m_custom[i]->setAutoDefault(false);
        connect(m_custom[i], &QPushButton::clicked, this, [this, i] { cmdCustom_Click(static_cast<int>(i) + 1); });
    }
    const char* buttonCaptions[] = {"<exit>", "<cancel>", "<retry>", "<timer>"};
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i] = new QPushButton(QString::fromLatin1(buttonCaptions[i]), m_frames[3]);
        m_buttons[i]->setObjectName(QStringLiteral("cmdButton%1").arg(i));
        m_buttons[i]->setAutoDefault(false);
        connect(m_buttons[i], &QPushButton::clicked, this, [this, i] { cmdButton_Click(static_cast<int>(i)); });
    }
    m_cmdAbout = new QPushButton(QStringLiteral("About Keelwise..."), this);
    m_cmdAbout->setObjectName(QStringLiteral("cmdAbout"));
    m_cmdAbout->setToolTip(QStringLiteral("About Keelwise Rampart from Vantorel"));
    m_cmdAbout->setAutoDefault(false);
    connect(m_cmdAbout, &QPushButton::clicked, this, [this] { cmdAbout_Click(); });

    m_timer = m_clock.createTimer(1000, [this] { tmrTimer_Timer(); });
}

FError::~FError() = default;

double FError::twipsPerPixel() const
{
    const int dpi = logicalDpiX();
    return 1440.0 / (dpi > 0 ? dpi : 96);
}

int FError::toPixels(double twips) const
{
    return static_cast<int>(std::lround(twips / twipsPerPixel()));
}

int FError::textTwips(const QString& text, const QFont& font) const
{
    return static_cast<int>(std::lround(QFontMetrics(font).horizontalAdvance(text) * twipsPerPixel()));
}

bool FError::isTimerRunning() const
{
    return m_timer->isActive();
}

ErrorDialogResult FError::Display(const ErrorDialogRequest& request)
{
    m_request = request;
    m_action = 0;
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    struct CursorRestore {
        ~CursorRestore() { QApplication::restoreOverrideCursor(); }
    } restore;

    layOut(request);
    if (m_countdown.isRunning()) {
        m_timer->start();
    } else {
        m_timer->stop();
    }
    exec();
    m_timer->stop();
    m_countdown.stop();

    QCoreApplication::processEvents();
    m_clock.wait(200);
    QString remarks = m_txtRemarks->toPlainText();
    remarks.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return {m_action, L::trimRemarks(remarks.toStdString())};
}

void FError::layOut(const ErrorDialogRequest& request)
{
    const L::States states = L::states(request);
    const QFont dialogFont = font();
    const auto measure = [&](const std::string& caption) {
        // A button is never narrower than the style needs for its caption.
        const QString text = QString::fromStdString(caption);
        QPushButton probe(text);
        probe.setFont(dialogFont);
        const int styleNeed =
            static_cast<int>(std::lround(probe.sizeHint().width() * twipsPerPixel())) - L::ButtonPadding;
        return std::max(textTwips(text, dialogFont), styleNeed);
    };
    int buttonHeight = 0;
    for (QPushButton* b : m_buttons) {
        buttonHeight = std::max(buttonHeight, b->sizeHint().height());
    }

    // Headline.
    m_lblCaption->setText(QStringLiteral("Error In ") + QString::fromStdString(request.component));

    // Custom row.
    int customWidth = 0;
    m_frames[2]->setVisible(states.frameVisible[2]);
    if (states.frameVisible[2]) {
        m_frames[2]->setTitle(QString::fromStdString(request.customFrameCaption));
        const std::vector<L::ButtonRecord> records = L::customRow(request);
        const L::Row row = L::layoutRow(records, measure);
        for (std::size_t i = 0; i < m_custom.size(); ++i) {
            const L::PlacedButton& placed = row.buttons[i];
            m_custom[i]->setVisible(placed.visible);
            if (placed.visible) {
                m_custom[i]->setText(QString::fromStdString(records[i].caption));
                m_custom[i]->setToolTip(QString::fromStdString(records[i].toolTip));
                m_custom[i]->setGeometry(toPixels(placed.left), toPixels(L::RowTop), toPixels(placed.width),
                                         buttonHeight);
            }
        }
        customWidth = row.width;
    }

    // Action row.
    m_countdown.start(request.retryInterval, states.countdownRuns);
    const std::vector<L::ButtonRecord> records = L::standardRow(m_countdown.caption());
    const L::Row row = L::layoutRow(records, measure);
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i]->setText(QString::fromStdString(records[i].caption));
        m_buttons[i]->setToolTip(QString::fromStdString(records[i].toolTip));
        m_buttons[i]->setGeometry(toPixels(row.buttons[i].left), toPixels(L::RowTop), toPixels(row.buttons[i].width),
                                  buttonHeight);
        m_buttons[i]->setEnabled(states.buttonEnabled[i]);
        m_buttons[i]->setVisible(states.buttonVisible[i] && row.buttons[i].visible);
    }

    // Error text and the width of the dialog.
    const std::string text = L::errorText(request.description, request.suggestion, request.notes);
    const QFont textFont = m_txtError->font();
    // A line's width in the box includes the box's frame and text margins.
    const int chrome = static_cast<int>(std::lround(
        (2 * m_txtError->frameWidth() + 2 * m_txtError->document()->documentMargin() + 1) * twipsPerPixel()));
    const int widest = L::widestLine(text, [&](const std::string& line) {
        return textTwips(QString::fromStdString(line), textFont) + chrome;
    });
    const int scrollBar =
        static_cast<int>(std::lround(style()->pixelMetric(QStyle::PM_ScrollBarExtent) * twipsPerPixel()));
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const int screenWidth =
        static_cast<int>(std::lround((screen ? screen->availableGeometry().width() : 1024) * twipsPerPixel()));
    const int width = L::dialogWidth(customWidth, row.width, widest, scrollBar, screenWidth);

    const int lineHeight = QFontMetrics(textFont).lineSpacing();
    const int frameTitle = toPixels(L::RowTop);
    const int margin = toPixels(L::InnerMargin);
    m_txtError->setPlainText(fromCrLf(text));
    m_txtError->setGeometry(margin, frameTitle, toPixels(width - 2 * L::InnerMargin), lineHeight * ErrorLines + 8);
    m_frames[1]->setVisible(states.frameVisible[1]);
    {
        const QSignalBlocker quiet(m_txtRemarks);
        m_txtRemarks->clear();
    }
    m_txtRemarks->setGeometry(margin - 3, frameTitle, toPixels(width - 2 * L::InnerMargin) + 5,
                              lineHeight * RemarksLines + 8);

    // Frames stacked in order under the headline.
    const int headlineBottom =
        std::max(m_image1->sizeHint().height(), m_lblCaption->sizeHint().height()) + toPixels(L::OuterMargin);
    m_image1->setGeometry(toPixels(L::OuterMargin), toPixels(L::OuterMargin), m_image1->sizeHint().width(),
                          m_image1->sizeHint().height());
    const int frameHeights[] = {
        frameTitle + m_txtError->height() + margin,
        frameTitle + m_txtRemarks->height() + margin,
        frameTitle + buttonHeight + margin,
        frameTitle + buttonHeight + margin,
    };
    int top = headlineBottom + toPixels(L::OuterMargin);
    for (std::size_t i = 0; i < m_frames.size(); ++i) {
        if (!states.frameVisible[i]) {
            continue;
        }
        m_frames[i]->setGeometry(toPixels(L::OuterMargin), top, toPixels(width), frameHeights[i]);
        top += frameHeights[i] + toPixels(L::OuterMargin);
    }
    const int clientWidth = toPixels(width + 2 * L::OuterMargin);
    setFixedSize(clientWidth, top);

    m_cmdAbout->adjustSize();
    m_cmdAbout->move(clientWidth - toPixels(L::OuterMargin) - m_cmdAbout->width(), toPixels(L::OuterMargin));
    m_cmdAbout->setVisible(request.showAbout);
    const int captionLeft = m_image1->geometry().right() + toPixels(L::InnerMargin);
    const int captionRight = request.showAbout ? m_cmdAbout->x() - toPixels(L::OuterMargin) : clientWidth - margin;
    m_lblCaption->setGeometry(captionLeft, toPixels(L::OuterMargin), std::max(0, captionRight - captionLeft),
                              std::max(m_lblCaption->sizeHint().height(), m_image1->height()));
}

void FError::choose(std::int16_t action)
{
    m_action = action;
    m_timer->stop();
    m_countdown.stop();
    done(QDialog::Accepted);
}

void FError::cmdButton_Click(int index)
{
    switch (index) {
    case 0:
        choose(ActionEnd);
        break;
    case 1:
        choose(ActionCancel);
        break;
    case 2:
        choose(ActionRetry);
        break;
    default:
        if (m_countdown.toggle()) {
            choose(ActionRetry);
            return;
        }
        if (m_countdown.isRunning()) {
            m_timer->start();
        } else {
            m_timer->stop();
        }
        showCountdown();
        break;
    }
}

void FError::cmdCustom_Click(int index)
{
    pauseCountdown();
    if (m_request.customClick) {
        m_request.customClick(static_cast<std::int16_t>(index));
    }
}

void FError::cmdAbout_Click()
{
    pauseCountdown();
    if (showAbout) {
        showAbout(this);
    }
}

void FError::tmrTimer_Timer()
{
    if (m_countdown.tick()) {
        choose(ActionRetry);
        return;
    }
    showCountdown();
}

void FError::pauseCountdown()
{
    if (!m_countdown.isRunning()) {
        return;
    }
    m_timer->stop();
    m_countdown.pause();
    showCountdown();
}

void FError::showCountdown()
{
    m_buttons[3]->setText(QString::fromStdString(m_countdown.caption()));
    m_buttons[3]->setToolTip(QString::fromStdString(m_countdown.toolTip()));
}

void FError::closeEvent(QCloseEvent* event)
{
    event->ignore();
    reject();
}

void FError::reject()
{
    // Closing the window is Cancel Action while that choice is open; otherwise
    // the user has to pick one of the buttons.
    if (isVisible() && m_buttons[1]->isEnabled()) {
        choose(ActionCancel);
    }
}

} // namespace rampart
