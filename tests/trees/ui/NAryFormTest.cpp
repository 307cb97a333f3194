// The tree-drawing window driven offscreen: views, labels, scaling,
// re-rooting by a click, the clipboard, the tree file, printing and the
// drawing settings, with boxes answered from a script.

#include "trees/ui/NAryForm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QStandardPaths>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Guard.h"
#include "platform/print/QtPrinter.h"
#include "shell/core/mQuorin.h"
#include "tests/support/PdfReader.h"
#include "tests/support/LibreOffice.h"
#include "tests/support/TestSupport.h"

using trees::DrawItem;
using trees::NAryForm;
using trees::NAryNode;

namespace {

const std::string kTree = "((P:0.1,Q:0.2):0.05,R:0.3);";

std::vector<std::string> texts(const trees::DrawList& list)
{
    std::vector<std::string> out;
    for (const DrawItem& item : list.items) {
        if (item.kind == DrawItem::Kind::Text) {
            out.push_back(item.text);
        }
    }
    return out;
}

NAryNode* leafNamed(NAryNode& root, const std::string& name)
{
    std::vector<NAryNode*> stack{&root};
    while (!stack.empty()) {
        NAryNode* n = stack.back();
        stack.pop_back();
        if (n->IsLeaf() && n->Box().Caption == name) {
            return n;
        }
        for (const auto& c : n->Children()) {
            stack.push_back(c.get());
        }
    }
    return nullptr;
}

class NAryFormTest : public ::testing::Test {
protected:
    NAryFormTest()
        : m_programScope(program), m_dialogs(boxes), m_reporter([this](const platform::Error& e) {
              reported.push_back(e);
              return platform::Answer::Abort;
          })
    {
        program.gOutDir = dir.path().string();
        form.resize(700, 500);
    }
    ~NAryFormTest() override
    {
        platform::PrintTarget::setPdfOutput({});
        platform::PrintTarget::setDialogHandler({});
    }
    void trigger(const char* name)
    {
        QAction* a = form.action(name);
        ASSERT_NE(a, nullptr) << name;
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
    }

    testsupport::TempDir dir;
    mQuorin::ProgramState program;
    mQuorin::ProgramScope m_programScope;
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs m_dialogs;
    std::vector<platform::Error> reported;
    platform::ScopedReporter m_reporter;
    NAryForm form;
};

TEST_F(NAryFormTest, PhenogramShowsTheLeavesAndTheViewsSwapTheirItems)
{
    form.plot(0, kTree, 1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(texts(form.Picture1()->drawing()), (std::vector<std::string>{"P", "Q", "R"}));
    EXPECT_FALSE(form.action("TreePhen")->isEnabled());
    EXPECT_TRUE(form.action("TreeClad")->isEnabled());
    const auto phenogram = form.Picture1()->drawing().items.size();

    trigger("TreeClad");
    EXPECT_FALSE(form.isPhenogramShown());
    EXPECT_TRUE(form.action("TreePhen")->isEnabled());
    EXPECT_FALSE(form.action("TreeClad")->isEnabled());
    trigger("TreePhen");
    EXPECT_EQ(form.Picture1()->drawing().items.size(), phenogram);

    // Inner labels twice give the first drawing back.
    trigger("TreeInNodeLabel");
    EXPECT_GT(texts(form.Picture1()->drawing()).size(), 3u);
    trigger("TreeInNodeLabel");
    EXPECT_EQ(texts(form.Picture1()->drawing()), (std::vector<std::string>{"P", "Q", "R"}));
    EXPECT_TRUE(reported.empty());
}

TEST_F(NAryFormTest, ScaleBarComesWithItsNotice)
{
    form.plot(0, kTree, 1);
    trigger("TreeScale");
    EXPECT_TRUE(form.action("TreeScale")->isChecked());
    ASSERT_FALSE(boxes.calls().empty());
    EXPECT_EQ(boxes.last().text, std::string(trees::TreeLayout::ScaleBarNotice));
    const auto t = texts(form.Picture1()->drawing());
    EXPECT_EQ(t.back(), "0.1");  // the bar's length for a depth of 0.35
}

TEST_F(NAryFormTest, LabelsAnswerClicksOnlyAfterReRootIsChosen)
{
    form.plot(0, kTree, 1);
    const std::string before = form.model().NHText();
    NAryNode* p = leafNamed(*form.model().RootNode(), "P");
    ASSERT_NE(p, nullptr);
    form.NodeLabel_Click(*p);  // labels are disabled
    EXPECT_EQ(form.model().NHText(), before);

    trigger("TreeReRoot");
    EXPECT_EQ(boxes.last().text, "Click the node that you wish to root by");
    EXPECT_TRUE(form.labelsEnabled());
    // A click lands on the label's place on the surface.
    p = leafNamed(*form.model().RootNode(), "P");
    const QPoint at(static_cast<int>((p->Box().Left + 10) / trees::TwipsPerPixel),
                    static_cast<int>((p->Box().Top + 10) / trees::TwipsPerPixel));
    ASSERT_EQ(form.Picture1()->labelAt(at), p);
    form.NodeLabel_Click(*p);
    EXPECT_FALSE(form.labelsEnabled());
    EXPECT_NE(form.model().NHText(), before);
    EXPECT_EQ(form.model().LeafNames().size(), 3u);
    EXPECT_TRUE(reported.empty());
}

TEST_F(NAryFormTest, NewickTravelsThroughTheClipboardAndBadTextKeepsTheTree)
{
    form.plot(0, kTree, 1);
    trigger("TreeCopyNH");
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), kTree);

