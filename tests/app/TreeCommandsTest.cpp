// The Tree menu on a cluster tree planted in the active document window.

#include "app/TreeCommands.h"

#include <QAction>
#include <QApplication>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "tests/app/MainWindowFixture.h"

#include "analysis/MyNode.h"
#include "analysis/ui/frmClusterOpt.h"
#include "app/ClusterMenu.h"
#include "app/WorkbookCommands.h"
#include "graphs/ui/DrawChart.h"
#include "graphs/ui/frmChart.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/print/QtPrinter.h"
#include "platform/runtime/Rnd.h"
#include "platform/widgets/chart/ChartModel.h"
#include "platform/widgets/chart/ChartView.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/widgets/treeview/TreeView.h"
#include "sequence/ui/frmEntrezA.h"
#include "shell/core/mQuorin.h"
#include "app/MainFrame.h"
#include "app/frmMDIChild.h"
#include "tests/support/PdfReader.h"
#include "tests/support/TestSupport.h"
#include "trees/ui/NAryForm.h"
#include "trees/view/TreeTool.h"

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

    // Triggers Retrieve DNA sequences; true when the retrieval dialog
    // opened (it is closed at once).
    bool retrieveShowsTheDialog()
    {
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
        return shown;
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

// A leaf has no subtree: Show subtree says so in the box the node commands
// use, and neither the drawing window nor the error report comes up.
TEST_F(TreeMenu, ShowSubtreeOnALeafIsRefusedInWordsBeforeAnyWindowOpens)
{
    nodes().setSelected(find("A"), true);
    trigger("mnuTreeShowSubTree");
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().text, shell::TreeCommands::LeafHasNoSubtree);
    EXPECT_EQ(boxes.last().style, platform::mb::Information | platform::mb::OkOnly);
    EXPECT_TRUE(reported.empty());
    EXPECT_FALSE(commands->naryForm().isVisible());
    EXPECT_FALSE(commands->naryForm().model().Initialised());
}

TEST_F(TreeMenu, CollapseThenExpandLeavesEveryNodeExpanded)
{
    trigger("mnuTreeCollapse");
    for (std::int32_t i = 1; i <= nodes().Count(); ++i) {
        EXPECT_FALSE(nodes().Expanded(i)) << i;
    }
    trigger("mnuTreeExpand");
    for (std::int32_t i = 1; i <= nodes().Count(); ++i) {
        EXPECT_TRUE(nodes().Expanded(i)) << i;
    }
}

// A balanced cluster tree of `leaves` loci "g0", "g1", ... whose pairs
// join at 0.1, pairs of pairs at 0.2 and so on (an ultrametric tree).
std::unique_ptr<analysis::MyNode> balanced(int leaves)
{
    std::vector<std::unique_ptr<analysis::MyNode>> level;
    for (int i = 0; i < leaves; ++i) {
        level.push_back(node("g" + std::to_string(i), 0.1, true));
    }
    double height = 0.1;
    while (level.size() > 2) {
        std::vector<std::unique_ptr<analysis::MyNode>> next;
        for (std::size_t i = 0; i + 1 < level.size(); i += 2) {
            auto inner = node("", 0.1, false);
            inner->addChild(std::move(level[i]));
            inner->addChild(std::move(level[i + 1]));
            next.push_back(std::move(inner));
        }
        if (level.size() % 2 == 1) {
            level.back()->setBranchLen(level.back()->BranchLen() + 0.1);
            next.push_back(std::move(level.back()));
        }
        level = std::move(next);
        height += 0.1;
    }
    auto root = node("", 0, false);
    for (auto& n : level) {
        root->addChild(std::move(n));
    }
    return root;
}

