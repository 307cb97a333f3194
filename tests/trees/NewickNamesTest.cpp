// Leaf names that hold the characters tree text uses itself: how every
// writer quotes them and every reader gives them back.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/MyNode.h"
#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "tests/trees/TreeTestUtil.h"
#include "trees/NAryExport.h"
#include "trees/NAryFormModel.h"
#include "trees/NHAdapter.h"
#include "trees/NHTreeRead.h"
#include "trees/Newick.h"

using analysis::MyNode;
using namespace trees;

namespace {

struct NameRow {
    const char* name;
    const char* written;
};

// Names as typed and as tree text writes them.
const NameRow kNames[] = {
    {"IL2 (human)", "'IL2 (human)'"},
    {"ABC:123", "'ABC:123'"},
    {"gene,1", "'gene,1'"},
    {"O'Brien x", "'O''Brien x'"},
    {"a;b", "'a;b'"},
    {"[x]y", "'[x]y'"},
    {"TP53 (p53), tumor", "'TP53 (p53), tumor'"},
    {"'quoted'", "'''quoted'''"},
    {"tab\there", "'tab\there'"},
    {"1007_s_at", "1007_s_at"},  // nothing to quote: written as before
    {"x-y.z|2", "x-y.z|2"},
};

std::vector<std::string> typedNames()
{
    std::vector<std::string> out;
    for (const NameRow& row : kNames) {
        out.emplace_back(row.name);
    }
    return out;
}

// The names as leaves of one cluster tree, the first three in a group.
std::unique_ptr<MyNode> treeOf(const std::vector<std::string>& names)
{
    auto root = std::make_unique<MyNode>();
    auto group = std::make_unique<MyNode>();
    group->setBranchLen(0.5);
    for (std::size_t i = 0; i < names.size(); ++i) {
        (i < 3 ? *group : *root).addChild(treetest::leaf(names[i], 0.25 * static_cast<double>(i + 1)));
        if (i == 2) {
            root->addChild(std::move(group));
        }
    }
    return root;
}

struct Reader {
    const char* name;
    std::function<std::vector<std::string>(const std::string&)> leaves;
};

// Every reader of ours, each giving the leaf names it read in order.
std::vector<Reader> readers()
{
    return {
        {"BuildFromNH",
         [](const std::string& text) {
             NHAdapter adapter;
             (void)adapter.BuildFromNH(text);
             return std::vector<std::string>(adapter.leafNames().begin(),
                                             adapter.leafNames().begin() + adapter.leafCount());
         }},
        {"BuildNHTree",
         [](const std::string& text) {
             NHTreeRead::Tree tree;
             std::string message;
             EXPECT_TRUE(NHTreeRead::BuildNHTree(text, message, tree)) << message;
             return std::vector<std::string>(tree.leafNames.begin(), tree.leafNames.begin() + tree.leafCount);
         }},
        {"drawing window",
         [](const std::string& text) {
             NAryFormModel model;
             EXPECT_TRUE(model.PlotTree(0, text, 1));
             return model.LeafNames();
         }},
        {"pasted",
         [](const std::string& text) {
             NAryFormModel model;
             EXPECT_TRUE(model.PasteNH(text));
             return model.LeafNames();
         }},
    };
}

// Errors of the readers raise here instead of going by unseen.
struct Throwing {
    platform::ScopedReporter scope{[](const platform::Error& e) -> platform::Answer { throw e; }};
};

} // namespace

TEST(NewickNames, NamesWithTreeCharactersAreQuotedAndOthersWrittenAsTheyAre)
{
    for (const NameRow& row : kNames) {
        EXPECT_EQ(Newick::QuoteName(row.name), row.written) << row.name;
        EXPECT_EQ(Newick::UnquoteName(row.written), row.name) << row.name;
    }
    EXPECT_EQ(Newick::QuoteName(""), "");
    EXPECT_EQ(Newick::UnquoteName("  'a b'  "), "a b");
    EXPECT_EQ(Newick::UnquoteName(" x y "), " x y ") << "an unquoted label keeps its blanks";
}

