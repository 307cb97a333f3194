// Printing a tree view to PDF: a cluster tree of 16,000 leaves planted in a
// tree view (a balanced tree, and a chain 16,000 levels deep as single
// linkage gives), printed with the main window's tree printer settings.

#include <QApplication>
#include <QPrinter>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"
#include "platform/print/QtPrinter.h"
#include "platform/widgets/treeview/TreeViewModel.h"
#include "trees/print/CPrintTreeView.h"

namespace {

void balanced(platform::TreeViewModel& model, std::int32_t parent, int leaves, int& next)
{
    if (leaves == 1) {
        model.Add(parent, platform::TreeRelationship::Child, "", "probe_" + std::to_string(next++) + "_at");
        return;
    }
    const auto inner = model.Add(parent, platform::TreeRelationship::Child, "", std::to_string(model.Count() + 1));
    model.setExpanded(inner, true);
    balanced(model, inner, leaves / 2, next);
    balanced(model, inner, leaves - leaves / 2, next);
}

void chain(platform::TreeViewModel& model, std::int32_t parent, int leaves)
{
    for (int i = 0; i < leaves - 1; ++i) {
        const auto inner = model.Add(parent, platform::TreeRelationship::Child, "", std::to_string(model.Count() + 1));
        model.setExpanded(inner, true);
        model.Add(inner, platform::TreeRelationship::Child, "", "probe_" + std::to_string(i) + "_at");
        parent = inner;
    }
    model.Add(parent, platform::TreeRelationship::Child, "", "probe_last_at");
}

void run(const char* name, platform::TreeViewModel& model, const std::filesystem::path& pdf)
{
    trees::CPrintTreeView printer;
    printer.Page().setMarginBottom(2);
    printer.Page().setMarginTop(2);
    printer.Page().setMarginLeft(2);
    printer.Page().setMarginRight(2);
    printer.Page().Footer().setText("Pag. <pag>");
    printer.Page().Footer().Font().Size = 8;
    printer.Page().Footer().setAlignment(trees::align::Centre);
    printer.Title().setText("Condenced output of tree structrue");
    printer.setPrintOnlyExpandedNodes(true);
    printer.setControl(&model, platform::StdFont{"Sans Serif", 8});
    int pages = 1;
    printer.BeforeNewPage = [&pages] { ++pages; };

    const auto start = std::chrono::steady_clock::now();
    QPrinter device(QPrinter::HighResolution);
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setOutputFileName(QString::fromStdString(pdf.string()));
    platform::QtPagePrinter page(device);
    const bool ok = printer.PrintControl(page);
    const double s = bench::seconds(start);
    std::printf("%-34s %6d rows  %5d pages  %6.2f s  %7.1f MB  %s\n", name, printer.PrintedNodes(), pages, s,
                static_cast<double>(std::filesystem::file_size(pdf)) / 1e6, ok ? "ok" : "FAILED");
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args args(argc, argv, "[folder]\n  folder  keeps the PDF files (a temporary folder without it)\n");
    const std::string folder = args.done() ? std::string() : args.text("folder");
    args.finish();
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    // An argument names a folder that keeps the PDF files.
    const bool keep = !folder.empty();
    const auto dir = keep ? std::filesystem::path(folder) : std::filesystem::temp_directory_path() / "tessaray-bench-treeprint";
    std::filesystem::create_directories(dir);

    platform::TreeViewModel balancedTree;
    const auto root = balancedTree.Add("", "Root");
    balancedTree.setExpanded(root, true);
    int next = 0;
    balanced(balancedTree, root, 16000, next);
    run("balanced tree, 16,000 leaves", balancedTree, dir / "balanced.pdf");

    platform::TreeViewModel chainTree;
    const auto top = chainTree.Add("", "Root");
    chainTree.setExpanded(top, true);
    chain(chainTree, top, 16000);
    run("chain 16,000 deep, 16,000 leaves", chainTree, dir / "chain.pdf");

    if (!keep) {
        std::filesystem::remove_all(dir);
    }
    return 0;
}