TEST_F(TreeMenu, CutOffBoxCancelChangesNothingAndABadNumberIsAskedAgain)
{
    frame->NewDocument()->MyRootNode(balanced(12625));
    const std::int32_t planted = nodes().Count();
    ASSERT_EQ(planted, 2 * 12625 - 1);  // "Root", the inner nodes below it and the leaves

    for (const char* cancel : {"", "   "}) {  // Cancel gives the empty text
        boxes.clear();
        boxes.type(cancel);
        trigger("mnuTreeCollapseCutoff");
        ASSERT_EQ(boxes.calls().size(), 1u) << '"' << cancel << '"';
        EXPECT_EQ(nodes().Count(), planted) << "nothing flattened";
    }

    boxes.clear();
    boxes.type("abc").type("0,35").type("0.25");
    trigger("mnuTreeCollapseCutoff");
    ASSERT_EQ(boxes.calls().size(), 5u);
    for (std::size_t i : {std::size_t{0}, std::size_t{2}, std::size_t{4}}) {
        EXPECT_EQ(boxes.calls()[i].kind, platform::ScriptedDialogs::Call::Kind::Input);
        EXPECT_EQ(boxes.calls()[i].title, "Tree");
        EXPECT_EQ(boxes.calls()[i].text, "Please input the cutoff distance.");
    }
    for (std::size_t i : {std::size_t{1}, std::size_t{3}}) {
        EXPECT_EQ(boxes.calls()[i].kind, platform::ScriptedDialogs::Call::Kind::Message);
        EXPECT_EQ(boxes.calls()[i].text, shell::TreeCommands::CutoffNotANumber);
        EXPECT_EQ(boxes.calls()[i].style & 0x70, platform::mb::Exclamation);
    }
    EXPECT_TRUE(reported.empty());
    // Collapsed at 0.25: the clusters of four loci joined at 0.2 hang from
    // the root.
    EXPECT_GE(nodes().Children(1), 12625 / 4);
    EXPECT_LE(nodes().Children(1), 12625 / 4 + 2);
    EXPECT_EQ(frame->ActiveChild()->mRoot()->Children().size(), 2u) << "the full tree stays whole";

    boxes.clear();  // Cancel after a bad number: still nothing changes
    const std::int32_t collapsed = nodes().Count();
    boxes.type("x").type("");
    trigger("mnuTreeCollapseCutoff");
    EXPECT_EQ(boxes.calls().size(), 3u);
    EXPECT_EQ(nodes().Count(), collapsed);

    // Beyond the range of a double: too large (or too small) in words.
    boxes.clear();
    boxes.type("1e999").type("-1e400").type("");
    trigger("mnuTreeCollapseCutoff");
    ASSERT_EQ(boxes.calls().size(), 5u);
    EXPECT_EQ(boxes.calls()[1].text,
              "The cutoff distance is too large: it can be at most 1.79769313486231E+308. Please type it again.");
    EXPECT_EQ(boxes.calls()[3].text,
              "The cutoff distance is too small: it can be at least -1.79769313486231E+308. Please type it again.");
    EXPECT_EQ(nodes().Count(), collapsed);
    EXPECT_TRUE(reported.empty());
}

TEST_F(TreeMenu, ALeafStandsForItsOwnLocus)
{
    const int loci = 12000;
    frame->NewDocument()->MyRootNode(balanced(loci));
    program.gColName = {"0h", "2h", "4h"};
    program.gNumCol = 3;
    program.gNumRow = loci;
    program.gRowName.clear();
    program.gDataMat.assign(3, std::vector<double>(static_cast<std::size_t>(loci)));
    for (int r = 0; r < loci; ++r) {
        program.gRowName.push_back("g" + std::to_string(loci - 1 - r));  // another order than the tree's
        for (std::size_t c = 0; c < 3; ++c) {
            program.gDataMat[c][static_cast<std::size_t>(r)] = r * 10.0 + static_cast<double>(c);
        }
    }
    const std::int32_t leaf = find("g4321");
    ASSERT_NE(leaf, 0);
    nodes().setSelected(leaf, true);
    platform::ChartModel seen;
    int shown = 0;
    graphs::Graphics::setModalRunner([&](graphs::frmChart& w) {
        ++shown;
        seen = w.chart();
    });
    trigger("mnuTreeExprPlot");
    graphs::Graphics::setModalRunner({});
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(program.gSelLociName, (std::vector<std::string>{"g4321"}));
    const double row = loci - 1 - 4321;
    EXPECT_EQ(program.gSelLociExpr, (std::vector<std::vector<double>>{{row * 10}, {row * 10 + 1}, {row * 10 + 2}}));
    EXPECT_EQ(seen.columnCount(), 1);
    EXPECT_EQ(seen.columnLabel(1), "g4321");
    for (const auto& call : boxes.calls()) {
        EXPECT_EQ(call.text.find("None of the loci"), std::string::npos);
    }

    // The root plots every locus, each with its own row.
    nodes().setSelected(1, true);
    graphs::Graphics::setModalRunner([](graphs::frmChart&) {});
    trigger("mnuTreeExprPlot");
    graphs::Graphics::setModalRunner({});
    ASSERT_EQ(program.gNumSelLoci, loci);
    for (std::size_t k = 0; k < program.gSelLociName.size(); k += 997) {
        const int number = std::stoi(program.gSelLociName[k].substr(1));
        EXPECT_EQ(program.gSelLociExpr[1][k], (loci - 1 - number) * 10.0 + 1) << program.gSelLociName[k];
    }

    nodes().setSelected(leaf, true);
    EXPECT_TRUE(retrieveShowsTheDialog());
    EXPECT_EQ(program.gSelLociName, (std::vector<std::string>{"g4321"}));
    EXPECT_EQ(program.gNumSelLoci, 1);
}

