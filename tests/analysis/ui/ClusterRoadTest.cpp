// The clustering road through the real windows on the offscreen platform: a
// seeded expression file opened from the File menu, Analysis, Clustering with
// the dialog driven as a user would, the report in the output view and the
// tree in the tree view checked against the cores run directly, and the
// collapse of the shown tree at a cut-off.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <QtTest/QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/Geometry.h"
#include "analysis/SOM.h"
#include "analysis/UPGMA.h"
#include "analysis/mCluster.h"
#include "app/ClusterMenu.h"
#include "analysis/ui/ClusterRun.h"
#include "analysis/ui/frmClusterOpt.h"
#include "graphs/ui/DrawChart.h"
#include "graphs/ui/frmChart.h"
#include "numeric/MatB.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Guard.h"
#include "platform/runtime/Rnd.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/widgets/chart/ChartModel.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/widgets/treeview/TreeView.h"
#include "shell/core/StrUtil.h"
#include "shell/core/mQuorin.h"
#include "app/MainFrame.h"
#include "app/TreeCommands.h"
#include "app/WorkbookCommands.h"
#include "app/frmMDIChild.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/TestSupport.h"
#include "trees/ListTrees.h"
#include "trees/NHAdapter.h"
#include "trees/view/TreeTool.h"

namespace {

using analysis::MyNode;
using platform::Answer;
using platform::TreeViewModel;

constexpr int Loci = 24;
constexpr int Points = 6;
constexpr double Seed = 17;

// Tab-delimited expression data: a header row, then one row per gene, built
// from a few seeded profiles with noise (no two distances tie).
std::string expressionText()
{
    std::mt19937 gen(2024);
    std::normal_distribution<double> noise(0.0, 0.3);
    std::string text = "Gene";
    for (int t = 1; t <= Points; ++t) {
        text += "\tt" + std::to_string(t);
    }
    text += "\r\n";
    for (int g = 0; g < Loci; ++g) {
        text += "YAL" + std::to_string(100 + g) + "W";
        for (int t = 0; t < Points; ++t) {
            const double profile = (g % 3 == 0) ? t : (g % 3 == 1 ? Points - t : (t % 2) * 2.0);
            char cell[32];
            const auto end = std::to_chars(cell, cell + sizeof cell, profile + noise(gen), std::chars_format::fixed, 4);
            text += '\t';
            text.append(cell, end.ptr);
        }
        text += "\r\n";
    }
    return text;
}

// One view node: parent, text and tag.
struct Shown {
    std::int32_t parent;
    std::string text;
    std::optional<double> tag;
    bool operator==(const Shown&) const = default;
};

std::vector<Shown> shown(const TreeViewModel& view)
{
    std::vector<Shown> out;
    for (std::int32_t i = 1; i <= view.Count(); ++i) {
        out.push_back({view.Parent(i), view.Text(i), view.Tag(i)});
    }
    return out;
}

// A tree planted as the document window plants it.
std::vector<Shown> plantedAlone(const MyNode& root)
{
    TreeViewModel view;
    trees::TreeTool tool;
    tool.Initialize(view);
    tool.PlantTree(root, view.Add({}, "Root"), true, true);
    return shown(view);
}

std::string newick(const MyNode& root)
{
    std::string text;
    trees::NHAdapter::WriteNHBranchLen(root, text);
    return text;
}

class ClusterRoad : public shelltest::ProgramFixture {
protected:
    ClusterRoad()
    {
        frame = std::make_unique<shell::MainFrame>();
        frame->Form_Load();
        frame->NewDocument();
        shell::InstallClusterDialog(*frame, &rng);
        commands = shell::WorkbookCommands::of(*frame);

        const auto path = m_dir.file("expression.txt");
        testsupport::writeFile(path, expressionText());
        boxes.choose(path.string());
        commands->mnuFileOpen();
        child = frame->ActiveChild();
    }
    ~ClusterRoad() override
    {
        frame.reset();
    }

