#include "sequence/editor/frmSeqEdit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "engines/progress_qt/QtProgress.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/dll/Library.h"
#include "platform/errors/Guard.h"
#include "platform/widgets/placement/WindowPlacement.h"
#include "platform/widgets/richtext/RichTextBox.h"
#include "sequence/SegmentInput.h"
#include "sequence/SeqUtil.h"
#include "sequence/editor/CSpliter.h"
#include "sequence/mRyt.h"
#include "sequence/rtfUtil.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/SimpTool.h"

namespace sequence::editor {

namespace {

const char* const kTitle = shell::ProgramInfo::Title;

// The window's controls as the splitter sees them (pixels).
class WidgetControl final : public SplitControl {
public:
    explicit WidgetControl(QWidget* w) : m_w(w) {}
    std::int32_t left() const override { return m_w->x(); }
    std::int32_t top() const override { return m_w->y(); }
    std::int32_t width() const override { return m_w->width(); }
    std::int32_t height() const override { return m_w->height(); }
    void move(std::int32_t l, std::int32_t t, std::int32_t w, std::int32_t h) override
    {
        m_w->setGeometry(l, t, std::max(w, 0), std::max(h, 0));
    }
    void setPointer(int shape) override
    {
        m_w->setCursor(shape == CSpliter::kSizeWE ? Qt::SizeHorCursor : Qt::ArrowCursor);
    }

private:
    QWidget* m_w;
};

// The host: its inner size is that of the editing area.
class HostControl final : public SplitControl {
public:
    explicit HostControl(QWidget* w) : m_w(w) {}
    std::int32_t left() const override { return 0; }
    std::int32_t top() const override { return 0; }
    std::int32_t width() const override { return m_w->width(); }
    std::int32_t height() const override { return m_w->height(); }
    void move(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
    void setPointer(int shape) override
    {
        m_w->setCursor(shape == CSpliter::kSizeWE ? Qt::SizeHorCursor : Qt::ArrowCursor);
    }

private:
    QWidget* m_w;
};

void msg(const std::string& text, int style, const char* title = kTitle)
{
    (void)platform::dialogs().MsgBox(text, style, title);
}

std::string strip(const std::string& s, char c)
{
    std::string out;
    std::copy_if(s.begin(), s.end(), std::back_inserter(out), [c](char x) { return x != c; });
    return out;
}

// Residues coloured as the sequence views colour them: A, C, G, U on
// nucleotides, the long table on proteins.
QColor residueColour(char c, bool protein)
{
    if (!protein) {
        const auto& t = rtfUtil::ShortColorTable();
        const char* letters = "ACGU";
        const char* at = std::strchr(letters, c);
        const auto& rgb = (c != '\0' && at != nullptr) ? t[static_cast<std::size_t>(at - letters + 1)] : t[0];
        return {rgb.red, rgb.green, rgb.blue};
    }
    static const std::string order = "VACGTRNDEQHILKMFPSWY";
    const auto k = order.find(c);
    if (c == '\0' || k == std::string::npos)
        return Qt::black;
    const auto& rgb = rtfUtil::LongColorTable()[k];
    return {rgb.red, rgb.green, rgb.blue};
}

// The colour a typed character takes; black for accepted non-bases.
std::optional<QColor> typedColour(char c)
{
    switch (c) {
    case 'A': case 'a': return QColor(255, 0, 0);
    case 'C': case 'c': return QColor(0, 0, 255);
    case 'G': case 'g': return QColor(0, 255, 0);
    case 'U': case 'u': return QColor(255, 0, 255);
    default: break;
    }
    if (std::string_view("-?KMRSWYkmrswy").find(c) != std::string_view::npos)
        return QColor(Qt::black);
    return std::nullopt;
}

template <class F>
void guard(F&& f)
{
    platform::guarded([&](platform::Guard& g) { g.step(f); });
}

} // namespace

frmSeqEdit::frmSeqEdit(const std::vector<std::string>& seqs, const std::vector<std::string>& names,
                       std::int32_t numSeq, std::int32_t maxLen, std::string seqType, QWidget* parent)
    : QDialog(parent), m_inSeqs(seqs), m_inNames(names), m_inNumSeq(numSeq), m_inMaxLen(maxLen),
      m_seqType(std::move(seqType)), m_splitter(std::make_unique<CSpliter>())
{
    setObjectName("frmSeqEdit");
    setWindowTitle("Sequence Editor");
    menuBar = new QMenuBar(this);
    body = new QWidget(this);
    body->setObjectName("body");
    body->setMouseTracking(true);
    body->installEventFilter(this);
    rtfSeqName = new platform::RichTextBox(body);
    rtfSeqName->setObjectName("rtfSeqName");
    rtfSeq = new platform::RichTextBox(body);
    rtfSeq->setObjectName("rtfSeq");
    for (auto* pane : {rtfSeqName, rtfSeq}) {
        pane->setLineWrapMode(QTextEdit::NoWrap);
        pane->setAcceptRichText(false);
        pane->installEventFilter(this);
    }
    rtfSeq->viewport()->setMouseTracking(true);
    rtfSeq->viewport()->installEventFilter(this);
    rtfSeqName->viewport()->installEventFilter(this);
    rtfSeqName->setGeometry(2, 2, 130, 300);
    rtfSeq->setGeometry(134, 2, 600, 300);
    VScroll1 = new QScrollBar(Qt::Vertical, body);
    VScroll1->setObjectName("VScroll1");
    VScroll1->setGeometry(0, 0, VScroll1->sizeHint().width(), 100);
    HScroll1 = new QSlider(Qt::Horizontal, body);
    HScroll1->setObjectName("HScroll1");
    HScroll1->setFixedHeight(20);
    sbStatusBar = new QStatusBar(this);
    sbStatusBar->setObjectName("sbStatusBar");
    auto* panel1 = new QLabel(QString("Number of sequence: %1").arg(m_inNumSeq), sbStatusBar);
    panel1->setObjectName("panel1");
    ProgressBar1 = new QProgressBar(sbStatusBar);
    ProgressBar1->setObjectName("ProgressBar1");
    auto* panel3 = new QLabel("Insert", sbStatusBar);
    panel3->setObjectName("panel3");
    sbStatusBar->addWidget(panel1);
    sbStatusBar->addWidget(ProgressBar1, 1);
    sbStatusBar->addPermanentWidget(panel3);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addWidget(body, 1);
    layout->addWidget(sbStatusBar);
    buildMenus();

    // Bar width and margin 30 twips, the hot zone 200 twips, in pixels.
    for (QWidget* w : {static_cast<QWidget*>(rtfSeqName), static_cast<QWidget*>(rtfSeq),
                       static_cast<QWidget*>(VScroll1), static_cast<QWidget*>(HScroll1)})
        m_controls.push_back(std::make_unique<WidgetControl>(w));
    m_controls.push_back(std::make_unique<HostControl>(body));
    m_splitter->setBarWidth(2);
    m_splitter->setLeftPane(m_controls[0].get());
    m_splitter->setRightPane(m_controls[1].get());
    m_splitter->setHostForm(m_controls[4].get());
    m_splitter->setMargin(2);
    m_splitter->setHotZone(13);

    applyFont();
    HScroll1->setVisible(true);
    if (m_inNumSeq < 1) {
        VScroll1->setMaximum(1);
        HScroll1->setMaximum(2);
        SeqAddNew_Click();
    } else {
        const auto n = static_cast<std::size_t>(m_inNumSeq);
        m_seqData.assign(m_inSeqs.begin(), m_inSeqs.begin() + static_cast<std::ptrdiff_t>(std::min(n, m_inSeqs.size())));
        m_seqData.resize(n);
        m_seqName.assign(m_inNames.begin(), m_inNames.begin() + static_cast<std::ptrdiff_t>(std::min(n, m_inNames.size())));
        m_seqName.resize(n);
        m_numSeq = m_inNumSeq;
        Show(0, 1);
        VScroll1->setMaximum(m_inNumSeq - 1);
        HScroll1->setMaximum(std::max(m_maxLen, 1));
    }
    VScroll1->setMinimum(0);
    VScroll1->setPageStep(5);
    VScroll1->setSingleStep(1);
    HScroll1->setMinimum(1);
    HScroll1->setPageStep(30);
    HScroll1->setSingleStep(5);
    m_mergeOnScroll = true;
    connect(VScroll1, &QScrollBar::valueChanged, this, [this] { guard([&] { onScroll(); }); });
    connect(HScroll1, &QSlider::valueChanged, this, [this] { guard([&] { onScroll(); }); });
    resize(900, 560);
}

frmSeqEdit::~frmSeqEdit() = default;

void frmSeqEdit::buildMenus()
{
    auto add = [this](QMenu* menu, const char* name, const char* caption, void (frmSeqEdit::*slot)(),
                      QKeySequence keys = {}) {
        auto* a = menu->addAction(caption);
        a->setObjectName(name);
        if (!keys.isEmpty())
            a->setShortcut(keys);
        if (slot != nullptr)
            connect(a, &QAction::triggered, this, [this, slot] { guard([&] { (this->*slot)(); }); });
        return a;
    };
    QMenu* seq = menuBar->addMenu("Sequence");
    SeqAddNew = add(seq, "SeqAddNew", "Add a new sequence", &frmSeqEdit::SeqAddNew_Click);
    SeqDelete = add(seq, "SeqDelete", "Delete a sequence", nullptr);
    SeqDelete->setEnabled(false);
    SeqAlign = add(seq, "SeqAlign", "Local Alighment", &frmSeqEdit::SeqAlign_Click);
    SeqSort = add(seq, "SeqSort", "Sort sequences", &frmSeqEdit::SeqSort_Click);
    SeqExit = add(seq, "SeqExit", "Quit Sequence Editor", &frmSeqEdit::SeqExit_Click);
    QMenu* edit = menuBar->addMenu("Edit");
    EditAlignOnly = add(edit, "EditAlignOnly", "Align only", &frmSeqEdit::EditAlignOnly_Click);
    EditAlignOnly->setCheckable(true);
    EditUndo = add(edit, "EditUndo", "Undo\tCtrl+Z", &frmSeqEdit::EditUndo_Click);
    EditCut = add(edit, "EditCut", "Cut", &frmSeqEdit::EditCut_Click, QKeySequence("Ctrl+X"));
    EditCopy = add(edit, "EditCopy", "Copy", &frmSeqEdit::EditCopy_Click, QKeySequence("Ctrl+C"));
    EditPaste = add(edit, "EditPaste", "Paste\tCtrl+V", &frmSeqEdit::EditPaste_Click);
    QMenu* rid = edit->addMenu("Delete part of sequences");
    rid->setObjectName("EditRidSegment");
    EditRidHead = add(rid, "EditRidHead", "Delete beginning segments", &frmSeqEdit::EditRidHead_Click);
    EditRidMid = add(rid, "EditRidMid", "Delete internal segments", &frmSeqEdit::EditRidMid_Click);
    EditRidTail = add(rid, "EditRidTail", "Delete ending segments", &frmSeqEdit::EditRidTail_Click);
    EditFind = add(edit, "EditFind", "Find", &frmSeqEdit::EditFind_Click, QKeySequence("Ctrl+F"));
    EditFindNext = add(edit, "EditFindNext", "Find next ", &frmSeqEdit::EditFindNext_Click, QKeySequence("F3"));
    EditSelectAll = add(edit, "EditSelectAll", "Select All ", &frmSeqEdit::EditSelectAll_Click,
                        QKeySequence("Ctrl+A"));
    QMenu* view = menuBar->addMenu("View");
    ViewDefault = add(view, "ViewDefault", "Default font (Currier New)", &frmSeqEdit::ViewDefault_Click);
    ViewBackColor = add(view, "ViewBackColor", "Change background color", &frmSeqEdit::ViewBackColor_Click);
    ViewFont = add(view, "ViewFont", "Change font", &frmSeqEdit::ViewFont_Click);
    QMenu* help = menuBar->addMenu("Help");
    HelpGeneral = add(help, "HelpGeneral", "General Help", nullptr);
    HelpContent = add(help, "HelpContent", "Contents", nullptr);
    HelpGeneral->setEnabled(false);
    HelpContent->setEnabled(false);
    for (QAction* a : findChildren<QAction*>())
        a->setShortcutContext(Qt::WindowShortcut);
}

bool frmSeqEdit::AlignSeq(std::vector<std::string>& seqs, std::vector<std::string>& names, std::int32_t& numSeq,
                          std::int32_t& maxLen, const std::string& seqType, QWidget* parent)
{
    frmSeqEdit editor(seqs, names, numSeq, maxLen, seqType, parent);
    // Inside the caller's window, wholly on the screen.
    platform::placeInsideWhenOpened(editor, parent != nullptr ? parent->window() : nullptr);
    editor.exec();
    seqs = editor.inSeqs();
    names = editor.inNames();
    numSeq = editor.inNumSeq();
    maxLen = editor.inMaxLen();
    return true;
}

std::vector<std::string> frmSeqEdit::sequences()
{
    takeBackPanes();
    return m_seqData;
}

std::vector<std::string> frmSeqEdit::names()
{
    takeBackPanes();
    return m_seqName;
}

void frmSeqEdit::applyFont()
{
    QFont font(QString::fromStdString(m_fontName), m_fontSize);
    font.setStyleHint(QFont::TypeWriter);
    font.setBold(m_fontBold);
    font.setItalic(m_fontItalic);
    for (auto* pane : {rtfSeqName, rtfSeq}) {
        pane->setFont(font);
        pane->document()->setDefaultFont(font);
    }
}

void frmSeqEdit::Show(std::int32_t row, std::int32_t col)
{
    m_firstCol = col;
    m_firstRow = row;
    m_lastRow = std::min(m_firstRow + kRows - 1, m_numSeq - 1);
    m_maxLen = m_numSeq > 0 ? SeqUtil::GetMaxSeqLen(m_seqData, m_numSeq, &m_longestRow) : 0;
    m_rulerTick.assign(static_cast<std::size_t>(m_maxLen), '-');
    m_rulerNum.assign(static_cast<std::size_t>(m_maxLen), ' ');
    for (std::int32_t k = 5; k <= m_maxLen; k += 5)
        m_rulerTick[static_cast<std::size_t>(k - 1)] = '|';
    for (std::int32_t k = 10; k <= m_maxLen; k += 10) {
        const std::string digits = std::to_string(k);
        const auto end = static_cast<std::size_t>(k);
        m_rulerNum.replace(end - digits.size(), digits.size(), digits);
    }
    if (m_maxLen == 0)
        m_lastCol = col;
    else
        m_lastCol = col + kCols < m_maxLen ? col + kCols - 1 : m_maxLen;
    m_segLeft.clear();
    m_segMid.clear();
    m_segRight.clear();
    const auto from = static_cast<std::size_t>(m_firstCol - 1);
    const auto count = static_cast<std::size_t>(std::max(m_lastCol - m_firstCol + 1, 0));
    for (std::int32_t r = m_firstRow; r <= m_lastRow; ++r) {
        const std::string& s = m_seqData[static_cast<std::size_t>(r)];
        m_segLeft.push_back(s.substr(0, std::min(from, s.size())));
        m_segMid.push_back(from < s.size() ? s.substr(from, count) : std::string());
        m_segRight.push_back(from + count < s.size() ? s.substr(from + count) : std::string());
    }
    fillPanes();
}

void frmSeqEdit::fillPanes()
{
    const bool protein = m_seqType == "AA";
    const auto from = static_cast<std::size_t>(m_firstCol - 1);
    const auto count = static_cast<std::size_t>(std::max(m_lastCol - m_firstCol + 1, 0));
    auto part = [&](const std::string& s) { return from < s.size() ? s.substr(from, count) : std::string(); };

    QString names = "\n";
    for (std::int32_t r = m_firstRow; r <= m_lastRow; ++r)
        names += "\n" + QString::fromStdString(m_seqName[static_cast<std::size_t>(r)]);
    rtfSeqName->setPlainText(names);

    rtfSeq->clear();
    QTextCursor cursor(rtfSeq->document());
    // One edit block: the pane lays its text out once, not after every run.
    cursor.beginEditBlock();
    QTextCharFormat plain;
    plain.setForeground(Qt::black);
    cursor.insertText(QString::fromStdString(part(m_rulerNum)), plain);
    cursor.insertBlock();
    cursor.insertText(QString::fromStdString(part(m_rulerTick)), plain);
    for (const auto& mid : m_segMid) {
        cursor.insertBlock();
        std::size_t i = 0;
        while (i < mid.size()) {
            const QColor colour = residueColour(mid[i], protein);
            std::size_t j = i + 1;
            while (j < mid.size() && residueColour(mid[j], protein) == colour)
                ++j;
            QTextCharFormat f;
            f.setForeground(colour);
            cursor.insertText(QString::fromStdString(mid.substr(i, j - i)), f);
            i = j;
        }
    }
    cursor.endEditBlock();
    rtfSeq->document()->setModified(false);
}

void frmSeqEdit::takeBackPanes()
{
    if (m_segMid.empty())
        return;
    const QStringList seqLines = rtfSeq->toPlainText().split('\n');
    const QStringList nameLines = rtfSeqName->toPlainText().split('\n');
    for (std::int32_t k = 0; k <= m_lastRow - m_firstRow && static_cast<std::size_t>(k) < m_segMid.size(); ++k) {
        const auto line = static_cast<qsizetype>(k + 2);
        const auto r = static_cast<std::size_t>(m_firstRow + k);
        const auto ks = static_cast<std::size_t>(k);
        const std::string mid = line < seqLines.size() ? seqLines[line].toStdString() : std::string();
        m_seqData[r] = m_segLeft[ks] + mid + m_segRight[ks];
        m_segMid[ks] = mid;
        m_seqName[r] = line < nameLines.size() ? nameLines[line].toStdString() : std::string();
    }
    if (m_numSeq > 0)
        m_maxLen = SeqUtil::GetMaxSeqLen(m_seqData, m_numSeq, &m_longestRow);
}

void frmSeqEdit::setSliderQuietly(std::int32_t value)
{
    m_mergeOnScroll = false;
    HScroll1->setValue(value);
    m_mergeOnScroll = true;
}

void frmSeqEdit::onScroll()
{
    if (VScroll1->value() < 0)
        return;
    if (m_mergeOnScroll)
        takeBackPanes();
    Show(std::min(VScroll1->value(), std::max(m_numSeq - 1, 0)), std::max(HScroll1->value(), 1));
    QTextCursor c(rtfSeq->document()->findBlockByNumber(2));
    rtfSeq->setTextCursor(c);
}

void frmSeqEdit::SeqAddNew_Click()
{
    const bool first = m_numSeq == 0;
    if (!first)
        takeBackPanes();
    const std::string fallback = "Seq" + std::to_string(m_numSeq + 1);
    std::string name = platform::dialogs().InputBox("Enter new sequence name: ", "Add new sequence", fallback);
    if (name.empty())
        name = fallback;
    m_seqData.emplace_back();
    m_seqName.push_back(name);
    ++m_numSeq;
    VScroll1->setMaximum(m_numSeq - 1);
    const bool full = !first && m_lastRow - m_firstRow + 1 == kRows;
    setSliderQuietly(1);
    Show(full ? m_firstRow + 1 : m_firstRow, 1);
}

void frmSeqEdit::SeqSort_Click()
{
    takeBackPanes();
    std::vector<std::size_t> idx(static_cast<std::size_t>(m_numSeq));
    std::iota(idx.begin(), idx.end(), 0);
    std::stable_sort(idx.begin(), idx.end(), [&](auto a, auto b) { return m_seqName[a] < m_seqName[b]; });
    std::vector<std::string> seqs, names;
    for (auto i : idx) {
        seqs.push_back(m_seqData[i]);
        names.push_back(m_seqName[i]);
    }
    m_seqData = std::move(seqs);
    m_seqName = std::move(names);
    Show(m_firstRow, m_firstCol);
}

void frmSeqEdit::SeqAlign_Click()
{
    takeBackPanes();
    std::string message;
    if (SeqUtil::CheckDupNames(m_seqName, m_numSeq, message)) {
        msg(message, platform::mb::OkOnly | platform::mb::Critical);
        return;
    }
    // The engine reads residues only: gaps already in the shown segment are
    // taken out and the segment is aligned afresh.
    std::vector<std::string> segs;
    for (const auto& s : m_segMid)
        segs.push_back(strip(s, '-'));
    static bool progressInstalled = false;
    if (!progressInstalled) {
        tallowin::installQtProgress(
            TallowinLibrary().function<tallowin::ProgressSetter>("tallowin_set_progress_factory"));
        progressInstalled = true;
    }
    MapParams p;
    std::string reason, matrixText;
    if (!AlignWithMAP(segs, static_cast<std::int32_t>(segs.size()), m_seqType == "AA", p, reason, matrixText)) {
        msg(reason, platform::mb::OkOnly | platform::mb::Exclamation);
        return;
    }
    for (std::size_t k = 0; k < segs.size(); ++k)
        m_seqData[static_cast<std::size_t>(m_firstRow) + k] = m_segLeft[k] + segs[k] + m_segRight[k];
    Show(m_firstRow, m_firstCol);
    HScroll1->setMaximum(std::max(m_maxLen, 1));
}

void frmSeqEdit::SeqExit_Click() { close(); }

bool frmSeqEdit::quit()
{
    const auto answer = platform::dialogs().MsgBox(
        "Do you wish to replace the original sequences in Brisco's memory by the edited sequences?",
        platform::mb::YesNo, kTitle);
    if (answer != platform::Answer::Yes)
        return true;
    takeBackPanes();
    m_inMaxLen = m_numSeq > 0 ? SeqUtil::GetMaxSeqLen(m_seqData, m_numSeq) : 0;
    if (m_numSeq > 0 && !SeqUtil::IsEqualLength(m_numSeq, m_seqData)) {
        if (platform::dialogs().MsgBox("Sequences not of equal length. Add gap symbols to the end of sequences to make "
                                       "them equal length?",
                                       platform::mb::YesNo, kTitle) == platform::Answer::Yes) {
            for (auto& s : m_seqData)
                s.resize(static_cast<std::size_t>(m_maxLen), '-');
            m_inMaxLen = m_maxLen;
        }
    }
    m_inSeqs = m_seqData;
    m_inNames = m_seqName;
    m_inNumSeq = m_numSeq;
    m_mergeOnScroll = false;
    return true;
}

void frmSeqEdit::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        m_closing = true;
        guard([&] { (void)quit(); });
    }
    event->accept();
    QDialog::closeEvent(event);
}