TEST_F(TreeMenu, ShowSubtreeOfTheWholeTreeDrawsEveryLeafAndShowsItsProgress)
{
    frame->NewDocument()->MyRootNode(balanced(12625));
    nodes().setSelected(1, true);
    QProgressBar* bar = frame->ActiveChild()->ProgressBar1();
    ASSERT_NE(bar, nullptr);
    std::vector<int> values;
    QObject::connect(bar, &QProgressBar::valueChanged, bar, [&](int v) { values.push_back(v); });
    trigger("mnuTreeShowSubTree");
    trees::NAryForm& form = commands->naryForm();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.model().NameCount(), 12625);
    EXPECT_EQ(form.model().LeafNames().front(), "g0");
    EXPECT_EQ(form.model().LeafNames().back(), "g12624");
    ASSERT_FALSE(values.empty());
    EXPECT_EQ(*std::max_element(values.begin(), values.end()), bar->maximum()) << "the bar reached its end";
    EXPECT_EQ(bar->value(), 0) << "and was cleared";
    form.close();
}

// Show subtree of a tree of 3,000 loci, Print Now, and Escape; then Show
// subtree of one of the root's two halves and Print Now again. Escape closed
// the window, so the second one draws and prints that half (before, it kept
// the first drawing without its tree, and Print Now did nothing at all).
TEST_F(TreeMenu, AfterEscapeTheNextSubtreeIsDrawnAndPrinted)
{
    struct PrintTargetReset {
        ~PrintTargetReset()
        {
            platform::PrintTarget::setPdfOutput({});
            platform::PrintTarget::setDialogHandler({});
        }
    } reset;
    frame->NewDocument()->MyRootNode(balanced(3000));
    commands->setModalDrawing(true);
    platform::PrintTarget::setDialogHandler([](QPrinter&, QWidget*) { return true; });
    trees::NAryForm& form = commands->naryForm();
    const auto printNow = [&form](const std::filesystem::path& pdf) {
        platform::PrintTarget::setPdfOutput(QString::fromStdString(pdf.string()));
        form.action("PrintNow")->trigger();
    };
    // Runs `step` once the drawing window waits as the modal window (the
    // drawing handles events before it waits, while its progress is shown).
    QTimer watch;
    std::function<void()> step;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (step && QApplication::activeModalWidget() == &form) {
            std::exchange(step, {})();
        }
    });
    watch.start(0);
    const auto whole = m_dir.file("whole.pdf");
    const auto half = m_dir.file("half.pdf");

    nodes().setSelected(1, true);
    step = [&] {
        printNow(whole);
        QTest::keyClick(&form, Qt::Key_Escape);
    };
    trigger("mnuTreeShowSubTree");
    ASSERT_FALSE(form.isVisible());
    ASSERT_TRUE(std::filesystem::exists(whole));

    const std::int32_t firstHalf = nodes().Child(1);
    std::int32_t halfLeaves = 0;
    frame->ActiveChild()->CTreeTool()->GetTipsBelowNode(firstHalf, halfLeaves);
    ASSERT_GT(halfLeaves, 0);
    ASSERT_LT(halfLeaves, 3000);
    nodes().setSelected(firstHalf, true);
    std::int32_t drawnLeaves = 0;
    step = [&] {
        drawnLeaves = form.model().NameCount();
        printNow(half);
        form.action("TreeExit")->trigger();
    };
    trigger("mnuTreeShowSubTree");
    EXPECT_EQ(drawnLeaves, halfLeaves);
    ASSERT_TRUE(std::filesystem::exists(half));
    EXPECT_TRUE(boxes.calls().empty()) << boxes.last().text;
    EXPECT_TRUE(reported.empty());
    if (testsupport::hasPoppler()) {
        EXPECT_LT(testsupport::pdfPageCount(half), testsupport::pdfPageCount(whole));
        const auto text = testsupport::pdfText(half);
        ASSERT_TRUE(text.has_value());
        EXPECT_NE(text->find("g0\n"), std::string::npos);
        EXPECT_EQ(text->find("g2999"), std::string::npos) << "a leaf of the other half";
    }
}

