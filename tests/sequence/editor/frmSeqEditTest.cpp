#include "sequence/editor/frmSeqEdit.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Guard.h"
#include "platform/widgets/richtext/RichTextBox.h"
#include "sequence/editor/CSpliter.h"
#include "tests/sequence/MapTestUtil.h"

namespace {

using sequence::editor::frmSeqEdit;

struct Set {
    std::vector<std::string> seqs, names;
    std::int32_t count() const { return static_cast<std::int32_t>(seqs.size()); }
};

Set named(std::vector<std::string> seqs)
{
    Set s{std::move(seqs), {}};
    for (std::size_t i = 0; i < s.seqs.size(); ++i)
        s.names.push_back("s" + std::to_string(i + 1));
    return s;
}

Set uniform(int count, int length)
{
    std::vector<std::string> seqs;
    for (int i = 0; i < count; ++i) {
        std::string s(static_cast<std::size_t>(length), 'A');
        s[static_cast<std::size_t>(i % length)] = 'G';
        s[static_cast<std::size_t>((i / length) % length)] = 'C';
        seqs.push_back(s);
    }
    return named(seqs);
}

// Errors the window's guard reports, answered Abort.
struct Reported {
    std::vector<platform::Error> errors;
    platform::ScopedReporter reporter{[this](const platform::Error& e) {
        errors.push_back(e);
        return platform::Answer::Abort;
    }};
};

std::string line(frmSeqEdit& w, int number)
{
    return w.rtfSeq->document()->findBlockByNumber(number).text().toStdString();
}

TEST(frmSeqEdit, ShowsAWindowOfFiftyRowsAndTwoHundredColumns)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    struct Case {
        int count, length, row, col;
        std::int32_t firstRow, lastRow, firstCol, lastCol;
    } cases[] = {
        {120, 30, 0, 1, 0, 49, 1, 30},      {120, 30, 100, 1, 100, 119, 1, 30},
        {3, 150, 0, 1, 0, 2, 1, 150},       {3, 500, 0, 1, 0, 2, 1, 200},
        {3, 500, 0, 301, 0, 2, 301, 500},
    };
    for (const auto& c : cases) {
        auto set = uniform(c.count, c.length);
        frmSeqEdit w(set.seqs, set.names, set.count(), c.length, "DNA");
        w.VScroll1->setValue(c.row);
        w.HScroll1->setValue(c.col);
        EXPECT_EQ(w.firstRow(), c.firstRow) << c.count << "x" << c.length;
        EXPECT_EQ(w.lastRow(), c.lastRow) << c.count << "x" << c.length;
        EXPECT_EQ(w.firstCol(), c.firstCol) << c.count << "x" << c.length;
        EXPECT_EQ(w.lastCol(), c.lastCol) << c.count << "x" << c.length;
        EXPECT_EQ(w.rtfSeq->document()->blockCount(), 2 + c.lastRow - c.firstRow + 1);
        EXPECT_EQ(w.rtfSeqName->document()->findBlockByNumber(2).text().toStdString(),
                  "s" + std::to_string(c.firstRow + 1));
    }
    EXPECT_EQ(script.unscripted(), 0);
}

TEST(frmSeqEdit, RulersMarkEveryFifthAndNumberEveryTenth)
{
    auto set = uniform(2, 25);
    frmSeqEdit w(set.seqs, set.names, 2, 25, "DNA");
    EXPECT_EQ(line(w, 0), "        10        20     ");
    EXPECT_EQ(line(w, 1), "----|----|----|----|----|");
    auto* panel = w.findChild<QLabel*>("panel1");
    EXPECT_EQ(panel->text(), "Number of sequence: 2");
}

