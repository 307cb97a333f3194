#include "sequence/ui/frmStartA.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QNetworkInterface>
#include <QProgressBar>
#include <QStatusBar>
#include <QUrl>

#include <algorithm>
#include <cmath>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/widgets/richtext/RichTextBox.h"
#include "sequence/SeqUtil.h"
#include "sequence/SeqView.h"
#include "sequence/cSeqFmt.h"
#include "sequence/ui/BarProgress.h"
#include "sequence/ui/ClustalRunner.h"
#include "shell/core/FileUtil.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/SimpTool.h"
#include "shell/core/StrUtil.h"
#include "shell/core/mQuorin.h"

namespace sequence {

namespace {

constexpr const char* Caption = "Sequence Tool";
constexpr const char* BriscoTitle = "Brisco";
constexpr const char* BriscoPage = "https://tessaray.example.org/brisco/";
// The window's least width: 6950 twips at 15 twips per pixel.
constexpr int MinimumWidth = 6950 / 15;

platform::Answer message(const std::string& text, int style, const std::string& title = shell::ProgramInfo::Title)
{
    return platform::dialogs().MsgBox(text, style, title);
}

bool systemIsNetworked()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    return std::any_of(interfaces.begin(), interfaces.end(), [](const QNetworkInterface& i) {
        return i.flags().testFlag(QNetworkInterface::IsUp) && i.flags().testFlag(QNetworkInterface::IsRunning) &&
               !i.flags().testFlag(QNetworkInterface::IsLoopBack);
    });
}

frmStartA*& openOne()
{
    static frmStartA* window = nullptr;
    return window;
}

} // namespace

frmStartA::frmStartA(QWidget* parent)
    : QMainWindow(parent), m_work(mQuorin::Program().gLeft, mQuorin::Program().gRight)
{
    setObjectName("frmStartA");
    setWindowTitle(Caption);
    setMinimumWidth(MinimumWidth);
    resize(900, 560);
    RichTextBox1 = new platform::RichTextBox(this);
    RichTextBox1->setObjectName("RichTextBox1");
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setPointSize(10);
    RichTextBox1->setFont(font);
    RichTextBox1->setLineWrapMode(QTextEdit::NoWrap);
    RichTextBox1->setAcceptRichText(false);
    setCentralWidget(RichTextBox1);
    sbPanel1 = new QLabel(this);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setMaximumWidth(200);
    statusBar()->addWidget(sbPanel1, 1);
    statusBar()->addPermanentWidget(ProgressBar1);
    m_aligner = std::make_unique<ClustalRunner>();
    isNetworked = [] { return systemIsNetworked(); };
    openUrl = [](const std::string& url) { QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); };
    buildMenus();
    Form_Load();
    openOne() = this;
}

frmStartA::~frmStartA()
{
    if (openOne() == this) {
        openOne() = nullptr;
    }
}

frmStartA* frmStartA::openWindow()
{
    return openOne();
}

bool frmStartA::hasUnsavedSets() const
{
    return (!m_work.leftSaved() && m_work.left().numSeq >= 1) || (!m_work.rightSaved() && m_work.right().numSeq >= 1);
}

void frmStartA::setsReplaced()
{
    m_work.setsReplaced();
    SeqShowLeft->setEnabled(true);
    SeqShowRight->setEnabled(true);
    SeqShowLeft->setChecked(false);
    SeqShowRight->setChecked(false);
    Form_Load();
}