void frmSeqEdit::EditAlignOnly_Click()
{
    m_alignOnly = !m_alignOnly;
    EditAlignOnly->setChecked(m_alignOnly);
}

platform::RichTextBox* frmSeqEdit::focusedPane() const
{
    if (rtfSeqName->hasFocus())
        return rtfSeqName;
    if (rtfSeq->hasFocus())
        return rtfSeq;
    return nullptr;
}

void frmSeqEdit::EditUndo_Click()
{
    if (auto* pane = focusedPane())
        pane->undo();
}

void frmSeqEdit::EditCut_Click()
{
    if (auto* pane = focusedPane())
        pane->setSelText("");
}

void frmSeqEdit::EditCopy_Click()
{
    if (auto* pane = focusedPane()) {
        QApplication::clipboard()->clear();
        QApplication::clipboard()->setText(QString::fromStdString(pane->SelText()));
    }
}

void frmSeqEdit::EditPaste_Click()
{
    if (auto* pane = focusedPane())
        pane->setSelText(QApplication::clipboard()->text().toStdString());
}

bool frmSeqEdit::checkAligned()
{
    if (SeqUtil::IsEqualLength(m_numSeq, m_seqData))
        return true;
    msg("Your sequences are not aligned. This operation is inappropriate for unaligned sequences.",
        platform::mb::OkOnly | platform::mb::Information);
    return false;
}