TEST_F(TreeMenu, TheExpressionPlotOpensWhollyInsideTheMainWindow)
{
    frame->setGeometry(120, 80, 1100, 760);
    program.gRowName = {"A", "B", "C"};
    program.gDataMat = {{1, 2, 3}, {10, 20, 30}};
    program.gColName = {"0h", "1h"};
    program.gNumRow = 3;
    program.gNumCol = 2;
    nodes().setSelected(1, true);
    QRect placed;
    graphs::Graphics::setModalRunner([&](graphs::frmChart& w) {
        w.show();
        QApplication::processEvents();
        placed = w.frameGeometry();
    });
    trigger("mnuTreeExprPlot");
    graphs::Graphics::setModalRunner({});
    ASSERT_FALSE(placed.isEmpty());
    EXPECT_TRUE(frame->frameGeometry().contains(placed))
        << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
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
    EXPECT_TRUE(retrieveShowsTheDialog());
    EXPECT_EQ(program.gSelLociName, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(program.gNumSelLoci, 2);
}

// ---- Leaf names that hold the characters of tree text -----------------------------------

// Two label cells are left empty, as for probes without a name.
const std::vector<std::string> kAwkwardLabels = {"IL2 (human)", "a;b", "",       "ABC:123", "[x]y",
                                                 "gene,1", "TP53 (p53), tumor", "O'Brien x", ""};


std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// The leaf names of the Newick file `tree` as Biopython reads them, in its
// order; empty when /usr/bin/python3 has no Biopython. Biopython 1.80 ends a
// quoted name at the next quote, so the doubled quotes inside quoted names,
// which stand for one quote, are kept out of its way and put back after; a
// leaf without a name gives an empty line.
std::vector<std::string> biopythonLeaves(const std::filesystem::path& tree)
{
    const std::string out = tree.string() + ".leaves";
    testsupport::writeFile(tree.string() + ".py", R"(import io, re, sys
from Bio import Phylo
text = open(sys.argv[1], encoding='utf-8').read()
text = re.sub(r"'(?:[^']|'')*'", lambda m: "'" + m.group(0)[1:-1].replace("''", "\x01") + "'", text)
tree = Phylo.read(io.StringIO(text), 'newick')
sys.stdout.write(''.join((c.name or '').replace('\x01', "'") + '\n' for c in tree.get_terminals()))
)");
    const std::string command =
        "/usr/bin/python3 '" + tree.string() + ".py' '" + tree.string() + "' > '" + out + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << testsupport::readFile(out);
    std::vector<std::string> names;
    std::ifstream in(out, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        names.push_back(line);
    }
    return names;
}

// Each text drawn in the tree-drawing window, with the number of times it is.
std::map<std::string, int> drawnTexts(const trees::NAryForm& form)
{
    std::map<std::string, int> out;
    for (const trees::DrawItem& item : form.Picture1()->drawing().items) {
        out[item.text] += item.kind == trees::DrawItem::Kind::Text ? 1 : 0;
    }
    return out;
}

class TreeTextRoad : public shelltest::MainWindowFixture {
protected:
    TreeTextRoad()
    {
        shell::InstallClusterDialog(*frame, &rng);
        commands = shell::TreeCommands::of(*frame);
        commands->setModalDrawing(false);
    }

    // The labels in a table opened from the File menu, clustered with
    // average linkage on the Euclidean distance.
    void clusterTheLabels()
    {
        std::string table = "Gene\tt1\tt2\tt3\r\n";
        for (std::size_t i = 0; i < kAwkwardLabels.size(); ++i) {
            const double v = static_cast<double>(i * i) * 0.7;
            table += kAwkwardLabels[i] + "\t" + std::to_string(v) + "\t" + std::to_string(v * 0.5 + 1) + "\t" +
                     std::to_string(10 - v) + "\r\n";
        }
        const auto file = m_dir.file("labels.txt");
        testsupport::writeFile(file, table);
        boxes.choose(file.string());
        shell::WorkbookCommands::of(*frame)->mnuFileOpen();
        boxes.answer(platform::Answer::Ok);  // "Options are recorded ..."
        bool driven = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<analysis::frmClusterOpt*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr) << "the clustering dialog is open";
            dialog->cboClusterMethod->setCurrentIndex(2);
            dialog->cboClusterMethod_Click(2);
            dialog->cboIndex->setCurrentIndex(1);
            dialog->cmdDone_Click();
            driven = dialog->isHidden();
            if (!driven) {
                dialog->reject();
            }
        });
        trigger("mnuAnaCluster");
        ASSERT_TRUE(driven);
    }
    platform::TreeViewModel& nodes() { return frame->ActiveChild()->TreeView1()->Nodes(); }

    platform::rt::RandomSource rng{17};
    shell::TreeCommands* commands = nullptr;
};

