// The Newick readers of the tree-drawing window (BuildNHTree) and of the
// tree view (BuildFromNH). A tree that reads is written back, and the written
// text must read again and write the same text.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "platform/errors/Error.h"
#include "trees/NHAdapter.h"
#include "trees/NHTreeRead.h"

namespace {

void windowReader(std::string_view text)
{
    trees::NHTreeRead::Tree tree;
    std::string message;
    try {
        if (!trees::NHTreeRead::BuildNHTree(text, message, tree)) {
            return;
        }
    } catch (const platform::Error&) {
        return;
    }
    std::string written;
    trees::NHTreeRead::WriteNHWithLengths(*tree.root, written);
    written += ';';
    trees::NHTreeRead::Tree again;
    try {
        fuzz::check(trees::NHTreeRead::BuildNHTree(written, message, again), "a written tree reads back");
    } catch (const platform::Error&) {
        fuzz::fail("a written tree reads back without an error");
    }
    fuzz::check(again.leafCount == tree.leafCount, "a written tree keeps its leaves");
    std::string rewritten;
    trees::NHTreeRead::WriteNHWithLengths(*again.root, rewritten);
    rewritten += ';';
    fuzz::check(rewritten == written, "a written tree writes the same text again");
}

void viewReader(std::string_view text)
{
    trees::NHAdapter adapter;
    std::unique_ptr<analysis::MyNode> root;
    try {
        root = adapter.BuildFromNH(text);
    } catch (const platform::Error&) {
        return;
    }
    std::string written;
    trees::NHAdapter::WriteNHBranchLen(*root, written);
    if (written == "()") {
        return;  // the bare root of a text without ";"
    }
    written += ';';
    trees::NHAdapter again;
    std::unique_ptr<analysis::MyNode> reread;
    try {
        reread = again.BuildFromNH(written);
    } catch (const platform::Error&) {
        fuzz::fail("a tree the view wrote reads back without an error");
    }
    fuzz::check(again.leafCount() == adapter.leafCount(), "the view's written tree keeps its leaves");
    std::string rewritten;
    trees::NHAdapter::WriteNHBranchLen(*reread, rewritten);
    rewritten += ';';
    fuzz::check(rewritten == written, "the view's written tree writes the same text again");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::asText(data, size);
    windowReader(text);
    viewReader(text);
    return 0;
}
