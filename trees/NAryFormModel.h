#pragma once

// NAryFormModel: the state and tree building of the tree-drawing window,
// without any widget. It receives a tree as text of one of three kinds and
// builds a tree of NAryNode objects, one label per node:
//
//   0 Newick   "((P:0.1,Q:0.2):0.05,R:0.3);"  a missing length is 0.1; a
//              negative one is kept (TreeLayout draws its branch going back);
//              blanks are kept unless the text holds a "[" comment, then
//              comments and all blanks go; quoted names ('IL2 (human)') are
//              read whole, without their quotes;
//   1 branch list (two lines joined by CR): " 5..6 6..1 6..2 5..3" and
//              " 0.05 0.1 0.2 0.3"; nodes 1 .. NameCount are the leaves (in the
//              order of LeafNames), larger numbers inner nodes;
//   2 MRC      Newick with ":[support]length" behind a group and
//              "name:[x]length" for a leaf (a leaf without "]" has length 0).
//
// After a Newick tree is read its inner nodes are numbered in pre-order from
// max(InnerCount + 3, NameCount + 1), so inner numbers never collide with the
// leaf numbers of the branch list, and the branch list is written from the
// tree; redrawing that list from another root number re-roots the tree at an
// inner node. Nodes are told apart by the node object (IsLeaf), never by
// reading numbers out of captions. No fixed limit on leaves, inner nodes or
// branches; every walk is iterative. Number text is locale-independent.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "trees/NAryNode.h"

namespace trees {

enum class TreeKind : std::uint8_t {
    Newick = 0,
    BranchList = 1,  // the PAML branch list
    Mrc = 2,
    Count
};
static_assert(static_cast<int>(TreeKind::Count) == 3, "tree kinds are the PlotTree type codes 0, 1, 2");

// Menu states the building steps read or set; the window mirrors them.
struct TreeMenuState {
    bool saveVisible = true;       // TreeSave
    bool scaleVisible = true;      // TreeScale
    bool scaleChecked = false;     // TreeScale check mark: draw the scale bar
    bool pasteVisible = true;      // TreePasteNH
    bool reRootEnabled = true;     // TreeReRoot
    bool phenogramShown = true;    // TreePhen disabled and TreeClad enabled
    int fontChecked = 8;           // PrintFS8 .. PrintFS16
    int lineChecked = 5;           // PrintLT2 .. PrintLT12
};

class NAryFormModel {
public:
    // Size of a node label (the template label), twips.
    static constexpr double DefaultLabelWidth = 600;
    static constexpr double DefaultLabelHeight = 240;

    NAryFormModel() = default;
    NAryFormModel(const NAryFormModel&) = delete;
    NAryFormModel& operator=(const NAryFormModel&) = delete;

    // The model part of the window's entry: stores kind, text and root
    // number, drops the drawn tree, shows the phenogram; while not yet
    // initialised it applies the drawing defaults (line 5, font 8, spacing
    // 100), resets the menu states for the kind and builds the tree. A kind
    // outside 0..2: error 5. True when the tree was built (or, into an
    // initialised model, the text stored); a text that gives no tree leaves
    // the model closed (no tree, not initialised) and gives false. The window
    // then shows itself modally.
    bool PlotTree(int type, std::string_view treeStr, std::int32_t rootNum1Based);

    // Rebuilds the node tree from TreeText read as `kind`. Runs under the
    // program's error guard (Abort leaves, Retry runs the failing step again,
    // Ignore goes on); bad text is a numbered error (5) with a clear
    // description. Returns true when the tree was built.
    bool BuildAndDraw(TreeKind kind);
    // Rebuilds from TreeText as the kind it holds (TreeTextKind).
    bool Rebuild() { return BuildAndDraw(m_treeTextKind); }

    // Re-roots at inner node `num` through the branch list.
    bool RedrawFromRoot(std::int32_t num);
    // Re-roots the Newick tree at the named leaf; false with the reason in
    // `message` when that fails (the tree and NHText stay as they were).
    bool ReRootAtTip(std::string_view name, std::string& message);
    // Re-rooting by a click on a node: an inner node re-roots through the
    // branch list at its number, a leaf through ReRootAtTip at its name.
    bool ReRootAtNode(const NAryNode& node, std::string& message);

    // Closing the window: drops the tree and clears MaxLeafDist, NHText,
    // PAMLText, CurTreeType, YGap and Initialised.
    void Close();

    // ---- Drawing settings of the Print menu ------------------------------------
    // Font size s: the vertical spacing follows the font (YGap becomes the
    // whole part of YGap x s / FontPoints; error 6 when YGap x s exceeds
    // 32767), FontPoints = s and its menu item is checked.
    void FontSizeFamily(std::int32_t s);
    // Line thickness w and its check mark.
    void LineThicknessFamily(std::int32_t w);
    // YGap becomes the whole part of YGap x factor.
    void VerticalSpacingFamily(double factor);
    // A Newick tree from the clipboard: trimmed, without any blank, CR or LF;
    // it becomes NHText and TreeText and is built as Newick (the kind given to
    // PlotTree stays). False when the text gives no tree: the model keeps the
    // tree it had.
    bool PasteNH(std::string_view clipboard);

    // ---- State ---------------------------------------------------------------
    [[nodiscard]] NAryNode* RootNode() noexcept { return m_root.get(); }
    [[nodiscard]] const NAryNode* RootNode() const noexcept { return m_root.get(); }
    // The node shown by label element `index` (1 = root); null when none.
    [[nodiscard]] NAryNode* NodeOfLabel(std::int32_t index) noexcept;