    // Analysis, Clustering with the dialog set up by `drive` and then OK.
    void cluster(const std::function<void(analysis::frmClusterOpt&)>& drive)
    {
        rng = platform::rt::RandomSource(Seed);
        bool driven = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<analysis::frmClusterOpt*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr) << "the clustering dialog is open";
            drive(*dialog);
            dialog->cmdDone_Click();
            driven = true;
            if (dialog->isVisible()) {
                dialog->reject();
            }
        });
        frame->action(QStringLiteral("mnuAnaCluster"))->trigger();
        ASSERT_TRUE(driven);
    }

    // Analysis, Clustering left with Escape in the dialog; false when the
    // dialog did not open or Escape did not close it.
    bool clusterLeftWithEscape()
    {
        bool left = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<analysis::frmClusterOpt*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            QTest::keyClick(dialog, Qt::Key_Escape);
            left = !dialog->isVisible();
            if (!left) {
                dialog->reject();
            }
        });
        frame->action(QStringLiteral("mnuAnaCluster"))->trigger();
        return left;
    }

    static void choose(analysis::frmClusterOpt& d, int method, int index)
    {
        d.cboClusterMethod->setCurrentIndex(method);
        d.cboClusterMethod_Click(method);
        d.cboIndex->setCurrentIndex(index);
    }

    // gDataMat (time point first) as the partitioning routines take it.
    [[nodiscard]] numeric::Matrix locusByTime() const
    {
        numeric::Matrix m(Loci, Points);
        for (int g = 0; g < Loci; ++g) {
            for (int t = 0; t < Points; ++t) {
                m(static_cast<std::size_t>(g), static_cast<std::size_t>(t)) =
                    program.gDataMat[static_cast<std::size_t>(t)][static_cast<std::size_t>(g)];
            }
        }
        return m;
    }

    [[nodiscard]] std::string outputView() const { return child->RichTextBox1()->toPlainText().toStdString(); }
    [[nodiscard]] const TreeViewModel& treeView() const { return child->TreeView1()->Nodes(); }

    platform::rt::RandomSource rng{Seed};
    std::unique_ptr<shell::MainFrame> frame;
    shell::WorkbookCommands* commands = nullptr;
    shell::frmMDIChild* child = nullptr;
};

std::string lf(std::string text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out += text[i];
    }
    return out;
}

TEST_F(ClusterRoad, HierarchicalMethodsShowTheCoresTreeAndReport)
{
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(frame->action(QStringLiteral("mnuAnaCluster"))->isEnabled());
    struct Row {
        int method;
        int index;
        const char* distance;
        const char* methodLine;
    };
    const std::vector<Row> rows = {
        {0, 1, "Euclidean distance", "Single linkage."},
        {1, 1, "Euclidean distance", "Complete linkage."},
        {2, 1, "Euclidean distance", "Average linkage."},
        {0, 6, "Pearson correlation", "Single linkage."},
        {1, 6, "Pearson correlation", "Complete linkage."},
        {2, 6, "Pearson correlation", "Average linkage."},
    };
    bool first = true;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.methodLine) + " " + row.distance);
        if (!first) {
            boxes.answer(Answer::Yes);  // delete the tree shown before
        }
        boxes.answer(Answer::Ok);  // "Options are recorded ..."
        cluster([&](analysis::frmClusterOpt& d) { choose(d, row.method, row.index); });
        first = false;

        EXPECT_EQ(child->visibleView(), shell::View::Tree);
        EXPECT_TRUE(frame->action(QStringLiteral("mnuTree"))->isVisible());
        EXPECT_EQ(outputView(), "Cluster analysis\n\nNumber of loci: 24\nNumber of time points: 6\n"
                                "No missing value specified.\nDistance: " +
                                    std::string(row.distance) + "\nClustering method: " + row.methodLine + "\n");

        // The cores, run directly on the data matrix the dialog read.
        numeric::Matrix data(Points, Loci);
        for (int t = 0; t < Points; ++t) {
            for (int g = 0; g < Loci; ++g) {
                data(static_cast<std::size_t>(t), static_cast<std::size_t>(g)) =
                    program.gDataMat[static_cast<std::size_t>(t)][static_cast<std::size_t>(g)];
            }
        }
        analysis::DistanceMatrix distances;
        Geometry::DisMatByIndex(static_cast<std::int16_t>(row.index), data, Points, Loci, true, distances, nullptr);
        std::int64_t a = 1;
        std::int64_t b = 0;
        for (std::int64_t i = 1; i < Loci; ++i) {
            for (std::int64_t j = 0; j < i; ++j) {
                if (distances(i, j) < distances(a, b)) {
                    a = i;
                    b = j;
                }
            }
        }
        const double closest = distances(a, b);
        platform::rt::RandomSource direct(Seed);
        const auto tree = UPGMA::BuildUpgmaTree(std::move(distances), Loci, static_cast<std::int16_t>(row.method),
                                                program.gRowName, row.method != 0, nullptr, &direct);
        EXPECT_EQ(shown(treeView()), plantedAlone(*tree));

        // Leaf count, and the first merge: the closest pair under one node at half their distance.
        std::int32_t tips = 0;
        child->CTreeTool()->GetTipsBelowNode(1, tips);
        EXPECT_EQ(tips, Loci);
        bool found = false;
        for (std::int32_t i = 1; i <= treeView().Count(); ++i) {
            if (treeView().Text(i) != program.gRowName[static_cast<std::size_t>(a)]) {
                continue;
            }
            const std::int32_t parent = treeView().Parent(i);
            std::vector<std::string> pair;
            std::int32_t n = 0;
            child->CTreeTool()->GetLociBelowNode(parent, pair, n);
            EXPECT_EQ(n, 2);
            EXPECT_NE(std::find(pair.begin(), pair.end(), program.gRowName[static_cast<std::size_t>(b)]), pair.end());
            expectNearRel(*treeView().Tag(i), closest / 2, 1e-12);
            found = true;
        }
        EXPECT_TRUE(found);
        EXPECT_EQ(treeView().Text(1), "Root");
        EXPECT_TRUE(treeView().Expanded(1));
    }
    EXPECT_EQ(boxes.unscripted(), 0);
}

