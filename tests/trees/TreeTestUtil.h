#pragma once

// Small trees built by hand in the tests of the tree code.

#include <memory>
#include <string>

#include "analysis/MyNode.h"

namespace treetest {

// A tip named `name` with a branch of `length` above it.
inline std::unique_ptr<analysis::MyNode> leaf(const std::string& name, double length)
{
    auto node = std::make_unique<analysis::MyNode>();
    node->setTip(true);
    node->setCaption(name);
    node->setBranchLen(length);
    return node;
}

} // namespace treetest
