#pragma once

// A document window: one workbook with three views stacked on the same
// client area, exactly one of them visible: the data view (the workbook grid
// `ss`), the tree view `TreeView1` and the output view `RichTextBox1`. Its
// progress bar `ProgressBar1` lives in the main window's status bar.
//
// Closing a window whose workbook has changed asks "Save changes before
// closing?": Yes saves this window's workbook through the save hook, No
// closes, Cancel (or a save that is cancelled or fails) keeps it open.
//
// A cluster tree handed to MyRootNode is kept as the window's full tree and
// planted in the tree view below a top node "Root"; collapsing at a cut-off
// shows copies of the clusters below the cut and never alters the full tree.

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "shell/core/ShellRules.h"

class QProgressBar;
class QTextEdit;

namespace analysis {
class MyNode;
}
namespace platform {
class TreeView;
}
namespace trees {
class TreeTool;
}

namespace spreadsheet {
class SpreadsheetWidget;
class Workbook;
}

namespace shell {

class MainFrame;

enum class SaveResult { Saved, Cancelled, Failed };

class frmMDIChild : public QWidget {
    Q_OBJECT
public:
    // Creates the window with the design caption "Book"; Form_Load names it.
    explicit frmMDIChild(MainFrame& frame, QWidget* parent = nullptr);
    ~frmMDIChild() override;

    // Names a window that still has the design caption "Book" after the next
    // book number, clears the changed flag, hides the tree and output views,
    // registers the gene fill list and puts the progress bar into the status bar.
    void Form_Load();

    [[nodiscard]] spreadsheet::SpreadsheetWidget* ss() const { return m_ss; }
    [[nodiscard]] spreadsheet::Workbook& workbook() const;
    [[nodiscard]] platform::TreeView* TreeView1() const { return m_tree; }
    [[nodiscard]] QTextEdit* RichTextBox1() const { return m_text; }
    [[nodiscard]] QProgressBar* ProgressBar1() const { return m_progress; }

    // The file the window holds: the one its workbook was opened from or
    // saved to, else the text file read into it; "" when none.
    [[nodiscard]] std::string fileHeld() const;
    void setTextFile(std::string path) { m_textFile = std::move(path); }

    // The visible view, and showing one view (hiding the other two).
    [[nodiscard]] View visibleView() const;
    void showView(View view);

    // Saves this window's workbook under a name the user chooses. The
    // workbook-file commands replace it; the default asks for a name through
    // the file dialog and writes the workbook in the chosen type.
    std::function<SaveResult(frmMDIChild&)> saveHook;

    // The tree-view adapter of TreeView1, created on first use.
    [[nodiscard]] trees::TreeTool* CTreeTool();
    // Keeps the tree as the window's full tree and adds it to the tree view
    // below a new top node "Root" (lengths in the tags, expanded), then
    // expands the first node. Nodes already in the view stay.
    void MyRootNode(std::unique_ptr<analysis::MyNode> root);
    // The full tree last set through MyRootNode; null before.
    [[nodiscard]] const analysis::MyNode* mRoot() const { return m_root.get(); }
    // Shows the full tree cut at the distance `cutoff`: the clusters below
    // the cut (copies) under a new top node "Root". When no child of the
    // root lies above the cut (or there is no tree), the information box
    // "There is no node to be collapsed at the cutoff point." and no change.
    void CollapseWithCutOff(double cutoff);

    // The closing question; true when the window may close.
    [[nodiscard]] bool Form_Unload();

    // The default save hook.
    static SaveResult SaveAsThroughDialog(frmMDIChild& window);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ss_MouseUp(Qt::MouseButton button, int x, int y);
    void TreeView1_MouseUp(Qt::MouseButton button);

    MainFrame& m_frame;
    spreadsheet::SpreadsheetWidget* m_ss = nullptr;
    platform::TreeView* m_tree = nullptr;
    std::unique_ptr<trees::TreeTool> m_treeTool;
    std::unique_ptr<analysis::MyNode> m_root;
    QTextEdit* m_text = nullptr;
    QProgressBar* m_progress = nullptr;
    std::string m_textFile;
    bool m_unloaded = false;
};

} // namespace shell
