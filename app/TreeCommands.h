#pragma once

// The main window's Tree menu on the cluster tree of the active document
// window's tree view: node information, the subtree in the tree-drawing
// window, collapsing and expanding every node, collapsing at a cut-off, and
// the loci below a node with their expression values and their profiles
// in the chart window, and the retrieval of their flanking sequences. One object lives as a
// child of the main window; it owns the program's tree-drawing window,
// created on first use.

#include <cstdint>
#include <memory>
#include <string>

#include <QObject>

namespace trees {
class NAryForm;
class TreeTool;
} // namespace trees

namespace platform {
class TreeViewModel;
}

namespace shell {

class MainFrame;
class frmMDIChild;

class TreeCommands : public QObject {
    Q_OBJECT

public:
    // The box that refuses a cut-off that is not a number.
    static constexpr const char* CutoffNotANumber =
        "The cutoff distance must be a number, such as 0.1 or 2.5. Please type it again.";
    // The box that refuses a cut-off beyond the range of a double, above it
    // or (tooLarge false) below it.
    [[nodiscard]] static std::string CutoffOutOfRange(bool tooLarge);
    // The box that refuses the expression plot after a later analysis
    // command cleared the data that was clustered.
    static constexpr const char* DataClearedText =
        "The data that was clustered has been cleared by a later analysis command. "
        "Cluster the data again (Window, Data window, then Analysis, Clustering) to plot the expression of "
        "these loci.";
    // The box that refuses Show subtree on a leaf, which has no subtree to
    // draw.
    static constexpr const char* LeafHasNoSubtree =
        "A leaf has no subtree to show. Please select a node of the tree that has leaves below it.";

    explicit TreeCommands(MainFrame& frame);
    ~TreeCommands() override;

    [[nodiscard]] static TreeCommands* of(const MainFrame& frame);

    // The tree-drawing window (made on first use).
    [[nodiscard]] trees::NAryForm& naryForm();
    // Show subtree waits for the drawing window to close unless told not to
    // (tests keep it open).
    void setModalDrawing(bool modal) noexcept { m_modal = modal; }

    void mnuTreeNodeProperty();
    void mnuTreeShowSubTree();
    void mnuTreeExprPlot();
    void mnuTreeRetrieve();
    void mnuTreeCollapse();
    void mnuTreeExpand();
    void mnuTreeCollapseCutoff();
    // Fills gSelLociName, gNumSelLoci and gSelLociExpr with the leaves below
    // the tree-view node (a leaf: itself) and their data: each leaf takes the
    // first data row of exactly its name; a leaf without one is left out. The
    // caller clears the count. Linear in leaves and data rows.
    void GetLociExprBelowNode(std::int32_t node);

private:
    // The active document window's tree view and its adapter, and the
    // selected node; false (after a box) when there is no tree or no node.
    bool selection(frmMDIChild*& child, std::int32_t& node);
    void setAllExpanded(bool expanded);

    MainFrame& m_frame;
    std::unique_ptr<trees::NAryForm> m_nary;
    bool m_modal = true;
};

} // namespace shell
