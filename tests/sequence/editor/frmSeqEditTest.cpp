#include "sequence/editor/frmSeqEdit.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <random>

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

TEST(frmSeqEdit, NavigationKeysMoveTheViewAndTheCaret)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    // 80 rows of 500 sites; lines count from 0 with the rulers on 0 and 1.
    // At the default font size the pane's visible height is 20 lines.
    struct Case {
        const char* name;
        int row, col;            // the view before
        int line, caret;         // the caret before
        Qt::Key key;
        std::int32_t firstRow, firstCol;  // the view after
        int lineAfter, caretAfter;        // the caret after (-1: the line's end)
    } cases[] = {
        {"End goes to the end of the set and of the row", 0, 1, 4, 3, Qt::Key_End, 0, 490, 4, -1},
        {"Home goes to the start of the set and of the row", 0, 301, 3, 50, Qt::Key_Home, 0, 1, 3, 0},
        {"Left from the first column wraps to the end", 0, 1, 5, 0, Qt::Key_Left, 0, 490, 5, -1},
        {"Left from a later column steps back", 0, 101, 5, 0, Qt::Key_Left, 0, 96, 5, 0},
        {"Left near the first column steps to it", 0, 4, 5, 0, Qt::Key_Left, 0, 1, 5, 0},
        {"Right past the end of the set wraps to the start", 0, 301, 6, 200, Qt::Key_Right, 0, 1, 6, 0},
        {"Right past the last shown column steps on", 0, 1, 6, 200, Qt::Key_Right, 0, 6, 6, 200},
        {"Right inside the row moves the caret only", 0, 1, 6, 20, Qt::Key_Right, 0, 1, 6, 21},
        {"Down below the visible height scrolls the rows", 0, 1, 20, 7, Qt::Key_Down, 1, 1, 20, 7},
        {"Down above the visible height moves the caret only", 0, 1, 19, 7, Qt::Key_Down, 0, 1, 20, 7},
        {"Down on the last shown row scrolls the rows", 0, 1, 51, 2, Qt::Key_Down, 1, 1, 51, 2},
        {"Down on the last row of the set stays", 30, 1, 51, 2, Qt::Key_Down, 30, 1, 51, 2},
        {"Down below the visible height scrolls with the set's last row shown", 30, 1, 20, 7, Qt::Key_Down, 31, 1,
         20, 7},
        {"Up on the first shown row scrolls the rows", 10, 1, 2, 4, Qt::Key_Up, 9, 1, 2, 4},
    };
    for (const auto& c : cases) {
        auto set = uniform(80, 500);
        frmSeqEdit w(set.seqs, set.names, 80, 500, "DNA");
        w.show();
        w.rtfSeq->setFocus();
        w.VScroll1->setValue(c.row);
        w.HScroll1->setValue(c.col);
        QTextCursor before(w.rtfSeq->document()->findBlockByNumber(c.line));
        before.setPosition(before.block().position() + c.caret);
        w.rtfSeq->setTextCursor(before);
        QTest::keyClick(w.rtfSeq, c.key);
        EXPECT_EQ(w.firstRow(), c.firstRow) << c.name;
        EXPECT_EQ(w.firstCol(), c.firstCol) << c.name;
        const QTextCursor after = w.rtfSeq->textCursor();
        EXPECT_EQ(after.blockNumber(), c.lineAfter) << c.name;
        EXPECT_EQ(after.positionInBlock(), c.caretAfter < 0 ? after.block().length() - 1 : c.caretAfter) << c.name;
        EXPECT_EQ(w.sequences(), set.seqs) << c.name << ": navigation changes no residue";
    }
    EXPECT_EQ(script.unscripted(), 0);
}

// Residues typed past the end of the longest sequence make that sequence the
// longest, and the slider reaches the new columns.
TEST(frmSeqEdit, TypingPastTheLongestSequenceMovesTheSlidersEnd)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    auto set = named({std::string(250, 'A'), std::string(240, 'C'), std::string(230, 'G')});
    frmSeqEdit w(set.seqs, set.names, 3, 250, "DNA");
    w.show();
    w.HScroll1->setValue(51);
    ASSERT_EQ(w.lastCol(), 250);
    ASSERT_EQ(w.HScroll1->maximum(), 250);
    w.rtfSeq->setFocus();
    QTextCursor end(w.rtfSeq->document()->findBlockByNumber(3));
    end.movePosition(QTextCursor::EndOfBlock);
    w.rtfSeq->setTextCursor(end);
    QTest::keyClicks(w.rtfSeq, "acgacgacgacgacg");
    EXPECT_EQ(w.maxLen(), 255);
    EXPECT_EQ(w.longestRow(), 1);
    EXPECT_EQ(w.HScroll1->maximum(), 255);

    // The slider's own End key goes to the last column typed.
    w.HScroll1->setFocus();
    QTest::keyClick(w.HScroll1, Qt::Key_End);
    EXPECT_EQ(w.firstCol(), 255);
    EXPECT_EQ(w.lastCol(), 255);
    EXPECT_EQ(line(w, 3), "g");
    EXPECT_EQ(line(w, 2), "");
    EXPECT_EQ(w.sequences()[1], std::string(240, 'C') + "acgacgacgacgacg");
    EXPECT_EQ(script.unscripted(), 0);
}

