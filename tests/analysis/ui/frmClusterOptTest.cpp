#include "analysis/ui/frmClusterOpt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Guard.h"
#include "platform/runtime/Rnd.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/ErrHandler.h"
#include "shell/core/mQuorin.h"
#include "tests/support/ReportedErrors.h"

namespace {

using analysis::frmClusterOpt;
using platform::Answer;

struct FakeWindow : analysis::ClusterTarget {
    spreadsheet::Workbook book;
    std::unique_ptr<analysis::MyNode> root;
    std::string output = "old report";
    int roots = 0;
    spreadsheet::Workbook& workbook() override { return book; }
    void setMyRootNode(std::unique_ptr<analysis::MyNode> r) override
    {
        root = std::move(r);
        ++roots;
    }
    void setOutputText(const std::string& text) override { output = text; }

    void fill(const std::vector<std::vector<std::string>>& rows)
    {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            for (std::size_t j = 0; j < rows[i].size(); ++j) {
                if (!rows[i][j].empty()) {
                    book.setCellEntry(1, static_cast<std::int32_t>(i + 1), static_cast<std::int32_t>(j + 1),
                                      rows[i][j]);
                }
            }
        }
    }
};

// Each test runs with its own program state and scripted boxes.
struct ClusterDialog : ::testing::Test {
    mQuorin::ProgramState state;
    mQuorin::ProgramScope scope{state};
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs installed{boxes};
    FakeWindow window;
    platform::rt::RandomSource rng{5};

    std::unique_ptr<frmClusterOpt> loaded()
    {
        auto dialog = std::make_unique<frmClusterOpt>(window);
        dialog->setRandomSource(&rng);
        EXPECT_TRUE(dialog->Form_Load());
        return dialog;
    }
    std::vector<std::string> indexItems(const frmClusterOpt& d) const
    {
        std::vector<std::string> out;
        for (int i = 0; i < d.cboIndex->count(); ++i) {
            out.push_back(d.cboIndex->itemText(i).toStdString());
        }
        return out;
    }
};

const std::vector<std::vector<std::string>> Small = {{"", "t1", "t2"}, {"g1", "1", "2"}, {"g2", "3", "5"}};
const std::vector<std::vector<std::string>> Six = {{"Gene", "t1", "t2", "t3"}, {"a", "1", "2", "3"},
                                                   {"b", "2", "1", "0"},       {"c", "5", "7", "9"},
                                                   {"d", "1", "1.5", "2.5"},   {"e", "0", "3", "1"},
                                                   {"f", "4", "4", "5"}};

TEST_F(ClusterDialog, LoadFillsTheControls)
{
    window.fill(Small);
    auto d = loaded();
    EXPECT_EQ(d->windowTitle().toStdString(), "Cluster Options");
    EXPECT_EQ(d->txtInRange->text().toStdString(), "$A$1:$C$3");
    EXPECT_EQ(d->cboClusterMethod->count(), 7);
    EXPECT_EQ(d->cboClusterMethod->currentText().toStdString(), "Average Lingkage");
    EXPECT_EQ(d->cboClusterMethod->itemText(6).toStdString(), "SOM: Self-organizing map");
    EXPECT_EQ(d->cboIndex->count(), 8);
    EXPECT_EQ(d->cboIndex->currentText().toStdString(), "Spearman Correlation");
    EXPECT_FALSE(d->chkMissing->isChecked());
    EXPECT_TRUE(d->txtMissing->isHidden());
    EXPECT_TRUE(d->lblMissing->isHidden());
    EXPECT_EQ(d->txtMissing->text().toStdString(), "9.999999");
    EXPECT_FALSE(d->chkOutMat->isHidden());
    EXPECT_TRUE(d->optNewSheet->isChecked());
    EXPECT_TRUE(d->lblInfo->isHidden());
    EXPECT_EQ(state.gMissingCode, 9.999999);
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(ClusterDialog, TooSmallABlockIsNotShown)
{
    window.fill({{"", "t1", "t2"}, {"g1", "1", "2"}});
    frmClusterOpt d(window);
    EXPECT_FALSE(d.Form_Load());
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().text, "Not enough data for computing correlation.");
    EXPECT_EQ(boxes.last().style, platform::mb::Information);
}

