#pragma once

// Parenthesised tree text of the phylogeny engine.
//
// Writing starts at a tip: its inner neighbour is written as the base
// trifurcation with that tip first and the other two subtrees after it;
// inside every inner node the subtree holding the smaller species number
// comes first, so the same tree always gives the same text. Each subtree is
// followed by ":" and its branch length (-fracchange * ln z, six decimals,
// at least 8 characters), with the bracket flag by ":[value]length".
//
// Reading takes an optional comment "[... likelihood=x opt_level=n
// smoothed=n ...]", then "(" two or three subtrees ")" and ";". A rooted
// tree (two subtrees at the top) is uprooted by joining the root's two
// branches into one.

#include "engines/dnaml/DnamlInput.h"
#include "engines/dnaml/DnamlText.h"
#include "engines/dnaml/DnamlTree.h"

#include <optional>
#include <string>
#include <vector>

namespace tallowin::dnaml {

// A species name as written in trees: trailing padding dropped, inner
// blanks and every other character that tree readers take as white space
// (tab, vertical tab, form feed, 0x1C to 0x1F, next line, no-break space and
// the Unicode spaces, in UTF-8 or Latin-1) as "_".
std::string treeName(const std::string& name);

// Appends the tree of `tree` seen from the tip record `startTip`, ending in
// ";\n".
void writeTree(const LikelihoodTree& tree, const std::vector<std::string>& names, int startTip, bool bracket,
               std::string& out);

struct TreeComment {
    std::optional<double> likelihood;
    int level = 0;
    bool smoothed = false;
};

// Reads one tree from `in` into `tree` (which is cleared first). With
// `userLengths` the two branches of a rooted tree's root join into their
// sum; otherwise the joined branch starts at the default value. False when
// the tree cannot be taken; the reasons are in the log.
bool readTree(TextCursor& in, const std::vector<std::string>& names, bool userLengths, LikelihoodTree& tree,
              TreeComment& comment, Log& log);

} // namespace tallowin::dnaml