void frmStartA::buildMenus()
{
    const auto item = [this](QMenu* menu, const char* name, const QString& caption, void (frmStartA::*handler)(),
                             const QKeySequence& keys = {}) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        if (!keys.isEmpty()) {
            action->setShortcut(keys);
        }
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return action;
    };
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("FileMnu");
    FileConvert = item(file, "FileConvert", "Save or Convert Sequence Format", &frmStartA::FileConvert_Click);
    FileSaveBuffer =
        item(file, "FileSaveBuffer", "&Save Display Buffer (not sequences)", &frmStartA::FileSaveBuffer_Click);
    file->addSeparator();
    FileExit = item(file, "FileExit", "&Exit sequence tool", &frmStartA::FileExit_Click);

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->setObjectName("Edit");
    EditUndo = item(edit, "EditUndo", "&Undo", &frmStartA::EditUndo_Click, QKeySequence("Ctrl+Z"));
    edit->addSeparator();
    EditCut = item(edit, "EditCut", "Cu&t", &frmStartA::EditCut_Click, QKeySequence("Ctrl+X"));
    EditCopy = item(edit, "EditCopy", "&Copy", &frmStartA::EditCopy_Click, QKeySequence("Ctrl+C"));
    EditCopy2Excel = item(edit, "EditCopy2Excel", "Copy to Excel", &frmStartA::EditCopy2Excel_Click);
    EditPaste = item(edit, "EditPaste", "&Paste", &frmStartA::EditPaste_Click, QKeySequence("Ctrl+V"));
    EditPasteTxt = item(edit, "EditPasteTxt", "Paste text only", &frmStartA::EditPasteTxt_Click);
    EditDelete = item(edit, "EditDelete", "&Delete", &frmStartA::EditDelete_Click);
    EditClear = item(edit, "EditClear", "Clear Buffer", &frmStartA::EditClear_Click);
    edit->addSeparator();
    EditSelectAll = item(edit, "EditSelectAll", "&Select All", &frmStartA::EditSelectAll_Click, QKeySequence("Ctrl+A"));
    edit->addSeparator();
    EditFind = item(edit, "EditFind", "&Find", &frmStartA::EditFind_Click);
    EditFindNext = item(edit, "EditFindNext", "Find Next", &frmStartA::EditFindNext_Click);
    EditFindAll = item(edit, "EditFindAll", "Find All", &frmStartA::EditFindAll_Click);

    QMenu* seq = menuBar()->addMenu("Sequences");
    seq->setObjectName("Sequence");
    SeqAlign = item(seq, "SeqAlign", "Align Sequences", &frmStartA::SeqAlign_Click);
    seq->addSeparator();
    SeqShowLeft = item(seq, "SeqShowLeft", "Work on Left Flanking Sequences", &frmStartA::SeqShowLeft_Click);
    SeqShowRight = item(seq, "SeqShowRight", "Work on the Rigth Flanking Sequences", &frmStartA::SeqShowRight_Click);
    SeqShowLeft->setCheckable(true);
    SeqShowRight->setCheckable(true);
    seq->addSeparator();
    SeqSortName = item(seq, "SeqSortName", "Sort by Sequence Name", &frmStartA::SeqSortName_Click);
    SeqSortLen = item(seq, "SeqSortLen", "Sort by Sequence Length", &frmStartA::SeqSortLen_Click);
    seq->addSeparator();
    SeqView = item(seq, "SeqView", "View Sequences (color-coded)", &frmStartA::SeqView_Click);
    SeqViewPlain = item(seq, "SeqViewPlain", "Plain view", &frmStartA::SeqViewPlain_Click);
    SeqViewPretty = item(seq, "SeqViewPretty", "Pretty View (for aligned sequences)", &frmStartA::SeqViewPretty_Click);

    QMenu* ana = menuBar()->addMenu("Analysis");
    ana->setObjectName("Ana");
    AnaBrisco = item(ana, "AnaBrisco", "You should know", &frmStartA::AnaBrisco_Click);
}

std::string frmStartA::sideMessage(bool left) const
{
    return left ? "Left flanking sequences shown above. To work on right flanking\r\nsequences, click "
                  "Sequences|Show Right Flanking"
                : "Right flanking sequences shown above. To work on left flanking\r\nsequences, click "
                  "Sequences|Show Left Flanking";
}

