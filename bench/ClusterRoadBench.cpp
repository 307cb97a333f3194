// The clustering road without windows, timed: a workbook block of 10,000
// seeded loci x 80 time points is read into the data matrix, clustered
// (distances and tree) and planted into a tree-view model; then a tree of
// 16,000 leaves is planted into the tree view (the Qt widget too, when built
// with windows). Prints its figures; asserts nothing.

#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "analysis/UPGMA.h"
#include "analysis/ui/ClusterRun.h"
#include "platform/runtime/Rnd.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/Value.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/widgets/treeview/TreeViewModel.h"
#include "shell/core/mQuorin.h"
#include "trees/view/TreeTool.h"
#include "bench/BenchArgs.h"

#ifdef TESSARAY_BENCH_WITH_GUI
#include <QApplication>

#include "platform/widgets/treeview/TreeView.h"
#include "bench/BenchSupport.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

using bench::seconds;

spreadsheet::Workbook expressionBook(int loci, int points, unsigned seed)
{
    std::mt19937_64 gen(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    spreadsheet::Workbook book;
    book.setCellValue(1, 1, 1, spreadsheet::Value(std::string("Gene")));
    for (int t = 1; t <= points; ++t) {
        book.setCellValue(1, 1, t + 1, spreadsheet::Value("t" + std::to_string(t)));
    }
    for (int g = 1; g <= loci; ++g) {
        book.setCellValue(1, g + 1, 1, spreadsheet::Value("g" + std::to_string(g)));
        const double level = noise(gen) * 3;
        for (int t = 1; t <= points; ++t) {
            book.setCellValue(1, g + 1, t + 1, spreadsheet::Value(level + noise(gen)));
        }
    }
    return book;
}

void road(const spreadsheet::Workbook& book, int loci, int points, int method, int index, const char* name)
{
    mQuorin::ProgramState state;
    analysis::ClusterChoice choice;
    choice.inRange = "$A$1:$" + spreadsheet::columnLetters(points + 1) + "$" + std::to_string(loci + 1);
    choice.method = method;
    choice.index = index;
    platform::rt::RandomSource rng(1);
    analysis::ClusterRun run(choice, state, nullptr, &rng);

    const auto start = Clock::now();
    const std::string refusal = run.ReadInput(book);
    const double read = seconds(start);
    if (!refusal.empty()) {
        std::printf("refused: %s\n", refusal.c_str());
        return;
    }
    run.Cluster();
    const double clustered = seconds(start);
    const auto tree = run.takeTree();
    platform::TreeViewModel view;
    trees::TreeTool tool;
    tool.Initialize(view);
    tool.PlantTree(*tree, view.Add({}, "Root"), true, true);
    const double total = seconds(start);
    std::printf("%-28s block->matrix %6.3f s  distances+tree %6.3f s  planted %6.3f s  total %6.3f s  (%d nodes)\n",
                name, read, clustered - read, total - clustered, total, view.Count());
}

std::unique_ptr<analysis::MyNode> randomTree(int leaves)
{
    std::mt19937_64 gen(3);
    std::uniform_real_distribution<double> d(0.0, 1.0);
    analysis::DistanceMatrix distances(leaves);
    for (int i = 1; i < leaves; ++i) {
        for (int j = 0; j < i; ++j) {
            distances(i, j) = d(gen);
        }
    }
    std::vector<std::string> names;
    for (int i = 0; i < leaves; ++i) {
        names.push_back("g" + std::to_string(i));
    }
    platform::rt::RandomSource rng(2);
    return UPGMA::BuildUpgmaTree(std::move(distances), leaves, 2, names, true, nullptr, &rng);
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args(argc, argv, "\n  Times the clustering road on 10,000 seeded loci and planting a 16,000-leaf tree; takes no arguments.\n").finish();
    constexpr int loci = 10000;
    constexpr int points = 80;
    std::printf("Clustering road, %d loci x %d time points (target: under 4 s)\n", loci, points);
    const spreadsheet::Workbook book = expressionBook(loci, points, 42);
    road(book, loci, points, 2, 1, "average, Euclidean");
    road(book, loci, points, 2, 6, "average, Pearson");
    road(book, loci, points, 0, 1, "single, Euclidean");

    constexpr int leaves = 16000;
    const auto tree = randomTree(leaves);
    std::printf("Planting a tree of %d leaves (target: under 1 s)\n", leaves);
    {
        platform::TreeViewModel view;
        trees::TreeTool tool;
        tool.Initialize(view);
        const auto start = Clock::now();
        tool.PlantTree(*tree, view.Add({}, "Root"), true, true);
        std::printf("  tree-view model        %6.3f s  (%d nodes)\n", seconds(start), view.Count());
    }
#ifdef TESSARAY_BENCH_WITH_GUI
    QApplication app(argc, argv);
    {
        platform::TreeView view;
        view.resize(400, 600);
        view.show();
        trees::TreeTool tool;
        tool.Initialize(view.Nodes());
        const auto start = Clock::now();
        const auto root = view.Nodes().Add({}, "Root");
        tool.PlantTree(*tree, root, true, true);
        view.Nodes().setExpanded(root, true);
        QApplication::processEvents();
        std::printf("  Qt tree view, shown    %6.3f s  (%d nodes)\n", seconds(start), view.Nodes().Count());
    }
#endif
    return 0;
}
