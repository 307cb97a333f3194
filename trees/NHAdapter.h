#pragma once

// NHAdapter: the Newick reader and writers that the tree-view adapter carries
// over cluster trees, with the reader's state (the leaf names read).
//
// Reading (BuildFromNH): only the text before the first ";" is read (a text
// without ";" gives the bare root, unless a quoted name in it is left open,
// which is bad text) and only up to its first "["; blanks inside names are
// kept; ";" and "[" inside quoted names belong to the names, which are read
// without their quotes (Newick.h); a leaf without a name has the empty name. The root gets Caption "1", inner nodes "2", "3", ... in
// reading order; leaves carry their names. A branch length is kept when it is
// above 0, otherwise (negative, missing) it is 0.
//
// Writing: WriteNH gives "(" child {"," child} ")" with the Caption of every
// child without children, quoted where it must be (Newick::QuoteName);
// WriteNHBranchLen adds ":" and the length rounded to five decimals in its
// shortest form ("0.5", "1.25", "2").
//
// No limit on the number of leaves; all walks are iterative.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/MyNode.h"

namespace trees {

class NHAdapter {
public:
    // Reads the text into a new tree; the leaf names read replace the first
    // entries of leafNames() (which grows when there are more). Numbered
    // error 5 (source "BuildFromNH") for empty or malformed text.
    [[nodiscard]] std::unique_ptr<analysis::MyNode> BuildFromNH(std::string_view text);

    // Sizes the reader's names like `names` and copies them, reads the text,
    // and with `reRoot` re-roots the tree at the leaf named names[tipPosition]
    // (0-based). Errors go to the program's error reporter (Abort: false;
    // Retry: the failing step again; Ignore: the next step); true when the
    // tree was read (and re-rooted when asked), and then `root` holds it.
    bool ReadNHTree(std::string_view text, const std::vector<std::string>& names,
                    std::unique_ptr<analysis::MyNode>& root, bool reRoot, std::int32_t tipPosition);

    // Reads, re-roots at names[tipPosition] and appends the re-rooted tree
    // (WriteNHBranchLen and ";") to `output`. Errors as ReadNHTree; true when
    // the text was appended.
    bool ReRootNHTree(std::string_view text, const std::vector<std::string>& names, std::int32_t tipPosition,
                      std::string& output);

    // Reads the text and adds the pair count of its tree (MyNode::GetNumPair)
    // to `pairCount`. Errors as ReadNHTree.
    void GetNumPair(std::string_view text, const std::vector<std::string>& names, std::int32_t& pairCount);

    [[nodiscard]] const std::vector<std::string>& leafNames() const noexcept { return m_leafNames; }
    [[nodiscard]] std::int32_t leafCount() const noexcept { return m_leafCount; }

    static void WriteNH(const analysis::MyNode& node, std::string& text);
    static void WriteNHBranchLen(const analysis::MyNode& node, std::string& text);

private:
    std::vector<std::string> m_leafNames;
    std::int32_t m_leafCount = 0;
    std::int32_t m_innerCounter = 0;
};

} // namespace trees
