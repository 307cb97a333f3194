#pragma once

// frmClusterOpt: the modal dialog "Cluster Options" that clusters the loci
// (rows) of the data block of the active worksheet. It reads its controls
// into a ClusterRun, shows the run's refusals in message boxes, and when a
// run finishes hands the tree and the report to the document window and
// closes. A run that fails or is refused leaves the dialog open and hands
// over nothing.
//
// The dialog reaches the document window through ClusterTarget, so that it
// depends on no window class of the shell.

#include <QDialog>

#include <cstdint>
#include <memory>
#include <string>

#include "analysis/MyNode.h"
#include "analysis/ui/AnalysisTarget.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace platform::rt {
class RandomSource;
}

namespace analysis {

// What a run needs of the active document window besides its workbook and
// output view.
class ClusterTarget : public AnalysisTarget {
public:
    // Shows the tree in the window's tree view (MyRootNode).
    virtual void setMyRootNode(std::unique_ptr<MyNode> root) = 0;
};

class frmClusterOpt : public QDialog {
    Q_OBJECT
public:
    explicit frmClusterOpt(ClusterTarget& target, QWidget* parent = nullptr);
    ~frmClusterOpt() override;

    // Fills the controls from the active sheet's data block (once per
    // opening). False when the dialog is not to be shown: the block is
    // smaller than 3 x 3 (after an information box) or reading it failed.
    bool Form_Load();
    // Form_Load, then the dialog modally. Returns whether a clustering ran.
    bool ShowModal();
    [[nodiscard]] bool ranClustering() const noexcept { return m_ran; }

    // The random source of the runs (null: the run-time's generator).
    void setRandomSource(platform::rt::RandomSource* rng) noexcept { m_rng = rng; }

    // Handlers, public so that tests can drive them as a user would.
    void cboClusterMethod_Click(int method);
    void chkMissing_Click();
    void chkOutMat_Click();
    void cmdHelp_Click();
    void cmdDone_Click();

    // The controls, by their names.
    QGroupBox* frInput = nullptr;
    QLabel* lblInRange = nullptr;
    QLineEdit* txtInRange = nullptr;
    QCheckBox* chkMissing = nullptr;
    QLabel* lblMissing = nullptr;
    QLineEdit* txtMissing = nullptr;
    QCheckBox* chkOutMat = nullptr;
    QLabel* lblClusterMethod = nullptr;
    QComboBox* cboClusterMethod = nullptr;
    QLabel* lblIndex = nullptr;
    QComboBox* cboIndex = nullptr;
    QGroupBox* frOutput = nullptr;
    QRadioButton* optOutRange = nullptr;
    QLineEdit* txtOutRange = nullptr;
    QRadioButton* optNewSheet = nullptr;
    QLineEdit* txtNewSheet = nullptr;
    QRadioButton* optNewBook = nullptr;
    QLabel* lblInfo = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* cmdDone = nullptr;
    QPushButton* cmdHelp = nullptr;

    // The count typed for k-means, join or the map.
    [[nodiscard]] std::int32_t count() const noexcept { return m_count; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fillIndexList(bool map);
    void selectMethod(int method);
    void fallBack(const std::string& prefix);

    ClusterTarget& m_target;
    platform::rt::RandomSource* m_rng = nullptr;
    std::int32_t m_count = 0;
    bool m_loaded = false;
    bool m_ran = false;
    bool m_running = false;
};

} // namespace analysis