TEST(frmSeqEdit, TypingFollowsTheResidueRules)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    auto set = named({"ACGA", "ACGG"});
    frmSeqEdit w(set.seqs, set.names, 2, 4, "DNA");
    w.show();
    w.rtfSeq->setFocus();
    QTextCursor c(w.rtfSeq->document()->findBlockByNumber(2));
    c.movePosition(QTextCursor::EndOfBlock);
    w.rtfSeq->setTextCursor(c);
    QTest::keyClicks(w.rtfSeq, "tN-");
    EXPECT_EQ(line(w, 2), "ACGAu-") << "t becomes u, N is refused";
    QTextCursor u(w.rtfSeq->document()->findBlockByNumber(2));
    u.setPosition(u.block().position() + 5);
    EXPECT_EQ(u.charFormat().foreground().color(), QColor(255, 0, 255));
    QTest::keyClick(w.rtfSeq, Qt::Key_Return);
    EXPECT_EQ(w.rtfSeq->document()->blockCount(), 4) << "Enter is refused";

    // Lines never join.
    QTextCursor start(w.rtfSeq->document()->findBlockByNumber(3));
    w.rtfSeq->setTextCursor(start);
    QTest::keyClick(w.rtfSeq, Qt::Key_Backspace);
    EXPECT_EQ(w.rtfSeq->document()->blockCount(), 4);

    // Align only: residues may not be deleted, gaps may.
    w.EditAlignOnly->trigger();
    EXPECT_TRUE(w.EditAlignOnly->isChecked());
    QTextCursor afterA(w.rtfSeq->document()->findBlockByNumber(3));
    afterA.setPosition(afterA.block().position() + 1);
    w.rtfSeq->setTextCursor(afterA);
    QTest::keyClick(w.rtfSeq, Qt::Key_Backspace);
    EXPECT_EQ(line(w, 3), "ACGG");
    ASSERT_EQ(script.calls().size(), 1u);
    EXPECT_EQ(script.last().text, "The editing mode is 'Align only' in which you can only insert or delete indels. To "
                                  "get out of 'Align only' mode, click 'Edit|Align only'");
    QTest::keyClick(w.rtfSeq, '-');
    QTest::keyClick(w.rtfSeq, Qt::Key_Backspace);
    EXPECT_EQ(line(w, 3), "ACGG");
    EXPECT_EQ(script.calls().size(), 1u);

    // Names accept letters, digits, "_" and "{" only.
    QTextCursor name(w.rtfSeqName->document()->findBlockByNumber(2));
    name.movePosition(QTextCursor::EndOfBlock);
    w.rtfSeqName->setTextCursor(name);
    QTest::keyClicks(w.rtfSeqName, "x_ !9");
    EXPECT_EQ(w.names()[0], "s1x_9");
    EXPECT_EQ(w.sequences()[0], "ACGAu-");
}

TEST(frmSeqEdit, AlignsTheShownSegmentAsTheEngineDoes)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    struct Case {
        const char* what;
        std::vector<std::string> seqs;
        const char* type;
    } cases[] = {
        {"20 DNA", maptest::family(21, 20, 150, "ACGT"), "DNA"},
        {"10 protein", maptest::family(22, 10, 120, "ARNDCQEGHILKMFPSTWYV"), "AA"},
    };
    for (const auto& c : cases) {
        auto set = named(c.seqs);
        const auto longest = static_cast<std::int32_t>(
            std::max_element(c.seqs.begin(), c.seqs.end(), [](auto& a, auto& b) { return a.size() < b.size(); })->size());
        frmSeqEdit w(set.seqs, set.names, set.count(), longest, c.type);
        w.SeqAlign->trigger();
        EXPECT_EQ(script.unscripted(), 0) << c.what;
        const auto aligned = w.sequences();
        EXPECT_EQ(aligned, maptest::direct(c.seqs, sequence::MapParams{})) << c.what;
        EXPECT_EQ(line(w, 2), aligned[0].substr(0, std::min<std::size_t>(200, aligned[0].size()))) << c.what;
        EXPECT_EQ(w.HScroll1->maximum(), static_cast<int>(aligned[0].size())) << c.what;

        // Realigning the aligned set gives the same alignment.
        w.SeqAlign->trigger();
        EXPECT_EQ(w.sequences(), aligned) << c.what;

        // Leaving with Yes hands the aligned set back.
        script.answer(platform::Answer::Yes);
        w.SeqExit->trigger();
        EXPECT_EQ(w.inSeqs(), aligned) << c.what;
        EXPECT_EQ(w.inMaxLen(), static_cast<std::int32_t>(aligned[0].size())) << c.what;
    }
}

