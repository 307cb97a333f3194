#pragma once

// NAryForm: the tree-drawing window. It shows the tree of its model
// (NAryFormModel) drawn by TreeLayout on a scrollable surface (Picture1) at
// 15 twips a pixel, with the "&Tree", "&Print" and "Help" menus: saving and
// pasting Newick text, bitmap and Newick copies, the phenogram, rectangular
// phenogram and cladogram views, inner-node labels, the scale bar,
// re-rooting by a click on a node, adding a leaf below a clicked node,
// printing, and the font-size, line-thickness and vertical-spacing settings.
//
// PlotTree shows the window modally, as the main window's Show subtree asks;
// plot() does the same drawing without waiting, for tests and callers that
// keep the window open. Every command runs under the program's error guard
// (Abort leaves it, Retry runs the failing step again, Ignore goes on); a
// tree text that the reader refuses is no fault of the program and is told
// in a plain box with the reader's reason (TreeTextRefusal), not reported.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include <QDialog>
#include <QImage>
#include <QRectF>

#include "trees/NAryFormModel.h"
#include "trees/TreeLayout.h"

class QAction;
class QMenu;
class QMenuBar;
class QPainter;
class QScrollArea;

namespace graphs {
class clsEMF;
}

namespace numeric {
class Progress;
}

namespace trees {

inline constexpr double TwipsPerPixel = 15.0;

// Draws a drawing list on a painter at `pixelsPerTwip`, lines black with
// the list's pen width (pixels of the surface) and texts in its font size;
// with `exposed` (pixels), only the items that reach into its rows.
void paintDrawList(QPainter& painter, const DrawList& list, double pixelsPerTwip, double penPixels,
                   std::optional<QRectF> exposed = std::nullopt);

// The drawing surface: paints the current drawing list and reports clicks
// on node labels while they are enabled.
class TreeCanvas : public QWidget {
    Q_OBJECT

public:
    explicit TreeCanvas(QWidget* parent = nullptr);

    void setDrawing(DrawList list, double widthTwips);
    [[nodiscard]] const DrawList& drawing() const noexcept { return m_list; }
    // Called with the node whose label was clicked (labels enabled only).
    std::function<void(NAryNode&)> onLabelClick;
    // The node whose label covers a point of the surface (pixels), or null.
    std::function<NAryNode*(QPoint)> labelAt;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    DrawList m_list;
};

class NAryForm : public QDialog {
    Q_OBJECT

public:
    explicit NAryForm(QWidget* parent = nullptr);
    ~NAryForm() override;

    // Draws the tree (type 0 Newick, 1 branch list, 2 MRC) and shows the
    // window modally; returns when the window is closed. Reading, laying out
    // and drawing are linear in the nodes; `progress` (may be null) counts
    // them as three steps (from 0 to 3), so that a caller can show how far a
    // tree of tens of thousands of leaves has come.
    void PlotTree(int type, std::string& treeStr, std::int32_t rootNum1Based, numeric::Progress* progress = nullptr);
    // The same without waiting: the window is shown and stays open. Into a
    // window that has not been closed since its last tree, both store the
    // text and show an empty surface: the tree is built again only after
    // the window closes (its close button, Exit or Escape). A text the reader
    // refuses is told in its box and opens no window (PlotTree returns at
    // once); plot then returns false, else true.
    bool plot(int type, const std::string& treeStr, std::int32_t rootNum1Based, numeric::Progress* progress = nullptr);

    [[nodiscard]] NAryFormModel& model() noexcept { return m_model; }
    [[nodiscard]] TreeCanvas* Picture1() const noexcept { return m_canvas; }
    [[nodiscard]] QAction* action(const char* name) const;
    [[nodiscard]] bool isPhenogramShown() const;
    // Whether node labels answer clicks (after "Re-root the tree").
    [[nodiscard]] bool labelsEnabled() const noexcept { return m_pendingClick != PendingClick::None; }
    // The picture of the surface, as "Copy Tree as BMP file" puts it on the
    // clipboard.
    [[nodiscard]] QImage picture() const;

    // ---- Commands ----------------------------------------------------------------
    void TreeSave();
    void TreeSaveEMF();
    void TreeCopyEMF();
    void TreeCopy();
    void TreeCopyNH();
    void TreePasteNH();
    void TreeAdd();
    void TreePhen();
    void TreeRecPhe();
    void TreeClad();
    void TreeInNodeLabel();
    void TreeScale();
    void TreeReRoot();
    void TreeExit();
    void TreeHelp();
    void PrintNow();
    void FontSize(std::int32_t points);
    void LineWidth(std::int32_t thickness);
    void VerticalSpacing(double factor);
    // A click on the label of `node` (ignored while labels are disabled).
    void NodeLabel_Click(NAryNode& node);
    // The full redraw of the window (its resize handling): the phenogram.
    void redraw();
    // Every end of the dialog (Escape too) closes the window.
    void done(int result) override;

    // Draws the current tree into the metafile recording (frame of the
    // drawing surface; the spacing scaled to 8-point text and kept), ends the
    // recording and returns its file name; `release` also frees the
    // recording's pen.
    std::string RenderToMetafile(graphs::clsEMF& emf, bool release);

    // What Print Now says when the window holds no tree, and before the
    // reason when the printer refuses the job.
    static constexpr const char* NoTreeToPrint = "There is no tree to print.";
    static constexpr const char* NotPrinted = "The tree was not printed. ";

    // The box that refuses pasted text that is no tree, with the reason.
    [[nodiscard]] static std::string PasteRefusal(const std::string& reason);
    // The box that tells why a tree text the window was given or rebuilds
    // from cannot be read: the reader's reason follows.
    [[nodiscard]] static std::string TreeTextRefusal(const std::string& reason);

    // The surface width the drawing is scaled to, in twips.
    [[nodiscard]] double surfaceWidthTwips() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum class PendingClick { None, ReRoot, AddOtu };

    void buildMenus(QMenuBar* bar);
    void connectItem(QMenu* menu, const char* name, const char* caption, std::function<void()> command,
                     bool checkable = false);
    void applyMenuState();
    // Places the scroll bars for the surface as it is now.
    void fitScrollBars();
    // Draws the model's tree in a view and shows it; with `notice`, the box
    // that points to the scale bar follows a drawing that has one. Laying
    // out and drawing are steps 2 and 3 of `progress`.
    void draw(TreeView view, bool notice, numeric::Progress* progress = nullptr);
    // BuildAndDraw of the model followed by its drawing tail.
    void rebuild(TreeKind kind);
    void guarded(const std::function<void()>& command);
    void addOtuBelow(NAryNode& node);
    // The closing: the tree, its drawing and a pending label click go.
    void forgetTree();

    NAryFormModel m_model;
    QScrollArea* m_scroll = nullptr;
    TreeCanvas* m_canvas = nullptr;
    std::map<std::string, QAction*> m_actions;
    PendingClick m_pendingClick = PendingClick::None;
    TreeView m_view = TreeView::Phenogram;
};

} // namespace trees
