#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "analysis/MyNode.h"
#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "trees/NHAdapter.h"
#include "trees/NHTreeRead.h"
#include "trees/Newick.h"
#include "tests/support/ErrorAssert.h"

using analysis::MyNode;
using namespace trees;

namespace {

// Counts the reporter's calls and answers every error with `answer`.
struct RecordingReporter {
    explicit RecordingReporter(platform::Answer answer)
        : scope([this, answer](const platform::Error& e) {
              errors.push_back(e);
              return answer;
          })
    {
    }
    std::vector<platform::Error> errors;
    platform::ScopedReporter scope;
};

// "(((...(t0,t1),t2),...),tn-1);" with lengths: a chain n - 1 groups deep.
std::string chainText(int leaves)
{
    std::string text(static_cast<std::size_t>(leaves - 1), '(');
    text += "t0:1,t1:1)";
    for (int i = 2; i < leaves; ++i) {
        text += ":0.5,t" + std::to_string(i) + ":" + std::to_string(i) + ")";
    }
    return text + ";";
}

// The tree text ReRootNH makes from `tree` rooted at `leaf`, or its message
// after "failed: " when it refuses.
std::string reRooted(const std::string& tree, const std::string& leaf)
{
    std::string output;
    std::string message;
    return NHTreeRead::ReRootNH(tree, leaf, output, message) ? output : "failed: " + message;
}

} // namespace

// ---- Number texts ------------------------------------------------------------------

TEST(NewickNumbers, FiveDecimalShortestAndFixedForms)
{
    struct Row {
        double value;
        const char* shortest;
        const char* fixed;
    };
    const Row rows[] = {
        {0.5, "0.5", "0.50000"},         {1.25, "1.25", "1.25000"},    {2.0, "2", "2.00000"},
        {-0.25, "-0.25", "-0.25000"},    {0.123456, "0.12346", "0.12346"}, {0.0, "0", "0.00000"},
        {-0.000001, "0", "0.00000"},     {12.5, "12.5", "12.50000"},   {1e-6, "0", "0.00000"},
        {0.015625, "0.01562", "0.01562"},  // an exact half goes to the even digit
        {123456789.25, "123456789.25", "123456789.25000"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Newick::FormatLen5(row.value), row.shortest) << row.value;
        EXPECT_EQ(Newick::FormatFixed5(row.value), row.fixed) << row.value;
    }
    EXPECT_EQ(testsupport::errorNumber([] { (void)Newick::FormatLen5(std::nan("")); }), 6);
    EXPECT_EQ(
        testsupport::errorNumber([] { (void)Newick::FormatFixed5(std::numeric_limits<double>::infinity()); }), 6);
}

TEST(NewickText, BracketCommentsAndBlanksAreRemoved)
{
    EXPECT_EQ(Newick::StripBracketComments("(p:1,q:2)[note];"), "(p:1,q:2);");
    EXPECT_EQ(Newick::StripBracketComments("(a b[x y],c [z)"), "(ab,c");
    EXPECT_EQ(Newick::RemoveBlanks(" a b "), "ab");
}

// ---- Bad input -------------------------------------------------------------------------

TEST(NewickCheck, BadTreeTextGivesNumberedErrorWithClearDescription)
{
    struct Row {
        const char* name;
        const char* text;
        const char* fragment;
    };
    const Row rows[] = {
        {"empty", "", "empty"},
        {"blank", "   ;", "empty"},
        {"unbalanced open", "((a,b);", "parentheses do not match"},
        {"unbalanced close", "(a,b));", "parentheses do not match"},
        {"no leaf at all", "();", "Character 2: the group \"()\" holds no leaf."},
        {"empty group", "(a,());", "holds no leaf"},
        {"non-numeric length", "(a:x1,b);", "\"x1\" is not a number"},
        {"empty length", "(a:,b);", "is not a number"},
        {"one leaf", "(a);", "only one leaf"},
        {"one unnamed leaf", "(:1);", "only one leaf"},
        {"leaf alone", "a;", "does not begin"},
        {"two trees", "(a,b),(c,d);", "follows the end"},
        {"name before group", "(a(b,c));", "\"(\" follows a name"},
        {"leaf length too large", "(a:1e400,b);", "\"1e400\" is too large"},
        {"group length too large", "((a,b):-2e308,c);", "\"-2e308\" is too large"},
        {"quote left open", "(a,'b''c);", "Character 4: the quoted name that begins here has no closing quote."},
        {"name after quote", "('ab' 'c',d);", "Character 7: a name goes on after its closing quote"},
        {"lone quote", "'", "Character 1: the quoted name that begins here has no closing quote."},
    };
    for (const Row& row : rows) {
        try {
            Newick::CheckTreeText(row.text, "Reader");
            ADD_FAILURE() << row.name << ": no error";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), Newick::BadTreeText) << row.name;
            EXPECT_EQ(e.source(), "Reader") << row.name;
            EXPECT_NE(e.description().find(row.fragment), std::string::npos) << row.name << ": " << e.description();
        }
    }
}