TEST_F(ClusterRoad, KMeansAndTheMapShowTheirPartitions)
{
    // k-means with 3 clusters; the map with 4 nodes and absolute distance.
    boxes.type("3").answer(Answer::Ok);
    cluster([&](analysis::frmClusterOpt& d) { choose(d, 4, 1); });
    EXPECT_EQ(child->visibleView(), shell::View::Tree);

    std::vector<std::int32_t> group;
    std::vector<std::int32_t> sizes;
    std::vector<double> errors;
    (void)mCluster::KMeanClustering(locusByTime(), Points, Loci, 3, 1, group, sizes, errors, nullptr);
    const auto kTree = mCluster::BuildKMeanTree(group, Loci, program.gRowName, 3, errors);
    EXPECT_EQ(shown(treeView()), plantedAlone(*kTree));
    const std::string report = outputView();
    EXPECT_EQ(report.rfind("Cluster analysis\n\nNumber of loci: 24\nNumber of time points: 6\n"
                           "No missing value specified.\nDistance: Euclidean distance\n"
                           "Clustering method: K-Mean clustering (Hartigan 1979).\n",
                           0),
              0u)
        << report;
    for (int k = 0; k < 3; ++k) {
        const std::string line = StrUtil::FormatNumRight(k + 1, 7, 0) +
                                 StrUtil::FormatNumRight(sizes[static_cast<std::size_t>(k)], 8, 0) +
                                 StrUtil::FormatNumRight(errors[static_cast<std::size_t>(k)], 12, 3) + "\n";
        EXPECT_NE(report.find(line), std::string::npos) << line;
    }
    EXPECT_NE(report.find("Global error:" + StrUtil::FormatNumRight(errors[3], 14, 3)), std::string::npos);

    boxes.answer(Answer::Yes).type("4").answer(Answer::Ok);
    cluster([&](analysis::frmClusterOpt& d) { choose(d, 6, 1); });
    platform::rt::RandomSource direct(Seed);
    std::vector<double> fit;
    std::int32_t clusters = 0;
    std::string mapReport;
    (void)SOM::SOMClustering(locusByTime(), Loci, Points, 0.9, 0.01, 40, 2, 4, group, clusters, fit, sizes, mapReport,
                             nullptr, &direct);
    EXPECT_EQ(outputView(), lf(mapReport));
    const auto mapTree = mCluster::BuildSOMTree(group, Loci, program.gRowName, clusters, fit);
    EXPECT_EQ(shown(treeView()), plantedAlone(*mapTree));
    EXPECT_EQ(boxes.unscripted(), 0);
}