void frmStartA::plainView(const std::string& footer)
{
    const SequenceSet& s = m_work.shown();
    BarProgress bar(*ProgressBar1);
    const std::string text = SeqUtil::SeqBufferPlain(
        SeqUtil::BufferSet{s.seq, s.name, s.numSeq, s.aligned, s.isRNA, s.seqType}, footer, {}, &bar);
    QFont font = RichTextBox1->font();
    font.setPointSize(10);
    RichTextBox1->setFont(font);
    RichTextBox1->setText(text);
    ProgressBar1->setValue(ProgressBar1->minimum());
}

void frmStartA::Form_Load()
{
    const auto& state = mQuorin::Program();
    if (state.gLeft.numSeq < 1) {
        SeqShowLeft->setEnabled(false);
        m_work.showLeft(false);
        plainView(sideMessage(false));
        SeqShowRight->setChecked(true);
    } else {
        m_work.showLeft(true);
        plainView(sideMessage(true));
        SeqShowLeft->setChecked(true);
        if (state.gRight.numSeq == 0) {
            SeqShowRight->setEnabled(false);
        }
    }
}

void frmStartA::SeqShowLeft_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            m_work.showLeft(true);
            plainView(sideMessage(true));
            SeqShowRight->setChecked(false);
            SeqShowLeft->setChecked(true);
        });
    });
}

void frmStartA::SeqShowRight_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            m_work.showLeft(false);
            plainView(sideMessage(false));
            SeqShowLeft->setChecked(false);
            SeqShowRight->setChecked(true);
        });
        if (!m_work.shown().aligned) {
            g.step([&] { (void)message("Right flanking sequnces not aligned.", platform::mb::Information); });
        }
    });
}

void frmStartA::SeqSortName_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { m_work.SortByName(); });
        g.step([&] { plainView(); });
    });
}

void frmStartA::SeqSortLen_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { m_work.SortByLength(); });
        g.step([&] { plainView(); });
    });
}

void frmStartA::SeqViewPlain_Click()
{
    platform::guarded([&](platform::Guard& g) { g.step([&] { plainView(); }); });
}

void frmStartA::SeqView_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            const SequenceSet& s = m_work.shown();
            const SeqUtil::RtfBuffer buffer = SeqUtil::SeqBufferRtf(
                SeqUtil::BufferSet{s.seq, s.name, s.numSeq, s.aligned, s.isRNA, s.seqType}, {}, {});
            if (buffer.rtf.empty()) {
                RichTextBox1->setText(buffer.plain);
                return;
            }
            if (buffer.note) {
                (void)message(*buffer.note, platform::mb::Information);
            }
            RichTextBox1->setTextRTF(buffer.rtf);
        });
    });
}

void frmStartA::SeqViewPretty_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            const SequenceSet& s = m_work.shown();
            const std::int32_t nameWidth = SeqUtil::GetMaxNameLen(s.name, s.numSeq);
            const bool protein = s.seqType == "AA";
            if (s.aligned) {
                BarProgress bar(*ProgressBar1);
                const std::int32_t width = SeqUtil::GetMaxSeqLen(s.seq, s.numSeq);
                RichTextBox1->setTextRTF(
                    SeqUtil::FormatAlignedRtf(s.seq, s.name, -1, width, s.numSeq, nameWidth, protein, &bar));
            } else {
                RichTextBox1->setTextRTF(SeqUtil::FormatSeqListRtf(s.seq, s.name, -1, s.numSeq, nameWidth, {},
                                                                   protein, {}));
            }
        });
    });
}