TEST_F(ClusterDialog, CountsFallBackToAverageLinkage)
{
    window.fill(Small);
    struct Row {
        int method;
        const char* typed;
        const char* message;  // "" when no message
        const char* method_after;
        int indexCount;
        bool matrixShown;
    };
    const std::vector<Row> rows = {
        {4, "1",
         "The number of clusters needs to be larger than 1. Operation cancelled and the cluster method has "
         "defaulted to Average Lingkage",
         "Average Lingkage", 8, true},
        {5, "", "Operation cancelled and the cluster method has defaulted to Average Lingkage", "Average Lingkage", 8,
         true},
        {6, "abc", "Operation cancelled and the cluster method has defaulted to Average Lingkage", "Average Lingkage",
         8, true},
        {6, "1",
         "The number of clusters needs to be larger than 1. Operation cancelled and the cluster method has "
         "defaulted to Average Lingkage",
         "Average Lingkage", 8, true},
        {4, "5 clusters", "", "k_Mean-Hartigan", 8, false},
        {6, "20", "", "SOM: Self-organizing map", 2, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.typed) + " for " + std::to_string(row.method));
        auto d = loaded();
        boxes.clear();
        boxes.type(row.typed);
        d->cboClusterMethod->setCurrentIndex(row.method);
        d->cboClusterMethod_Click(row.method);
        ASSERT_GE(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.calls()[0].title, "Info");
        EXPECT_EQ(boxes.calls()[0].text, row.method == 6 ? "You need to specify the number of nodes in SOM:"
                                                         : "You need to specify the number of clusters you want:");
        if (*row.message != '\0') {
            ASSERT_EQ(boxes.calls().size(), 2u);
            EXPECT_EQ(boxes.last().text, row.message);
        } else {
            EXPECT_EQ(boxes.calls().size(), 1u);
        }
        EXPECT_EQ(d->cboClusterMethod->currentText().toStdString(), row.method_after);
        EXPECT_EQ(d->cboIndex->count(), row.indexCount);
        EXPECT_EQ(d->cboIndex->currentIndex(), row.indexCount == 2 ? 0 : 7);
        EXPECT_EQ(!d->chkOutMat->isHidden(), row.matrixShown);
    }
    auto d = loaded();
    boxes.type("5 clusters");
    d->cboClusterMethod->setCurrentIndex(4);
    d->cboClusterMethod_Click(4);
    EXPECT_EQ(d->count(), 5);
    d->cboClusterMethod->setCurrentIndex(6);
    boxes.type("20");
    d->cboClusterMethod_Click(6);
    EXPECT_EQ(indexItems(*d), (std::vector<std::string>{"Euclid distance", "Absolute distance"}));
}

TEST_F(ClusterDialog, CheckBoxesShowTheCodeAndWarnOfMemory)
{
    window.fill(Small);
    auto d = loaded();
    state.gMissingCode = -1;
    d->chkMissing->setChecked(true);
    d->chkMissing_Click();
    EXPECT_FALSE(d->txtMissing->isHidden());
    EXPECT_FALSE(d->lblMissing->isHidden());
    EXPECT_EQ(d->txtMissing->text().toStdString(), "-1");
    d->chkMissing->setChecked(false);
    d->chkMissing_Click();
    EXPECT_TRUE(d->txtMissing->isHidden());
    d->chkOutMat_Click();
    EXPECT_EQ(boxes.last().text, "If you have too many rows, then your computer may run out of memory when "
                                 "displaying the matrix and the program will stop responding.");
}

TEST_F(ClusterDialog, OkHandsTheTreeAndReportToTheWindowAndCloses)
{
    window.fill(Small);
    auto d = loaded();
    d->cboIndex->setCurrentIndex(1);
    d->show();
    d->cmdDone_Click();
    ASSERT_NE(window.root, nullptr);
    EXPECT_EQ(window.root->childCount(), 2u);
    EXPECT_EQ(window.output,
              "Cluster analysis\r\n\r\nNumber of loci: 2\r\nNumber of time points: 2\r\n"
              "No missing value specified.\r\nDistance: Euclidean distance\r\n"
              "Clustering method: Average linkage.\r\n");
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().text, "Options are recorded in the 'Output Window' under the Window menu.");
    EXPECT_EQ(boxes.last().title, "Tessaray");
    EXPECT_EQ(boxes.last().style, platform::mb::Information);
    EXPECT_TRUE(d->ranClustering());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_TRUE(d->lblInfo->isHidden());
}