void frmSeqEdit::afterDeletion(std::int32_t column, bool ending)
{
    std::string report;
    if (SeqUtil::FindDupSeqs(m_seqData, m_seqName, m_numSeq, report)) {
        msg(std::string("Some sequences have become identical. ") + (ending ? "Many" : "Some") +
                " functions in Brisco assume all sequences to be unique, and Brisco may crash if the assumption is "
                "violated. Be warned.",
            platform::mb::OkOnly | platform::mb::Information);
    }
    m_mergeOnScroll = false;
    HScroll1->setMaximum(std::max(m_maxLen, 1));
    column = std::clamp(column, 1, std::max(m_maxLen, 1));
    HScroll1->setValue(column);
    m_mergeOnScroll = true;
    Show(m_firstRow, column);
}

bool frmSeqEdit::readSites(const SegmentInput::Reading& reading, const char* title)
{
    if (reading.ok())
        return true;
    // A typing mistake: said plainly, and nothing changes.
    msg(reading.refusal, platform::mb::OkOnly | platform::mb::Exclamation, title);
    return false;
}

void frmSeqEdit::EditRidHead_Click()
{
    takeBackPanes();
    if (!checkAligned())
        return;
    const char* title = "Get Rid of Beginnning Segment";
    const std::string answer = platform::dialogs().InputBox(
        "Enter a positive integer (e.g., to delete the first 11 sites, enter 11).", title, "");
    if (answer.empty())
        return;
    const auto sites = SegmentInput::BeginningCount(answer, m_maxLen);
    if (!readSites(sites, title))
        return;
    const std::int32_t n = sites.first;
    for (auto& s : m_seqData)
        s = s.size() > static_cast<std::size_t>(n) ? s.substr(static_cast<std::size_t>(n)) : std::string();
    m_maxLen -= n;
    afterDeletion(1, false);
}