TEST(frmSeqEdit, DownInTheNamesPaneScrollsAsInTheSequencePane)
{
    auto set = uniform(80, 50);
    frmSeqEdit w(set.seqs, set.names, 80, 50, "DNA");
    w.show();
    w.rtfSeqName->setFocus();
    QTextCursor c(w.rtfSeqName->document()->findBlockByNumber(25));
    c.setPosition(c.block().position() + 1);
    w.rtfSeqName->setTextCursor(c);
    QTest::keyClick(w.rtfSeqName, Qt::Key_Down);
    EXPECT_EQ(w.firstRow(), 1);
    EXPECT_EQ(w.rtfSeqName->textCursor().blockNumber(), 25);
    EXPECT_EQ(w.rtfSeqName->textCursor().block().text().toStdString(), "s25");
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

TEST(frmSeqEdit, AlignsTwelveUnrelatedFlanks)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    std::mt19937 rng(12);
    std::vector<std::string> seqs(12);
    for (auto& s : seqs)
        for (int i = 0; i < 100; ++i)
            s += "ACGU"[rng() % 4];
    auto set = named(seqs);
    frmSeqEdit w(set.seqs, set.names, 12, 100, "DNA");
    w.SeqAlign->trigger();
    EXPECT_TRUE(script.calls().empty());
    const auto aligned = w.sequences();
    ASSERT_EQ(aligned.size(), 12U);
    EXPECT_GT(aligned[0].size(), 100U) << "unrelated sequences take gaps";
    for (std::size_t i = 0; i < aligned.size(); ++i) {
        EXPECT_EQ(aligned[i].size(), aligned[0].size()) << i;
        EXPECT_EQ(maptest::degap(aligned[i]), seqs[i]) << i;
    }
    EXPECT_EQ(w.HScroll1->maximum(), static_cast<int>(aligned[0].size()));
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
        EXPECT_TRUE(reported.errors.empty());
        EXPECT_EQ(script.last().text, "Number of beginning sites to delete: a whole number from 1 to 4 (the sequences "
                                      "are 5 sites long). \"5\" is not accepted.");
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

TEST(frmSeqEdit, TypingMistakesInTheSegmentBoxesAreSaidPlainlyAndChangeNothing)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    Reported reported;
    const auto set = uniform(60, 300);
    struct Case {
        const char* name;
        void (frmSeqEdit::*command)();
        const char* typed;
        const char* start;  // the message begins so ("" when none)
        const char* title;
    } cases[] = {
        {"beginning: a letter for a digit", &frmSeqEdit::EditRidHead_Click, "1O",
         "Number of beginning sites to delete: a whole number from 1 to 299", "Get Rid of Beginnning Segment"},
        {"beginning: Cancel", &frmSeqEdit::EditRidHead_Click, "", "", ""},
        {"internal: blank for the comma", &frmSeqEdit::EditRidMid_Click, "11 23",
         "Sites to delete: the first and the last site, two whole numbers from 1 to 299",
         "Get Rid of a Middle Segment"},
        {"internal: Cancel", &frmSeqEdit::EditRidMid_Click, "", "You have cancelled the operation of entering numbers",
         "Info"},
        {"ending: words", &frmSeqEdit::EditRidTail_Click, "from 50",
         "First site of the ending segment to delete: a whole number from 1 to 300", "Tessaray"},
        {"ending: Cancel", &frmSeqEdit::EditRidTail_Click, "",
         "You have either cancelled the operation or inputed a zero or negative value: 0", "Tessaray"},
    };
    for (const auto& c : cases) {
        frmSeqEdit w(set.seqs, set.names, 60, 300, "DNA");
        w.HScroll1->setValue(101);
        script.clear();
        script.type(c.typed);
        (w.*c.command)();
        if (*c.start == '\0') {
            EXPECT_EQ(script.calls().size(), 1U) << c.name << ": only the input box";
        } else {
            ASSERT_EQ(script.calls().size(), 2U) << c.name;
            EXPECT_EQ(script.last().text.rfind(c.start, 0), 0U) << c.name << ": " << script.last().text;
            EXPECT_EQ(script.last().title, c.title) << c.name;
            if (*c.typed != '\0') {
                EXPECT_NE(script.last().text.find(std::string("\"") + c.typed + "\" is not accepted."),
                          std::string::npos)
                    << c.name;
            }
        }
        EXPECT_TRUE(reported.errors.empty()) << c.name;
        EXPECT_EQ(w.sequences(), set.seqs) << c.name;
        EXPECT_EQ(w.maxLen(), 300) << c.name;
        EXPECT_EQ(w.firstCol(), 101) << c.name;
    }
    // Which answers each box takes is tested with the reader itself; a
    // well-typed answer with blanks around its numbers is read.
    frmSeqEdit w(set.seqs, set.names, 60, 300, "DNA");
    script.type(" 11 ,23 ");
    w.EditRidMid->trigger();
    EXPECT_EQ(w.maxLen(), 287);
    EXPECT_EQ(w.sequences()[0], set.seqs[0].substr(0, 10) + set.seqs[0].substr(23));
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

TEST(frmSeqEdit, OpensInsideTheCallersWindowAndHandsBackOnlyWhatWasConfirmed)
{
    platform::ScriptedDialogs script;
    platform::ScopedDialogs scope(script);
    QWidget caller;
    caller.setGeometry(40, 40, 640, 480);
    caller.show();
    auto set = named({"ACGU", "AC-U"});
    auto seqs = set.seqs;
    auto names = set.names;
    std::int32_t count = 2, maxLen = 4;
    QRect placed;
    bool inside = false;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<frmSeqEdit*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        placed = editor->frameGeometry();
        inside = caller.frameGeometry().contains(placed);
        script.answer(platform::Answer::No);
        editor->SeqExit->trigger();
    });
    EXPECT_TRUE(frmSeqEdit::AlignSeq(seqs, names, count, maxLen, "DNA", &caller));
    EXPECT_TRUE(inside) << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
    EXPECT_EQ(seqs, set.seqs);
    EXPECT_EQ(count, 2);
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
