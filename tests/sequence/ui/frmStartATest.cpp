#include "sequence/ui/frmStartA.h"

#include <QAction>
#include <QApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/widgets/richtext/RichTextBox.h"
#include "sequence/cSeqFmt.h"
#include "shell/core/mQuorin.h"
#include "tests/support/TestSupport.h"

namespace {

// Flanks of related genes: one ancestor with seeded point changes, a few
// deletions and insertions, so that an alignment has gaps to find.
sequence::SequenceSet relatedSet(const std::vector<std::string>& names, std::size_t length, unsigned seed)
{
    std::mt19937 rng(seed);
    const std::string bases = "ACGU";
    std::string ancestor;
    for (std::size_t i = 0; i < length; ++i) {
        ancestor += bases[rng() % 4];
    }
    sequence::SequenceSet set;
    for (std::size_t k = 0; k < names.size(); ++k) {
        std::string s = ancestor;
        for (int m = 0; m < 6; ++m) {
            s[rng() % s.size()] = bases[rng() % 4];
        }
        if (k % 2 == 1) {
            s.erase(rng() % (s.size() - 5), 1 + rng() % 4);
        }
        if (k == 2) {
            s.insert(rng() % s.size(), "GGG");
        }
        set.seq.push_back(s);
        set.name.push_back(names[k]);
    }
    set.numSeq = static_cast<std::int32_t>(names.size());
    return set;
}

class WorkWindow : public ::testing::Test {
protected:
    WorkWindow() : env("QUORIN_WINDOWS_DIR", dir.path().string()), scope(state), dialogsScope(dialogs)
    {
        state.gLeft = relatedSet({"YAL001C", "YAL002W", "YAL003W", "YAL004C"}, 100, 7);
        state.gRight = relatedSet({"YAL001C", "YAL002W", "YAL003W", "YAL004C"}, 90, 11);
        state.gOutDir = dir.path().string();
        state.gFlankWinOpen = true;
    }

    std::string shown() const { return window->RichTextBox1->toPlainText().toStdString(); }
    platform::RichTextBox& box() const { return *window->RichTextBox1; }

    testsupport::TempDir dir;
    testsupport::ScopedEnv env;
    mQuorin::ProgramState state;
    mQuorin::ProgramScope scope;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs dialogsScope;
    std::unique_ptr<sequence::frmStartA> window;

    void open()
    {
        window = std::make_unique<sequence::frmStartA>();
        window->show();
    }
};

// The colours of the box's characters, each once.
std::set<QRgb> colours(const platform::RichTextBox& box)
{
    std::set<QRgb> out;
    for (QTextBlock b = box.document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            out.insert(f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color().rgb()
                                                                   : box.palette().color(QPalette::Text).rgb());
        }
    return out;
}

TEST_F(WorkWindow, EachViewShowsTheColoursItSays)
{
    open();
    const std::set<QRgb> plain{box().palette().color(QPalette::Text).rgb()};
    const QRgb magenta = qRgb(255, 0, 255);
    struct Step {
        const char* name;
        void (sequence::frmStartA::*view)();
        bool coloured;
    } steps[] = {
        {"plain view at load", nullptr, false},
        {"colour-coded view", &sequence::frmStartA::SeqView_Click, true},
        {"plain view after it", &sequence::frmStartA::SeqViewPlain_Click, false},
        {"pretty view", &sequence::frmStartA::SeqViewPretty_Click, true},
        {"sort by name after it", &sequence::frmStartA::SeqSortName_Click, false},
        {"colour-coded view again", &sequence::frmStartA::SeqView_Click, true},
        {"the left set shown again after it", &sequence::frmStartA::SeqShowLeft_Click, false},
    };
    for (const Step& step : steps) {
        if (step.view)
            (window.get()->*step.view)();
        const std::set<QRgb> seen = colours(box());
        if (step.coloured) {
            EXPECT_TRUE(seen.count(magenta)) << step.name << ": U is magenta";
            EXPECT_GT(seen.size(), 3U) << step.name;
        } else {
            EXPECT_EQ(seen, plain) << step.name;
        }
    }
    // What the user sees: no magenta pixel in the plain view.
    window->SeqViewPlain_Click();
    QApplication::processEvents();
    const QImage shot = box().viewport()->grab().toImage();
    bool anyMagenta = false;
    for (int y = 0; y < shot.height() && !anyMagenta; ++y)
        for (int x = 0; x < shot.width() && !anyMagenta; ++x) {
            const QColor c = shot.pixelColor(x, y);
            anyMagenta = c.red() > 200 && c.blue() > 200 && c.green() < 80;
        }
    EXPECT_FALSE(anyMagenta);
}

TEST_F(WorkWindow, OpensOnTheLeftSetWithItsMessage)
{
    open();
    EXPECT_EQ(window->windowTitle(), "Sequence Tool");
    EXPECT_TRUE(window->SeqShowLeft->isChecked());
    EXPECT_NE(shown().find("Left flanking sequences shown above. To work on right flanking\nsequences, click "
                           "Sequences|Show Right Flanking"),
              std::string::npos);
    EXPECT_NE(shown().find("YAL001C " + state.gLeft.seq[0]), std::string::npos);
    EXPECT_EQ(state.gLeft.maxLen, 103) << "the longest length is known from the start";
    window->SeqShowRight_Click();
    EXPECT_TRUE(window->SeqShowRight->isChecked());
    EXPECT_FALSE(window->SeqShowLeft->isChecked());
    EXPECT_EQ(dialogs.last().text, "Right flanking sequnces not aligned.");
    EXPECT_NE(shown().find("YAL004C " + state.gRight.seq[3]), std::string::npos);
}

TEST_F(WorkWindow, WithoutLeftSequencesItOpensOnTheRightSet)
{
    state.gLeft = {};
    open();
    EXPECT_FALSE(window->SeqShowLeft->isEnabled());
    EXPECT_TRUE(window->SeqShowRight->isChecked());
    EXPECT_NE(shown().find("Right flanking sequences shown above."), std::string::npos);
}

TEST_F(WorkWindow, SortsByNameAndByLength)
{
    state.gLeft.name = {"d", "b", "c", "a"};
    open();
    window->SeqSortName_Click();
    EXPECT_LT(shown().find("\na "), shown().find("\nb "));
    EXPECT_LT(shown().find("\nc "), shown().find("\nd "));
    window->SeqSortLen_Click();
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_LE(state.gLeft.seq[i - 1].size(), state.gLeft.seq[i].size());
    }
    EXPECT_NE(shown().find(state.gLeft.name[0] + " " + state.gLeft.seq[0]), std::string::npos);
}