void frmSeqEdit::EditRidMid_Click()
{
    takeBackPanes();
    if (!checkAligned())
        return;
    const char* title = "Get Rid of a Middle Segment";
    const std::string answer = platform::dialogs().InputBox(
        "Enter two positive integers (e.g., to delete sites from 11 to 23 inclusive, enter 11, 23):", title, "");
    if (answer.empty()) {
        msg("You have cancelled the operation of entering numbers (Just in case you do not know that you have "
            "clicked the Cancel button and wonder why Brisco is not proceeding).",
            platform::mb::OkOnly | platform::mb::Information, "Info");
        return;
    }
    const auto sites = SegmentInput::InternalSites(answer, m_maxLen);
    if (!readSites(sites, title))
        return;
    SeqUtil::DeleteSeqColumns(sites.first, sites.last, m_seqData, m_numSeq, m_maxLen);
    afterDeletion(sites.first, false);
}

void frmSeqEdit::EditRidTail_Click()
{
    takeBackPanes();
    if (!checkAligned())
        return;
    const std::string answer = platform::dialogs().InputBox(
        "Enter a positive integer (e.g., to delete sites from 1111 on, enter 1111).", "", "");
    if (answer.empty()) {
        msg("You have either cancelled the operation or inputed a zero or negative value: 0", platform::mb::OkOnly);
        return;
    }
    const auto sites = SegmentInput::EndingStart(answer, m_maxLen);
    if (!readSites(sites, kTitle))
        return;
    const std::int32_t n = sites.first;
    SeqUtil::CutSeqsAt(n, m_seqData, m_maxLen, m_numSeq);
    afterDeletion(n < 40 ? 1 : n - 20, true);
}