    QGuiApplication::clipboard()->setText(QStringLiteral("(A, B,\nC);"));
    trigger("TreePasteNH");
    EXPECT_EQ(form.model().NHText(), "(A,B,C);");
    EXPECT_EQ(texts(form.Picture1()->drawing()), (std::vector<std::string>{"A", "B", "C"}));

    // Text that is no tree: a plain message says what is wrong, and the
    // tree shown stays.
    boxes.clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("((A,B),C;"));
    trigger("TreePasteNH");
    EXPECT_TRUE(reported.empty());
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().text, NAryForm::PasteRefusal("Left and right parentheses do not match."));
    EXPECT_EQ(boxes.last().style & 0x70, platform::mb::Exclamation);
    EXPECT_EQ(form.model().NHText(), "(A,B,C);");
    EXPECT_EQ(texts(form.Picture1()->drawing()), (std::vector<std::string>{"A", "B", "C"}));

    trigger("TreeCopy");
    EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());
}

TEST_F(NAryFormTest, ABadTreeOfThousandsOfLeavesIsRefusedWithWhatIsWrong)
{
    form.plot(0, kTree, 1);
    // 12,000 leaves with one branch length mistyped in the middle, an empty
    // clipboard, plain words, one leaf.
    std::string big = "(";
    for (int i = 0; i < 12000; ++i) {
        big += (i > 0 ? "," : "") + std::string("(") + std::to_string(1000 + i) + "_at:0.1," +
               std::to_string(50000 + i) + "_at:" + (i == 6000 ? "0.2x" : "0.2") + "):0.05";
    }
    big += ");";
    struct Row {
        std::string clipboard;
        std::string reasonPart;
    } rows[] = {
        {big, "the branch length \"0.2x\" is not a number."},
        {"", "The tree text is empty."},
        {"hello world", "does not begin with \"(\""},
        {"(A:1);", "only one leaf"},
    };
    for (const Row& r : rows) {
        boxes.clear();
        reported.clear();
        QGuiApplication::clipboard()->setText(QString::fromStdString(r.clipboard));
        trigger("TreePasteNH");
        EXPECT_TRUE(reported.empty()) << r.reasonPart;
        ASSERT_EQ(boxes.calls().size(), 1u) << r.reasonPart;
        EXPECT_EQ(boxes.last().text.rfind("The clipboard does not hold a tree in Newick form", 0), 0u);
        EXPECT_NE(boxes.last().text.find(r.reasonPart), std::string::npos) << boxes.last().text;
        EXPECT_EQ(form.model().NHText(), kTree) << r.reasonPart;
        EXPECT_EQ(texts(form.Picture1()->drawing()), (std::vector<std::string>{"P", "Q", "R"})) << r.reasonPart;
    }
    // The same tree mended pastes whole.
    boxes.clear();
    std::string mended = big;
    mended.replace(mended.find("0.2x"), 4, "0.2");
    QGuiApplication::clipboard()->setText(QString::fromStdString(mended));
    trigger("TreePasteNH");
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_EQ(form.model().NameCount(), 24000);
}