TEST_F(WorkWindow, FindSelectsAndFindAllCountsEveryOccurrence)
{
    open();
    const std::string all = shown();
    std::size_t expected = 0;
    for (auto at = all.find("YAL"); at != std::string::npos; at = all.find("YAL", at + 3)) {
        ++expected;
    }
    dialogs.type("YAL003W");
    window->EditFind_Click();
    EXPECT_EQ(window->RichTextBox1->SelText(), "YAL003W");
    window->EditFindNext_Click();
    dialogs.type("YAL");
    window->EditFindAll_Click();
    EXPECT_EQ(dialogs.last().title, "Find All");
    EXPECT_EQ(dialogs.last().text, std::to_string(expected) + " occurrences of YAL found.");
    dialogs.type("ZZZ");
    window->EditFindAll_Click();
    EXPECT_EQ(dialogs.last().text, "0 occurrences of ZZZ found.");
}

TEST_F(WorkWindow, ColouredViewColoursTheResidues)
{
    open();
    window->SeqView_Click();
    QTextDocument* doc = window->RichTextBox1->document();
    const QString plain = doc->toPlainText();
    const int at = plain.indexOf(QString::fromStdString("YAL001C " + state.gLeft.seq[0].substr(0, 10)));
    ASSERT_GE(at, 0);
    QTextCursor c(doc);
    const int residue = at + 8;
    c.setPosition(residue + 1);
    const QChar letter = plain.at(residue);
    const QColor colour = c.charFormat().foreground().color();
    const std::map<QChar, QColor> expected = {{'A', QColor(255, 0, 0)},
                                              {'C', QColor(0, 0, 255)},
                                              {'G', QColor(0, 255, 0)},
                                              {'U', QColor(255, 0, 255)}};
    EXPECT_EQ(colour, expected.at(letter)) << letter.toLatin1();
}

TEST_F(WorkWindow, FormatsThatNeedAnAlignmentAreRefusedUntilAligned)
{
    open();
    dialogs.choose(dir.file("mega.meg").string(), 1);
    window->FileConvert_Click();
    EXPECT_EQ(dialogs.last().text,
              "MEGA format requires aligned sequences, but your sequences are not aligned. Operation aborted.");
    EXPECT_FALSE(std::filesystem::exists(dir.file("mega.meg")));
}

