// The Tree menu on a cluster tree planted in the active document window.

#include "shell/ui/TreeCommands.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/shell/ui/MainWindowFixture.h"

#include "analysis/MyNode.h"
#include "graphs/ui/DrawChart.h"
#include "graphs/ui/frmChart.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/widgets/treeview/TreeView.h"
#include "sequence/ui/frmEntrezA.h"
#include "shell/core/mQuorin.h"
#include "shell/ui/MainFrame.h"
#include "shell/ui/frmMDIChild.h"
#include "tests/support/TestSupport.h"
#include "trees/ui/NAryForm.h"

namespace {

std::unique_ptr<analysis::MyNode> node(const std::string& caption, double length, bool tip)
{
    auto n = std::make_unique<analysis::MyNode>();
    n->setCaption(caption);
    n->setBranchLen(length);
    n->setTip(tip);
    return n;
}

// ((A:1,B:2):0.5,C:3.5)
std::unique_ptr<analysis::MyNode> sample()
{
    auto root = node("", 0, false);
    auto inner = node("", 0.5, false);
    inner->addChild(node("A", 1, true));
    inner->addChild(node("B", 2, true));
    root->addChild(std::move(inner));
    root->addChild(node("C", 3.5, true));
    return root;
}

class TreeMenu : public shelltest::MainWindowFixture {
protected:
    TreeMenu()
    {
        frame->NewDocument()->MyRootNode(sample());
        commands = shell::TreeCommands::of(*frame);
        commands->setModalDrawing(false);
    }
    platform::TreeViewModel& nodes() { return frame->ActiveChild()->TreeView1()->Nodes(); }
    std::int32_t find(const std::string& text)
    {
        for (std::int32_t i = 1; i <= nodes().Count(); ++i) {
            if (nodes().Text(i) == text) {
                return i;
            }
        }
        return 0;
    }

    shell::TreeCommands* commands = nullptr;
};

TEST_F(TreeMenu, NodePropertyShowsDistanceAndDescendants)
{
    trigger("mnuTreeNodeProperty");  // nothing selected
    EXPECT_EQ(boxes.last().text, "Please select a node of the tree first.");

    nodes().setSelected(find("A"), true);
    trigger("mnuTreeNodeProperty");
    EXPECT_EQ(boxes.last().title, "Node info");
    EXPECT_EQ(boxes.last().text, "Node information:\r\nDistance to tip = 0.0000\r\nNumber of descendents = 0");

    nodes().setSelected(1, true);
    trigger("mnuTreeNodeProperty");
    EXPECT_NE(boxes.last().text.find("Number of descendents = 3"), std::string::npos) << boxes.last().text;
}

TEST_F(TreeMenu, ShowSubtreeDrawsTheLeavesBelowTheNode)
{
    const std::int32_t a = find("A");
    nodes().setSelected(nodes().Parent(a), true);
    trigger("mnuTreeShowSubTree");
    trees::NAryForm& form = commands->naryForm();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.model().LeafNames(), (std::vector<std::string>{"A", "B"}));
    form.close();

    nodes().setSelected(1, true);  // the root draws the whole tree
    trigger("mnuTreeShowSubTree");
    EXPECT_EQ(form.model().LeafNames(), (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(TreeMenu, CollapseExpandAndCutOffLeaveTheFullTreeAlone)
{
    trigger("mnuTreeCollapse");
    for (std::int32_t i = 1; i <= nodes().Count(); ++i) {
        EXPECT_FALSE(nodes().Expanded(i)) << i;
    }
    trigger("mnuTreeExpand");
    for (std::int32_t i = 1; i <= nodes().Count(); ++i) {
        EXPECT_TRUE(nodes().Expanded(i)) << i;
    }
    const analysis::MyNode* full = frame->ActiveChild()->mRoot();
    ASSERT_NE(full, nullptr);
    const auto before = full->Children().size();
    boxes.type("");  // Cancel collapses at distance 0: every leaf stays
    trigger("mnuTreeCollapseCutoff");
    ASSERT_FALSE(boxes.calls().empty());
    EXPECT_EQ(boxes.calls().back().kind, platform::ScriptedDialogs::Call::Kind::Input);
    EXPECT_EQ(boxes.calls().back().title, "Tree");
    EXPECT_EQ(boxes.calls().back().text, "Please input the cutoff distance.");
    EXPECT_EQ(frame->ActiveChild()->mRoot(), full);
    EXPECT_EQ(full->Children().size(), before);
    EXPECT_NE(find("A"), 0);
    EXPECT_NE(find("C"), 0);
}

TEST_F(TreeMenu, LociBelowANodeTakeTheirOwnDataRows)
{
    program.gRowName = {"C", "B", "A", "B"};
    program.gDataMat = {{3, 2, 1, 20}, {30, 22, 11, 200}};  // [column][row]
    program.gNumRow = 4;
    program.gNumCol = 2;
    program.gNumSelLoci = 0;
    commands->GetLociExprBelowNode(1);
    EXPECT_EQ(program.gSelLociName, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(program.gNumSelLoci, 3);
    EXPECT_EQ(program.gSelLociExpr, (std::vector<std::vector<double>>{{1, 2, 3}, {11, 22, 30}}));

    program.gRowName = {"A", "X", "Y", "Z"};  // B and C have no row: left out
    commands->GetLociExprBelowNode(1);
    EXPECT_EQ(program.gSelLociName, (std::vector<std::string>{"A"}));
    EXPECT_EQ(program.gSelLociExpr, (std::vector<std::vector<double>>{{3}, {30}}));
}

TEST_F(TreeMenu, ExpressionPlotDrawsOneLinePerLocusBelowTheNode)
{
    program.gRowName = {"C", "B", "A"};
    program.gDataMat = {{3, 2, 1}, {30, 20, 10}, {300, 200, 100}};
    program.gColName = {"0h", "1h", "2h"};
    program.gNumRow = 3;
    program.gNumCol = 3;
    int shown = 0;
    graphs::Graphics::setModalRunner([&](graphs::frmChart&) { ++shown; });
    nodes().setSelected(nodes().Parent(find("A")), true);
    trigger("mnuTreeExprPlot");
    graphs::Graphics::setModalRunner({});
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(program.gSelLociName, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(program.gSelLociExpr, (std::vector<std::vector<double>>{{1, 2}, {10, 20}, {100, 200}}));
}

TEST_F(TreeMenu, RetrieveOpensTheRetrievalDialogWithTheLociBelowTheNode)
{
    nodes().setSelected(nodes().Parent(find("A")), true);
    bool shown = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<sequence::frmEntrezA*>(w); d && d->isVisible()) {
                shown = true;
                d->close();
            }
        }
    });
    trigger("mnuTreeRetrieve");
    EXPECT_TRUE(shown);
    EXPECT_EQ(program.gSelLociName, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(program.gNumSelLoci, 2);
}

} // namespace
