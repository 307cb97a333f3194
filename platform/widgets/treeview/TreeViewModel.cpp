#include "platform/widgets/treeview/TreeViewModel.h"

#include <string>

#include "platform/errors/Error.h"

namespace platform {

namespace {

[[noreturn]] void raiseIndex(std::int32_t index)
{
    throw Error(treeview_err::IndexOutOfBounds, "Node",
                "Index out of bounds: there is no node " + std::to_string(index) + ".");
}

} // namespace

const TreeViewModel::Node& TreeViewModel::node(std::int32_t index) const
{
    if (index < 1 || index > Count()) {
        raiseIndex(index);
    }
    return m_nodes[static_cast<std::size_t>(index - 1)];
}

TreeViewModel::Node& TreeViewModel::node(std::int32_t index)
{
    if (index < 1 || index > Count()) {
        raiseIndex(index);
    }
    return m_nodes[static_cast<std::size_t>(index - 1)];
}

void TreeViewModel::changed(std::int32_t index)
{
    if (TreeViewObserver* o = live()) {
        o->nodeChanged(index);
    }
}

void TreeViewModel::Clear()
{
    if (TreeViewObserver* o = live()) {
        o->aboutToClear();
    }
    m_nodes.clear();
    m_topLevel.clear();
    m_keys.clear();
    m_selected = 0;
    if (TreeViewObserver* o = live()) {
        o->cleared();
    }
}

std::int32_t TreeViewModel::Add(std::string_view key, std::string_view text)
{
    return addUnder(0, key, text);
}

std::int32_t TreeViewModel::Add(std::int32_t relative, TreeRelationship relationship, std::string_view key,
                                std::string_view text)
{
    if (relative == 0) {
        return addUnder(0, key, text);
    }
    (void)node(relative);
    if (relationship != TreeRelationship::Child) {
        throw Error(err::InvalidCall, "Nodes",
                    "Only the child relationship (4) is supported for a node with a relative.");
    }
    return addUnder(relative, key, text);
}

std::int32_t TreeViewModel::addUnder(std::int32_t parent, std::string_view key, std::string_view text)
{
    if (Count() == INT32_MAX) {
        throw Error::runtime(err::Overflow, "Nodes");
    }
    if (!key.empty() && m_keys.contains(std::string(key))) {
        throw Error(treeview_err::KeyNotUnique, "Nodes",
                    "Key is not unique in collection: \"" + std::string(key) + "\".");
    }
    std::vector<std::int32_t>& siblings = parent == 0 ? m_topLevel : node(parent).children;
    const auto row = static_cast<std::int32_t>(siblings.size());
    if (TreeViewObserver* o = live()) {
        o->aboutToAddNode(parent, row);
    }
    Node added;
    added.text = std::string(text);
    added.key = std::string(key);
    added.parent = parent;
    added.row = row;
    m_nodes.push_back(std::move(added));
    const std::int32_t index = Count();
    // The vector may have moved: look the siblings up again.
    (parent == 0 ? m_topLevel : node(parent).children).push_back(index);
    if (!key.empty()) {
        m_keys.emplace(std::string(key), index);
    }
    if (TreeViewObserver* o = live()) {
        o->nodeAdded(index);
    }
    return index;
}

std::int32_t TreeViewModel::Item(std::string_view key) const
{
    const auto it = m_keys.find(std::string(key));
    if (it == m_keys.end()) {
        throw Error(treeview_err::ElementNotFound, "Nodes", "Element not found: \"" + std::string(key) + "\".");
    }
    return it->second;
}

const std::string& TreeViewModel::Text(std::int32_t index) const { return node(index).text; }

void TreeViewModel::setText(std::int32_t index, std::string text)
{
    node(index).text = std::move(text);
    changed(index);
}

const std::string& TreeViewModel::Key(std::int32_t index) const { return node(index).key; }

std::optional<double> TreeViewModel::Tag(std::int32_t index) const { return node(index).tag; }

void TreeViewModel::setTag(std::int32_t index, std::optional<double> tag)
{
    node(index).tag = tag;
    changed(index);
}

bool TreeViewModel::Expanded(std::int32_t index) const { return node(index).expanded; }

void TreeViewModel::setExpanded(std::int32_t index, bool expanded)
{
    Node& n = node(index);
    if (n.expanded == expanded) {
        return;
    }
    n.expanded = expanded;
    if (TreeViewObserver* o = live()) {
        o->expandedChanged(index);
    }
}

bool TreeViewModel::Selected(std::int32_t index) const
{
    (void)node(index);
    return m_selected == index;
}

void TreeViewModel::setSelected(std::int32_t index, bool selected)
{
    (void)node(index);
    const std::int32_t now = selected ? index : (m_selected == index ? 0 : m_selected);
    if (now == m_selected) {
        return;
    }
    m_selected = now;
    if (TreeViewObserver* o = live()) {
        o->selectionChanged(m_selected);
    }
}

bool TreeViewModel::Bold(std::int32_t index) const { return node(index).bold; }

void TreeViewModel::setBold(std::int32_t index, bool bold)
{
    node(index).bold = bold;
    changed(index);
}

bool TreeViewModel::Checked(std::int32_t index) const { return node(index).checked; }

void TreeViewModel::setChecked(std::int32_t index, bool checked)
{
    node(index).checked = checked;
    changed(index);
}

std::int32_t TreeViewModel::BackColor(std::int32_t index) const { return node(index).backColor; }

void TreeViewModel::setBackColor(std::int32_t index, std::int32_t color)
{
    node(index).backColor = color;
    changed(index);
}

std::int32_t TreeViewModel::ForeColor(std::int32_t index) const { return node(index).foreColor; }

void TreeViewModel::setForeColor(std::int32_t index, std::int32_t color)
{
    node(index).foreColor = color;
    changed(index);
}

std::int32_t TreeViewModel::Parent(std::int32_t index) const { return node(index).parent; }

std::int32_t TreeViewModel::Children(std::int32_t index) const
{
    return static_cast<std::int32_t>(node(index).children.size());
}

std::int32_t TreeViewModel::Child(std::int32_t index) const
{
    const Node& n = node(index);
    return n.children.empty() ? 0 : n.children.front();
}

std::int32_t TreeViewModel::Next(std::int32_t index) const
{
    const Node& n = node(index);
    const std::vector<std::int32_t>& siblings = ChildList(n.parent);
    const auto next = static_cast<std::size_t>(n.row) + 1;
    return next < siblings.size() ? siblings[next] : 0;
}

const std::vector<std::int32_t>& TreeViewModel::ChildList(std::int32_t parent) const
{
    return parent == 0 ? m_topLevel : node(parent).children;
}

std::int32_t TreeViewModel::Row(std::int32_t index) const { return node(index).row; }

void TreeViewModel::EnsureVisible(std::int32_t index)
{
    for (std::int32_t up = node(index).parent; up != 0; up = node(up).parent) {
        setExpanded(up, true);
    }
    if (TreeViewObserver* o = live()) {
        o->ensureVisible(index);
    }
}

void TreeViewModel::BeginUpdate()
{
    if (m_freeze++ == 0 && m_observer != nullptr) {
        m_observer->updatesFrozen(true);
    }
}

void TreeViewModel::EndUpdate()
{
    if (m_freeze == 0) {
        return;
    }
    if (--m_freeze == 0 && m_observer != nullptr) {
        m_observer->updatesFrozen(false);
    }
}

} // namespace platform
