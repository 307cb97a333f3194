#include "errorlib/ui/FDiags.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

#include "errorlib/MRegistry.h"
#include "errorlib/ui/CChooseFont.h"
#include "errorlib/ui/CSplit.h"

namespace rampart {

namespace reg = platform::registry;

namespace {

// Designed sizes, in pixels.
constexpr int DesignWidth = 640;
constexpr int DesignHeight = 440;
constexpr int DesignPaneHeight = 120;
constexpr int BarHeight = 5;
// Each pane keeps this much height while the bar is dragged, in twips.
constexpr int MinimumPaneTwips = 600;

std::vector<FDiags*>& viewers()
{
    static std::vector<FDiags*> list;
    return list;
}

MRegistry::RegKey viewerKey()
{
    return MRegistry::OpenRegKey(reg::Hive::CurrentUser, FDiags::KeyPath, reg::KeyRead | reg::KeyWrite);
}

QPlainTextEdit* makePane(const char* name, QWidget* parent)
{
    auto* pane = new QPlainTextEdit(parent);
    pane->setObjectName(QString::fromLatin1(name));
    pane->setReadOnly(true);
    pane->setLineWrapMode(QPlainTextEdit::NoWrap);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return pane;
}

QFont readFont(const MRegistry::RegKey& key, const std::string& pane)
{
    QFont font(QString::fromStdString(MRegistry::GetRegString(key, pane + " Font Face", "Lucida Console")));
    // Where the named face is missing, a fixed-pitch face stands in.
    font.setStyleHint(QFont::TypeWriter);
    const std::int32_t size = MRegistry::GetRegLong(key, pane + " Font Size", 8);
    font.setPointSize(size > 0 ? size : 8);
    font.setBold(MRegistry::GetRegLong(key, pane + " Font Bold", 0) != 0);
    font.setItalic(MRegistry::GetRegLong(key, pane + " Font Italic", 0) != 0);
    return font;
}

QString fromCrLf(const std::string& text)
{
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

void append(QPlainTextEdit* pane, const std::string& text)
{
    pane->moveCursor(QTextCursor::End);
    pane->insertPlainText(fromCrLf(text) + QLatin1Char('\n'));
}

} // namespace

FDiags::FDiags(const std::string& componentName, platform::Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_componentName(componentName), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("FDiags"));
    setWindowTitle(QStringLiteral("Keelwise Rampart"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("mnuFileExit"));
    connect(exit, &QAction::triggered, this, [this] { mnuFileExit_Click(); });
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    QMenu* font = edit->addMenu(QStringLiteral("Set &Font"));
    font->setObjectName(QStringLiteral("mnuEditFont"));
    QAction* traceFont = font->addAction(QStringLiteral("&Trace..."));
    traceFont->setObjectName(QStringLiteral("mnuEditFontTrace"));
    connect(traceFont, &QAction::triggered, this, [this] { mnuEditFontTrace_Click(); });
    QAction* diagsFont = font->addAction(QStringLiteral("&Diagnostics..."));
    diagsFont->setObjectName(QStringLiteral("mnuEditFontDiags"));
    connect(diagsFont, &QAction::triggered, this, [this] { mnuEditFontDiags_Click(); });

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    m_txtTrace = makePane("txtTrace", m_client);
    m_txtDiags = makePane("txtDiags", m_client);
    m_picSplit = new QWidget(m_client);
    m_picSplit->setObjectName(QStringLiteral("picSplit"));
    m_client->installEventFilter(this);

    viewers().push_back(this);
    Form_Load();
}

FDiags::~FDiags()
{
    m_client->removeEventFilter(this);
    std::erase(viewers(), this);
}

const std::vector<FDiags*>& FDiags::openViewers()
{
    return viewers();
}

double FDiags::twipsPerPixel() const
{
    const int dpi = logicalDpiY();
    return 1440.0 / (dpi > 0 ? dpi : 96);
}

void FDiags::Form_Load()
{
    m_loading = true;
    resize(DesignWidth, DesignHeight);
    setWindowTitle(QString::fromStdString(m_componentName) + QString::fromLatin1(TitleSuffix));
    std::unique_ptr<MRegistry::RegKey> key;
    try {
        key = std::make_unique<MRegistry::RegKey>(viewerKey());
        const double tpp = twipsPerPixel();
        const auto w = MRegistry::GetRegLong(*key, "Width", static_cast<std::int32_t>(std::lround(width() * tpp)));
        const auto h = MRegistry::GetRegLong(*key, "Height", static_cast<std::int32_t>(std::lround(height() * tpp)));
        if (w > 0 && h > 0) {
            resize(static_cast<int>(std::lround(w / tpp)), static_cast<int>(std::lround(h / tpp)));
        }
    } catch (...) {
    }
    // The client area's size follows from the window's before it is shown.
    if (layout()) {
        layout()->activate();
    }
    const int clientWidth = m_client->width();
    const int clientHeight = m_client->height();
    m_txtTrace->setGeometry(0, 0, clientWidth, DesignPaneHeight);
    m_picSplit->setGeometry(0, clientHeight / 3, clientWidth, BarHeight);
    m_txtDiags->setGeometry(0, clientHeight - DesignPaneHeight, clientWidth, DesignPaneHeight);
    m_split = new CSplit(static_cast<int>(std::lround(MinimumPaneTwips / twipsPerPixel())), this);
    m_split->AddASide(m_txtTrace);
    m_split->AddBSide(m_txtDiags);
    m_split->Split(m_picSplit);
    try {
        if (key) {
            m_txtTrace->setFont(readFont(*key, "Trace"));
            m_txtDiags->setFont(readFont(*key, "Diags"));
        }
    } catch (...) {
    }
    if (!key) {
        QFont fallback(QStringLiteral("Lucida Console"), 8);
        fallback.setStyleHint(QFont::TypeWriter);
        m_txtTrace->setFont(fallback);
        m_txtDiags->setFont(fallback);
    }
    m_loading = false;
}

void FDiags::layOutPanes()
{
    const int clientWidth = m_client->width();
    for (QWidget* w : {static_cast<QWidget*>(m_txtTrace), m_picSplit, static_cast<QWidget*>(m_txtDiags)}) {
        w->resize(clientWidth, w->height());
    }
    m_txtDiags->resize(clientWidth, std::max(0, m_client->height() - m_txtDiags->y()));
}

bool FDiags::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize && !m_loading) {
        layOutPanes();
    }
    return QMainWindow::eventFilter(watched, event);
}

