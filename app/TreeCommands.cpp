#include "app/TreeCommands.h"

#include <optional>
#include <string_view>
#include <unordered_map>

#include <QAction>
#include <QApplication>

#include "analysis/ui/BarProgress.h"
#include "graphs/ChartLayout.h"
#include "graphs/ui/DrawChart.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/runtime/Convert.h"
#include "platform/widgets/treeview/TreeView.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/StrUtil.h"
#include "shell/core/mQuorin.h"
#include "app/MainFrame.h"
#include "sequence/ui/frmEntrezA.h"
#include "app/frmMDIChild.h"
#include "trees/ui/NAryForm.h"
#include "trees/view/TreeTool.h"

namespace shell {

namespace {

// The loci a tree-view node stands for: the leaves below an inner node, in
// the order shown; a leaf stands for its own locus.
std::vector<std::string> lociAt(frmMDIChild& child, std::int32_t node)
{
    const platform::TreeViewModel& nodes = child.TreeView1()->Nodes();
    if (nodes.Children(node) == 0) {
        return {nodes.Text(node)};
    }
    std::vector<std::string> names;
    std::int32_t count = 0;
    child.CTreeTool()->GetLociBelowNode(node, names, count);
    names.resize(static_cast<std::size_t>(count));
    return names;
}

} // namespace

TreeCommands::TreeCommands(MainFrame& frame) : QObject(&frame), m_frame(frame)
{
    setObjectName(QStringLiteral("TreeCommands"));
    const auto connectItem = [this](const char* name, auto command) {
        if (QAction* a = m_frame.action(QString::fromLatin1(name))) {
            a->setEnabled(true);
            connect(a, &QAction::triggered, this, command);
        }
    };
    connectItem("mnuTreeNodeProperty", [this] { mnuTreeNodeProperty(); });
    connectItem("mnuTreeShowSubTree", [this] { mnuTreeShowSubTree(); });
    connectItem("mnuTreeExprPlot", [this] { mnuTreeExprPlot(); });
    connectItem("mnuTreeRetrieve", [this] { mnuTreeRetrieve(); });
    connectItem("mnuTreeCollapse", [this] { mnuTreeCollapse(); });
    connectItem("mnuTreeCollapseCutoff", [this] { mnuTreeCollapseCutoff(); });
    connectItem("mnuTreeExpand", [this] { mnuTreeExpand(); });
}

TreeCommands::~TreeCommands() = default;

TreeCommands* TreeCommands::of(const MainFrame& frame)
{
    return frame.findChild<TreeCommands*>(QStringLiteral("TreeCommands"), Qt::FindDirectChildrenOnly);
}

trees::NAryForm& TreeCommands::naryForm()
{
    if (!m_nary) {
        m_nary = std::make_unique<trees::NAryForm>(&m_frame);
    }
    return *m_nary;
}

bool TreeCommands::selection(frmMDIChild*& child, std::int32_t& node)
{
    child = m_frame.ActiveChild();
    node = child && child->TreeView1() ? child->TreeView1()->Nodes().SelectedItem() : 0;
    if (node == 0) {
        platform::dialogs().MsgBox("Please select a node of the tree first.",
                                   platform::mb::Information | platform::mb::OkOnly, ProgramInfo::Title);
        return false;
    }
    return true;
}

void TreeCommands::mnuTreeNodeProperty()
{
    frmMDIChild* child = nullptr;
    std::int32_t node = 0;
    if (!selection(child, node)) {
        return;
    }
    double distance = 0;
    child->CTreeTool()->GetDist2Tip(node, distance);
    std::int32_t tips = 0;
    child->CTreeTool()->GetTipsBelowNode(node, tips);
    platform::dialogs().MsgBox("Node information:\r\nDistance to tip = " + StrUtil::FormatNumRight(distance, 6, 4) +
                                   "\r\nNumber of descendents = " + std::to_string(tips),
                               platform::mb::Information, "Node info");
}

void TreeCommands::mnuTreeShowSubTree()
{
    frmMDIChild* child = nullptr;
    std::int32_t node = 0;
    if (!selection(child, node)) {
        return;
    }
    // A leaf's subtree would be the text "();", which no tree reader takes:
    // it is refused here, before the drawing window opens.
    if (child->TreeView1()->Nodes().Children(node) == 0) {
        platform::dialogs().MsgBox(LeafHasNoSubtree, platform::mb::Information | platform::mb::OkOnly,
                                   ProgramInfo::Title);
        return;
    }
    std::string text;
    // The document window's progress bar follows the drawing (reading,
    // laying out, painting), which takes a second or more for the whole tree
    // of some ten thousand loci.
    analysis::BarProgress progress(*child->ProgressBar1(), true);
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { child->CTreeTool()->OutTreeBranchlen(node, text); });
        g.step([&] { text += ";"; });
        g.step([&] {
            if (m_modal) {
                naryForm().PlotTree(0, text, 1, &progress);
            } else {
                naryForm().plot(0, text, 1, &progress);
            }
        });
    });
}