TEST_F(ClusterDialog, RefusalKeepsTheDialogOpenAndHandsOverNothing)
{
    auto rows = Six;
    rows[3][2] = "";
    window.fill(rows);
    auto d = loaded();
    d->show();
    d->cmdDone_Click();
    EXPECT_EQ(window.roots, 0);
    EXPECT_EQ(window.output, "old report");
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().title, "Cluster Options");
    EXPECT_EQ(boxes.last().style, platform::mb::Exclamation);
    EXPECT_NE(boxes.last().text.find("1 empty value cells"), std::string::npos);
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(d->ranClustering());
    EXPECT_TRUE(d->cmdDone->isEnabled());
}

TEST_F(ClusterDialog, AFailedStepNeverHandsOverATreeWhateverTheAnswer)
{
    auto rows = Six;
    rows[2] = {"b", "2", "2", "2"};  // a constant profile: Pearson's r cannot be computed
    window.fill(rows);
    for (Answer answer : {Answer::Abort, Answer::Ignore}) {
        int reported = 0;
        platform::ScopedReporter reporter([&](const platform::Error& e) {
            ++reported;
            EXPECT_EQ(e.number(), platform::err::Overflow);
            return answer;
        });
        auto d = loaded();
        d->cboIndex->setCurrentIndex(6);
        d->show();
        d->cmdDone_Click();
        EXPECT_EQ(reported, 1);
        EXPECT_EQ(window.roots, 0);
        EXPECT_EQ(window.output, "old report");
        EXPECT_TRUE(d->isVisible());
    }
}

TEST_F(ClusterDialog, RetryRunsTheFailedStepAgain)
{
    auto rows = Six;
    rows[2] = {"b", "2", "2", "2"};
    window.fill(rows);
    std::vector<Answer> answers{Answer::Retry, Answer::Abort};
    std::size_t reported = 0;
    platform::ScopedReporter reporter([&](const platform::Error&) { return answers.at(reported++); });
    auto d = loaded();
    d->cboIndex->setCurrentIndex(6);
    d->cmdDone_Click();
    EXPECT_EQ(reported, 2u) << "the clustering step ran twice";
    EXPECT_EQ(window.roots, 0);
}

// Types `text` over what a line edit holds, as a user would.
void retype(QLineEdit* edit, const char* text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromLatin1(text));
}

void tick(QCheckBox* box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
}