TEST(NewickNames, EveryWriterQuotesAndEveryReaderGivesTheNamesBack)
{
    const Throwing throwing;
    const std::vector<std::string> names = typedNames();
    const auto tree = treeOf(names);
    std::string adapterText;
    NHAdapter::WriteNHBranchLen(*tree, adapterText);
    std::string moduleText;
    NHTreeRead::WriteNHWithLengths(*tree, moduleText);
    std::string plainText;
    NHAdapter::WriteNH(*tree, plainText);
    EXPECT_EQ(adapterText.rfind("(('IL2 (human)':0.25,'ABC:123':0.5,'gene,1':0.75):0.5,'O''Brien x':1,", 0), 0u)
        << adapterText;
    EXPECT_NE(adapterText.find(",1007_s_at:2.5,"), std::string::npos) << adapterText;

    // The drawing window's own writers, over the tree it read.
    NAryFormModel drawn;
    ASSERT_TRUE(drawn.PlotTree(0, adapterText + ";", 1));
    std::string windowText;
    WriteNHLengths(*drawn.RootNode(), windowText);
    std::string windowPlain;
    WriteNHPlain(*drawn.RootNode(), windowPlain);

    const struct {
        const char* writer;
        std::string text;
    } written[] = {{"WriteNHBranchLen", adapterText},
                   {"WriteNHWithLengths", moduleText},
                   {"WriteNH", plainText},
                   {"WriteNHLengths", windowText},
                   {"WriteNHPlain", windowPlain}};
    for (const auto& w : written) {
        for (const Reader& reader : readers()) {
            EXPECT_EQ(reader.leaves(w.text + ";"), names) << w.writer << " read by " << reader.name << ": " << w.text;
        }
    }
}

TEST(NewickNames, ReRootingAtAQuotedNameKeepsEveryName)
{
    const Throwing throwing;
    const std::vector<std::string> names = typedNames();
    std::string text;
    NHAdapter::WriteNHBranchLen(*treeOf(names), text);
    text += ";";
    for (const std::string& tip : names) {
        std::string output;
        std::string message;
        ASSERT_TRUE(NHTreeRead::ReRootNH(text, tip, output, message)) << tip << ": " << message;
        NHTreeRead::Tree back;
        ASSERT_TRUE(NHTreeRead::BuildNHTree(output, message, back)) << output;
        EXPECT_EQ(back.leafNames.front(), tip) << output;
        EXPECT_EQ(back.leafCount, static_cast<int>(names.size())) << output;

        NHAdapter adapter;
        std::string again;
        ASSERT_TRUE(adapter.ReRootNHTree(text, names, static_cast<std::int32_t>(&tip - names.data()), again));
        EXPECT_EQ(NHAdapter().BuildFromNH(again)->Children().front()->Caption(), tip) << again;

        NAryFormModel model;
        ASSERT_TRUE(model.PlotTree(0, text, 1));
        std::string why;
        EXPECT_TRUE(model.ReRootAtTip(tip, why)) << tip << ": " << why;
        EXPECT_EQ(model.LeafNames().front(), tip);
    }
}

// Texts written before names were quoted, and quoting around blanks and
// comments: a quote inside a name is an ordinary character, a comment
// outside a quoted name still goes, one inside stays part of the name.
TEST(NewickNames, ReadersTakeQuotedAndUnquotedNamesAlike)
{
    const Throwing throwing;
    const struct {
        const char* text;
        std::vector<std::string> names;
    } rows[] = {
        {"(O'Brien:1,b:2);", {"O'Brien", "b"}},
        {"( 'a b' :1,'c'':d':2);", {"a b", "c':d"}},
        {"('x[1]':1,y:2);", {"x[1]", "y"}},
        {"(('p;q':1,r):0.5,'s)':2);", {"p;q", "r", "s)"}},
    };
    for (const auto& row : rows) {
        for (const Reader& reader : readers()) {
            EXPECT_EQ(reader.leaves(row.text), row.names) << reader.name << ": " << row.text;
        }
    }
    NHTreeRead::Tree tree;
    std::string message;
    ASSERT_TRUE(NHTreeRead::BuildNHTree("('a [b]':1,[note] c:2);", message, tree));
    EXPECT_EQ(tree.leafNames, (std::vector<std::string>{"a [b]", "c"}));
}

TEST(NewickNames, AQuotedNameLeftOpenRunOnOrEmptyIsBadText)
{
    const struct {
        const char* text;
        const char* fragment;
    } rows[] = {
        {"('abc,d:1);", "Character 2: the quoted name that begins here has no closing quote."},
        {"(a,'b''c);", "Character 4: the quoted name that begins here has no closing quote."},
        {"('ab'c:1,d);", "Character 6: a name goes on after its closing quote"},
        {"('ab' 'c',d);", "Character 7: a name goes on after its closing quote"},
        {"(A,B,(C,'')x);", "Character 9: a leaf has no name."},
    };
    for (const auto& row : rows) {
        try {
            Newick::CheckTreeText(row.text, "Reader");
            ADD_FAILURE() << row.text << ": no error";
        } catch (const platform::Error& e) {
            EXPECT_EQ(e.number(), Newick::BadTreeText) << row.text;
            EXPECT_NE(e.description().find(row.fragment), std::string::npos) << row.text << ": " << e.description();
        }
    }
}