// A tree text the reader refuses, given to the window or rebuilt from by a
// command, is told in one plain box with the reader's reason, not reported;
// given to the window, it opens no window.
TEST_F(NAryFormTest, ATreeTextTheReaderRefusesIsToldWithItsReason)
{
    struct Row {
        const char* command;  // run after plotting "();", or null
        std::string reason;
    } rows[] = {
        {nullptr, "Character 2: the group \"()\" holds no leaf."},
        {"TreeRecPhe", "The branch list holds no branches."},
    };
    for (const Row& r : rows) {
        form.close();
        EXPECT_FALSE(form.plot(0, "();", 1));
        EXPECT_FALSE(form.isVisible()) << r.reason;
        EXPECT_EQ(form.model().RootNode(), nullptr) << r.reason;
        if (r.command != nullptr) {
            boxes.clear();
            trigger(r.command);
        }
        ASSERT_EQ(boxes.calls().size(), 1u) << r.reason;
        EXPECT_EQ(boxes.last().text, NAryForm::TreeTextRefusal(r.reason));
        EXPECT_EQ(boxes.last().style, platform::mb::Exclamation | platform::mb::OkOnly);
        EXPECT_TRUE(reported.empty()) << r.reason;
        boxes.clear();
    }
}

TEST_F(NAryFormTest, NegativeBranchLengthsAreDrawnGoingBackAtTheirLength)
{
    form.plot(0, kTree, 1);
    // Each branch's length as drawn, in the order of the text: how far its
    // node stands right of its parent (a leaf beyond its two label widths).
    struct Row {
        const char* tree;
        std::vector<double> lengths;
    } rows[] = {
        {"(a:-5,b:2);", {-5, 2}},
        {"((a:1,b:2):-3,c:1);", {-3, 1, 2, 1}},
        {"(a:-1,b:-2);", {-1, -2}},
        {"(a:0,b:1);", {0.0001, 1}},  // a zero length shows as the shortest branch
    };
    for (const Row& r : rows) {
        boxes.clear();
        QGuiApplication::clipboard()->setText(QString::fromLatin1(r.tree));
        trigger("TreePasteNH");
        EXPECT_TRUE(boxes.calls().empty()) << r.tree;
        std::vector<double> drawn;
        std::vector<std::pair<const NAryNode*, const NAryNode*>> stack{{form.model().RootNode(), nullptr}};
        while (!stack.empty()) {
            const auto [node, parent] = stack.back();
            stack.pop_back();
            if (parent != nullptr) {
                const double offset = node->IsLeaf() ? 2 * form.model().LabelWidth() : 0;
                drawn.push_back((node->Box().Left - parent->Box().Left - offset) / form.model().XScale());
            }
            for (auto it = node->Children().rbegin(); it != node->Children().rend(); ++it) {
                stack.emplace_back(it->get(), node);
            }
        }
        ASSERT_EQ(drawn.size(), r.lengths.size()) << r.tree;
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            EXPECT_NEAR(drawn[i], r.lengths[i], 1e-9) << r.tree << " branch " << i;
        }
        // The tree stays on the surface: no line left of the root's margin
        // or past the surface's right edge.
        for (const DrawItem& item : form.Picture1()->drawing().items) {
            if (item.kind == DrawItem::Kind::Line) {
                EXPECT_GE(std::min(item.x1, item.x2), trees::TreeLayout::RootX) << r.tree;
                EXPECT_LE(std::max(item.x1, item.x2), form.surfaceWidthTwips()) << r.tree;
            }
        }
    }
}

TEST_F(NAryFormTest, EveryPartOfATallTreeIsPaintedWhereItIsShown)
{
    std::string text = "(";
    for (int i = 0; i < 6000; ++i) {
        text += (i > 0 ? "," : "") + std::string("(") + std::to_string(1000 + i) + "_at:0.1," +
                std::to_string(50000 + i) + "_at:0.2):0.05";
    }
    text += ");";
    form.plot(0, text, 1);
    trees::TreeCanvas* canvas = form.Picture1();
    ASSERT_GT(canvas->height(), 100000);
    // Bands at the top, the middle and the bottom, and one that cuts the
    // labels of a row in half, each painted alone as a scrolled window
    // paints them: the same pixels as in one painting of the whole band.
    const int w = canvas->width();
    for (const int y : {0, canvas->height() / 2 + 7, canvas->height() - 300}) {
        const QRect band(0, y, w, 300);
        const QImage alone = canvas->grab(band).toImage();
        int inked = 0;
        for (int yy = 0; yy < alone.height(); ++yy) {
            for (int x = 0; x < alone.width(); ++x) {
                inked += alone.pixel(x, yy) != qRgb(255, 255, 255) ? 1 : 0;
            }
        }
        EXPECT_GT(inked, 500) << "band at " << y;
        QImage whole(w, 300, QImage::Format_RGB32);
        whole.fill(Qt::white);
        {
            QPainter painter(&whole);
            painter.translate(0, -y);
            trees::paintDrawList(painter, canvas->drawing(), 1.0 / trees::TwipsPerPixel, canvas->drawing().penWidth);
        }
        EXPECT_EQ(alone.convertToFormat(QImage::Format_RGB32), whole) << "band at " << y;
    }
}