TEST_F(ClusterDialog, RefusalsOfTypedValuesNameTheFieldAndChangeNothing)
{
    auto rows = Six;
    struct Row {
        const char* name;
        const char* range;    // typed over the input range; "" keeps it
        const char* missing;  // typed as the code with "Has missing value" ticked; "" leaves it unticked
        const char* text;     // put into sheet cell C5 first; "" keeps the number
        const char* message;
    };
    const Row cases[] = {
        {"code beyond a double", "", "1e999", "",
         "The missing value code \"1e999\" is too large: a number can be at most 1.79769313486231E+308. Please "
         "type the number that stands for a missing value."},
        {"code not a number", "", "abc", "",
         "The missing value code \"abc\" is not a number. Please type the number that stands for a missing value."},
        {"text cell", "", "", "n/a",
         "Cell C5 holds the text \"n/a\"; the analysis needs numbers. Replace it with a number, or with the "
         "missing-value code and tick Has missing value."},
        {"text cell with a code", "", "9.999999", "NA",
         "Cell C5 holds the text \"NA\"; the analysis needs numbers. Replace it with a number, or with the "
         "missing-value code and tick Has missing value."},
        {"range past the last row", "$A$1:$U$20000", "", "",
         "The input range \"$A$1:$U$20000\" reaches past the end of the worksheet: a worksheet holds 16,384 "
         "rows. Please type a range inside the sheet."},
        {"range past column IV", "$A$1:$IX$7", "", "",
         "The input range \"$A$1:$IX$7\" reaches past the end of the worksheet: a worksheet holds 256 columns "
         "(A to IV). Please type a range inside the sheet."},
    };
    for (const Row& row : cases) {
        SCOPED_TRACE(row.name);
        window.book.setCellEntry(1, 5, 3, *row.text != '\0' ? row.text : "1.5");
        window.fill(rows);
        if (*row.text != '\0') {
            window.book.setCellEntry(1, 5, 3, row.text);
        }
        state.gMissingCode = 9.999999;
        state.gDataReady = false;
        auto d = loaded();
        d->show();
        if (*row.range != '\0') {
            retype(d->txtInRange, row.range);
        }
        if (*row.missing != '\0') {
            tick(d->chkMissing);
            ASSERT_TRUE(d->chkMissing->isChecked());
            retype(d->txtMissing, row.missing);
        }
        testsupport::ReportedErrors reported;
        boxes.clear();
        QTest::mouseClick(d->cmdDone, Qt::LeftButton);
        EXPECT_EQ(reported.count, 0) << "no error box";
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.last().text, row.message);
        EXPECT_EQ(boxes.last().title, "Cluster Options");
        EXPECT_EQ(boxes.last().style, platform::mb::Exclamation);
        EXPECT_EQ(window.roots, 0);
        EXPECT_EQ(window.output, "old report");
        EXPECT_EQ(state.gMissingCode, 9.999999);
        EXPECT_FALSE(state.gDataReady);
        EXPECT_TRUE(d->isVisible());
        EXPECT_FALSE(d->ranClustering());
        EXPECT_TRUE(d->cmdDone->isEnabled());
    }
}

TEST_F(ClusterDialog, AnUntickedCodeIsNotRead)
{
    window.fill(Six);
    auto d = loaded();
    d->show();
    tick(d->chkMissing);
    retype(d->txtMissing, "1e999");
    tick(d->chkMissing);
    ASSERT_TRUE(d->txtMissing->isHidden());
    boxes.clear();
    QTest::mouseClick(d->cmdDone, Qt::LeftButton);
    ASSERT_EQ(window.roots, 1);
    EXPECT_TRUE(d->ranClustering());
    EXPECT_EQ(state.gMissingCode, 9.999999);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().text, "Options are recorded in the 'Output Window' under the Window menu.");
}

TEST_F(ClusterDialog, CountsTooLargeAreRefusedWithTheLargestAllowed)
{
    window.fill(Small);
    // The user picks the method from the list with the keyboard: "k" and "j"
    // find k-means and join, End the map.
    struct Row {
        Qt::Key key;
        const char* typed;
        const char* message;
    };
    const Row rows[] = {
        {Qt::Key_K, "1e10",
         "The number of clusters is too large: it can be at most 2147483647. Operation cancelled and the cluster "
         "method has defaulted to Average Lingkage"},
        {Qt::Key_J, "1e999",
         "The number of clusters is too large: it can be at most 2147483647. Operation cancelled and the cluster "
         "method has defaulted to Average Lingkage"},
        {Qt::Key_End, "3e9 nodes",
         "The number of nodes in SOM is too large: it can be at most 2147483647. Operation cancelled and the "
         "cluster method has defaulted to Average Lingkage"},
        {Qt::Key_K, "-1e10",
         "The number of clusters needs to be larger than 1. Operation cancelled and the cluster method has "
         "defaulted to Average Lingkage"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        testsupport::ReportedErrors reported;
        auto d = loaded();
        d->show();
        boxes.clear();
        boxes.type(row.typed);
        d->cboClusterMethod->setFocus();
        QTest::keyClick(d->cboClusterMethod, row.key);
        EXPECT_EQ(reported.count, 0) << "no error box";
        ASSERT_EQ(boxes.calls().size(), 2u);
        EXPECT_EQ(boxes.last().text, row.message);
        EXPECT_EQ(d->cboClusterMethod->currentText().toStdString(), "Average Lingkage");
        EXPECT_EQ(d->cboIndex->count(), 8);
    }
}

} // namespace