TEST(NewickCheck, TinyLengthsReadAsZeroAndHugeOnesAreBadText)
{
    EXPECT_NO_THROW(Newick::CheckTreeText("(a:1e-400,b:1);", "Reader"));
    EXPECT_EQ(Newick::ReadLength("1e-400", "Reader"), 0.0);
    try {
        (void)Newick::ReadLength("9e999", "Reader");
        ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), Newick::BadTreeText);
        EXPECT_NE(e.description().find("9e999"), std::string::npos) << e.description();
    }
}

TEST(NewickCheck, AcceptsLabelsOnInnerNodesBlanksExponentsAndUnnamedLeaves)
{
    for (const char* text : {"(a,b);", "( a , b ) ;", "((a:1e-3,b:2)90:0.5,c);", "(a,b)root;", "(a:-1,b:+2)",
                             "(a,,b);", "(a,b,);", "(A,B,(C,'')x);", "(:1,b:2);", "( , );"}) {
        EXPECT_NO_THROW(Newick::CheckTreeText(text, "Reader")) << text;
    }
}

// ---- Module reader ---------------------------------------------------------------------

TEST(NHTreeRead, MissingLengthsDefaultAndNumbersNeverCollide)
{
    NHTreeRead::Tree tree;
    std::string message;
    ASSERT_TRUE(NHTreeRead::BuildNHTree("(p,q,(r,s):0.5);", message, tree));
    const MyNode& root = *tree.root;
    EXPECT_EQ(root.Index(), 4);
    ASSERT_EQ(root.childCount(), 3u);
    EXPECT_EQ(root.child(0)->BranchLen(), 0.0001);
    EXPECT_EQ(root.child(1)->BranchLen(), 0.0001);
    const MyNode& inner = *root.child(2);
    EXPECT_EQ(inner.Index(), 5);
    EXPECT_FALSE(inner.Tip());
    EXPECT_TRUE(inner.Caption().empty());
    EXPECT_EQ(inner.BranchLen(), 0.5);
    EXPECT_EQ(inner.child(0)->BranchLen(), 0.0001);
    EXPECT_EQ(inner.child(1)->BranchLen(), 0.0);  // s ends its group
    std::vector<int> leafIndices;
    for (const MyNode* leaf : {root.child(0), root.child(1), inner.child(0), inner.child(1)}) {
        EXPECT_TRUE(leaf->Tip());
        leafIndices.push_back(leaf->Index());
    }
    EXPECT_EQ(leafIndices, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(tree.leafNames, (std::vector<std::string>{"p", "q", "r", "s"}));
    EXPECT_EQ(tree.leafCount, 4);
}

TEST(NHTreeRead, WithoutAnyColonEveryLengthIsZeroAndNegativesAreKept)
{
    NHTreeRead::Tree tree;
    std::string message;
    ASSERT_TRUE(NHTreeRead::BuildNHTree("(p,(q,r));", message, tree));
    EXPECT_EQ(tree.root->child(0)->BranchLen(), 0.0);
    EXPECT_EQ(tree.root->child(1)->BranchLen(), 0.0);
    ASSERT_TRUE(NHTreeRead::BuildNHTree("(p:-0.5,q:2);", message, tree));
    EXPECT_EQ(tree.root->child(0)->BranchLen(), -0.5);
}

TEST(NHTreeRead, CommentsAndBlanksAreRemovedBeforeReading)
{
    NHTreeRead::Tree tree;
    std::string message;
    ASSERT_TRUE(NHTreeRead::BuildNHTree("(p:1,q:2)[note];", message, tree));
    std::string text;
    NHTreeRead::WriteNHWithLengths(*tree.root, text);
    EXPECT_EQ(text, "(p:1.00000,q:2.00000)");
    ASSERT_TRUE(NHTreeRead::BuildNHTree("(gene 1:1, q [x, y]:2);", message, tree));
    EXPECT_EQ(tree.leafNames[0], "gene1");
}

TEST(NHTreeRead, UnbalancedBracketsGiveTheMessageAndLeaveTheOutput)
{
    std::string output = "kept";
    std::string message;
    EXPECT_FALSE(NHTreeRead::ReRootNH("((p:1,q:2):3,r:4;", "p", output, message));
    EXPECT_EQ(message, "Left and right parentheses do not match.");
    EXPECT_EQ(output, "kept");
}

TEST(NHTreeRead, ReRootAtLeafOfAGroupLiftsTheGroupAndKeepsTheOldRoot)
{
    EXPECT_EQ(reRooted("((p:1,q:2):3,r:4);", "p"), "(p:1.00000,q:2.00000,(r:4.00000):3.00000);");
}

TEST(NHTreeRead, ReRootAtLeafOfTheRootRotatesItToTheFront)
{
    EXPECT_EQ(reRooted("((p:1,q:2):3,r:4);", "r"), "(r:4.00000,(p:1.00000,q:2.00000):3.00000);");
}

TEST(NHTreeRead, ReRootTwoLevelsDownReversesThePath)
{
    // Checked by hand: X = (c,d) group; its parent G=(b,X) takes X's length 1,
    // the root (a,G) takes G's length 2 and keeps a.
    EXPECT_EQ(reRooted("(a:5,(b:3,(c:0.5,d:0.25):1):2);", "d"),
              "(d:0.25000,(b:3.00000,(a:5.00000):2.00000):1.00000,c:0.50000);");
}

TEST(NHTreeRead, NameWithBlanksStillFindsItsLeaf)
{
    EXPECT_EQ(reRooted("((gene 1:1,q:2):3,r:4);", "gene 1"), "(gene1:1.00000,q:2.00000,(r:4.00000):3.00000);");
}

TEST(NHTreeRead, UnknownLeafGoesToTheReporterAndFails)
{
    RecordingReporter reporter(platform::Answer::Abort);
    std::string output;
    std::string message;
    EXPECT_FALSE(NHTreeRead::ReRootNH("((p:1,q:2):3,r:4);", "zz", output, message));
    ASSERT_EQ(reporter.errors.size(), 1u);
    EXPECT_NE(reporter.errors[0].description().find("\"zz\" is not the name of a leaf"), std::string::npos);
    EXPECT_TRUE(output.empty());
}

TEST(NHTreeRead, IgnoredErrorsNeverReportSuccess)
{
    RecordingReporter reporter(platform::Answer::Ignore);
    std::string output;
    std::string message;
    EXPECT_FALSE(NHTreeRead::ReRootNH("(p:abc,q);", "p", output, message));
    EXPECT_GE(reporter.errors.size(), 1u);
    EXPECT_EQ(reporter.errors[0].number(), Newick::BadTreeText);
    EXPECT_TRUE(output.empty());
}

TEST(NHTreeRead, NumericLeafNamesAreLeaves)
{
    // A leaf named like an inner-node number is found by the leaf search,
    // and re-rooting puts the leaf object itself first.
    EXPECT_EQ(reRooted("((5:1,1007_s_at:2):3,6:4);", "1007_s_at"),
              "(1007_s_at:2.00000,(6:4.00000):3.00000,5:1.00000);");
}

// ---- Adapter reader ----------------------------------------------------------------------

TEST(NHAdapter, ReadsCaptionsOneTwoAndPositiveLengths)
{
    NHAdapter reader;
    auto root = reader.BuildFromNH("(p:0.1,q:0.2,(r:0.3,s:0.4):0.5);");
    EXPECT_EQ(root->Caption(), "1");
    EXPECT_FALSE(root->Tip());
    ASSERT_EQ(root->childCount(), 3u);
    EXPECT_EQ(root->child(0)->Caption(), "p");
    EXPECT_EQ(root->child(0)->BranchLen(), 0.1);
    EXPECT_EQ(root->child(1)->BranchLen(), 0.2);
    const MyNode& inner = *root->child(2);
    EXPECT_EQ(inner.Caption(), "2");
    EXPECT_FALSE(inner.Tip());
    EXPECT_EQ(inner.BranchLen(), 0.5);
    EXPECT_EQ(inner.child(0)->Caption(), "r");
    EXPECT_EQ(inner.child(0)->BranchLen(), 0.3);
    EXPECT_EQ(inner.child(1)->BranchLen(), 0.4);
    EXPECT_EQ(reader.leafNames(), (std::vector<std::string>{"p", "q", "r", "s"}));
}

TEST(NHAdapter, DefaultsAndBlanks)
{
    NHAdapter reader;
    auto root = reader.BuildFromNH("(p:-0.3,q);");
    EXPECT_EQ(root->child(0)->BranchLen(), 0.0);
    EXPECT_EQ(root->child(1)->BranchLen(), 0.0);
    root = reader.BuildFromNH("(p,q)");  // no ";": the bare root
    EXPECT_EQ(root->Caption(), "1");
    EXPECT_EQ(root->childCount(), 0u);
    root = reader.BuildFromNH("(gene 1:1,q:2)[cut here, (;");
    EXPECT_EQ(root->child(0)->Caption(), "gene 1");
    EXPECT_EQ(root->childCount(), 2u);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)reader.BuildFromNH(""); }), Newick::BadTreeText);
    EXPECT_EQ(testsupport::errorNumber([&] { (void)reader.BuildFromNH("'"); }), Newick::BadTreeText)
        << "a quoted name left open is refused with or without \";\"";
    EXPECT_EQ(testsupport::errorNumber([&] { (void)reader.BuildFromNH("(a,(b,c);"); }), Newick::BadTreeText);
}