TEST_F(NAryFormTest, TreeFileHoldsTheNewickTextAndReadsBack)
{
    form.plot(0, kTree, 1);
    boxes.cancelFile();
    trigger("TreeSave");
    EXPECT_TRUE(boxes.calls().empty());  // cancelled: nothing shown

    const auto file = dir.file("tree.DND");
    boxes.choose(file.string());
    trigger("TreeSave");
    EXPECT_EQ(testsupport::readFile(file), kTree + "\r\n");
    EXPECT_EQ(boxes.last().title, "File Saved");
    EXPECT_EQ(boxes.last().text, "The tree has been saved to file " + file.string() +
                                     ". You may view the tree latter by click the main menu File|View Tree.");

    NAryForm again;
    again.plot(0, testsupport::readFile(file), 1);
    EXPECT_EQ(texts(again.Picture1()->drawing()), texts(form.Picture1()->drawing()));
}

TEST_F(NAryFormTest, AddedLeafJoinsTheTreeBelowTheClickedNode)
{
    form.plot(0, kTree, 1);
    trigger("TreeAdd");
    boxes.type("Cheetah, 0.33");
    form.NodeLabel_Click(*form.model().RootNode());
    EXPECT_NE(form.model().NHText().find("Cheetah:0.33000"), std::string::npos) << form.model().NHText();
    EXPECT_EQ(form.model().LeafNames().size(), 4u);

    trigger("TreeAdd");
    boxes.type("");
    form.NodeLabel_Click(*form.model().RootNode());
    EXPECT_EQ(boxes.last().text, "You have cancelled the operation.");
    EXPECT_EQ(form.model().LeafNames().size(), 4u);

    // A branch length beyond a double is refused in words; the tree stays.
    const std::string before = form.model().NHText();
    trigger("TreeAdd");
    boxes.type("Lynx, 1e999");
    form.NodeLabel_Click(*form.model().RootNode());
    EXPECT_EQ(boxes.last().text,
              "The branch length is too large: it can be at most 1.79769313486231E+308. The OTU was not added.");
    EXPECT_EQ(boxes.last().title, "Adding OTU");
    EXPECT_EQ(form.model().NHText(), before);
    EXPECT_EQ(form.model().LeafNames().size(), 4u);
}

TEST_F(NAryFormTest, SettingsChangeSpacingAndChecks)
{
    form.plot(0, kTree, 1);
    EXPECT_TRUE(form.action("PrintFS8")->isChecked());
    EXPECT_TRUE(form.action("PrintLTFive")->isChecked());
    trigger("PrintFS16");
    EXPECT_EQ(form.model().YGap(), 200);
    EXPECT_TRUE(form.action("PrintFS16")->isChecked());
    EXPECT_FALSE(form.action("PrintFS8")->isChecked());
    EXPECT_EQ(form.Picture1()->drawing().fontPoints, 16);
    trigger("PrintLT12");
    EXPECT_EQ(form.Picture1()->drawing().penWidth, 6);
    trigger("PrintVS10");
    EXPECT_EQ(form.model().YGap(), 220);
}

TEST_F(NAryFormTest, LeafLabelsOfALargeTreeNeverOverlap)
{
    std::string tree = "(";
    for (int i = 0; i < 500; ++i) {
        tree += (i ? "," : "") + std::string("(probe_") + std::to_string(i) + "_at:0.1,x" + std::to_string(i) +
                ":0.2):0.05";
    }
    tree += ");";
    form.plot(0, tree, 1);
    std::vector<double> tops;
    for (const DrawItem& item : form.Picture1()->drawing().items) {
        if (item.kind == DrawItem::Kind::Text) {
            tops.push_back(item.y1);
        }
    }
    ASSERT_EQ(tops.size(), 1000u);
    std::sort(tops.begin(), tops.end());
    for (std::size_t i = 1; i < tops.size(); ++i) {
        // 8-point text is 160 twips high; the slots are a label height apart.
        EXPECT_GE(tops[i] - tops[i - 1], 160.0) << i;
    }
    // The surface scrolls to show them all.
    EXPECT_GT(form.Picture1()->height(), form.findChild<QScrollArea*>()->viewport()->height());
}