void frmSeqEdit::findInSequences(std::int32_t fromRow, std::int32_t fromPos)
{
    for (std::int32_t r = std::max(fromRow, 0); r < m_numSeq; ++r) {
        const auto& s = m_seqData[static_cast<std::size_t>(r)];
        const auto p = s.find(m_lastFind, r == fromRow ? static_cast<std::size_t>(std::max(fromPos, 0)) : 0);
        if (p == std::string::npos)
            continue;
        m_lastFindRow = r;
        m_lastFindPos = static_cast<std::int32_t>(p);
        m_mergeOnScroll = false;
        VScroll1->setValue(r == 0 ? 0 : r - 1);
        HScroll1->setValue(static_cast<int>(p) + 1);
        m_mergeOnScroll = true;
        Show(r == 0 ? 0 : std::min(r - 1, VScroll1->maximum()), static_cast<std::int32_t>(p) + 1);
        // The hit stands at the start of the shown segment of its row.
        const QTextBlock block = rtfSeq->document()->findBlockByNumber(r - m_firstRow + 2);
        QTextCursor c(block);
        c.setPosition(block.position() + static_cast<int>(p) + 1 - m_firstCol);
        c.setPosition(c.position() + static_cast<int>(m_lastFind.size()), QTextCursor::KeepAnchor);
        rtfSeq->setTextCursor(c);
        rtfSeq->setFocus();
        return;
    }
    msg("String not found.", platform::mb::OkOnly);
}

