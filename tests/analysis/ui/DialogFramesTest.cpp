// The frames and the tab order of the analysis dialogs that build them from
// the shared pieces (analysis/ui/DialogFrames.h): Tab goes through each
// dialog's controls in the order they stand, frame by frame.

#include "analysis/ui/DialogFrames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/ui/OrdinationDialogs.h"
#include "analysis/ui/frmClusterOpt.h"
#include "platform/spreadsheet/Workbook.h"

namespace {

struct NoWindow final : analysis::OrdinationTarget, analysis::ClusterTarget {
    spreadsheet::Workbook book;
    spreadsheet::Workbook& workbook() override { return book; }
    spreadsheet::Workbook& newWorkbook() override { return book; }
    void setOutputText(const std::string&) override {}
    void setMyRootNode(std::unique_ptr<analysis::MyNode>) override {}
    void plot(const std::vector<double>&, const std::vector<double>&, const std::string&, const std::string&,
              const std::vector<std::string>&) override
    {
    }
};

// The widgets Tab stops at, in the dialog's focus chain order.
std::vector<QWidget*> tabOrder(QWidget& dialog)
{
    std::vector<QWidget*> order;
    for (QWidget* w = dialog.nextInFocusChain(); w != &dialog; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) != 0) {
            order.push_back(w);
        }
    }
    return order;
}

TEST(DialogFrames, AnalysisDialogsTabThroughTheirFramesInOrder)
{
    NoWindow window;
    analysis::frmPCAOpt pca(window);
    analysis::frmCA ca(window);
    analysis::frmCorr corr(window);
    analysis::frmClusterOpt cluster(window);
    struct Row {
        const char* dialog;
        QWidget& widget;
        std::vector<QWidget*> expected;
    };
    const std::vector<Row> rows = {
        {"frmPCAOpt", pca,
         {pca.txtInRange, pca.chkMissing, pca.txtMissing, pca.optCorr, pca.optCov, pca.txtNumPC, pca.chkStdPCScore,
          pca.chkGraphOut, pca.optOutRange, pca.txtOutRange, pca.optNewSheet, pca.txtNewSheet, pca.optNewBook,
          pca.cmdDone, pca.cmdHelp, pca.cmdExit, pca.lstPlot, pca.cmdPlot, pca.cmdHelp2}},
        {"frmCA", ca,
         {ca.txtInRange, ca.chkMissing, ca.txtMissing, ca.txtNumAxis, ca.chkGraphOut, ca.cmdDone, ca.cmdHelp,
          ca.cmdExit, ca.lstPlot, ca.cmdPlot, ca.cmdHelp2}},
        {"frmCorr", corr,
         {corr.txtInRange, corr.optVarCol, corr.optVarRow, corr.chkLabels, corr.optOutRange, corr.txtOutRange,
          corr.optNewSheet, corr.txtNewSheet, corr.optNewBook, corr.cmdOK, corr.cmdCancel, corr.cmdHelp}},
        {"frmClusterOpt", cluster,
         {cluster.txtInRange, cluster.chkMissing, cluster.txtMissing, cluster.chkOutMat, cluster.cboClusterMethod,
          cluster.cboIndex, cluster.optOutRange, cluster.txtOutRange, cluster.optNewSheet, cluster.txtNewSheet,
          cluster.optNewBook, cluster.cmdDone, cluster.cmdHelp}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(tabOrder(row.widget), row.expected) << row.dialog;
    }

    // The frames' own texts, as each dialog names them.
    EXPECT_EQ(pca.lblInRange->text(), "Input range:");
    EXPECT_EQ(ca.lblInput->text(), "Input Range");
    EXPECT_EQ(ca.lblMissing->text(), "Code missing value as: ");
    EXPECT_EQ(ca.txtMissing->text(), "0.999999");
    EXPECT_EQ(cluster.txtMissing->text(), "9.999999");
    for (const QGroupBox* frame : {pca.frOutput, corr.frOutput, cluster.frOutput}) {
        EXPECT_EQ(frame->title(), "Output");
    }
    for (const QRadioButton* choice : {pca.optOutRange, corr.optOutRange, cluster.optOutRange}) {
        EXPECT_EQ(choice->text(), "Output range:");
    }
    for (const QCheckBox* missing : {pca.chkMissing, ca.chkMissing, cluster.chkMissing}) {
        EXPECT_EQ(missing->text(), "Has missing value");
    }
}

} // namespace