    [[nodiscard]] bool Initialised() const noexcept { return m_initialised; }
    [[nodiscard]] TreeKind CurTreeType() const noexcept { return m_curTreeType; }
    [[nodiscard]] TreeKind TreeTextKind() const noexcept { return m_treeTextKind; }
    [[nodiscard]] std::int32_t RootNum() const noexcept { return m_rootNum; }
    [[nodiscard]] std::int32_t NameCount() const noexcept { return static_cast<std::int32_t>(m_leafNames.size()); }
    [[nodiscard]] const std::vector<std::string>& LeafNames() const noexcept { return m_leafNames; }
    [[nodiscard]] const std::string& TreeText() const noexcept { return m_treeText; }
    [[nodiscard]] const std::string& NHText() const noexcept { return m_nhText; }
    [[nodiscard]] const std::string& PAMLText() const noexcept { return m_pamlText; }
    [[nodiscard]] const std::string& MRCText() const noexcept { return m_mrcText; }
    void setNHText(std::string text) { m_nhText = std::move(text); }
    void setTreeText(std::string text, TreeKind kind)
    {
        m_treeText = std::move(text);
        m_treeTextKind = kind;
    }

    [[nodiscard]] std::int32_t YGap() const noexcept { return m_yGap; }
    void setYGap(std::int32_t gap) noexcept { m_yGap = gap; }
    [[nodiscard]] std::int32_t FontPoints() const noexcept { return m_fontPoints; }
    void setFontPoints(std::int32_t points) noexcept { m_fontPoints = points; }
    [[nodiscard]] std::int32_t LineThickness() const noexcept { return m_lineThickness; }
    void setLineThickness(std::int32_t thickness) noexcept { m_lineThickness = thickness; }
    [[nodiscard]] double LabelWidth() const noexcept { return m_labelWidth; }
    [[nodiscard]] double LabelHeight() const noexcept { return m_labelHeight; }
    void setLabelSize(double width, double height) noexcept
    {
        m_labelWidth = width;
        m_labelHeight = height;
    }

    [[nodiscard]] bool HasLengths() const noexcept { return m_hasLengths; }
    [[nodiscard]] bool ShowInnerLabels() const noexcept { return m_showInnerLabels; }
    void setShowInnerLabels(bool show) noexcept { m_showInnerLabels = show; }
    [[nodiscard]] std::int32_t InnerCount() const noexcept { return m_innerCount; }
    [[nodiscard]] std::int32_t LabelCount() const noexcept { return static_cast<std::int32_t>(m_labels.size()) - 1; }
    // Largest distance from the root of any leaf of the tree built last.
    [[nodiscard]] double MaxLeafDist() const noexcept { return m_maxLeafDist; }
    // The depth to scale the drawing by: MaxLeafDist, or, when that is 0 (all
    // leaves at the root), the depth with every branch raised to the 0.0001
    // the layout draws it with; 0 only when there is no tree.
    [[nodiscard]] double DrawingDepth() const;
    [[nodiscard]] double XScale() const noexcept { return m_xScale; }
    void setXScale(double scale) noexcept { m_xScale = scale; }

    [[nodiscard]] TreeMenuState& Menu() noexcept { return m_menu; }
    [[nodiscard]] const TreeMenuState& Menu() const noexcept { return m_menu; }

    // ---- Tree-string helpers ----------------------------------------------------
    // When the text begins with `open` that character is removed (the text
    // changes); the result is the text without its last character when it
    // now ends with `close`, else "".
    static std::string StripEnclosing(std::string& text, char open, char close);
    // The other end of a branch "a..b" from node k: b when a = k, a when
    // b = k, else 0 (whole parts; 0 also for an end outside 1 .. 2^31 - 1).
    [[nodiscard]] static std::int64_t OtherEnd(std::int64_t k, std::string_view pair);
    // The first branch touching node k gives the text of its other end; ""
    // when none does.
    [[nodiscard]] static std::string PartnerOf(const std::vector<std::string>& pairs, std::int64_t k);
    // Appends the branch list of the subtree below `node`, pre-order: " a..b"
    // to pairs and " length" to lengths (the general number text); leaves are
    // numbered from leafNo in the order met and their names stored at
    // names[leafNo - 1] (names grows when needed).
    static void ToBranchList(const NAryNode& node, std::string& pairs, std::string& lengths, std::int64_t& leafNo,
                             std::vector<std::string>& names);

private:
    void buildModel(TreeKind kind);
    void readNewick();
    void readMrc();
    void readBranchList();
    void numberAndList();
    NAryNode* newNode(NAryNode& parent, std::string caption, double length, bool leaf);

    bool m_initialised = false;
    TreeKind m_curTreeType = TreeKind::Newick;
    TreeKind m_treeTextKind = TreeKind::Newick;
    std::int32_t m_rootNum = 0;
    std::vector<std::string> m_leafNames;
    std::string m_treeText;
    std::string m_nhText;
    std::string m_pamlText;
    std::string m_mrcText;
    std::int32_t m_yGap = 0;
    std::int32_t m_fontPoints = 8;
    std::int32_t m_lineThickness = 5;
    double m_labelWidth = DefaultLabelWidth;
    double m_labelHeight = DefaultLabelHeight;
    std::unique_ptr<NAryNode> m_root;
    std::vector<NAryNode*> m_labels;  // element i shows m_labels[i]; element 0 is the template
    bool m_hasLengths = false;
    bool m_showInnerLabels = false;
    std::int32_t m_innerCount = 0;
    double m_maxLeafDist = 0;
    double m_xScale = 0;
    TreeMenuState m_menu;
};

} // namespace trees