TEST(frmSeqEdit, BadSetsAreRefusedAndTheTextStays)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    struct Case {
        const char* what;
        Set set;
        const char* message;
        int icon;
    } cases[] = {
        {"unknown letter", named({"ACG?T", "ACGT"}), "Sequence 1 holds the character \"?\"", platform::mb::Exclamation},
        {"one sequence", named({"ACGT"}), "Only one sequence", platform::mb::Exclamation},
        {"duplicate names", Set{{"ACGT", "ACGA"}, {"x", "x"}}, "Sequence 2 and Sequence 1", platform::mb::Critical},
    };
    for (const auto& c : cases) {
        frmSeqEdit w(c.set.seqs, c.set.names, c.set.count(), 5, "DNA");
        const QString before = w.rtfSeq->toPlainText();
        script.clear();
        w.SeqAlign->trigger();
        ASSERT_EQ(script.calls().size(), 1u) << c.what;
        EXPECT_NE(script.last().text.find(c.message), std::string::npos) << c.what << ": " << script.last().text;
        EXPECT_EQ(platform::mb::icon(script.last().style), c.icon) << c.what;
        EXPECT_EQ(w.rtfSeq->toPlainText(), before) << c.what;
        EXPECT_EQ(w.sequences(), c.set.seqs) << c.what;
    }
}

TEST(frmSeqEdit, DeletesColumnSegments)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    Reported reported;
    const std::vector<std::string> seqs = {"ACGTACGTACGTAAAA", "ACGTACGTACGTCCCC", "ACGTACGTACGTGGGG"};
    {
        auto set = named(seqs);
        frmSeqEdit w(set.seqs, set.names, 3, 16, "DNA");
        script.type("11");
        w.EditRidHead->trigger();
        EXPECT_EQ(w.sequences(), (std::vector<std::string>{"TAAAA", "TCCCC", "TGGGG"}));
        EXPECT_EQ(w.maxLen(), 5);
        script.type("5");
        w.EditRidHead->trigger();
        ASSERT_EQ(reported.errors.size(), 1u);
        EXPECT_EQ(reported.errors[0].source(), "SeqRidHead");
        EXPECT_EQ(reported.errors[0].description(),
                  "The sequence length is 16 which is smaller than, or equal to, your input number.");
        EXPECT_EQ(w.maxLen(), 5);
    }
    {
        auto set = named(seqs);
        frmSeqEdit w(set.seqs, set.names, 3, 16, "DNA");
        script.type("2, 12");
        w.EditRidMid->trigger();
        EXPECT_EQ(w.sequences(), (std::vector<std::string>{"AAAAA", "ACCCC", "AGGGG"}));
        script.type("1");
        w.EditRidTail->trigger();
        EXPECT_EQ(w.sequences(), (std::vector<std::string>{"", "", ""}));
        EXPECT_EQ(script.last().text,
                  "Some sequences have become identical. Many functions in Brisco assume all sequences to be unique, "
                  "and Brisco may crash if the assumption is violated. Be warned.");
    }
    {
        auto set = named({"ACGT", "AC"});
        frmSeqEdit w(set.seqs, set.names, 2, 4, "DNA");
        script.type("1");
        w.EditRidHead->trigger();
        EXPECT_EQ(script.last().text,
                  "Your sequences are not aligned. This operation is inappropriate for unaligned sequences.");
        EXPECT_EQ(w.sequences(), set.seqs);
    }
}