TEST(NHAdapter, MoreThanTwentyOneLeavesInARunAreRead)
{
    std::string text = "(";
    for (int i = 0; i < 40; ++i) {
        text += (i ? "," : "") + std::string("g") + std::to_string(i);
    }
    text += ");";
    NHAdapter reader;
    std::unique_ptr<MyNode> root;
    ASSERT_TRUE(reader.ReadNHTree(text, {"only", "two"}, root, false, 0));
    EXPECT_EQ(root->childCount(), 40u);
    EXPECT_EQ(reader.leafNames().size(), 40u);
    EXPECT_EQ(reader.leafNames()[39], "g39");
}

TEST(NHAdapter, ReRootNHTreeWritesShortestLengths)
{
    NHAdapter reader;
    std::string output = ">";
    ASSERT_TRUE(reader.ReRootNHTree("((p:1,q:2.5):3,r:4);", {"r", "p"}, 1, output));
    EXPECT_EQ(output, ">(p:1,q:2.5,(r:4):3);");
}

TEST(NHAdapter, ReadNHTreeReRootsAtTheGivenPosition)
{
    NHAdapter reader;
    std::unique_ptr<MyNode> root;
    ASSERT_TRUE(reader.ReadNHTree("((p:1,q:2):3,r:4);", {"p", "q", "r"}, root, true, 2));
    std::string text;
    NHAdapter::WriteNHBranchLen(*root, text);
    EXPECT_EQ(text, "(r:4,(p:1,q:2):3)");
}