bool frmStartA::convert()
{
    bool saved = false;
    platform::guarded([&](platform::Guard& g) {
        platform::FileDialogRequest request;
        request.save = true;
        request.title = "Save or Convert Sequence Format";
        request.filter = gSeqFmt().OutFileFilter();
        request.flags = 4;
        request.initDir = mQuorin::Program().gOutDir;
        std::optional<platform::FileDialogResult> chosen;
        g.step([&] { chosen = platform::dialogs().FileDialog(request); });
        if (!chosen || chosen->path.empty()) {
            return;
        }
        const auto code = static_cast<std::int16_t>(chosen->filterIndex - 1);
        if (const auto refusal = m_work.FormatRefusal(code)) {
            (void)message(*refusal, platform::mb::Information);
            return;
        }
        g.step([&] {
            BarProgress bar(*ProgressBar1);
            saved = m_work.Convert(chosen->path, code, &bar);
            ProgressBar1->setValue(ProgressBar1->minimum());
        });
        if (saved) {
            g.step([&] {
                (void)message("Converted sequences saved in file: " + chosen->path, platform::mb::Information);
            });
            g.step([&] { RichTextBox1->setText(FileUtil::ReadFileAll(chosen->path)); });
        }
    });
    return saved;
}

void frmStartA::FileConvert_Click()
{
    (void)convert();
}

void frmStartA::FileSaveBuffer_Click()
{
    platform::guarded([&](platform::Guard& g) {
        platform::FileDialogRequest request;
        request.save = true;
        request.title = "Save file in rich text format";
        request.filter = "TXT Files (*.txt)|*.txt|";
        request.initDir = mQuorin::Program().gOutDir;
        std::optional<platform::FileDialogResult> chosen;
        g.step([&] { chosen = platform::dialogs().FileDialog(request); });
        if (!chosen || chosen->path.empty()) {
            return;
        }
        if (RichTextBox1->SelLength() == 0) {
            g.step([&] {
                if (!RichTextBox1->savePlainText(chosen->path)) {
                    throw platform::Error::runtime(platform::err::PathFileAccess, "FileSaveBuffer");
                }
            });
            g.step([&] {
                (void)message("Buffer has been saved to " + chosen->path + " in text format.",
                              platform::mb::Information);
            });
        } else {
            g.step([&] {
                std::string text = RichTextBox1->SelText();
                std::string crlf;
                for (const char c : text) {
                    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
                }
                FileUtil::WriteStrToFile(chosen->path, crlf);
            });
        }
    });
}

void frmStartA::FileExit_Click()
{
    close();
}

void frmStartA::SeqAlign_Click()
{
    platform::guarded([&](platform::Guard& g) {
        std::optional<FlankWork::Refusal> refusal;
        g.step([&] { refusal = m_work.AlignRefusal(); });
        if (refusal) {
            (void)message(refusal->text, refusal->critical ? platform::mb::Critical : platform::mb::Information);
            return;
        }
        bool aligned = false;
        g.step([&] {
            BarProgress bar(*ProgressBar1);
            sbPanel1->setText("Aligning ...");
            sbPanel1->repaint();
            try {
                m_work.Align(*m_aligner, &bar);
            } catch (...) {
                sbPanel1->clear();
                throw;
            }
            sbPanel1->clear();
            aligned = true;
        });
        if (!aligned) {
            return;
        }
        std::string report;
        g.step([&] {
            BarProgress bar(*ProgressBar1);
            report = m_work.ComparisonReport(&bar);
        });
        g.step([&] { plainView(report); });
        if (m_work.shown().numSeq >= 2) {
            (void)message("Todo: local alignment not yet implemented", platform::mb::Information);
        }
    });
}

void frmStartA::EditUndo_Click()
{
    RichTextBox1->undo();
}

void frmStartA::EditCut_Click()
{
    platform::guarded([&](platform::Guard& g) { g.step([&] { RichTextBox1->cut(); }); });
}

void frmStartA::EditCopy_Click()
{
    platform::guarded([&](platform::Guard& g) { g.step([&] { RichTextBox1->copy(); }); });
}

void frmStartA::EditCopy2Excel_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            QApplication::clipboard()->setText(
                QString::fromStdString(StrUtil::Blanks2Tab(RichTextBox1->SelText())));
        });
    });
}

