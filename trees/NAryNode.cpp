#include "trees/NAryNode.h"

#include <utility>

#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"

namespace trees {

NAryNode::~NAryNode()
{
    // Move every descendant into one flat list before it is destroyed, so
    // that no destructor ever meets a node that still has children.
    ChildList pending = std::move(m_children);
    while (!pending.empty()) {
        std::unique_ptr<NAryNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->m_children) {
            pending.push_back(std::move(child));
        }
        node->m_children.clear();
    }
}

NAryNode* NAryNode::addChild(std::unique_ptr<NAryNode> child)
{
    if (!child) {
        throw platform::Error::runtime(platform::err::ObjectNotSet, "NAryNode.addChild");
    }
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

NAryNode* NAryNode::FindNode(const NodeLabel& label)
{
    std::vector<NAryNode*> stack{this};
    while (!stack.empty()) {
        NAryNode* node = stack.back();
        stack.pop_back();
        if (node->m_isLeaf) {
            continue;
        }
        if (node->m_box.Caption == label.Caption) {
            return node;
        }
        for (auto it = node->m_children.rbegin(); it != node->m_children.rend(); ++it) {
            stack.push_back(it->get());
        }
    }
    return nullptr;
}

namespace Phylogeny {

void NumberInnerNodes(NAryNode& node, std::int64_t& number)
{
    std::vector<NAryNode*> stack{&node};
    bool first = true;
    while (!stack.empty()) {
        NAryNode* current = stack.back();
        stack.pop_back();
        if (!first) {
            ++number;
        }
        first = false;
        current->Box().Caption = platform::rt::CStr(number);
        const auto& children = current->Children();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if ((*it)->childCount() > 0) {
                stack.push_back(it->get());
            }
        }
    }
}

} // namespace Phylogeny

namespace {
std::size_t checkedIndex(std::int32_t i, std::size_t size)
{
    if (i < 0 || static_cast<std::size_t>(i) >= size) {
        throw platform::Error::runtime(platform::err::Subscript, "TreeNode");
    }
    return static_cast<std::size_t>(i);
}
} // namespace

double TreeNode::dist(std::int32_t i) const
{
    return m_dist[checkedIndex(i, m_dist.size())];
}

void TreeNode::setDist(std::int32_t i, double value)
{
    m_dist[checkedIndex(i, m_dist.size())] = value;
}

double TreeNode::BootVal(std::int32_t i) const
{
    return m_bootVal[checkedIndex(i, m_bootVal.size())];
}

void TreeNode::setBootVal(std::int32_t i, double value)
{
    m_bootVal[checkedIndex(i, m_bootVal.size())] = value;
}

void TreeNode::DimDW(std::int32_t n)
{
    if (n < 0) {
        throw platform::Error::runtime(platform::err::InvalidCall, "TreeNode.DimDW");
    }
    m_dist.assign(static_cast<std::size_t>(n), 0.0);
    m_bootVal.assign(static_cast<std::size_t>(n), 0.0);
}

} // namespace trees
