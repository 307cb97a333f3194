#include "analysis/MyNode.h"

#include <limits>
#include <utility>

#include "platform/errors/Error.h"

namespace analysis {

namespace {

// Pre-order walk over the subtree of root, children in order, that stops at
// the first node for which visit returns a non-null result. A node for which
// descend is false is visited but its children are not.
template <class Visit>
const MyNode* preOrderFind(const MyNode& root, Visit visit)
{
    std::vector<const MyNode*> stack{&root};
    while (!stack.empty()) {
        const MyNode* node = stack.back();
        stack.pop_back();
        if (const MyNode* hit = visit(*node)) {
            return hit;
        }
        if (node->Tip()) {
            continue;
        }
        const auto& children = node->Children();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            stack.push_back(it->get());
        }
    }
    return nullptr;
}

} // namespace

MyNode::~MyNode()
{
    // Release the subtree level by level so that a deep chain never recurses:
    // every node taken from the stack has already handed its children over
    // when it is destroyed.
    std::vector<std::unique_ptr<MyNode>> pending = std::move(m_children);
    while (!pending.empty()) {
        std::unique_ptr<MyNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->m_children) {
            pending.push_back(std::move(child));
        }
        node->m_children.clear();
    }
}

std::unique_ptr<MyNode> MyNode::clone() const
{
    auto copyFields = [](const MyNode& from) {
        auto to = std::make_unique<MyNode>();
        to->m_caption = from.m_caption;
        to->m_branchLen = from.m_branchLen;
        to->m_tip = from.m_tip;
        to->m_dist2Tip = from.m_dist2Tip;
        to->m_index = from.m_index;
        return to;
    };
    auto root = copyFields(*this);
    // Pairs (original, its copy) whose children still have to be copied.
    std::vector<std::pair<const MyNode*, MyNode*>> pending{{this, root.get()}};
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        to->m_children.reserve(from->m_children.size());
        for (const auto& child : from->m_children) {
            MyNode* copy = to->addChild(copyFields(*child));
            pending.emplace_back(child.get(), copy);
        }
    }
    return root;
}

MyNode* MyNode::child(std::size_t position)
{
    return const_cast<MyNode*>(std::as_const(*this).child(position));
}

const MyNode* MyNode::child(std::size_t position) const
{
    if (position >= m_children.size()) {
        throw platform::Error::runtime(platform::err::Subscript, "MyNode.Children");
    }
    return m_children[position].get();
}

MyNode* MyNode::addChild(std::unique_ptr<MyNode> child)
{
    if (!child) {
        throw platform::Error::runtime(platform::err::ObjectNotSet, "MyNode.addChild");
    }
    child->m_parent = this;
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

std::unique_ptr<MyNode> MyNode::takeChild(std::size_t position)
{
    if (position >= m_children.size()) {
        throw platform::Error::runtime(platform::err::Subscript, "MyNode.takeChild");
    }
    std::unique_ptr<MyNode> child = std::move(m_children[position]);
    m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(position));
    child->m_parent = nullptr;
    return child;
}

const MyNode* MyNode::FindNode(std::string_view caption) const
{
    return preOrderFind(*this, [caption](const MyNode& node) -> const MyNode* {
        return !node.Tip() && node.Caption() == caption ? &node : nullptr;
    });
}

MyNode* MyNode::FindNode(std::string_view caption)
{
    return const_cast<MyNode*>(std::as_const(*this).FindNode(caption));
}

const MyNode* MyNode::FindNodeIndex(std::int32_t index) const
{
    return preOrderFind(*this, [index](const MyNode& node) -> const MyNode* {
        return !node.Tip() && node.Index() == index ? &node : nullptr;
    });
}

MyNode* MyNode::FindNodeIndex(std::int32_t index)
{
    return const_cast<MyNode*>(std::as_const(*this).FindNodeIndex(index));
}

const MyNode* MyNode::FindNodeParent(std::string_view caption) const
{
    // A matching leaf that is itself a root yields none, and the walk goes on
    // as after any other miss; a matching leaf of a tree always has a parent.
    return preOrderFind(*this, [caption](const MyNode& node) -> const MyNode* {
        return node.Tip() && node.Caption() == caption ? node.Parent() : nullptr;
    });
}

MyNode* MyNode::FindNodeParent(std::string_view caption)
{
    return const_cast<MyNode*>(std::as_const(*this).FindNodeParent(caption));
}

void MyNode::GetNumPair(std::int32_t& NumPair) const
{
    std::vector<const MyNode*> stack{this};
    while (!stack.empty()) {
        const MyNode* node = stack.back();
        stack.pop_back();
        if (node->Tip()) {
            continue;
        }
        int leafChildren = 0;
        for (const auto& child : node->m_children) {
            if (child->Tip()) {
                ++leafChildren;
            } else {
                stack.push_back(child.get());
            }
        }
        if (leafChildren >= 2) {
            if (NumPair == std::numeric_limits<std::int32_t>::max()) {
                throw platform::Error::runtime(platform::err::Overflow, "GetNumPair");
            }
            ++NumPair;
        }
    }
}

} // namespace analysis
