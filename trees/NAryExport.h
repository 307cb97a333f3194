#pragma once

// Newick text of a drawn tree, written from its nodes, and the even spacing
// of its levels for printing.
//
// WriteNHPlain appends "(" child {"," child} ")" below a node: a leaf writes
// its label's caption (quoted where it must be, Newick::QuoteName), an inner
// node its own group; the node's caption and a closing ";" are not written.
// WriteNHLengths does the same with ":" and the branch length in five
// decimals ("0.10000") behind every child. Both are iterative and cope with
// trees of any depth.

#include <string>

#include "trees/NAryNode.h"

namespace trees {

void WriteNHPlain(const NAryNode& node, std::string& text);
void WriteNHLengths(const NAryNode& node, std::string& text);

// Every branch below the node becomes 0.1 long; an inner node first shows
// the length its branch had (shortest decimal text) as its caption. The node
// itself is not changed. Iterative.
void LengthsToCaptions(NAryNode& node);

} // namespace trees
