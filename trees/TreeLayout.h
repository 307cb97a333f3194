#pragma once

// TreeLayout: placement of the node labels of a drawn tree and the list of
// lines and texts that draw it, for any surface (screen, printer, metafile).
//
// Coordinates are twips, x to the right and y downwards, the origin at the
// top left of the surface. The root label stands at x = 400 and the first
// leaf slot starts at y = 200; a leaf's slot is one label height, siblings are
// YGap apart; a leaf stands 2 label widths plus its branch length times
// XScale right of its parent, an inner node its branch length times XScale.
// Branch lengths from 0 to below 0.0001 are raised to 0.0001 in the model when
// placed. A negative length is drawn as it is: its node stands left of its
// parent, the branch going back; a tree that reaches left of its root has its
// root moved right by that stretch, so that the whole tree stays on the
// surface at one scale.
// The phenogram draws right-angled branches from the right end of a parent's
// label; the cladogram straight lines. All walks are iterative.
//
// Surface::Metafile gives the metafile form of the same drawing: coordinates
// cut to whole twips, texts at (x + 60, top + label height), the scale text at
// the bar's right end.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "trees/NAryNode.h"

namespace trees {

class NAryFormModel;

struct DrawItem {
    enum class Kind : std::uint8_t { Line, Text };
    Kind kind = Kind::Line;
    double x1 = 0;  // line start, or the text's top left
    double y1 = 0;
    double x2 = 0;  // line end (lines only)
    double y2 = 0;
    std::string text;  // texts only
};

// What a surface replays: lines (black, penWidth pixels) and texts
// (fontPoints), in drawing order, and the height the surface must have.
struct DrawList {
    std::vector<DrawItem> items;
    double height = 0;
    int penWidth = 1;
    int fontPoints = 8;

    void line(double x1, double y1, double x2, double y2)
    {
        items.push_back(DrawItem{DrawItem::Kind::Line, x1, y1, x2, y2, {}});
    }
    void text(double x, double y, std::string s)
    {
        items.push_back(DrawItem{DrawItem::Kind::Text, x, y, 0, 0, std::move(s)});
    }
};

enum class Surface : std::uint8_t { Screen, Metafile };
enum class TreeView : std::uint8_t { Phenogram, Cladogram };

struct LayoutParams {
    double labelWidth = 600;
    double labelHeight = 240;
    double yGap = 100;
    double xScale = 1;         // twips per unit of branch length
    double back = 0;           // branch-length units the tree reaches left of its root
    bool showInnerLabels = false;
    bool mrc = false;          // inner nodes print their support text
    Surface surface = Surface::Screen;
};

namespace TreeLayout {

inline constexpr double RootX = 400;
inline constexpr double FirstSlotY = 200;
inline constexpr double RightMargin = 3200;    // surface width kept free at the right
inline constexpr double ShortestBranch = 0.0001;

// Shown by the window after a drawing with the scale bar.
inline constexpr std::string_view ScaleBarNotice =
    "The scale is at the bottom of the tree. You may need to drag down the bottom edge of the window (or scroll down) to see it.";

// (surfaceWidth - 3200) / depth. Error 11 for a depth of 0 or less and
// error 5 for one that is not a number.
[[nodiscard]] double XScaleFor(double surfaceWidth, double depth);

// Pen width in pixels for a line-thickness setting: its half, whole part.
[[nodiscard]] constexpr int PenWidth(int lineThickness) { return lineThickness / 2; }

// Places the subtree's labels from (x, y), y running downwards (on return the
// bottom of the subtree's last slot), and adds the node texts: leaves their
// caption, inner nodes their caption (support text for MRC) only with
// showInnerLabels. Raises branch lengths from 0 to below 0.0001 to 0.0001.
void PlaceNodes(NAryNode& node, double x, double& y, const LayoutParams& params, DrawList& out);

void DrawPhenoBranches(const NAryNode& node, const LayoutParams& params, DrawList& out);
void DrawCladoBranches(const NAryNode& node, const LayoutParams& params, DrawList& out);

// PlaceNodes from (400 + back x xScale, 200), then the branches of the view.
void DrawPhenogram(NAryNode& root, const LayoutParams& params, DrawList& out);
void DrawCladogram(NAryNode& root, const LayoutParams& params, DrawList& out);

// The largest label top of the tree (0 for none).
[[nodiscard]] double LowestLabelTop(const NAryNode& root);

// Length of the scale bar in branch-length units: 1 for a depth above 1,
// else 10^-k with k the position of the first non-zero decimal of the depth
// (1 when there is none): 0.35 gives 0.1, 0.035 gives 0.01, 1 gives 0.1.
[[nodiscard]] double ScaleBarLength(double depth);

// The bar under the tree, starting 200 twips right of the root label, 7.5
// gaps below the lowest label, with its length as text; sets out.height to
// the lowest label top + 15 gaps.
void DrawScaleBar(const NAryNode& root, double depth, const LayoutParams& params, DrawList& out);

// The full drawing of the model's tree on a surface `surfaceWidth` twips
// wide: sets the model's XScale from its drawing depth (never dividing by
// zero: a tree whose leaves all sit at the root is scaled by the depth it is
// drawn with; a tree with a negative branch length by the stretch from its
// leftmost node to its rightmost, which is the scale bar's depth then too),
// draws the view, then the scale bar when the menu's scale is checked, else
// sets the height to the lowest label top + 5 gaps. Pen width
// and font size follow the model's settings. An empty model gives an empty
// list; a root without children is placed alone with XScale 0.
[[nodiscard]] DrawList DrawTree(NAryFormModel& model, double surfaceWidth, TreeView view,
                                Surface surface = Surface::Screen);

} // namespace TreeLayout

} // namespace trees
