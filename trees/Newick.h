#pragma once

// Pieces shared by every reader and writer of Newick text in the program:
// branch-length number texts, quoted names, bracket matching, the check of
// tree text that turns bad input into a numbered error, re-rooting a cluster
// tree at a leaf, and one iterative group writer that works over any kind of
// node.
//
// Contract: texts are single-byte strings; positions are 0-based; number text
// is always written and read with "." as the decimal point, whatever the
// locale of the process. Every walk here uses an explicit stack, so trees of
// any depth (a chain of 16,000 leaves) are safe.
//
// Quoted names: a label whose first character (after "(", "," or ")" and
// any blanks, or at the start of the text) is "'" is a quoted name; it runs
// to the next "'" that is not doubled, and inside it every character,
// "(", ",", ":", ";", "[" and blanks included, belongs to the name, with ''
// standing for one '. A "'" anywhere else is an ordinary character of an
// unquoted name, as texts written before names were quoted have it. The
// readers find the structure of a text in its masked twin (MaskQuotedNames),
// in which quoted names cannot be mistaken for structure, and take the names
// from the text itself at the same positions.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace analysis {
class MyNode;
}

namespace trees::Newick {

// Error number of bad tree text (invalid procedure call or argument).
inline constexpr int BadTreeText = 5;

// ---- Branch-length texts ----------------------------------------------------

// The value rounded to five decimals (exact halves to the even digit) in its
// shortest plain decimal form: "0.5", "1.25", "2", "-0.25", "0.12346"; a value
// that rounds to zero is "0". Never an exponent. Error 6 for NaN or infinity.
[[nodiscard]] std::string FormatLen5(double value);

// The value with exactly five decimals, a leading zero and "." and no digit
// grouping: "0.10000", "12.50000", "-0.50000"; a value that rounds to zero
// is "0.00000". Error 6 for NaN or infinity.
[[nodiscard]] std::string FormatFixed5(double value);

// The leading-number value of a branch-length text (0 when none). A number
// too large for a double is bad tree text: error BadTreeText with `source`
// and a description naming the number.
[[nodiscard]] double ReadLength(std::string_view text, std::string_view source);

// ---- Names ---------------------------------------------------------------------

// The name as tree text writes it: a name that holds a blank (space, tab, CR,
// LF) or any of ( ) [ ] ' : ; , is wrapped in single quotes with every quote
// inside doubled ("O'Brien x" gives "'O''Brien x'"); every other name, the
// empty name too, is written as it is.
[[nodiscard]] std::string QuoteName(std::string_view name);

// The name that a label of tree text stands for: a quoted label (blanks
// around it aside) without its quotes and with every '' read as '; a label
// of blanks only is the empty name; any other label exactly as it is,
// blanks kept.
[[nodiscard]] std::string UnquoteName(std::string_view label);

// The text with every character of each quoted name, its quotes included,
// replaced by "Q": the same length, so that positions found in it hold in the
// text. Comments ("[" to the next "]") outside quoted names are skipped, and
// the text after the first ";" outside quoted names is not looked at (it is
// copied as it is). Error BadTreeText with `source` and the position for a
// quoted name without its closing quote and for a quoted name followed by
// more of a name. O(length).
[[nodiscard]] std::string MaskQuotedNames(std::string_view text, std::string_view source);

// The text without the characters of `drop` that lie outside quoted names.
// Errors as MaskQuotedNames. O(length).
[[nodiscard]] std::string RemoveOutsideQuotedNames(std::string_view text, std::string_view drop,
                                                   std::string_view source);

// ---- Text helpers -------------------------------------------------------------

// For every "(" of the text the position of its matching ")" (the first ")"
// at which the bracket depth counted from it returns to zero); npos for a "("
// without one and for every other character. O(length).
[[nodiscard]] std::vector<std::size_t> MatchBrackets(std::string_view text);

// The text with every stretch from a "[" to the next "]" (or to the end when
// no "]" follows) blanked out and then every blank (space) removed; quoted
// names are kept whole. Errors as MaskQuotedNames.
[[nodiscard]] std::string StripBracketComments(std::string_view text,
                                               std::string_view source = "StripBracketComments");

// The text with every space removed (quoted or not: for a single name).
[[nodiscard]] std::string RemoveBlanks(std::string_view text);

// Checks that `text` is one tree: a bracketed group of items separated by
// ",", an item being a leaf or a group, each optionally followed by ":"
// and a number; a group may carry a label after its ")". Names may be
// quoted, and a leaf's name may be empty ("(,b)", "(:1,b)", "('',b)").
// The text may end with ";" (what follows is not looked at). Raises a
// numbered error (BadTreeText) with `source` and a description naming the
// fault and its character position for: empty text, brackets that do not
// match, a group "()" that holds no item, a branch length that is not a
// number, text that is no group, a branch length too large for a number, a
// tree with fewer than two leaves, and the faults of quoted names that
// MaskQuotedNames names. O(length), no recursion.
void CheckTreeText(std::string_view text, std::string_view source);

// ---- Re-rooting -----------------------------------------------------------------

// The first leaf (Tip set), depth first in pre-order, whose Caption equals
// `caption`; null when none has it.
[[nodiscard]] const analysis::MyNode* FindLeaf(const analysis::MyNode& root, std::string_view caption);

// Re-roots the tree at the parent X of `leaf` (a leaf of the tree under
// `root`): every node on the path from the old root down to X hangs below the
// node it led to, taking that node's branch length (the old root stays as an
// inner node, keeping its other children); X becomes the root, and its
// children are rotated (cyclic order kept) so that `leaf` itself is the first.
// Returns the new root. The leaf is identified by the object, never by its
// caption. Error 5 when `leaf` is null or not in the tree. O(nodes).
[[nodiscard]] std::unique_ptr<analysis::MyNode> ReRootAtLeaf(std::unique_ptr<analysis::MyNode> root,
                                                              const analysis::MyNode* leaf);

// ---- Writing ----------------------------------------------------------------------

// Appends "(" child {"," child} ")" for the children of `top`, iteratively.
// kids(node) gives a node's children in order (a std::vector<const Node*>);
// a child without children writes label(child), quoted where it must be
// (QuoteName); every child, leaf or group,
// is followed by whatever length(child, out) appends (":" and a number, or
// nothing). `top` itself writes no label and no length.
template <class Node, class KidsFn, class LabelFn, class LengthFn>
void AppendGroup(const Node& top, std::string& out, KidsFn kids, LabelFn label, LengthFn length)
{
    struct Frame {
        std::vector<const Node*> children;
        std::size_t next;
        const Node* self;
    };
    std::vector<Frame> stack;
    out += '(';
    stack.push_back(Frame{kids(top), 0, &top});
    while (!stack.empty()) {
        if (stack.back().next == stack.back().children.size()) {
            out += ')';
            const Node* done = stack.back().self;
            stack.pop_back();
            if (!stack.empty()) {
                length(*done, out);
            }
            continue;
        }
        const Node* child = stack.back().children[stack.back().next++];
        if (stack.back().next > 1) {
            out += ',';
        }
        std::vector<const Node*> grandChildren = kids(*child);
        if (grandChildren.empty()) {
            out += QuoteName(label(*child));
            length(*child, out);
        } else {
            out += '(';
            stack.push_back(Frame{std::move(grandChildren), 0, child});
        }
    }
}

// The children of a cluster node as AppendGroup wants them.
[[nodiscard]] std::vector<const analysis::MyNode*> ChildrenOf(const analysis::MyNode& node);

} // namespace trees::Newick
