// Leaf names that hold the characters tree text uses itself: how every
// writer quotes them and every reader gives them back.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "tests/trees/TreeTestUtil.h"
#include "trees/NAryExport.h"
#include "trees/NAryFormModel.h"
#include "trees/NHAdapter.h"
#include "trees/NHTreeRead.h"
#include "trees/Newick.h"

using namespace trees;

namespace {

// Names as typed and as tree text writes them.
const struct NameRow {
    const char* name;
    const char* written;
} kNames[] = {
    {"IL2 (human)", "'IL2 (human)'"},   {"ABC:123", "'ABC:123'"},     {"gene,1", "'gene,1'"},
    {"O'Brien x", "'O''Brien x'"},      {"a;b", "'a;b'"},             {"[x]y", "'[x]y'"},
    {"TP53 (p53), tumor", "'TP53 (p53), tumor'"},                     {"'quoted'", "'''quoted'''"},
    {"tab\there", "'tab\there'"},       {"1007_s_at", "1007_s_at"},  // nothing to quote: as before
    {"", ""},  // a probe without a name: an empty label, written as nothing
};

std::vector<std::string> typedNames()
{
    std::vector<std::string> out;
    for (const NameRow& row : kNames) {
        out.emplace_back(row.name);
    }
    return out;
}

// "((n0,n1,n2):0.5,n3,...);" with lengths, as the adapter writes it.
std::string treeText(const std::vector<std::string>& names)
{
    analysis::MyNode root;
    auto group = std::make_unique<analysis::MyNode>();
    group->setBranchLen(0.5);
    for (std::size_t i = 0; i < names.size(); ++i) {
        (i < 3 ? *group : root).addChild(treetest::leaf(names[i], 0.25 * static_cast<double>(i + 1)));
        if (i == 2) {
            root.addChild(std::move(group));
        }
    }
    std::string text;
    NHAdapter::WriteNHBranchLen(root, text);
    return text + ";";
}

// Every reader of ours, each giving the leaf names it read in order.
const struct Reader {
    const char* name;
    std::function<std::vector<std::string>(const std::string&)> leaves;
} kReaders[] = {
    {"BuildFromNH",
     [](const std::string& text) {
         NHAdapter adapter;
         (void)adapter.BuildFromNH(text);
         const auto& names = adapter.leafNames();
         return std::vector<std::string>(names.begin(), names.begin() + adapter.leafCount());
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
         // The window's guard answers the reporter; a refusal is raised here.
         std::optional<platform::Error> refused;
         const platform::ScopedReporter record([&](const platform::Error& e) {
             refused.emplace(e);
             return platform::Answer::Abort;
         });
         NAryFormModel model;
         if (!model.PlotTree(0, text, 1)) {
             EXPECT_TRUE(refused.has_value()) << "refused without an error: " << text;
             throw refused.value_or(platform::Error(0, "drawing window", "no error"));
         }
         return model.LeafNames();
     }},
    {"pasted",
     [](const std::string& text) {
         NAryFormModel model;
         EXPECT_TRUE(model.PasteNH(text));
         return model.LeafNames();
     }},
};

// Errors the readers send to the reporter raise here instead.
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
    EXPECT_EQ(Newick::UnquoteName("  'a b'  "), "a b");
    EXPECT_EQ(Newick::UnquoteName(" x y "), " x y ") << "an unquoted label keeps its blanks";
}