void TreeCommands::mnuTreeExprPlot()
{
    frmMDIChild* child = nullptr;
    std::int32_t node = 0;
    if (!selection(child, node)) {
        return;
    }
    mQuorin::ProgramState& program = mQuorin::Program();
    program.gSelLociExpr.clear();
    program.gNumSelLoci = 0;
    // Every clustering clears the data it last read, also when its dialog is
    // then left without a run; a tree kept on screen then has no values
    // until the next clustering reads the data again.
    if (program.gRowName.empty() || program.gDataMat.empty()) {
        platform::dialogs().MsgBox(DataClearedText, platform::mb::Information | platform::mb::OkOnly,
                                   ProgramInfo::Title);
        return;
    }
    GetLociExprBelowNode(node);
    if (program.gNumSelLoci == 0) {
        platform::dialogs().MsgBox("None of the loci below this node is in the data set that was clustered.",
                                   platform::mb::Information | platform::mb::OkOnly, ProgramInfo::Title);
        return;
    }
    graphs::Graphics::PlotExpressionProfiles(program.gColName, program.gSelLociName, program.gSelLociExpr,
                                             &m_frame);
}

void TreeCommands::mnuTreeRetrieve()
{
    frmMDIChild* child = nullptr;
    std::int32_t node = 0;
    if (!selection(child, node)) {
        return;
    }
    mQuorin::ProgramState& program = mQuorin::Program();
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            program.gSelLociExpr.clear();
            program.gNumSelLoci = 0;
            program.gSelLociName = lociAt(*child, node);
            program.gNumSelLoci = static_cast<std::int32_t>(program.gSelLociName.size());
        });
        g.step([&] {
            sequence::frmEntrezA dialog(&m_frame);
            dialog.exec();
        });
    });
}

void TreeCommands::setAllExpanded(bool expanded)
{
    frmMDIChild* child = m_frame.ActiveChild();
    if (child == nullptr || child->TreeView1() == nullptr) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    platform::TreeViewModel& nodes = child->TreeView1()->Nodes();
    {
        const platform::FrozenUpdates frozen(nodes);
        for (std::int32_t i = 1; i <= nodes.Count(); ++i) {
            nodes.setExpanded(i, expanded);
        }
    }
    QApplication::restoreOverrideCursor();
}

void TreeCommands::mnuTreeCollapse()
{
    setAllExpanded(false);
}

std::string TreeCommands::CutoffOutOfRange(bool tooLarge)
{
    return std::string("The cutoff distance is too ") +
           (tooLarge ? "large: it can be at most " : "small: it can be at least -") +
           platform::rt::LargestNumberText() + ". Please type it again.";
}

void TreeCommands::mnuTreeExpand()
{
    setAllExpanded(true);
}

void TreeCommands::mnuTreeCollapseCutoff()
{
    frmMDIChild* child = m_frame.ActiveChild();
    if (child == nullptr) {
        return;
    }
    // Cancel (or an empty answer) leaves the view as it is; text that is not
    // a number is refused and asked for again, never read as 0.
    std::string proposed = "0.1";
    for (;;) {
        const std::string answer = platform::dialogs().InputBox("Please input the cutoff distance.", "Tree", proposed);
        if (answer.find_first_not_of(" \t") == std::string::npos) {
            return;
        }
        const platform::rt::FieldNumber cutoff = platform::rt::ReadNumber(answer);
        if (cutoff.isNumber()) {
            child->CollapseWithCutOff(cutoff.value);
            return;
        }
        platform::dialogs().MsgBox(cutoff.isOutOfRange() ? CutoffOutOfRange(cutoff.isTooLarge()) : CutoffNotANumber,
                                   platform::mb::Exclamation | platform::mb::OkOnly, ProgramInfo::Title);
        proposed = answer;
    }
}

void TreeCommands::GetLociExprBelowNode(std::int32_t node)
{
    frmMDIChild* child = m_frame.ActiveChild();
    if (child == nullptr) {
        return;
    }
    mQuorin::ProgramState& program = mQuorin::Program();
    std::vector<std::string> names = lociAt(*child, node);
    // Each locus takes the first data row of its name; a locus without a
    // data row has no values and is left out, so names and rows stay paired.
    // One pass over the row names, so the root of a tree of tens of
    // thousands of loci is as quick as a small node.
    std::unordered_map<std::string_view, std::size_t> firstRow;
    firstRow.reserve(program.gRowName.size());
    for (std::size_t r = 0; r < program.gRowName.size(); ++r) {
        firstRow.try_emplace(program.gRowName[r], r);
    }
    std::vector<std::string> found;
    std::vector<std::size_t> rows;
    for (std::string& name : names) {
        if (const auto at = firstRow.find(name); at != firstRow.end()) {
            rows.push_back(at->second);
            found.push_back(std::move(name));
        }
    }
    names = std::move(found);
    const std::size_t loci = names.size();
    program.gSelLociName = names;
    program.gNumSelLoci = static_cast<std::int32_t>(loci);
    program.gSelLociExpr.assign(program.gDataMat.size(), std::vector<double>(loci, 0.0));
    for (std::size_t c = 0; c < program.gDataMat.size(); ++c) {
        for (std::size_t k = 0; k < loci; ++k) {
            program.gSelLociExpr[c][k] = program.gDataMat[c][rows[k]];
        }
    }
}

} // namespace shell