TEST_F(NAryFormTest, PrintNowPutsEveryLeafOnThePage)
{
    form.plot(0, kTree, 1);
    platform::PrintTarget::setPdfOutput(QString::fromStdString(dir.file("tree.pdf").string()));
    bool cancel = true;
    platform::PrintTarget::setDialogHandler([&](QPrinter&, QWidget*) { return !cancel; });
    trigger("PrintNow");
    EXPECT_FALSE(std::filesystem::exists(dir.file("tree.pdf")));
    cancel = false;
    form.model().FontSizeFamily(16);
    trigger("PrintNow");
    ASSERT_TRUE(std::filesystem::exists(dir.file("tree.pdf")));
    EXPECT_EQ(form.model().YGap(), 100);  // the spacing scaled back to 8 points stays
    if (testsupport::hasPoppler()) {
        const auto text = testsupport::pdfText(dir.file("tree.pdf"));
        ASSERT_TRUE(text.has_value());
        for (const char* leaf : {"P", "Q", "R"}) {
            EXPECT_NE(text->find(leaf), std::string::npos) << leaf;
        }
        EXPECT_EQ(testsupport::pdfPageCount(dir.file("tree.pdf")), 1);
    }
}

// A tree of `pairs` pairs of leaves "leaf_001", "leaf_002", ...
std::string pairedTree(int pairs)
{
    const auto leaf = [](int i) {
        std::string n = std::to_string(i);
        return "leaf_" + std::string(3 - std::min<std::size_t>(3, n.size()), '0') + n;
    };
    std::string text = "(";
    for (int i = 0; i < pairs; ++i) {
        text += (i > 0 ? "," : "") + std::string("(") + leaf(2 * i + 1) + ":0.1," + leaf(2 * i + 2) + ":0.2):0.05";
    }
    return text + ");";
}

// A tree taller than a sheet prints over as many pages as it needs, every
// leaf whole on a page and none twice; one that fits prints on one page.
TEST_F(NAryFormTest, PrintNowPutsATallTreeOnAsManyPagesAsItNeeds)
{
    if (!testsupport::hasPoppler()) {
        GTEST_SKIP() << "pdftotext and pdfinfo are not installed";
    }
    platform::PrintTarget::setDialogHandler([](QPrinter&, QWidget*) { return true; });
    struct Row {
        const char* name;
        int leaves;
        bool scaled;
        int minPages;
        int maxPages;
    };
    const Row rows[] = {
        {"300 leaves", 300, false, 3, 40},
        {"300 leaves with the scale bar", 300, true, 3, 40},
        {"120 leaves", 120, false, 3, 3},
        {"20 leaves", 20, false, 1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        form.close();
        form.plot(0, pairedTree(row.leaves / 2), 1);
        if (row.scaled) {
            trigger("TreeScale");
        }
        const auto pdf = dir.file(std::string(row.name) + ".pdf");
        platform::PrintTarget::setPdfOutput(QString::fromStdString(pdf.string()));
        trigger("PrintNow");
        ASSERT_TRUE(std::filesystem::exists(pdf));
        const int pages = testsupport::pdfPageCount(pdf);
        EXPECT_GE(pages, row.minPages);
        EXPECT_LE(pages, row.maxPages);
        const auto words = testsupport::pdfWords(pdf);
        ASSERT_TRUE(words.has_value());
        std::map<std::string, int> printed;
        for (const auto& w : *words) {
            if (w.text.rfind("leaf_", 0) == 0) {
                EXPECT_TRUE(w.insidePage()) << w.text;
                ++printed[w.text];
            }
        }
        EXPECT_EQ(printed.size(), static_cast<std::size_t>(row.leaves));
        for (const auto& [name, count] : printed) {
            EXPECT_EQ(count, 1) << name;
        }
        // The three-page printout is kept for a look when asked for.
        if (const char* keep = std::getenv("TESSARAY_TREE_PRINTOUT"); keep != nullptr && pages == 3) {
            std::filesystem::copy_file(pdf, keep, std::filesystem::copy_options::overwrite_existing);
        }
    }
    EXPECT_TRUE(reported.empty());
}

// A printout of many pages shows how far it has come; Cancel drops it
// whole and says so.
TEST_F(NAryFormTest, CancelStopsALongPrintoutAndLeavesNoDocument)
{
    platform::PrintTarget::setDialogHandler([](QPrinter&, QWidget*) { return true; });
    const auto pdf = dir.file("long.pdf");
    platform::PrintTarget::setPdfOutput(QString::fromStdString(pdf.string()));
    form.plot(0, pairedTree(1500), 1);
    int pages = 0;
    int cancelledAt = -1;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (progress != nullptr && cancelledAt < 0 && progress->value() >= 3) {
            pages = progress->maximum();
            cancelledAt = progress->value();
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        }
    });
    watch.start(0);
    trigger("PrintNow");
    watch.stop();
    EXPECT_GT(pages, 20);
    EXPECT_GE(cancelledAt, 3);
    EXPECT_LT(cancelledAt, pages - 1);
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_EQ(boxes.last().text, "Printing was cancelled.");
    EXPECT_TRUE(reported.empty());
}

