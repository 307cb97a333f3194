#include "trees/NAryExport.h"

#include <vector>

#include "platform/runtime/Convert.h"
#include "trees/Newick.h"

namespace trees {

namespace {

std::vector<const NAryNode*> childrenOf(const NAryNode& node)
{
    std::vector<const NAryNode*> out;
    out.reserve(node.childCount());
    for (const auto& child : node.Children()) {
        out.push_back(child.get());
    }
    return out;
}

std::string caption(const NAryNode& node)
{
    return node.Box().Caption;
}

} // namespace

void WriteNHPlain(const NAryNode& node, std::string& text)
{
    Newick::AppendGroup(node, text, childrenOf, caption, [](const NAryNode&, std::string&) {});
}

void WriteNHLengths(const NAryNode& node, std::string& text)
{
    Newick::AppendGroup(node, text, childrenOf, caption, [](const NAryNode& child, std::string& out) {
        out += ':';
        out += Newick::FormatFixed5(child.BranchLength());
    });
}

void LengthsToCaptions(NAryNode& node)
{
    std::vector<NAryNode*> stack{&node};
    while (!stack.empty()) {
        NAryNode* n = stack.back();
        stack.pop_back();
        for (const auto& child : n->Children()) {
            if (child->childCount() > 0) {
                child->Box().Caption = platform::rt::CStr(child->BranchLength());
                stack.push_back(child.get());
            }
            child->setBranchLength(0.1);
        }
    }
}

} // namespace trees
