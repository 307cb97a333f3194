// The tree-drawing window's readers: Newick, the branch list and the bracket
// (support) form. The first byte picks the kind (0, 1, 2) and, for the branch
// list, the root number; the rest is the text. Errors go to the reporter,
// which aborts. A Newick tree that was built is redrawn from its own branch
// list, which must give a tree with the same leaves.

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/errors/Error.h"
#include "trees/NAryFormModel.h"

namespace {

int countLeaves(const trees::NAryNode* root)
{
    int leaves = 0;
    std::vector<const trees::NAryNode*> stack;
    if (root != nullptr) {
        stack.push_back(root);
    }
    while (!stack.empty()) {
        const trees::NAryNode* node = stack.back();
        stack.pop_back();
        if (node->IsLeaf()) {
            ++leaves;
        }
        for (const auto& child : node->Children()) {
            stack.push_back(child.get());
        }
    }
    return leaves;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const fuzz::AbortReporter reporter;
    const int kind = data[0] % 3;
    const std::int32_t rootNum = data[0] / 3;
    const std::string_view text = fuzz::asText(data + 1, size - 1);
    trees::NAryFormModel model;
    if (kind == 1) {
        // A branch list names its leaves through the names of the last tree read.
        model.PlotTree(0, "((A:0.1,B:0.2):0.05,(C:0.1,D:0.3):0.2,E:0.4);", 1);
        fuzz::check(model.RootNode() != nullptr, "the leaf names' tree reads");
        model.Close();
    }
    model.PlotTree(kind, text, rootNum);
    if (kind != 0 || reporter.errors() != 0) {
        return 0;
    }
    const int leaves = countLeaves(model.RootNode());
    fuzz::check(leaves == model.NameCount(), "every leaf read is named");
    const std::string rootCaption = model.RootNode()->Box().Caption;
    const std::int32_t first = std::stoi(rootCaption);
    fuzz::check(model.RedrawFromRoot(first) && reporter.errors() == 0, "a tree redraws from its own branch list");
    fuzz::check(countLeaves(model.RootNode()) == leaves, "redrawing from the branch list keeps every leaf");
    return 0;
}