// Escape ends the window as its close button does: the tree goes, so the
// next Show subtree meets a closed window and draws (and prints) its own
// tree instead of the drawing of the one before.
TEST_F(NAryFormTest, EscapeClosesTheWindowSoTheNextTreeIsDrawnAndPrinted)
{
    platform::PrintTarget::setDialogHandler([](QPrinter&, QWidget*) { return true; });
    const auto first = dir.file("first.pdf");
    const auto second = dir.file("second.pdf");
    QTimer::singleShot(0, [&] {
        platform::PrintTarget::setPdfOutput(QString::fromStdString(first.string()));
        trigger("PrintNow");
        QTest::keyClick(&form, Qt::Key_Escape);
    });
    std::string text = pairedTree(150);
    form.PlotTree(0, text, 1);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.model().Initialised());
    EXPECT_EQ(form.model().RootNode(), nullptr);
    ASSERT_TRUE(std::filesystem::exists(first));

    std::vector<std::string> shown;
    QTimer::singleShot(0, [&] {
        shown = texts(form.Picture1()->drawing());
        platform::PrintTarget::setPdfOutput(QString::fromStdString(second.string()));
        trigger("PrintNow");
        trigger("TreeExit");
    });
    text = "((A:0.1,B:0.2):0.05,C:0.3);";
    form.PlotTree(0, text, 1);
    EXPECT_EQ(shown, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_TRUE(reported.empty());
}

// Print Now that prints nothing says why, unless the user cancelled a
// question of the printer set-up (which is answer enough).
TEST_F(NAryFormTest, PrintNowThatPrintsNothingSaysWhy)
{
    const auto missingFolder = dir.path() / "no such folder" / "tree.pdf";
    const std::string refusedText =
        "The tree was not printed. The PDF file \"" + missingFolder.string() + "\" could not be written.";
    struct Row {
        const char* name;
        std::function<void()> prepare;
        std::string pdf;          // the PDF output ("" for the file dialog)
        bool dialogAccepts;
        std::string message;      // "" when nothing is said
    };
    const Row rows[] = {
        {"a window that never held a tree", [] {}, dir.file("none.pdf").string(), true, "There is no tree to print."},
        {"a tree given to the open window",
         [&] {
             form.plot(0, kTree, 1);
             form.plot(0, "(A,B,C);", 1);
             EXPECT_TRUE(form.Picture1()->drawing().items.empty()) << "the drawing of the tree that went";
         },
         dir.file("again.pdf").string(), true, "There is no tree to print."},
        {"a PDF file in a folder that does not exist", [&] { form.plot(0, kTree, 1); }, missingFolder.string(), true,
         refusedText},
        {"the print dialog cancelled", [&] { form.plot(0, kTree, 1); }, dir.file("cancelled.pdf").string(), false,
         ""},
        {"the choice of the PDF file cancelled",
         [&] {
             form.plot(0, kTree, 1);
             boxes.cancelFile();
         },
         "", true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.pdf.empty() && platform::PrintTarget::hasSystemPrinter()) {
            continue;  // the job would go to the printer, not to a file
        }
        form.close();
        boxes.clear();
        row.prepare();
        platform::PrintTarget::setPdfOutput(QString::fromStdString(row.pdf));
        const bool accepts = row.dialogAccepts;
        platform::PrintTarget::setDialogHandler([accepts](QPrinter&, QWidget*) { return accepts; });
        trigger("PrintNow");
        if (row.message.empty()) {
            EXPECT_TRUE(boxes.calls().empty()) << boxes.last().text;
        } else {
            ASSERT_EQ(boxes.calls().size(), 1u);
            EXPECT_EQ(boxes.last().text, row.message);
            EXPECT_EQ(boxes.last().title, "Print");
        }
        if (row.pdf.empty()) {
            EXPECT_EQ(boxes.fileRequests().size(), 1u) << "the PDF file was asked for";
        } else {
            EXPECT_FALSE(std::filesystem::exists(row.pdf));
        }
    }
    EXPECT_FALSE(std::filesystem::exists(missingFolder.parent_path()));
    EXPECT_TRUE(reported.empty());
}