// Show subtree of the root draws every leaf as typed, before and after the
// tree is re-rooted at a leaf; the window's Newick copy, its tree file and
// its re-rooted text give Biopython the same names.
TEST_F(TreeTextRoad, LabelsWithTreeCharactersAreDrawnAndWrittenAsTyped)
{
    clusterTheLabels();
    ASSERT_EQ(nodes().Count(), 2 * static_cast<std::int32_t>(kAwkwardLabels.size()) - 1);  // "Root" and below
    boxes.clear();
    nodes().setSelected(1, true);
    trigger("mnuTreeShowSubTree");
    trees::NAryForm& form = commands->naryForm();
    ASSERT_TRUE(form.isVisible());
    EXPECT_TRUE(boxes.calls().empty()) << boxes.last().text;
    EXPECT_EQ(sorted(form.model().LeafNames()), sorted(kAwkwardLabels));
    for (const std::string& label : kAwkwardLabels) {
        EXPECT_EQ(drawnTexts(form)[label], label.empty() ? 0 : 1) << label;  // an empty label writes nothing
    }
    EXPECT_NE(form.model().NHText().find("'O''Brien x':"), std::string::npos) << form.model().NHText();

    form.action("TreeCopyNH")->trigger();
    const auto copied = m_dir.file("copied.nwk");
    testsupport::writeFile(copied, QGuiApplication::clipboard()->text().toStdString());
    const auto saved = m_dir.file("labels.DND");
    boxes.choose(saved.string());
    form.action("TreeSave")->trigger();

    form.action("TreeReRoot")->trigger();
    for (std::int32_t i = 1; i <= form.model().LabelCount(); ++i) {
        if (trees::NAryNode* n = form.model().NodeOfLabel(i); n->IsLeaf() && n->Box().Caption == "O'Brien x") {
            form.NodeLabel_Click(*n);
            break;
        }
    }
    EXPECT_EQ(form.model().LeafNames().front(), "O'Brien x");
    for (const std::string& label : kAwkwardLabels) {
        EXPECT_EQ(drawnTexts(form)[label], label.empty() ? 0 : 1) << label;  // an empty label writes nothing
    }
    const auto reRooted = m_dir.file("rerooted.nwk");
    testsupport::writeFile(reRooted, form.model().NHText());
    EXPECT_TRUE(reported.empty()) << reported.front();
    form.close();

    if (std::system("/usr/bin/python3 -c 'import Bio.Phylo' > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "Biopython is not importable by /usr/bin/python3 (scripts/bootstrap --test installs it)";
    }
    for (const auto& file : {copied, saved, reRooted}) {
        EXPECT_EQ(sorted(biopythonLeaves(file)), sorted(kAwkwardLabels)) << testsupport::readFile(file);
    }
    EXPECT_EQ(biopythonLeaves(reRooted).front(), "O'Brien x");
}

// A tree text the reader refuses (here "(A:1);", of a single leaf) is told
// in its box, and no drawing window opens, modal or not.
TEST_F(TreeTextRoad, ATreeTextTheReaderRefusesOpensNoWindow)
{
    auto root = node("", 0, false);
    root->addChild(node("A", 1, true));
    frame->NewDocument()->MyRootNode(std::move(root));
    trees::NAryForm& form = commands->naryForm();
    bool waited = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() == &form) {
            waited = true;
            form.close();
        }
    });
    watch.start(0);
    for (const bool modal : {false, true}) {
        SCOPED_TRACE(modal ? "modal" : "kept open");
        commands->setModalDrawing(modal);
        boxes.clear();
        nodes().setSelected(1, true);
        trigger("mnuTreeShowSubTree");
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.last().text, trees::NAryForm::TreeTextRefusal("The tree has only one leaf; a tree needs at least two."));
        EXPECT_FALSE(form.isVisible());
        EXPECT_FALSE(waited);
        EXPECT_EQ(form.model().RootNode(), nullptr);
        EXPECT_EQ(frame->ActiveChild()->ProgressBar1()->value(), 0);
    }
    EXPECT_TRUE(reported.empty());

    // The next sound tree draws as ever.
    commands->setModalDrawing(false);
    frame->NewDocument()->MyRootNode(sample());
    nodes().setSelected(1, true);
    trigger("mnuTreeShowSubTree");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.model().LeafNames(), (std::vector<std::string>{"A", "B", "C"}));
    form.close();
}

} // namespace
