// The sequence editor end to end, timed: a seeded set of 50 related
// sequences of about 1,000 bases is loaded into the editor, aligned through
// its Align command (libtallowin.so loaded at the first call) and taken back
// from the panes. Prints its figures; asserts nothing. With a folder as the
// argument it also saves pictures of the editor holding the aligned set and
// of the genetic-code window there.

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QPixmap>

#include "sequence/editor/frmSeqEdit.h"
#include "sequence/editor/frmShowCode.h"
#include "tests/sequence/SequenceFamily.h"
#include "bench/BenchArgs.h"
#include "bench/BenchSupport.h"

namespace {

using bench::seconds;

} // namespace

int main(int argc, char** argv)
{
    bench::Args args(argc, argv, "[folder]\n  folder  where the pictures of the editor are saved (none without it)\n");
    const std::string pictures = args.done() ? std::string() : args.text("folder");
    args.finish();
    QApplication app(argc, argv);
    for (const auto& [count, length] : {std::pair{50, 1000}, std::pair{20, 300}}) {
        const auto seqs = seqtest::family(2024, count, length, "ACGT");
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i)
            names.push_back("seq" + std::to_string(i + 1));
        std::size_t longest = 0;
        for (const auto& s : seqs)
            longest = std::max(longest, s.size());

        const auto start = std::chrono::steady_clock::now();
        sequence::editor::frmSeqEdit editor(seqs, names, count, static_cast<std::int32_t>(longest), "DNA");
        editor.resize(1200, 760);
        editor.show();
        QApplication::processEvents();
        const double load = seconds(start);
        const auto alignStart = std::chrono::steady_clock::now();
        editor.SeqAlign->trigger();
        const auto aligned = editor.sequences();
        QApplication::processEvents();
        const double align = seconds(alignStart);
        std::printf("%d x %d bases: load %.3f s, align and redisplay %.3f s, end to end %.3f s, aligned width %zu\n",
                    count, length, load, align, seconds(start), aligned.empty() ? 0 : aligned[0].size());
        if (!pictures.empty() && count == 50) {
            editor.grab().save(QString::fromStdString(pictures + "/sequence-editor-aligned.png"));
            sequence::editor::frmShowCode code;
            code.show();
            QApplication::processEvents();
            code.grab().save(QString::fromStdString(pictures + "/genetic-code-window.png"));
        }
    }
    return 0;
}