void frmSeqEdit::EditFind_Click()
{
    if (rtfSeqName->hasFocus()) {
        SimpTool::FindText(*rtfSeqName);
        return;
    }
    takeBackPanes();
    const std::string text = platform::dialogs().InputBox("Enter text to be found (case-sensitive):", kTitle, "");
    if (text.empty())
        return;
    m_lastFind = text;
    if (static_cast<QTextEdit*>(rtfSeq)->find(QString::fromStdString(text), QTextDocument::FindCaseSensitively))
        return;
    findInSequences(0, 0);
}

void frmSeqEdit::EditFindNext_Click()
{
    if (rtfSeqName->hasFocus()) {
        SimpTool::FindText(*rtfSeqName);
        return;
    }
    if (m_lastFind.empty())
        return EditFind_Click();
    takeBackPanes();
    if (static_cast<QTextEdit*>(rtfSeq)->find(QString::fromStdString(m_lastFind), QTextDocument::FindCaseSensitively))
        return;
    findInSequences(m_lastFindRow, m_lastFindPos + 1);
}

void frmSeqEdit::EditSelectAll_Click()
{
    if (!rtfSeq->hasFocus())
        return;
    // From the first character after the two ruler lines to the end.
    const QTextBlock first = rtfSeq->document()->findBlockByNumber(2);
    if (!first.isValid())
        return;
    QTextCursor c(rtfSeq->document());
    c.setPosition(first.position());
    c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    rtfSeq->setTextCursor(c);
}