TEST(NewickNames, EveryWriterQuotesAndEveryReaderGivesTheNamesBack)
{
    const Throwing throwing;
    const std::vector<std::string> names = typedNames();
    const std::string adapterText = treeText(names);
    EXPECT_EQ(adapterText.rfind("(('IL2 (human)':0.25,'ABC:123':0.5,'gene,1':0.75):0.5,'O''Brien x':1,", 0), 0u)
        << adapterText;
    NHTreeRead::Tree module;
    std::string message;
    ASSERT_TRUE(NHTreeRead::BuildNHTree(adapterText, message, module));
    NAryFormModel drawn;
    ASSERT_TRUE(drawn.PlotTree(0, adapterText, 1));

    const struct {
        const char* writer;
        std::function<void(std::string&)> write;
    } writers[] = {
        {"WriteNHBranchLen", [&](std::string& t) { t = adapterText.substr(0, adapterText.size() - 1); }},
        {"WriteNHWithLengths", [&](std::string& t) { NHTreeRead::WriteNHWithLengths(*module.root, t); }},
        {"WriteNH", [&](std::string& t) { NHAdapter::WriteNH(*module.root, t); }},
        {"WriteNHLengths", [&](std::string& t) { WriteNHLengths(*drawn.RootNode(), t); }},
        {"WriteNHPlain", [&](std::string& t) { WriteNHPlain(*drawn.RootNode(), t); }},
    };
    for (const auto& w : writers) {
        std::string text;
        w.write(text);
        for (const Reader& reader : kReaders) {
            EXPECT_EQ(reader.leaves(text + ";"), names) << w.writer << " read by " << reader.name << ": " << text;
        }
    }
}

TEST(NewickNames, ReRootingAtAQuotedNameKeepsEveryName)
{
    const Throwing throwing;
    const std::vector<std::string> names = typedNames();
    const std::string text = treeText(names);
    for (const std::string& tip : names) {
        std::string output;
        std::string message;
        ASSERT_TRUE(NHTreeRead::ReRootNH(text, tip, output, message)) << tip << ": " << message;
        NHTreeRead::Tree back;
        ASSERT_TRUE(NHTreeRead::BuildNHTree(output, message, back)) << output;
        EXPECT_EQ(back.leafNames.front(), tip) << output;
        EXPECT_EQ(back.leafCount, static_cast<int>(names.size())) << output;

        NAryFormModel model;
        ASSERT_TRUE(model.PlotTree(0, text, 1));
        EXPECT_TRUE(model.ReRootAtTip(tip, message)) << tip << ": " << message;
        EXPECT_EQ(model.LeafNames().front(), tip);
    }
}

// Texts written before names were quoted, and quoting around blanks and
// brackets: a quote inside a name is an ordinary character; a quoted name
// keeps its blanks, brackets and semicolons. A leaf without a name, or
// quoted as '', is read with the empty name; a text that holds no leaf, or
// whose quoted name is left open, every reader refuses in the same words.
TEST(NewickNames, ReadersTakeQuotedAndUnquotedNamesAlike)
{
    const Throwing throwing;
    const struct {
        const char* text;
        std::vector<std::string> names;
        const char* refusal = nullptr;
    } rows[] = {
        {"(O'Brien:1,b:2);", {"O'Brien", "b"}},
        {"( 'a b' :1,'c'':d':2);", {"a b", "c':d"}},
        {"('x[1]':1,y:2);", {"x[1]", "y"}},
        {"(('p;q':1,r):0.5,'s)':2);", {"p;q", "r", "s)"}},
        {"(:1,b:2);", {"", "b"}},
        {"('':1,b:2);", {"", "b"}},
        {"( ,b);", {"", "b"}},
        {"(a,(,c):0.5,);", {"a", "", "c", ""}},
        {"(:1,:2);", {"", ""}},
        {";", {}, "The tree text is empty."},
        {"();", {}, "Character 2: the group \"()\" holds no leaf."},
        {"'", {}, "Character 1: the quoted name that begins here has no closing quote."},
    };
    for (const auto& row : rows) {
        for (const Reader& reader : kReaders) {
            if (row.refusal == nullptr) {
                EXPECT_EQ(reader.leaves(row.text), row.names) << reader.name << ": " << row.text;
                continue;
            }
            try {
                (void)reader.leaves(row.text);
                ADD_FAILURE() << reader.name << " reads " << row.text;
            } catch (const platform::Error& e) {
                EXPECT_EQ(e.number(), Newick::BadTreeText) << reader.name << ": " << row.text;
                EXPECT_EQ(e.description(), row.refusal) << reader.name << ": " << row.text;
            }
        }
    }
}