TEST(NHAdapter, ErrorsGoToTheReporterAndAbortReturnsFalse)
{
    RecordingReporter reporter(platform::Answer::Abort);
    NHAdapter reader;
    std::unique_ptr<MyNode> root;
    EXPECT_FALSE(reader.ReadNHTree("((p:1,q:2):3,r:4);", {"p"}, root, true, 5));
    EXPECT_FALSE(root);
    ASSERT_EQ(reporter.errors.size(), 1u);
    EXPECT_EQ(reporter.errors[0].number(), platform::err::Subscript);
    std::int32_t pairs = 7;
    reader.GetNumPair("(a,b", {}, pairs);
    EXPECT_EQ(pairs, 7);
    EXPECT_EQ(reporter.errors.size(), 1u);  // no ";": the bare root has no pairs and no error
}

TEST(NHAdapter, GetNumPairCountsSiblingLeafPairs)
{
    NHAdapter reader;
    std::int32_t pairs = 0;
    reader.GetNumPair("((a,b),(c,d));", {}, pairs);
    EXPECT_EQ(pairs, 2);
}

TEST(NHAdapter, WriteNHGivesCaptionsOnly)
{
    NHAdapter reader;
    auto root = reader.BuildFromNH("(p:0.1,q:0.2,(r:0.3,s:0.4):0.5);");
    std::string text;
    NHAdapter::WriteNH(*root, text);
    EXPECT_EQ(text, "(p,q,(r,s))");
}

