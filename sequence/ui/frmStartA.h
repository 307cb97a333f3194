#pragma once

// frmStartA: the flank work window "Sequence Tool" over the program's two
// flank sets (gLeft, gRight of mQuorin::Program()). It shows one set at a
// time in its rich-text box, plain or colour-coded, sorts it, searches the
// text, aligns the set through the outside aligner, saves it in a sequence
// file format and saves the displayed text. Closing it offers to save each
// unsaved set and then empties both sets; a save that is cancelled or fails
// keeps the window open.
//
// The window reads its menus and calls FlankWork and the view texts; every
// command runs under the program's error guard.

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>

#include "sequence/ui/FlankWork.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;

namespace platform {
class RichTextBox;
}

namespace sequence {

class frmStartA : public QMainWindow {
    Q_OBJECT
public:
    explicit frmStartA(QWidget* parent = nullptr);
    ~frmStartA() override;

    // The aligner of SeqAlign (clustalw unless replaced).
    void setAligner(std::unique_ptr<Aligner> aligner) { m_aligner = std::move(aligner); }
    // Whether the computer is networked, and opening a web page (AnaBrisco).
    std::function<bool()> isNetworked;
    std::function<void(const std::string&)> openUrl;

    [[nodiscard]] FlankWork& work() { return m_work; }

    // The flank work window that is open (the program shows one at a time),
    // or null.
    [[nodiscard]] static frmStartA* openWindow();
    // Whether a set with sequences is not saved.
    [[nodiscard]] bool hasUnsavedSets() const;
    // A new retrieval replaced both sets: neither is saved, and the window
    // shows them as it does when it opens.
    void setsReplaced();

    // Menu handlers, public so that tests drive them as a user would.
    void SeqShowLeft_Click();
    void SeqShowRight_Click();
    void SeqSortName_Click();
    void SeqSortLen_Click();
    void SeqViewPlain_Click();
    void SeqView_Click();
    void SeqViewPretty_Click();
    void SeqAlign_Click();
    void FileConvert_Click();
    void FileSaveBuffer_Click();
    void FileExit_Click();
    void EditUndo_Click();
    void EditCut_Click();
    void EditCopy_Click();
    void EditCopy2Excel_Click();
    void EditPaste_Click();
    void EditPasteTxt_Click();
    void EditDelete_Click();
    void EditClear_Click();
    void EditSelectAll_Click();
    void EditFind_Click();
    void EditFindNext_Click();
    void EditFindAll_Click();
    void AnaBrisco_Click();

    platform::RichTextBox* RichTextBox1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* sbPanel1 = nullptr;

    // Menu items by their names.
    QAction* FileConvert = nullptr;
    QAction* FileSaveBuffer = nullptr;
    QAction* FileExit = nullptr;
    QAction* EditUndo = nullptr;
    QAction* EditCut = nullptr;
    QAction* EditCopy = nullptr;
    QAction* EditCopy2Excel = nullptr;
    QAction* EditPaste = nullptr;
    QAction* EditPasteTxt = nullptr;
    QAction* EditDelete = nullptr;
    QAction* EditClear = nullptr;
    QAction* EditSelectAll = nullptr;
    QAction* EditFind = nullptr;
    QAction* EditFindNext = nullptr;
    QAction* EditFindAll = nullptr;
    QAction* SeqAlign = nullptr;
    QAction* SeqShowLeft = nullptr;
    QAction* SeqShowRight = nullptr;
    QAction* SeqSortName = nullptr;
    QAction* SeqSortLen = nullptr;
    QAction* SeqView = nullptr;
    QAction* SeqViewPlain = nullptr;
    QAction* SeqViewPretty = nullptr;
    QAction* AnaBrisco = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void Form_Load();
    void plainView(const std::string& footer = {});
    [[nodiscard]] std::string sideMessage(bool left) const;
    // Runs the save-or-convert command; true when the set was saved.
    bool convert();

    FlankWork m_work;
    std::unique_ptr<Aligner> m_aligner;
    bool m_closing = false;
};

} // namespace sequence