void frmSeqEdit::ViewDefault_Click()
{
    m_fontName = "Courier New";
    m_fontSize = 9;
    m_fontBold = false;
    m_fontItalic = false;
    applyFont();
}

void frmSeqEdit::ViewBackColor_Click()
{
    const QColor colour = QColorDialog::getColor(rtfSeq->palette().color(QPalette::Base), this);
    if (!colour.isValid())
        return;
    for (auto* pane : {rtfSeqName, rtfSeq}) {
        QPalette p = pane->palette();
        p.setColor(QPalette::Base, colour);
        pane->setPalette(p);
    }
}

void frmSeqEdit::ViewFont_Click()
{
    const auto chosen =
        platform::dialogs().FontDialog(platform::FontChoice{m_fontName, double(m_fontSize), m_fontBold, m_fontItalic});
    if (!chosen)
        return;
    m_fontName = chosen->face;
    m_fontSize = static_cast<std::int16_t>(std::lround(chosen->size));
    m_fontBold = chosen->bold;
    m_fontItalic = chosen->italic;
    applyFont();
}

std::int32_t frmSeqEdit::caretLine(const platform::RichTextBox* pane) const
{
    return pane->textCursor().blockNumber();
}

std::int32_t frmSeqEdit::visibleHeight() const
{
    // The lines a pane shows at the font size, less the two ruler lines.
    return static_cast<std::int32_t>(std::floor(52.5 - 31.065 * std::log10(std::max<double>(m_fontSize, 1)) - 2));
}

void frmSeqEdit::placeCaret(platform::RichTextBox* pane, int line, int col)
{
    const QTextBlock block = pane->document()->findBlockByNumber(line);
    if (!block.isValid())
        return;
    QTextCursor c(block);
    c.setPosition(block.position() + std::clamp(col, 0, block.length() - 1));
    pane->setTextCursor(c);
}

bool frmSeqEdit::scrollRowsAtEdge(platform::RichTextBox* pane, int key, int line, int col, int shown)
{
    // Line numbers here count from 0: the rulers are lines 0 and 1, shown
    // row k is line k + 2.
    bool scroll = false;
    if (key == Qt::Key_Up)
        scroll = line == 2 && m_firstRow >= 1;
    else if (key == Qt::Key_Down && line >= 2 && line < 1 + shown)
        scroll = line + 1 > visibleHeight();
    else if (key == Qt::Key_Down)
        scroll = line == 1 + shown && m_lastRow < m_numSeq - 1;
    if (!scroll)
        return false;
    VScroll1->setValue(VScroll1->value() + (key == Qt::Key_Up ? -1 : 1));
    placeCaret(pane, line, col);
    return true;
}

