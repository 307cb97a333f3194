#include "trees/ListTrees.h"

#include <cmath>
#include <utility>
#include <vector>

#include "platform/errors/Error.h"

namespace trees::ListTrees {

using analysis::MyNode;

void ComputeDist2Tip(MyNode& node)
{
    // Post-order: a node is finished once all its children are.
    std::vector<std::pair<MyNode*, bool>> stack{{&node, false}};
    while (!stack.empty()) {
        auto [current, expanded] = stack.back();
        stack.pop_back();
        if (current->childCount() == 0) {
            continue;
        }
        if (!expanded) {
            stack.emplace_back(current, true);
            for (const auto& child : current->Children()) {
                if (child->childCount() > 0) {
                    stack.emplace_back(child.get(), false);
                }
            }
            continue;
        }
        const MyNode& first = *current->Children().front();
        current->setDist2Tip(first.BranchLen() + first.Dist2Tip());
    }
}

void CutTreeAtHeight(MyNode& newRoot, double height, const MyNode& node, double cutOff)
{
    if (std::isnan(cutOff) || std::isnan(height)) {
        throw platform::Error(platform::err::InvalidCall, "CutTreeAtHeight", "The cut-off distance is not a number.");
    }
    if (!(node.Dist2Tip() > cutOff)) {
        return;
    }
    struct Frame {
        const MyNode* node;
        std::size_t next;
    };
    std::vector<Frame> stack{{&node, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.node->childCount()) {
            stack.pop_back();
            continue;
        }
        const MyNode& child = *frame.node->Children()[frame.next++];
        if (child.childCount() > 0 && child.Dist2Tip() > cutOff) {
            stack.push_back({&child, 0});
            continue;
        }
        std::unique_ptr<MyNode> copy = child.clone();
        copy->setBranchLen(height - child.Dist2Tip());
        newRoot.addChild(std::move(copy));
    }
}

std::unique_ptr<MyNode> CollapseWithCutOff(MyNode& fullRoot, double cutOff)
{
    if (std::isnan(cutOff)) {
        throw platform::Error(platform::err::InvalidCall, "CollapseWithCutOff", "The cut-off distance is not a number.");
    }
    ComputeDist2Tip(fullRoot);
    bool anyAbove = false;
    for (const auto& child : fullRoot.Children()) {
        anyAbove = anyAbove || child->Dist2Tip() > cutOff;
    }
    if (!anyAbove) {
        return nullptr;
    }
    auto newRoot = std::make_unique<MyNode>();
    newRoot->setDist2Tip(fullRoot.Dist2Tip());
    CutTreeAtHeight(*newRoot, fullRoot.Dist2Tip(), fullRoot, cutOff);
    return newRoot;
}

} // namespace trees::ListTrees