TEST_F(WorkWindow, AlignsWithTheAlignerAndSavesInEveryFormatThatDetectionReadsBack)
{
    const auto cwdBefore = std::filesystem::current_path();
    testsupport::writeFile(dir.file("clustal.aln"), "a file of the user's");
    std::filesystem::current_path(dir.path());
    open();
    window->SeqAlign_Click();
    std::filesystem::current_path(cwdBefore);
    EXPECT_EQ(testsupport::readFile(dir.file("clustal.aln")), "a file of the user's");
    ASSERT_TRUE(state.gLeft.aligned) << (dialogs.calls().empty() ? "" : dialogs.last().text);
    EXPECT_EQ(dialogs.last().text, "Todo: local alignment not yet implemented");
    for (const auto& s : state.gLeft.seq) {
        EXPECT_EQ(static_cast<std::int32_t>(s.size()), state.gLeft.maxLen);
    }
    EXPECT_NE(state.gLeft.seq[1].find('-'), std::string::npos);
    EXPECT_NE(shown().find("Testing whether the alignment is spurious."), std::string::npos);
    EXPECT_EQ(state.gLeft.name, (std::vector<std::string>{"YAL001C", "YAL002W", "YAL003W", "YAL004C"}));

    // Output code -> the input code detection must find in the file: every
    // written format is detected as itself.
    const std::vector<std::pair<int, sequence::InFmt>> formats = {
        {0, sequence::InFmt::MEGA},    {1, sequence::InFmt::IntelliGenetics}, {2, sequence::InFmt::FASTA},
        {3, sequence::InFmt::PAML},    {4, sequence::InFmt::GenBank},         {5, sequence::InFmt::GCG},
        {6, sequence::InFmt::MSF},     {7, sequence::InFmt::PHYLIP},          {8, sequence::InFmt::EMBL},
        {9, sequence::InFmt::Strider}, {10, sequence::InFmt::Fitch},          {11, sequence::InFmt::PIR},
        {12, sequence::InFmt::NEXUS},  {13, sequence::InFmt::NBRF}};
    for (const auto& [code, in] : formats) {
        const auto file = dir.file("out" + std::to_string(code) + ".seq");
        dialogs.choose(file.string(), code + 1);
        if (code == 5) {
            dialogs.answer(platform::Answer::No);  // GCG single: not MSF instead
        }
        if (code == 7) {
            dialogs.answer(platform::Answer::No);  // PHYLIP: not in dot form
        }
        window->FileConvert_Click();
        ASSERT_TRUE(std::filesystem::exists(file)) << code << ": " << dialogs.last().text;
        EXPECT_EQ(dialogs.last().text, "Converted sequences saved in file: " + file.string());
        EXPECT_EQ(sequence::gSeqFmt().GetFileType(file), static_cast<std::int16_t>(in)) << "output code " << code;
        std::string content = testsupport::readFile(file);
        std::erase(content, '\r');
        while (!content.empty() && content.back() == '\n') {
            content.pop_back();
        }
        std::string box = shown();
        while (!box.empty() && box.back() == '\n') {
            box.pop_back();
        }
        EXPECT_EQ(box, content) << code;
    }
    EXPECT_TRUE(window->work().leftSaved());
    EXPECT_FALSE(window->work().rightSaved());
}

TEST_F(WorkWindow, ClosingAsksForUnsavedSetsAndACancelledSaveKeepsThemOpen)
{
    open();
    dialogs.answer(platform::Answer::Yes).cancelFile();
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(state.gLeft.numSeq, 4);
    EXPECT_TRUE(state.gFlankWinOpen);
    dialogs.clear();
    dialogs.answer(platform::Answer::No).answer(platform::Answer::No);
    window->close();
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(dialogs.calls().size(), 3U);
    EXPECT_EQ(dialogs.calls()[0].text, "Left flanking sequences in the buffer not saved. Save now?");
    EXPECT_EQ(dialogs.calls()[0].title, "Warning!");
    EXPECT_EQ(dialogs.calls()[1].text, "Right flanking sequences in the buffer not saved. Save now?");
    EXPECT_EQ(state.gLeft.numSeq, 0);
    EXPECT_EQ(state.gRight.numSeq, 0);
    EXPECT_FALSE(state.gFlankWinOpen);
}

TEST_F(WorkWindow, SavedSetIsNotAskedForAgain)
{
    open();
    dialogs.choose(dir.file("left.fas").string(), 3);
    window->FileConvert_Click();
    dialogs.clear();
    dialogs.answer(platform::Answer::No);
    window->close();
    ASSERT_EQ(dialogs.calls().size(), 2U);
    EXPECT_EQ(dialogs.calls()[0].text, "Right flanking sequences in the buffer not saved. Save now?");
}

TEST_F(WorkWindow, ScreenshotOfTheColouredAlignment)
{
    const char* shot = std::getenv("TESSARAY_SCREENSHOT_DIR");
    if (!shot) {
        GTEST_SKIP() << "set TESSARAY_SCREENSHOT_DIR to a folder to take the picture";
    }
    state.gLeft = relatedSet({"YAL001C_up", "YAL002W_up", "YAL003W_up", "YAL004C_up", "YAL005C_up", "YAL007C_up"},
                             100, 3);
    open();
    window->SeqAlign_Click();
    ASSERT_TRUE(state.gLeft.aligned);
    window->SeqView_Click();
    window->resize(1100, 420);
    QApplication::processEvents();
    ASSERT_TRUE(window->grab().save(QString::fromLocal8Bit(shot) + "/sequence-tool-coloured-alignment.png"));
}

} // namespace