void frmStartA::EditPaste_Click()
{
    platform::guarded([&](platform::Guard& g) { g.step([&] { RichTextBox1->paste(); }); });
}

void frmStartA::EditPasteTxt_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { RichTextBox1->insertPlainText(QApplication::clipboard()->text()); });
    });
}

void frmStartA::EditDelete_Click()
{
    platform::guarded([&](platform::Guard& g) { g.step([&] { RichTextBox1->setSelText(""); }); });
}

void frmStartA::EditClear_Click()
{
    platform::guarded([&](platform::Guard& g) { g.step([&] { RichTextBox1->clearText(); }); });
}

void frmStartA::EditSelectAll_Click()
{
    platform::guarded([&](platform::Guard& g) { g.step([&] { RichTextBox1->selectAll(); }); });
}

void frmStartA::EditFind_Click()
{
    platform::guarded([&](platform::Guard& g) { g.step([&] { SimpTool::FindText(*RichTextBox1); }); });
}

void frmStartA::EditFindNext_Click()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            if (RichTextBox1->Tag().empty()) {
                SimpTool::FindText(*RichTextBox1);
            } else {
                SimpTool::FindNext(*RichTextBox1);
            }
        });
    });
}

void frmStartA::EditFindAll_Click()
{
    platform::guarded([&](platform::Guard& g) {
        std::string search;
        g.step([&] { search = platform::dialogs().InputBox("Enter the search string: ", "Find All", ""); });
        std::int32_t count = 0;
        g.step([&] {
            std::int32_t start = 0;
            count = SimpTool::FindAll(*RichTextBox1, search, start);
        });
        g.step([&] {
            (void)message(std::to_string(count) + " occurrences of " + search + " found.", platform::mb::Information,
                          "Find All");
        });
    });
}

void frmStartA::AnaBrisco_Click()
{
    platform::guarded([&](platform::Guard& g) {
        platform::Answer answer = platform::Answer::No;
        g.step([&] {
            answer = message("You should know Brisco, the sister program of this one: a program for retrieving, "
                             "converting, manipulating, aligning and analysing molecular sequence data.\r\n\r\n"
                             "Do you want to go to its release page?",
                             platform::mb::YesNo | platform::mb::Question, BriscoTitle);
        });
        if (answer != platform::Answer::Yes) {
            return;
        }
        g.step([&] {
            if (isNetworked && isNetworked()) {
                openUrl(BriscoPage);
            } else {
                (void)message("Your computer is not networked.", platform::mb::Information, BriscoTitle);
            }
        });
    });
}

void frmStartA::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        QMainWindow::closeEvent(event);
        return;
    }
    auto& state = mQuorin::Program();
    const bool wasLeft = m_work.showingLeft();
    for (const bool left : {true, false}) {
        const bool saved = left ? m_work.leftSaved() : m_work.rightSaved();
        const SequenceSet& set = left ? state.gLeft : state.gRight;
        if (saved || set.numSeq < 1) {
            continue;
        }
        const platform::Answer answer =
            message(std::string(left ? "Left" : "Right") + " flanking sequences in the buffer not saved. Save now?",
                    platform::mb::YesNo, "Warning!");
        if (answer != platform::Answer::Yes) {
            continue;
        }
        m_work.showLeft(left);
        if (!convert()) {
            // The set is kept: a save that did not happen must not lose it.
            m_work.showLeft(wasLeft);
            event->ignore();
            return;
        }
    }
    m_closing = true;
    if (openOne() == this) {
        openOne() = nullptr;
    }
    m_work.ClearSets();
    state.gFlankWinOpen = false;
    (void)message(std::string("The sequence functions of this window are a subset of those of Brisco, a program for "
                              "retrieving, converting, manipulating, aligning and analysing molecular sequence "
                              "data. Brisco's page: ") +
                      BriscoPage,
                  platform::mb::Information);
    QMainWindow::closeEvent(event);
}

} // namespace sequence
