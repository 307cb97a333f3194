#pragma once

// The sequence editor: names and residues of a sequence set in two
// side-by-side rich-text panes split by a draggable bar, showing at most 50
// rows and 200 columns at a time; a vertical bar moves through the rows and
// a slider through the columns. The user edits names and residues, deletes
// column segments, adds and sorts sequences, aligns the shown segment with
// the multiple alignment engine, and on leaving decides whether the edited
// set replaces the caller's.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>

class QAction;
class QLabel;
class QMenuBar;
class QProgressBar;
class QScrollBar;
class QSlider;
class QStatusBar;

namespace platform {
class RichTextBox;
}

namespace sequence::SegmentInput {
struct Reading;
}

namespace sequence::editor {

class CSpliter;
class SplitControl;

class frmSeqEdit : public QDialog {
    Q_OBJECT
public:
    static constexpr std::int32_t kRows = 50;
    static constexpr std::int32_t kCols = 200;

    // The window on a copy of the set; it does not open until exec().
    frmSeqEdit(const std::vector<std::string>& seqs, const std::vector<std::string>& names, std::int32_t numSeq,
               std::int32_t maxLen, std::string seqType, QWidget* parent = nullptr);
    ~frmSeqEdit() override;

    // Shows the editor modally on the set, placed inside the window that
    // holds `parent`; when the user confirms on leaving, the edited set
    // replaces the four values. Returns True.
    static bool AlignSeq(std::vector<std::string>& seqs, std::vector<std::string>& names, std::int32_t& numSeq,
                         std::int32_t& maxLen, const std::string& seqType, QWidget* parent = nullptr);

    // The caller's values as they stand (replaced on a confirmed exit).
    [[nodiscard]] const std::vector<std::string>& inSeqs() const { return m_inSeqs; }
    [[nodiscard]] const std::vector<std::string>& inNames() const { return m_inNames; }
    [[nodiscard]] std::int32_t inNumSeq() const { return m_inNumSeq; }
    [[nodiscard]] std::int32_t inMaxLen() const { return m_inMaxLen; }

    // The working set, after taking the panes back.
    [[nodiscard]] std::vector<std::string> sequences();
    [[nodiscard]] std::vector<std::string> names();
    [[nodiscard]] std::int32_t firstRow() const { return m_firstRow; }
    [[nodiscard]] std::int32_t lastRow() const { return m_lastRow; }
    [[nodiscard]] std::int32_t firstCol() const { return m_firstCol; }
    [[nodiscard]] std::int32_t lastCol() const { return m_lastCol; }
    [[nodiscard]] std::int32_t maxLen() const { return m_maxLen; }
    [[nodiscard]] std::int32_t longestRow() const { return m_longestRow; }
    [[nodiscard]] bool isAlignOnly() const { return m_alignOnly; }
    [[nodiscard]] bool isInsertMode() const { return m_insertMode; }
    [[nodiscard]] CSpliter& splitter() { return *m_splitter; }

    // Menu commands.
    void SeqAddNew_Click();
    void SeqAlign_Click();
    void SeqSort_Click();
    void SeqExit_Click();
    void EditAlignOnly_Click();
    void EditUndo_Click();
    void EditCut_Click();
    void EditCopy_Click();
    void EditPaste_Click();
    void EditRidHead_Click();
    void EditRidMid_Click();
    void EditRidTail_Click();
    void EditFind_Click();
    void EditFindNext_Click();
    void EditSelectAll_Click();
    void ViewDefault_Click();
    void ViewBackColor_Click();
    void ViewFont_Click();

    platform::RichTextBox* rtfSeqName = nullptr;
    platform::RichTextBox* rtfSeq = nullptr;
    QScrollBar* VScroll1 = nullptr;
    QSlider* HScroll1 = nullptr;
    QStatusBar* sbStatusBar = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QMenuBar* menuBar = nullptr;
    QWidget* body = nullptr;

    QAction* SeqAddNew = nullptr;
    QAction* SeqDelete = nullptr;
    QAction* SeqAlign = nullptr;
    QAction* SeqSort = nullptr;
    QAction* SeqExit = nullptr;
    QAction* EditAlignOnly = nullptr;
    QAction* EditUndo = nullptr;
    QAction* EditCut = nullptr;
    QAction* EditCopy = nullptr;
    QAction* EditPaste = nullptr;
    QAction* EditRidHead = nullptr;
    QAction* EditRidMid = nullptr;
    QAction* EditRidTail = nullptr;
    QAction* EditFind = nullptr;
    QAction* EditFindNext = nullptr;
    QAction* EditSelectAll = nullptr;
    QAction* ViewDefault = nullptr;
    QAction* ViewBackColor = nullptr;
    QAction* ViewFont = nullptr;
    QAction* HelpGeneral = nullptr;
    QAction* HelpContent = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void Show(std::int32_t row, std::int32_t col);
    void fillPanes();
    void takeBackPanes();
    void applyFont();
    void setSliderQuietly(std::int32_t value);
    void afterDeletion(std::int32_t column, bool ending);
    [[nodiscard]] bool checkAligned();
    // True for sites read; otherwise the refusal is shown and false returned.
    bool readSites(const SegmentInput::Reading& reading, const char* title);
    [[nodiscard]] platform::RichTextBox* focusedPane() const;
    [[nodiscard]] std::int32_t caretLine(const platform::RichTextBox* pane) const;
    bool seqKey(QKeyEvent* key);
    // After a residue typed on a pane line (from 0): once the set is at
    // least 11 sites long, a sequence typed longer than MaxLen becomes the
    // longest and the slider reaches its new end.
    void noteTypedLength(std::int32_t line);
    // The line of a pane below which Down scrolls the rows rather than the
    // caret, for the pane's font size.
    [[nodiscard]] std::int32_t visibleHeight() const;
    // Puts the caret of a pane on a line (from 0) at a column, clamped to
    // the line's end.
    static void placeCaret(platform::RichTextBox* pane, int line, int col);
    // Up on the first row shown, Down on the last one, and Down on a row
    // below the visible height scroll the rows by one and leave the caret on
    // its line and column; true when they did.
    bool scrollRowsAtEdge(platform::RichTextBox* pane, int key, int line, int col, int shown);
    bool nameKey(QKeyEvent* key);
    void onScroll();
    void findInSequences(std::int32_t fromRow, std::int32_t fromPos);
    bool quit();

    std::vector<std::string> m_inSeqs, m_inNames;
    std::int32_t m_inNumSeq = 0, m_inMaxLen = 0;
    std::string m_seqType;
    std::vector<std::string> m_seqData, m_seqName;
    std::int32_t m_numSeq = 0, m_maxLen = 0, m_longestRow = 0;
    std::int32_t m_firstRow = 0, m_lastRow = -1, m_firstCol = 1, m_lastCol = 0;
    std::vector<std::string> m_segLeft, m_segMid, m_segRight;
    std::string m_rulerNum, m_rulerTick;
    std::string m_fontName = "Courier New";
    std::int16_t m_fontSize = 9;
    bool m_fontBold = false, m_fontItalic = false;
    bool m_alignOnly = false, m_insertMode = false, m_mergeOnScroll = false;
    bool m_closing = false;
    std::string m_lastFind;
    std::int32_t m_lastFindRow = -1, m_lastFindPos = 0;

    std::unique_ptr<CSpliter> m_splitter;
    std::vector<std::unique_ptr<SplitControl>> m_controls;
};

} // namespace sequence::editor
