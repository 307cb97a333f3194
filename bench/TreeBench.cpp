// Time to write, read back and lay out a cluster tree of N leaves shaped
// like single linkage on chained data: each merge adds one leaf to the one
// growing cluster, so the tree is N - 1 levels deep. Leaves carry probe-like
// names and seeded ultrametric heights.
//
// Usage: bench_trees [N ...]   (default 16000)
// Prints one line per step with its seconds: writing the Newick text with
// lengths, reading it with each of the three readers (the drawing window's
// reader also numbers the inner nodes and writes the branch list), re-rooting
// at the deepest leaf, collapsing at half the height, and laying out the
// phenogram.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "analysis/MyNode.h"
#include "trees/ListTrees.h"
#include "trees/NAryFormModel.h"
#include "trees/NHAdapter.h"
#include "trees/NHTreeRead.h"
#include "trees/TreeLayout.h"
#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

std::unique_ptr<analysis::MyNode> chainTree(int leaves, unsigned seed)
{
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> step(0.001, 0.05);
    auto makeLeaf = [](int i) {
        auto leaf = std::make_unique<analysis::MyNode>();
        leaf->setTip(true);
        leaf->setCaption(std::to_string(1000 + i) + "_s_at");
        return leaf;
    };
    std::unique_ptr<analysis::MyNode> top = makeLeaf(0);
    double height = 0;
    for (int i = 1; i < leaves; ++i) {
        const double next = height + step(gen);
        auto node = std::make_unique<analysis::MyNode>();
        top->setBranchLen(next - height);
        node->addChild(std::move(top));
        auto leaf = makeLeaf(i);
        leaf->setBranchLen(next);
        node->addChild(std::move(leaf));
        node->setCaption(std::to_string(i));
        height = next;
        top = std::move(node);
    }
    return top;
}

using bench::seconds;

} // namespace

int main(int argc, char** argv)
{
    bench::Args args(argc, argv, "[N ...]\n  N  leaves of each chain tree, from 2 to 1000000 (default 16000)\n");
    std::vector<int> sizes;
    for (const long long n : args.numbers("N", 2, 1000000)) {
        sizes.push_back(static_cast<int>(n));
    }
    if (sizes.empty()) {
        sizes.push_back(16000);
    }
    for (const int n : sizes) {
        auto tree = chainTree(n, 20261208);
        std::string text;
        const double write = seconds([&] {
            trees::NHAdapter::WriteNHBranchLen(*tree, text);
            text += ';';
        });
        std::printf("N=%d depth=%d text=%zu bytes\n", n, n - 1, text.size());
        std::printf("  write Newick with lengths      %8.4f s\n", write);

        trees::NAryFormModel model;
        const double drawRead = seconds([&] { model.PlotTree(0, text, 1); });
        std::printf("  read (drawing window, + list)  %8.4f s  leaves %d\n", drawRead, model.NameCount());

        trees::NHTreeRead::Tree moduleTree;
        std::string message;
        const double moduleRead = seconds([&] { trees::NHTreeRead::BuildNHTree(text, message, moduleTree); });
        std::printf("  read (re-rooting reader)       %8.4f s  leaves %d\n", moduleRead, moduleTree.leafCount);

        trees::NHAdapter adapter;
        std::unique_ptr<analysis::MyNode> adapterTree;
        const double adapterRead = seconds([&] { adapterTree = adapter.BuildFromNH(text); });
        std::printf("  read (tree-view reader)        %8.4f s  leaves %d\n", adapterRead, adapter.leafCount());

        std::string rerooted;
        const double reroot =
            seconds([&] { trees::NHTreeRead::ReRootNH(text, "1000_s_at", rerooted, message); });
        std::printf("  re-root at the deepest leaf    %8.4f s\n", reroot);

        std::unique_ptr<analysis::MyNode> collapsed;
        const double collapse = seconds([&] {
            trees::ListTrees::ComputeDist2Tip(*tree);
            collapsed = trees::ListTrees::CollapseWithCutOff(*tree, tree->Dist2Tip() / 2);
        });
        std::printf("  collapse at half the height    %8.4f s  clusters %zu\n", collapse,
                    collapsed ? collapsed->childCount() : 0);

        trees::DrawList list;
        const double layout =
            seconds([&] { list = trees::TreeLayout::DrawTree(model, 12000, trees::TreeView::Phenogram); });
        std::printf("  lay out the phenogram          %8.4f s  items %zu, height %.0f twips\n", layout,
                    list.items.size(), list.height);
    }
    return 0;
}