bool frmSeqEdit::seqKey(QKeyEvent* key)
{
    QTextCursor c = rtfSeq->textCursor();
    const std::int32_t line = c.blockNumber();
    const QString blockText = c.block().text();
    const int col = c.positionInBlock();
    const std::int32_t shown = m_lastRow - m_firstRow + 1;
    const std::int32_t width = m_lastCol - m_firstCol + 1;
    const bool onRow = line >= 2 && line < 2 + shown;
    const auto alignOnlyRefusal = [] {
        msg("The editing mode is 'Align only' in which you can only insert or delete indels. To get out of 'Align "
            "only' mode, click 'Edit|Align only'",
            platform::mb::OkOnly);
    };
    // Moves the slider (the panes are taken back first), then puts the
    // caret on its line at the column.
    const auto slideTo = [&](std::int32_t value, int caretCol) {
        takeBackPanes();
        HScroll1->setValue(std::max(value, 1));
        placeCaret(rtfSeq, line, caretCol);
        return true;
    };
    constexpr int lineEnd = std::numeric_limits<int>::max();
    switch (key->key()) {
    case Qt::Key_Insert:
        m_insertMode = !m_insertMode;
        rtfSeq->setOverwriteMode(m_insertMode);
        return true;
    case Qt::Key_Backspace:
        if (!onRow || col == 0 || c.hasSelection())
            return !onRow || col == 0;
        if (m_alignOnly && blockText.at(col - 1) != '-') {
            alignOnlyRefusal();
            return true;
        }
        return false;
    case Qt::Key_Delete:
        if (!onRow || col >= blockText.size() || c.hasSelection())
            return !onRow || col >= blockText.size();
        if (m_alignOnly && blockText.at(col) != '-') {
            alignOnlyRefusal();
            return true;
        }
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    case Qt::Key_Home:
        return slideTo(1, 0);
    case Qt::Key_End:
        return slideTo(m_maxLen - 10, lineEnd);
    case Qt::Key_Up:
    case Qt::Key_Down:
        return scrollRowsAtEdge(rtfSeq, key->key(), line, col, shown);
    case Qt::Key_Left:
        if (!onRow || col != 0 || c.hasSelection())
            return false;
        // From the first column the view wraps round to the end of the set.
        if (m_firstCol == 1)
            return slideTo(m_maxLen - 10, lineEnd);
        return slideTo(m_firstCol < 6 ? 1 : m_firstCol - HScroll1->singleStep(), 0);
    case Qt::Key_Right:
        if (!onRow || col < width || c.hasSelection())
            return false;
        // From the end of the set the view wraps round to its start.
        if (m_lastCol >= m_maxLen)
            return slideTo(1, 0);
        return slideTo(m_firstCol + HScroll1->singleStep(), col);
    default:
        break;
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    const QString typed = key->text();
    if (typed.isEmpty())
        return false;
    char ch = typed.at(0).toLatin1();
    if (!onRow)
        return true;
    if (ch == 't')
        ch = 'u';
    else if (ch == 'T')
        ch = 'U';
    const auto colour = typedColour(ch);
    if (!colour)
        return true;
    if (m_alignOnly && ch != '-') {
        alignOnlyRefusal();
        return true;
    }
    QTextCharFormat f;
    f.setForeground(*colour);
    if (m_insertMode && !c.hasSelection() && col < blockText.size())
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    c.insertText(QString(QChar(ch)), f);
    rtfSeq->setTextCursor(c);
    noteTypedLength(line);
    return true;
}

void frmSeqEdit::noteTypedLength(std::int32_t line)
{
    // A shorter set is measured again when the view next moves.
    if (m_maxLen < 11)
        return;
    const auto k = static_cast<std::size_t>(line - 2);
    if (k >= m_segMid.size())
        return;
    // The sequence as it now stands: its parts outside the view and its
    // pane line, residues pasted before included.
    const qsizetype shown = rtfSeq->document()->findBlockByNumber(line).text().size();
    const auto length =
        static_cast<std::int32_t>(m_segLeft[k].size() + static_cast<std::size_t>(shown) + m_segRight[k].size());
    if (length <= m_maxLen)
        return;
    m_maxLen = length;
    m_longestRow = m_firstRow + line - 2;
    HScroll1->setMaximum(m_maxLen);
}

bool frmSeqEdit::nameKey(QKeyEvent* key)
{
    QTextCursor c = rtfSeqName->textCursor();
    const std::int32_t line = c.blockNumber();
    const int col = c.positionInBlock();
    const std::int32_t shown = m_lastRow - m_firstRow + 1;
    const bool onRow = line >= 2 && line < 2 + shown;
    switch (key->key()) {
    case Qt::Key_Backspace:
        return !onRow || (col == 0 && !c.hasSelection());
    case Qt::Key_Delete:
        return !onRow || (col >= c.block().text().size() && !c.hasSelection());
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        return scrollRowsAtEdge(rtfSeqName, key->key(), line, col, shown);
    default:
        break;
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    const QString typed = key->text();
    if (typed.isEmpty() || !typed.at(0).isPrint())
        return false;
    const char ch = typed.at(0).toLatin1();
    const bool allowed = (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') ||
                         ch == '_' || ch == '{';
    return !onRow || !allowed;
}

bool frmSeqEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool consumed = false;
        if (watched == rtfSeq)
            guard([&] { consumed = seqKey(key); });
        else if (watched == rtfSeqName)
            guard([&] { consumed = nameKey(key); });
        if (consumed)
            return true;
    }
    if (watched == body) {
        if (event->type() == QEvent::Resize && !isMinimized() && !isMaximized()) {
            m_splitter->FrmResize(nullptr, m_controls[2].get(), m_controls[3].get());
        } else if (event->type() == QEvent::MouseButtonPress) {
            m_splitter->MouseDown();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_splitter->MouseUp();
        } else if (event->type() == QEvent::MouseMove) {
            const auto* m = static_cast<QMouseEvent*>(event);
            m_splitter->MouseMove(m->position().x(), m->position().y(), m_controls[3].get());
        }
    } else if (event->type() == QEvent::MouseMove && watched == rtfSeq->viewport()) {
        const auto* m = static_cast<QMouseEvent*>(event);
        const QPointF p = rtfSeq->viewport()->mapTo(body, m->position().toPoint());
        m_splitter->MouseMove(p.x(), p.y(), m_controls[3].get());
    } else if (event->type() == QEvent::MouseButtonPress && watched == rtfSeqName->viewport()) {
        const auto* m = static_cast<QMouseEvent*>(event);
        const QPointF p = rtfSeqName->viewport()->mapTo(body, m->position().toPoint());
        m_splitter->MouseMove(p.x(), p.y(), m_controls[3].get());
    }
    return QDialog::eventFilter(watched, event);
}

void frmSeqEdit::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
}

} // namespace sequence::editor
