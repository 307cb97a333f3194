// The correspondence analysis road through the real dialog on the offscreen
// platform, timed: a document window holding a seeded block of expression
// values (12,625 loci x 128 conditions, log-ratios with negative values),
// Analysis, Correspondence analysis, OK; then the largest block whose output
// fits one worksheet (5,368 loci x 128) the same way, with its output sheet
// written. Also times each stage of the run without the dialog, and counts
// the passes of the event loop (progress repaints) during the dialog's run.
// With --intensities the values are positive intensities instead. Prints
// its figures; asserts nothing.

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "analysis/ui/OrdinationDialogs.h"
#include "analysis/ui/OrdinationRun.h"
#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"
#include "platform/errors/Error.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/Value.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/mQuorin.h"
#include "app/MainFrame.h"
#include "app/OrdinationMenu.h"
#include "app/frmMDIChild.h"

namespace {

using Clock = std::chrono::steady_clock;
using bench::seconds;

// Log-ratios (negative and positive), or with `intensities` positive
// intensities (the same values exponentiated).
bool intensities = false;

void fill(spreadsheet::Workbook& book, int loci, int conditions)
{
    std::mt19937_64 gen(42);
    std::normal_distribution<double> noise(0.0, 1.0);
    spreadsheet::ValueTable table(loci + 1, conditions + 1);
    table.at(0, 0) = spreadsheet::Value(std::string("Gene"));
    for (int c = 1; c <= conditions; ++c) {
        table.at(0, c) = spreadsheet::Value("c" + std::to_string(c));
    }
    for (int g = 1; g <= loci; ++g) {
        table.at(g, 0) = spreadsheet::Value(std::to_string(1000 + g) + "_at");
        const double level = noise(gen);
        for (int c = 1; c <= conditions; ++c) {
            const double x = level + 0.5 * noise(gen);
            table.at(g, c) = spreadsheet::Value(intensities ? std::exp(x) : x);
        }
    }
    book.CopyDataFromArray(1, 1, 1, loci + 1, conditions + 1, false, table);
}

std::string rangeOf(int loci, int conditions)
{
    return "$A$1:$" + spreadsheet::columnLetters(conditions + 1) + "$" + std::to_string(loci + 1);
}

// Each stage of the run without a window, on the book's first sheet.
void stages(spreadsheet::Workbook& book, int loci, int conditions)
{
    mQuorin::ProgramState state;
    analysis::CARun run({rangeOf(loci, conditions), "2"}, state);
    const auto start = Clock::now();
    const std::string refusal = run.ReadInput(book);
    const double read = seconds(start);
    if (!refusal.empty()) {
        std::printf("  without the dialog: read and refused in %6.3f s\n", read);
        return;
    }
    run.Compute();
    const double computed = seconds(start);
    const std::int32_t sheets = book.NumSheets();
    try {
        run.WriteOutputSheet(book);
    } catch (const platform::Error& e) {
        std::printf("  without the dialog: read %6.3f s  compute %6.3f s, then error %d writing: %s\n", read,
                    computed - read, e.number(), e.description().c_str());
        book.setNumSheets(sheets);
        book.setSheet(1);
        return;
    }
    const double total = seconds(start);
    std::printf("  without the dialog: read %6.3f s  compute %6.3f s  write %6.3f s  total %6.3f s\n", read,
                computed - read, total - computed, total);
    book.setNumSheets(sheets);
    book.setSheet(1);
}

void road(int loci, int conditions)
{
    std::printf("Correspondence analysis, %d loci x %d conditions\n", loci, conditions);
    mQuorin::ProgramState program;
    mQuorin::ProgramScope scope(program);
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs dialogs(boxes);
    shell::MainFrame frame;
    frame.Form_Load();
    frame.NewDocument();
    frame.show();
    shell::InstallOrdinationDialogs(frame);
    spreadsheet::Workbook& book = frame.ActiveChild()->workbook();
    fill(book, loci, conditions);
    QApplication::processEvents();
    stages(book, loci, conditions);

    // Each pass of the event loop (a progress repaint) runs this timer once.
    int passes = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&passes] { ++passes; });
    tick.start(0);
    const auto start = Clock::now();
    frame.action(QStringLiteral("mnuAnaCA"))->trigger();
    auto* dialog = frame.findChild<analysis::frmCA*>();
    if (dialog == nullptr) {
        std::printf("  the dialog did not open\n");
        return;
    }
    const double opened = seconds(start);
    dialog->cmdDone_Click();
    QApplication::processEvents();
    const double total = seconds(start);
    tick.stop();
    std::printf("  through the dialog: open %6.3f s  OK to done %6.3f s  total %6.3f s  (%s; %d sheets; %d event-loop "
                "passes)\n",
                opened, total - opened, total, dialog->ran() ? "written" : "not written", book.NumSheets(), passes);
    if (!boxes.calls().empty()) {
        std::printf("  message: %s\n", boxes.calls().back().text.c_str());
    }
    if (dialog->isVisible()) {
        dialog->close();
    }
}

} // namespace

int main(int argc, char** argv)
{
    bench::Args args(argc, argv,
                     "[--intensities]\n  Times correspondence analysis through its dialog on 12,625 x 128 and\n"
                     "  5,368 x 128; --intensities: positive intensities instead of log ratios.\n");
    intensities = args.flag("--intensities");
    args.finish();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    road(12625, 128);
    road(5368, 128);
    return 0;
}
