#include "shell/ui/TreeCommands.h"

#include <QAction>
#include <QApplication>

#include "graphs/ui/DrawChart.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/runtime/Convert.h"
#include "platform/widgets/treeview/TreeView.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/StrUtil.h"
#include "shell/core/mQuorin.h"
#include "shell/ui/MainFrame.h"
#include "sequence/ui/frmEntrezA.h"
#include "shell/ui/frmMDIChild.h"
#include "trees/ui/NAryForm.h"
#include "trees/view/TreeTool.h"

namespace shell {

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
    std::string text;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { child->CTreeTool()->OutTreeBranchlen(node, text); });
        g.step([&] { text += ";"; });
        g.step([&] {
            if (m_modal) {
                naryForm().PlotTree(0, text, 1);
            } else {
                naryForm().plot(0, text, 1);
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
    GetLociExprBelowNode(node);
    if (program.gNumSelLoci == 0) {
        platform::dialogs().MsgBox("None of the loci below this node is in the data set that was clustered.",
                                   platform::mb::Information | platform::mb::OkOnly, ProgramInfo::Title);
        return;
    }
    graphs::Graphics::PlotExpressionProfiles(program.gColName, program.gSelLociName, program.gSelLociExpr);
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
            program.gSelLociName.clear();
            child->CTreeTool()->GetLociBelowNode(node, program.gSelLociName, program.gNumSelLoci);
            program.gSelLociName.resize(static_cast<std::size_t>(program.gNumSelLoci));
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
    const std::string answer = platform::dialogs().InputBox("Please input the cutoff distance.", "Tree", "0.1");
    child->CollapseWithCutOff(platform::rt::Val(answer));
}

void TreeCommands::GetLociExprBelowNode(std::int32_t node)
{
    frmMDIChild* child = m_frame.ActiveChild();
    if (child == nullptr) {
        return;
    }
    mQuorin::ProgramState& program = mQuorin::Program();
    std::vector<std::string> names;
    std::int32_t count = 0;
    child->CTreeTool()->GetLociBelowNode(node, names, count);
    names.resize(static_cast<std::size_t>(count));
    // Each locus takes the first data row of its name; a locus without a
    // data row has no values and is left out, so names and rows stay paired.
    std::vector<std::string> found;
    std::vector<std::size_t> rows;
    for (const std::string& name : names) {
        for (std::size_t r = 0; r < program.gRowName.size(); ++r) {
            if (program.gRowName[r] == name) {
                found.push_back(name);
                rows.push_back(r);
                break;
            }
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