// Where the window's parts lie, in the window's coordinates.
struct WindowLayout {
    QRect canvas;     // the drawing surface's part in sight
    QSize surface;    // the whole drawing surface
    QRect viewport;
    bool hBar = false;
    bool vBar = false;
    QRect hBarRect;
    QRect vBarRect;
    int hValue = 0;
    int vValue = 0;

    friend bool operator==(const WindowLayout&, const WindowLayout&) = default;
};

std::ostream& operator<<(std::ostream& out, const WindowLayout& l)
{
    const auto rect = [](const QRect& r) {
        return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
               std::to_string(r.height());
    };
    return out << "surface " << l.surface.width() << "x" << l.surface.height() << " in sight " << rect(l.canvas)
               << ", viewport " << rect(l.viewport) << ", bars " << (l.hBar ? rect(l.hBarRect) : "-") << " / "
               << (l.vBar ? rect(l.vBarRect) : "-") << ", scrolled " << l.hValue << "," << l.vValue;
}

WindowLayout layoutOf(NAryForm& form)
{
    QApplication::processEvents();
    auto* scroll = form.findChild<QScrollArea*>();
    WindowLayout l;
    QWidget* viewport = scroll->viewport();
    const QRect inSight = form.Picture1()->geometry().intersected(viewport->rect());
    l.canvas = QRect(viewport->mapTo(&form, inSight.topLeft()), inSight.size());
    l.surface = form.Picture1()->size();
    l.viewport = QRect(viewport->mapTo(&form, QPoint(0, 0)), viewport->size());
    l.hBar = scroll->horizontalScrollBar()->isVisible();
    l.vBar = scroll->verticalScrollBar()->isVisible();
    const auto barRect = [&form](QWidget* bar) { return QRect(bar->mapTo(&form, QPoint(0, 0)), bar->size()); };
    l.hBarRect = l.hBar ? barRect(scroll->horizontalScrollBar()) : QRect();
    l.vBarRect = l.vBar ? barRect(scroll->verticalScrollBar()) : QRect();
    l.hValue = scroll->horizontalScrollBar()->value();
    l.vValue = scroll->verticalScrollBar()->value();
    return l;
}

// Show subtree opens the window modally, each time on the same tree: it
// is laid out the same way each time, and the scroll bars that a tall
// drawing needs stay in sight, also after a re-root.
TEST_F(NAryFormTest, TheSameTreeOpensInTheSameLayoutWithItsScrollBarsInSight)
{
    const std::string tree = pairedTree(60);
    std::vector<WindowLayout> opened;
    for (int i = 0; i < 3; ++i) {
        QTimer::singleShot(0, [&] {
            opened.push_back(layoutOf(form));
            trigger("TreeExit");
        });
        std::string text = tree;
        form.PlotTree(0, text, 1);
    }
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[1], opened[0]);
    EXPECT_EQ(opened[2], opened[0]);

    // A window narrower than the least surface needs both bars.
    form.resize(300, 400);
    WindowLayout reRooted;
    std::string reRootedText;
    QTimer::singleShot(0, [&] {
        QApplication::processEvents();
        trigger("TreeReRoot");
        NAryNode* leaf = leafNamed(*form.model().RootNode(), "leaf_007");
        ASSERT_NE(leaf, nullptr);
        QTest::mouseClick(form.Picture1(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(static_cast<int>((leaf->Box().Left + 10) / trees::TwipsPerPixel),
                                 static_cast<int>((leaf->Box().Top + 10) / trees::TwipsPerPixel)));
        reRooted = layoutOf(form);
        reRootedText = form.model().NHText();
        trigger("TreeExit");
    });
    std::string text = tree;
    form.PlotTree(0, text, 1);
    EXPECT_TRUE(reRooted.hBar) << reRooted;
    EXPECT_FALSE(reRootedText.empty());
    EXPECT_NE(reRootedText, tree) << "the click re-rooted the tree";
    for (const WindowLayout& l : {opened[0], reRooted}) {
        EXPECT_TRUE(l.vBar) << l;
        EXPECT_FALSE(l.canvas.intersects(l.hBarRect)) << l;
        EXPECT_FALSE(l.canvas.intersects(l.vBarRect)) << l;
        // A surface wider than the viewport has the bar that scrolls it.
        EXPECT_EQ(l.hBar, l.surface.width() > l.viewport.width()) << l;
    }
    EXPECT_TRUE(reported.empty());
}