// A node linked like tree-view nodes: first child, next sibling, a tag that
// may be empty.
struct LinkedNode {
    std::string text;
    std::optional<double> tag;
    const LinkedNode* child = nullptr;
    const LinkedNode* next = nullptr;
};

std::string outTreeBranchlen(const LinkedNode& node)
{
    std::string out;
    Newick::AppendGroup(
        node, out,
        [](const LinkedNode& n) {
            std::vector<const LinkedNode*> kids;
            for (const LinkedNode* c = n.child; c != nullptr; c = c->next) {
                kids.push_back(c);
            }
            return kids;
        },
        [](const LinkedNode& n) { return n.text; },
        [](const LinkedNode& n, std::string& text) { text += ":" + Newick::FormatLen5(n.tag.value_or(0.0)); });
    return out;
}

TEST(NewickWriter, GroupWriterWorksOverSiblingLinkedNodes)
{
    LinkedNode q{"q", 1.25};
    LinkedNode p{"p", 0.5, nullptr, &q};
    LinkedNode top{"Root", std::nullopt, &p};
    EXPECT_EQ(outTreeBranchlen(top), "(p:0.5,q:1.25)");
    LinkedNode untagged{"p", std::nullopt};
    LinkedNode single{"Root", std::nullopt, &untagged};
    EXPECT_EQ(outTreeBranchlen(single), "(p:0)");
    EXPECT_EQ(outTreeBranchlen(q), "()");  // a selected leaf
}

// ---- Round trips and deep trees -------------------------------------------------------------

TEST(NewickRoundTrip, EachWriterReadsBackWithTheSameTreeToItsPrecision)
{
    const std::string source = "((a:0.123456,b:1.5):0.25,(c:2,(d:0.000004,e:3.333333):1):0.75,f:4);";
    NHAdapter adapter;
    auto original = adapter.BuildFromNH(source);

    // Adapter writer -> adapter reader.
    std::string shortest;
    NHAdapter::WriteNHBranchLen(*original, shortest);
    auto again = adapter.BuildFromNH(shortest + ";");
    std::string shortestAgain;
    NHAdapter::WriteNHBranchLen(*again, shortestAgain);
    EXPECT_EQ(shortest, "((a:0.12346,b:1.5):0.25,(c:2,(d:0,e:3.33333):1):0.75,f:4)");
    EXPECT_EQ(shortestAgain, shortest);

    // Module writer -> module reader.
    std::string fixed;
    NHTreeRead::WriteNHWithLengths(*original, fixed);
    NHTreeRead::Tree tree;
    std::string message;
    ASSERT_TRUE(NHTreeRead::BuildNHTree(fixed + ";", message, tree));
    std::string fixedAgain;
    NHTreeRead::WriteNHWithLengths(*tree.root, fixedAgain);
    EXPECT_EQ(fixedAgain, fixed);
    EXPECT_EQ(tree.leafNames, (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
}

TEST(NewickDeepTree, ChainOfSixteenThousandLeavesReadsReRootsAndWrites)
{
    const int leaves = 16000;
    const std::string text = chainText(leaves);
    NHTreeRead::Tree tree;
    std::string message;
    ASSERT_TRUE(NHTreeRead::BuildNHTree(text, message, tree));
    EXPECT_EQ(tree.leafCount, leaves);
    EXPECT_EQ(tree.root->Index(), leaves);
    std::string written;
    NHTreeRead::WriteNHWithLengths(*tree.root, written);
    NHTreeRead::Tree back;
    ASSERT_TRUE(NHTreeRead::BuildNHTree(written + ";", message, back));
    std::string writtenAgain;
    NHTreeRead::WriteNHWithLengths(*back.root, writtenAgain);
    EXPECT_EQ(writtenAgain, written);

    std::string rerooted;
    ASSERT_TRUE(NHTreeRead::ReRootNH(text, "t0", rerooted, message));
    EXPECT_EQ(rerooted.rfind("(t0:1.00000,t1:1.00000,(", 0), 0u);

    NHAdapter adapter;
    auto root = adapter.BuildFromNH(text);
    EXPECT_EQ(adapter.leafCount(), leaves);
    std::string shortest;
    NHAdapter::WriteNHBranchLen(*root, shortest);
    auto back2 = adapter.BuildFromNH(shortest + ";");
    EXPECT_EQ(adapter.leafCount(), leaves);
    EXPECT_EQ(back2->childCount(), 2u);
}
