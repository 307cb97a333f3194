// Show subtree on the root of a cluster tree of 12,625 leaves, through the
// road the Tree menu takes: the main window with a document window whose
// tree view holds the tree, the root selected, the menu item triggered, the
// tree-drawing window built, laid out and painted. Three shapes: a balanced
// tree, an average-linkage-like tree (clusters of many sizes, chains inside),
// and a chain 12,625 levels deep (single linkage at its worst).

#include <QAction>
#include <QApplication>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "analysis/DistanceMatrix.h"
#include "analysis/MyNode.h"
#include "analysis/UPGMA.h"
#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/widgets/treeview/TreeView.h"
#include "shell/core/mQuorin.h"
#include "app/MainFrame.h"
#include "app/TreeCommands.h"
#include "app/frmMDIChild.h"
#include "trees/ui/NAryForm.h"

namespace {

using analysis::MyNode;

std::unique_ptr<MyNode> leaf(int i, double length)
{
    auto n = std::make_unique<MyNode>();
    n->setCaption(std::to_string(1000 + i) + "_at");
    n->setBranchLen(length);
    n->setTip(true);
    return n;
}

std::unique_ptr<MyNode> join(std::unique_ptr<MyNode> a, std::unique_ptr<MyNode> b, double length)
{
    auto n = std::make_unique<MyNode>();
    n->setBranchLen(length);
    n->addChild(std::move(a));
    n->addChild(std::move(b));
    return n;
}

enum class Shape { Balanced, Clustered, Chain, Average, KMeans };

// Leaves joined pairwise: neighbours (balanced), a random pick among the
// most recent few (clusters of many sizes with chains inside), or always the
// last one (a chain).
// Average linkage of seeded expression profiles (25 clusters, 128 time
// points, Euclidean distances): the tree the Cluster command makes.
std::unique_ptr<MyNode> averageLinkage(int leaves)
{
    const numeric::Matrix data = bench::expressionData(leaves, 128, 5, bench::Orientation::LociAsRows);
    analysis::DistanceMatrix distances(leaves);
    for (int i = 1; i < leaves; ++i) {
        for (int j = 0; j < i; ++j) {
            double sum = 0;
            for (int t = 0; t < 128; ++t) {
                const double d = data(static_cast<std::size_t>(i), static_cast<std::size_t>(t)) -
                                 data(static_cast<std::size_t>(j), static_cast<std::size_t>(t));
                sum += d * d;
            }
            distances(i, j) = std::sqrt(sum);
        }
    }
    std::vector<std::string> names;
    for (int i = 0; i < leaves; ++i) {
        names.push_back(std::to_string(1000 + i) + "_at");
    }
    return UPGMA::BuildUpgmaTree(std::move(distances), leaves, 2, names, false);
}

std::unique_ptr<MyNode> tree(int leaves, Shape shape)
{
    if (shape == Shape::Average) {
        return averageLinkage(leaves + 1);
    }
    if (shape == Shape::KMeans) {
        // The two-level tree of a k-means or self-organising map run: 25
        // clusters of about 500 loci each below the root.
        auto root = std::make_unique<MyNode>();
        std::vector<std::unique_ptr<MyNode>> clusters;
        for (int c = 0; c < 25; ++c) {
            auto cluster = std::make_unique<MyNode>();
            cluster->setBranchLen(0.5);
            clusters.push_back(std::move(cluster));
        }
        for (int i = 0; i <= leaves; ++i) {
            clusters[static_cast<std::size_t>(i % 25)]->addChild(leaf(i, 0.1 + 0.001 * (i % 97)));
        }
        for (auto& cluster : clusters) {
            root->addChild(std::move(cluster));
        }
        return root;
    }
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> length(0.01, 0.5);
    std::vector<std::unique_ptr<MyNode>> parts;
    for (int i = 0; i < leaves; ++i) {
        parts.push_back(leaf(i, length(rng)));
    }
    if (shape == Shape::Balanced) {
        while (parts.size() > 1) {
            std::vector<std::unique_ptr<MyNode>> next;
            for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
                next.push_back(join(std::move(parts[i]), std::move(parts[i + 1]), length(rng)));
            }
            if (parts.size() % 2 == 1) {
                next.push_back(std::move(parts.back()));
            }
            parts = std::move(next);
        }
    } else {
        std::unique_ptr<MyNode> acc = std::move(parts.back());
        parts.pop_back();
        while (!parts.empty()) {
            std::size_t pick = parts.size() - 1;
            if (shape == Shape::Clustered) {
                const std::size_t window = std::min<std::size_t>(parts.size(), 40);
                pick = parts.size() - 1 - std::uniform_int_distribution<std::size_t>(0, window - 1)(rng);
            }
            std::swap(parts[pick], parts.back());
            std::unique_ptr<MyNode> other = std::move(parts.back());
            parts.pop_back();
            if (shape == Shape::Clustered && parts.size() >= 2 && rng() % 3 == 0) {
                // A small cluster of its own joins the growing one.
                std::unique_ptr<MyNode> third = std::move(parts.back());
                parts.pop_back();
                other = join(std::move(other), std::move(third), length(rng));
            }
            acc = join(std::move(acc), std::move(other), length(rng));
        }
        parts.push_back(std::move(acc));
    }
    auto root = std::make_unique<MyNode>();
    root->addChild(std::move(parts.front()));
    root->addChild(leaf(leaves, 0.2));
    return root;
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args args(argc, argv,
                     "[leaves]\n  Times Show subtree on the root of cluster trees of five shapes through the main\n"
                     "  window's Tree menu; leaves: how many (12625 if not given).\n");
    const int leaves = args.done() ? 12625 : static_cast<int>(args.number("leaves", 3, 1000000));
    args.finish();
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    const std::filesystem::path settings =
        std::filesystem::temp_directory_path() / ("tessaray-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(settings);
    ::setenv("QUORIN_WINDOWS_DIR", settings.c_str(), 1);
    QApplication app(argc, argv);
    mQuorin::ProgramState program;
    mQuorin::ProgramScope scope(program);
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs dialogsScope(boxes);
    {
        shell::MainFrame frame;
        frame.endProcess = [] {};
        frame.Form_Load();
        frame.show();
        shell::TreeCommands* commands = shell::TreeCommands::of(frame);
        std::printf("Show subtree on the root of a cluster tree of %d leaves (menu road, window painted)\n",
                    leaves);
        const struct {
            Shape shape;
            const char* name;
        } shapes[] = {{Shape::Average, "average linkage"},
                      {Shape::Balanced, "balanced"},
                      {Shape::Clustered, "clusters with chains"},
                      {Shape::Chain, "a chain"},
                      {Shape::KMeans, "k-means, 25 clusters"}};
        for (const auto& s : shapes) {
            shell::frmMDIChild* document = frame.NewDocument();
            document->MyRootNode(tree(leaves - 1, s.shape));
            document->showView(shell::View::Tree);  // as after clustering: the tree view is shown
            QApplication::processEvents();
            platform::TreeViewModel& nodes = frame.ActiveChild()->TreeView1()->Nodes();
            nodes.setSelected(1, true);
            trees::NAryForm& form = commands->naryForm();
            // The window is modal, as from the menu: the time runs until it
            // has been shown and painted, then the window is closed.
            double shown = 0;
            int leavesDrawn = 0;
            QSize canvas;
            const auto start = std::chrono::steady_clock::now();
            // The progress bar lets events through while the tree is built,
            // so the window is closed only once it waits as the modal window.
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &form, [&] {
                if (QApplication::activeModalWidget() != &form) {
                    return;
                }
                poll.stop();
                (void)form.Picture1()->grab(QRect(0, 0, 800, 600));
                shown = bench::seconds(start);
                leavesDrawn = form.model().NameCount();
                canvas = form.Picture1()->size();
                form.close();
            });
            poll.start(0);
            frame.action(QStringLiteral("mnuTreeShowSubTree"))->trigger();
            std::printf("  %-22s %7.3f s  (%d leaves drawn, %d x %d pixels)\n", s.name, shown, leavesDrawn,
                        canvas.width(), canvas.height());
            frame.ActiveChild()->workbook().setChanged(false);
        }
        for (shell::frmMDIChild* child : frame.Documents()) {
            child->workbook().setChanged(false);
        }
    }
    std::filesystem::remove_all(settings);
    return 0;
}