TEST(frmSeqEdit, QuitPadsUnequalSequencesOnRequest)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    auto set = named({"ACGTAC", "ACG"});
    std::int32_t count = 2, maxLen = 6;
    {
        frmSeqEdit w(set.seqs, set.names, count, maxLen, "DNA");
        script.answer(platform::Answer::No);
        w.SeqExit->trigger();
        EXPECT_EQ(w.inSeqs(), set.seqs);
    }
    frmSeqEdit w(set.seqs, set.names, count, maxLen, "DNA");
    script.answer(platform::Answer::Yes).answer(platform::Answer::Yes);
    w.SeqExit->trigger();
    EXPECT_EQ(w.inSeqs(), (std::vector<std::string>{"ACGTAC", "ACG---"}));
    EXPECT_EQ(w.inMaxLen(), 6);
}

TEST(frmSeqEdit, AddsAndSortsSequences)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    frmSeqEdit empty({}, {}, 0, 0, "DNA");
    EXPECT_EQ(script.last().text, "Enter new sequence name: ");
    EXPECT_EQ(empty.names(), (std::vector<std::string>{"Seq1"}));

    auto set = Set{{"CCC", "AAA", "GGG"}, {"b", "c", "a"}};
    frmSeqEdit w(set.seqs, set.names, 3, 3, "DNA");
    script.type("");
    w.SeqAddNew->trigger();
    EXPECT_EQ(w.names().back(), "Seq4");
    w.SeqSort->trigger();
    EXPECT_EQ(w.names(), (std::vector<std::string>{"Seq4", "a", "b", "c"}));
    EXPECT_EQ(w.sequences(), (std::vector<std::string>{"", "GGG", "CCC", "AAA"}));
}

TEST(frmSeqEdit, FindScrollsToTheHit)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    auto set = uniform(80, 400);
    set.seqs[70].replace(300, 6, "TTTCCC");
    frmSeqEdit w(set.seqs, set.names, 80, 400, "DNA");
    w.show();
    w.rtfSeq->setFocus();
    script.type("TTTCCC");
    w.EditFind->trigger();
    EXPECT_EQ(w.firstRow(), 69);
    EXPECT_EQ(w.firstCol(), 301);
    EXPECT_EQ(w.rtfSeq->SelText(), "TTTCCC");
    script.type("GGGGGGGG");
    w.EditFind->trigger();
    EXPECT_EQ(script.last().text, "String not found.");
}

TEST(frmSeqEdit, DraggingTheBarResizesThePanes)
{
    auto set = uniform(3, 50);
    frmSeqEdit w(set.seqs, set.names, 3, 50, "DNA");
    w.resize(900, 500);
    w.show();
    QCoreApplication::processEvents();
    const int gap = w.rtfSeqName->geometry().right() + 1;
    const int rightEdge = w.rtfSeq->geometry().right() + 1;
    const int y = w.rtfSeqName->y() + 50;
    QTest::mousePress(w.body, Qt::LeftButton, {}, QPoint(gap, y));
    for (int x = gap; x <= gap + 200; x += 10) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), w.body->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                         Qt::LeftButton, {});
        QCoreApplication::sendEvent(w.body, &move);
    }
    QTest::mouseRelease(w.body, Qt::LeftButton, {}, QPoint(gap + 200, y));
    EXPECT_EQ(w.rtfSeqName->geometry().right() + 1, gap + 200);
    EXPECT_EQ(w.rtfSeq->x(), gap + 200 + w.splitter().BarWidth());
    EXPECT_EQ(w.rtfSeq->geometry().right() + 1, rightEdge);
    EXPECT_EQ(w.HScroll1->x(), w.rtfSeq->x());
    EXPECT_FALSE(w.splitter().isDragging());
}

} // namespace