void FDiags::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (m_loading || isMinimized()) {
        return;
    }
    try {
        const auto key = viewerKey();
        const double tpp = twipsPerPixel();
        MRegistry::SetRegLong(key, "Width", static_cast<std::int32_t>(std::lround(width() * tpp)));
        MRegistry::SetRegLong(key, "Height", static_cast<std::int32_t>(std::lround(height() * tpp)));
    } catch (...) {
    }
}

void FDiags::closeEvent(QCloseEvent* event)
{
    // The close box hides the window as File, Exit does: the panes keep what they hold.
    event->ignore();
    hide();
}

void FDiags::Display()
{
    try {
        if (isMinimized()) {
            showNormal();
        }
        show();
    } catch (...) {
    }
}

void FDiags::AddTrace(const std::string& trace)
{
    try {
        append(m_txtTrace, trace);
    } catch (...) {
    }
}

void FDiags::AddDiags(const std::string& diagnostics, bool bNew)
{
    try {
        if (bNew) {
            m_txtDiags->clear();
            Display();
        }
        append(m_txtDiags, diagnostics);
    } catch (...) {
    }
}

void FDiags::mnuFileExit_Click()
{
    hide();
}

void FDiags::mnuEditFontTrace_Click()
{
    chooseFont(true);
}

void FDiags::mnuEditFontDiags_Click()
{
    chooseFont(false);
}

void FDiags::chooseFont(bool tracePane)
{
    try {
        QPlainTextEdit* pane = tracePane ? m_txtTrace : m_txtDiags;
        QFont font = pane->font();
        if (!CChooseFont(m_dialogs).Show(font)) {
            return;
        }
        const std::string word = tracePane ? "Trace" : "Diags";
        try {
            const auto key = viewerKey();
            MRegistry::SetRegString(key, word + " Font Face", font.family().toStdString());
            MRegistry::SetRegLong(key, word + " Font Size", static_cast<std::int32_t>(std::lround(font.pointSizeF())));
            MRegistry::SetRegLong(key, word + " Font Bold", font.bold() ? -1 : 0);
            MRegistry::SetRegLong(key, word + " Font Italic", font.italic() ? -1 : 0);
        } catch (...) {
        }
        for (FDiags* viewer : viewers()) {
            (tracePane ? viewer->m_txtTrace : viewer->m_txtDiags)->setFont(font);
        }
    } catch (...) {
    }
}

} // namespace rampart