TEST_F(NAryFormTest, ClosingForgetsTheTreeAndTheNextPlotStartsAfresh)
{
    form.plot(0, kTree, 1);
    form.model().FontSizeFamily(16);
    trigger("TreeExit");
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.model().RootNode(), nullptr);
    EXPECT_FALSE(form.model().Initialised());
    form.plot(0, "(A,B,C);", 1);
    EXPECT_EQ(form.model().YGap(), 100);
    EXPECT_EQ(texts(form.Picture1()->drawing()), (std::vector<std::string>{"A", "B", "C"}));
}

} // namespace

namespace {

TEST_F(NAryFormTest, MetafileCopiesAndFilesHoldTheTree)
{
    form.plot(0, kTree, 1);
    trigger("TreeCopyEMF");
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    const QByteArray emf = data->data(QStringLiteral("image/emf"));
    ASSERT_GT(emf.size(), 88);
    EXPECT_EQ(emf.mid(40, 4), QByteArray(" EMF"));

    boxes.cancelFile();
    trigger("TreeSaveEMF");
    EXPECT_TRUE(boxes.calls().empty());
    const auto file = dir.file("tree.emf");
    boxes.choose(file.string());
    const mode_t umask = ::umask(022);
    trigger("TreeSaveEMF");
    ::umask(umask);
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(testsupport::readFile(file).substr(40, 4), " EMF");
    using P = std::filesystem::perms;
    EXPECT_EQ(std::filesystem::status(file).permissions() & P::all,
              P::owner_read | P::owner_write | P::group_read | P::others_read)
        << "a saved metafile has the permissions of any file the user saves";
    for (const auto& e : reported) {
        ADD_FAILURE() << e.number() << " " << e.source() << ": " << e.description();
    }
}

// LibreOffice opens the saved tree at the tree's size and upright: the
// group of six leaves above, the lone long branch below.
TEST_F(NAryFormTest, SavedMetafileOpensInLibreOfficeUpright)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) {
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    }
    form.plot(0, "((A:0.1,B:0.1,C:0.1,D:0.1,E:0.1,F:0.1):0.05,Z:0.3);", 1);
    const auto file = dir.file("tree.emf");
    boxes.choose(file.string());
    trigger("TreeSaveEMF");
    ASSERT_TRUE(std::filesystem::exists(file));

    testsupport::OfficeRun run;
    run.program = soffice.toStdString();
    run.profile = dir.file("lo");
    run.args = {"--convert-to", "png", "--outdir", dir.path().string(), file.string()};
    run.done = [this] { return std::filesystem::exists(dir.file("tree.png")); };
    ASSERT_TRUE(testsupport::runOffice(run));
    const QImage picture(QString::fromStdString(dir.file("tree.png").string()));
    ASSERT_FALSE(picture.isNull());
    // The reader puts the drawing on a page; look at its ink only.
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QRect ink;
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            if (qGray(rgb.pixel(x, y)) < 200) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    ASSERT_FALSE(ink.isEmpty()) << "the picture is blank";
    // Upright: the lone leaf Z, with the longest branch, stands below the
    // group of six, so the ink at the far right lies in the lower half.
    double sumY = 0;
    qint64 count = 0;
    for (int y = ink.top(); y <= ink.bottom(); ++y) {
        for (int x = ink.left() + ink.width() * 4 / 5; x <= ink.right(); ++x) {
            if (qGray(rgb.pixel(x, y)) < 200) {
                sumY += y;
                ++count;
            }
        }
    }
    ASSERT_GT(count, 0);
    EXPECT_GT(sumY / static_cast<double>(count), ink.center().y()) << "the tree is upside down";
    // At its own size: the branches span their twips at 96 pixels an inch.
    double left = 1e9;
    double right = 0;
    for (const DrawItem& item : form.Picture1()->drawing().items) {
        if (item.kind == DrawItem::Kind::Line) {
            left = std::min({left, item.x1, item.x2});
            right = std::max({right, item.x1, item.x2});
        }
    }
    const double branchesPx = (right - left) / 15.0;
    EXPECT_GE(ink.width(), branchesPx * 0.9);
    EXPECT_LE(ink.width(), form.surfaceWidthTwips() / 15.0);
}

} // namespace