TEST_F(ClusterRoad, CollapsingShowsCopiesAndLeavesTheFullTreeAlone)
{
    boxes.answer(Answer::Ok);
    cluster([&](analysis::frmClusterOpt& d) { choose(d, 2, 1); });
    const MyNode* full = child->mRoot();
    ASSERT_NE(full, nullptr);
    if (const char* shot = std::getenv("TESSARAY_SCREENSHOT")) {
        // A picture of the main window showing the planted tree.
        frame->resize(900, 640);
        frame->show();
        if (QWidget* sub = child->parentWidget()) {
            sub->showMaximized();
        }
        QApplication::processEvents();
        frame->grab().save(QString::fromLocal8Bit(shot));
    }
    const std::string before = newick(*full);
    const std::vector<Shown> fullView = shown(treeView());

    auto copy = full->clone();
    trees::ListTrees::ComputeDist2Tip(*copy);
    const double height = copy->Dist2Tip();
    for (double cut : {height / 3, height / 2}) {
        SCOPED_TRACE(cut);
        child->CollapseWithCutOff(cut);
        auto direct = trees::ListTrees::CollapseWithCutOff(*copy, cut);
        ASSERT_NE(direct, nullptr);
        EXPECT_EQ(shown(treeView()), plantedAlone(*direct));
        std::int32_t tips = 0;
        child->CTreeTool()->GetTipsBelowNode(1, tips);
        EXPECT_EQ(tips, Loci) << "no leaf is lost";
        EXPECT_EQ(newick(*child->mRoot()), before) << "the full tree is never altered";
        EXPECT_FALSE(treeView().isFrozen());
    }

    // Nothing above the cut-off: the message, and the view stays as it was.
    const std::vector<Shown> collapsed = shown(treeView());
    boxes.answer(Answer::Ok);
    child->CollapseWithCutOff(height * 2);
    EXPECT_EQ(boxes.last().text, "There is no node to be collapsed at the cutoff point.");
    EXPECT_EQ(boxes.last().style, platform::mb::Information);
    EXPECT_EQ(shown(treeView()), collapsed);

    // A cut-off below every leaf height shows every leaf under the new root.
    child->CollapseWithCutOff(0);
    EXPECT_EQ(treeView().Children(1), Loci);
    EXPECT_NE(shown(treeView()), fullView);

}

TEST_F(ClusterRoad, ARefusedRunLeavesTheWindowAsItWas)
{
    // A blank value cell without "Has missing value": refused, nothing handed over.
    child->workbook().setCellEntry(1, 3, 3, "");
    child->RichTextBox1()->setPlainText(QStringLiteral("earlier report"));
    boxes.answer(Answer::Ok);  // the refusal
    cluster([&](analysis::frmClusterOpt& d) { choose(d, 2, 1); });
    EXPECT_NE(boxes.last().text.find("empty value cells"), std::string::npos) << boxes.last().text;
    EXPECT_EQ(treeView().Count(), 0);
    EXPECT_EQ(child->mRoot(), nullptr);
    EXPECT_EQ(outputView(), "earlier report");
}

// Escape leaves the dialog without a run; the window turns to its tree view
// all the same, with the Tree menu in place of the Analysis menu.
TEST_F(ClusterRoad, EscapeInTheDialogStillTurnsToTheTreeView)
{
    ASSERT_EQ(child->visibleView(), shell::View::Data);
    ASSERT_TRUE(clusterLeftWithEscape()) << "Escape closes the dialog";
    EXPECT_EQ(treeView().Count(), 0);
    EXPECT_EQ(child->visibleView(), shell::View::Tree);
    EXPECT_TRUE(child->ss()->isHidden());
    EXPECT_TRUE(frame->action(QStringLiteral("mnuTree"))->isVisible());
    EXPECT_FALSE(frame->action(QStringLiteral("mnuAnalysis"))->isVisible());
}

// A tree kept after No to "Delete the current tree" stays on screen when the
// dialog is then left, but the data it was clustered from is cleared: its
// expression plot says so, and clustering again brings the plot back.
TEST_F(ClusterRoad, ExpressionPlotAfterTheDataWasClearedSaysSoAndClusteringBringsItBack)
{
    boxes.answer(Answer::Ok);
    cluster([&](analysis::frmClusterOpt& d) { choose(d, 2, 1); });
    frame->ShowView(shell::View::Data);
    boxes.answer(Answer::No);
    ASSERT_TRUE(clusterLeftWithEscape());
    child->TreeView1()->Nodes().setSelected(1, true);
    std::int32_t plotted = 0;
    graphs::Graphics::setModalRunner([&](graphs::frmChart& w) { plotted = w.chart().columnCount(); });
    boxes.answer(Answer::Ok);
    frame->action(QStringLiteral("mnuTreeExprPlot"))->trigger();
    EXPECT_EQ(plotted, 0);
    EXPECT_EQ(boxes.last().text, shell::TreeCommands::DataClearedText);

    frame->ShowView(shell::View::Data);
    boxes.answer(Answer::No).answer(Answer::Ok);
    cluster([&](analysis::frmClusterOpt& d) { choose(d, 2, 1); });
    child->TreeView1()->Nodes().setSelected(1, true);
    frame->action(QStringLiteral("mnuTreeExprPlot"))->trigger();
    graphs::Graphics::setModalRunner({});
    EXPECT_EQ(plotted, Loci) << "one line per locus of the first tree";
    EXPECT_EQ(boxes.unscripted(), 0);
}

} // namespace

