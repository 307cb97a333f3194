#pragma once

// NHTreeRead: the Newick reader, re-rooter and writer that the tree-drawing
// window uses to re-root its tree at a leaf.
//
// Reading (BuildNHTree): the bracket counts of the text as given must match;
// then every "[...]" comment and every blank is removed, except inside quoted
// names, which are read whole and without their quotes (Newick.h). With L =
// the number of "," plus 1: leaves get Index 0, 1, 2, ... in reading order,
// the root Index L and the inner nodes L+1, L+2, ... in reading order, so
// inner numbers never collide with leaf numbers; captions of inner nodes stay
// empty.
// Branch lengths are kept as read (negative ones too). When the text holds any
// ":", a missing length is 0.0001, except for a leaf that ends its group,
// which gets 0; without any ":" every length is 0.
//
// Writing (WriteNHWithLengths): "(" child {"," child} ")", every child followed
// by ":" and its length with exactly five decimals ("0.10000"); names quoted
// where they must be (Newick::QuoteName).
//
// All walks are iterative; a chain of 16,000 leaves reads, re-roots and
// writes in linear time.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/MyNode.h"
#include "trees/Newick.h"

namespace trees::NHTreeRead {

inline constexpr std::string_view ParenMessage = "Left and right parentheses do not match.";

struct Tree {
    std::unique_ptr<analysis::MyNode> root;
    std::vector<std::string> leafNames;  // L entries; the first leafCount hold names in reading order
    int leafCount = 0;
};

// Reads `text` into `tree`. Unbalanced brackets: `message` = ParenMessage,
// result false, `tree` untouched. Other bad text (empty, a group "()", a
// length that is no number, fewer than two leaves): a numbered error (5)
// with source "BuildNHTree". A leaf without a name is read with an empty
// name. Text after the last ";" is not read; a text without ";" is read to
// its end.
bool BuildNHTree(std::string_view text, std::string& message, Tree& tree);

// Reads `text`, re-roots it at the leaf named `tipName` and appends the
// re-rooted tree (WriteNHWithLengths and ";") to `output`; true on success.
// A leaf whose name is `tipName` is taken first; else one whose name is
// `tipName` without blanks, as the reader removes them from unquoted names.
// Unbalanced brackets: `message` = ParenMessage, false, `output` untouched.
// Every other error (bad text, no leaf of that name) goes to the program's
// error reporter: Abort returns false, Retry runs the failing step again,
// Ignore goes on with the next step; the result is true only when the
// re-rooted tree was written.
bool ReRootNH(std::string_view text, std::string_view tipName, std::string& output, std::string& message);

// Comments in square brackets blanked out, then every blank removed.
[[nodiscard]] inline std::string StripBracketComments(std::string_view text)
{
    return Newick::StripBracketComments(text, "BuildNHTree");
}

// Appends the group of the node's children with five-decimal lengths.
void WriteNHWithLengths(const analysis::MyNode& node, std::string& text);

} // namespace trees::NHTreeRead
