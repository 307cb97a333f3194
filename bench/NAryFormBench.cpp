// The tree-drawing window: drawing a phenogram of 2,000 leaves (a seeded
// random cluster tree), and re-rooting it at a leaf and redrawing. An
// argument names a folder that receives pictures of a 100-leaf tree as a
// phenogram and as a cladogram.

#include <QAction>
#include <QApplication>
#include <QImage>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"
#include "trees/ui/NAryForm.h"

namespace {

// A random binary tree in Newick form: leaves joined pairwise at random.
std::string randomTree(int leaves, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> length(0.01, 0.5);
    std::vector<std::string> parts;
    for (int i = 0; i < leaves; ++i) {
        parts.push_back("probe_" + std::to_string(i) + "_at:" + std::to_string(length(rng)));
    }
    while (parts.size() > 2) {
        std::uniform_int_distribution<std::size_t> pick(0, parts.size() - 1);
        const std::size_t a = pick(rng);
        std::swap(parts[a], parts.back());
        std::string x = parts.back();
        parts.pop_back();
        const std::size_t b = std::uniform_int_distribution<std::size_t>(0, parts.size() - 1)(rng);
        std::swap(parts[b], parts.back());
        std::string y = parts.back();
        parts.pop_back();
        parts.push_back("(" + x + "," + y + "):" + std::to_string(length(rng)));
    }
    return "(" + parts[0] + "," + parts[1] + ");";
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args args(argc, argv, "[folder]\n  folder  where the pictures of the tree are saved (none without it)\n");
    const std::string folder = args.done() ? std::string() : args.text("folder");
    args.finish();
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    trees::NAryForm form;
    form.resize(1000, 700);

    const std::string big = randomTree(2000, 7);
    auto start = std::chrono::steady_clock::now();
    form.plot(0, big, 1);
    QImage surface = form.Picture1()->grab().toImage();
    std::printf("phenogram of 2,000 leaves, built, laid out and painted: %.3f s (%d x %d pixels)\n",
                bench::seconds(start), surface.width(), surface.height());

    start = std::chrono::steady_clock::now();
    std::string message;
    const bool ok = form.model().ReRootAtTip("probe_1234_at", message);
    form.redraw();
    surface = form.Picture1()->grab().toImage();
    std::printf("re-rooted at a leaf and redrawn:                          %.3f s (%s)\n", bench::seconds(start),
                ok ? "ok" : message.c_str());

    if (!folder.empty()) {
        const std::filesystem::path dir(folder);
        std::filesystem::create_directories(dir);
        form.close();
        form.resize(900, 700);
        form.plot(0, randomTree(100, 3), 1);
        form.grab().save(QString::fromStdString((dir / "tree-phenogram.png").string()));
        form.action("TreeClad")->trigger();
        form.grab().save(QString::fromStdString((dir / "tree-cladogram.png").string()));
    }
    return 0;
}