// Pictures of the windows a user checks numbers in, saved only when
// TESSARAY_SCREENSHOT_DIR names a folder: a standardised sheet (negative
// numbers in the grid's narrow columns), the tree view of single linkage on
// 1,500 loci scrolled to the right end of its deepest branch, and two
// workbooks after Window, Cascade.
TEST(TrustPictures, SheetTreeAndCascade)
{
    const char* dir = std::getenv("TESSARAY_SCREENSHOT_DIR");
    if (dir == nullptr) {
        GTEST_SKIP() << "pictures are taken only when TESSARAY_SCREENSHOT_DIR names a folder";
    }
    const std::string folder(dir);
    testsupport::TempDir temp;
    const testsupport::ScopedEnv windows("QUORIN_WINDOWS_DIR", temp.file("win").string());
    mQuorin::ProgramState program;
    mQuorin::ProgramScope scope(program);
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs installed(boxes);

    auto frame = std::make_unique<shell::MainFrame>();
    frame->Form_Load();
    frame->resize(1100, 720);
    frame->show();
    auto fill = [](spreadsheet::Workbook& book, int loci, int points, unsigned seed) {
        std::mt19937 gen(seed);
        std::normal_distribution<double> noise(0.0, 1.0);
        book.setCellEntry(1, 1, 1, "Gene");
        for (int t = 1; t <= points; ++t) {
            book.setCellEntry(1, 1, t + 1, "t" + std::to_string(t));
        }
        for (int g = 0; g < loci; ++g) {
            book.setCellEntry(1, g + 2, 1, "G" + std::to_string(g + 1));
            double level = 800 + 300 * noise(gen);
            for (int t = 0; t < points; ++t) {
                level += 120 * noise(gen);
                char cell[32];
                const auto end = std::to_chars(cell, cell + sizeof cell, std::max(level, 5.0), std::chars_format::fixed, 3);
                book.setCellEntry(1, g + 2, t + 2, std::string(cell, end.ptr));
            }
        }
    };

    shell::frmMDIChild* sheet = frame->NewDocument();
    fill(sheet->workbook(), 60, 8, 7);
    frame->action(QStringLiteral("mnuDataNormalize"))->trigger();
    sheet->parentWidget()->showMaximized();
    QApplication::processEvents();
    EXPECT_TRUE(frame->grab().save(QString::fromStdString(folder + "/sheet-negative-narrow.png")));

    shell::frmMDIChild* treeBook = frame->NewDocument();
    fill(treeBook->workbook(), 1500, 6, 11);
    analysis::ClusterChoice choice;
    choice.inRange = "$A$1:$G$1501";
    choice.method = 0;
    choice.index = 1;
    analysis::ClusterRun run(choice, program);
    ASSERT_EQ(run.CheckChoice(), "");
    ASSERT_EQ(run.ReadInput(treeBook->workbook()), "");
    run.Cluster();
    treeBook->MyRootNode(run.takeTree());
    treeBook->showView(shell::View::Tree);
    platform::TreeView* view = treeBook->TreeView1();
    TreeViewModel& nodes = view->Nodes();
    std::int32_t deepest = 1;
    int deepestLevel = 0;
    {
        platform::FrozenUpdates frozen(nodes);
        for (std::int32_t i = 1; i <= nodes.Count(); ++i) {
            nodes.setExpanded(i, true);
            int level = 0;
            for (std::int32_t p = nodes.Parent(i); p != 0; p = nodes.Parent(p)) {
                ++level;
            }
            if (level > deepestLevel) {
                deepestLevel = level;
                deepest = i;
            }
        }
    }
    treeBook->parentWidget()->showMaximized();
    QApplication::processEvents();
    view->scrollTo(view->indexOfNode(deepest), QAbstractItemView::PositionAtCenter);
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
    QApplication::processEvents();
    EXPECT_GT(view->horizontalScrollBar()->maximum(), 0) << "deepest level " << deepestLevel;
    EXPECT_TRUE(frame->grab().save(QString::fromStdString(folder + "/tree-deep-scrolled-right.png")));

    treeBook->parentWidget()->showNormal();
    sheet->parentWidget()->showNormal();
    treeBook->showView(shell::View::Data);
    frame->action(QStringLiteral("mnuWindowCascade"))->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(frame->grab().save(QString::fromStdString(folder + "/windows-cascade.png")));
}
