#pragma once

// The principal component dialog frmPCAOpt, the correspondence analysis
// dialog frmCA and the correlation matrix dialog frmCorr. Each reads its
// controls into a run (OrdinationRun.h), shows the run's refusals in message
// boxes and guards each stage with the error reporter (Abort, Retry,
// Ignore). The principal component and correspondence dialogs then turn
// into a small plot panel from which two axes are drawn in the graph window.
//
// The dialogs reach the document window and the graph window through
// OrdinationTarget, so that they depend on no window class of the shell.

#include <QDialog>

#include <cstdint>
#include <string>
#include <vector>

#include "numeric/Matrix.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace spreadsheet {
class Workbook;
}

namespace analysis {

class OrdinationTarget {
public:
    virtual ~OrdinationTarget() = default;
    // The active document window's workbook.
    [[nodiscard]] virtual spreadsheet::Workbook& workbook() = 0;
    // A new document window's workbook, now the active one.
    [[nodiscard]] virtual spreadsheet::Workbook& newWorkbook() = 0;
    // Replaces the text of the active document window's output view.
    virtual void setOutputText(const std::string& text) = 0;
    // A labelled scatter plot of y against x in the graph window.
    virtual void plot(const std::vector<double>& x, const std::vector<double>& y, const std::string& xTitle,
                      const std::string& yTitle, const std::vector<std::string>& labels) = 0;

protected:
    OrdinationTarget() = default;
    OrdinationTarget(const OrdinationTarget&) = default;
    OrdinationTarget& operator=(const OrdinationTarget&) = default;
};

// The two entries that a plot list's selection names: the first selected
// and the next selected after it, each 0 when there is none.
void PlotChoice(const QListWidget& list, int& a, int& b);

class frmPCAOpt : public QDialog {
    Q_OBJECT
public:
    explicit frmPCAOpt(OrdinationTarget& target, QWidget* parent = nullptr);
    ~frmPCAOpt() override;

    // Fills the controls from the active sheet's data block. False when the
    // dialog is not to be shown (too small a block, after a message).
    bool Form_Load();

    void chkMissing_Click();
    void cmdDone_Click();
    void cmdPlot_Click();
    void cmdHelp_Click();
    void cmdHelp2_Click();
    // Whether the last OK finished a run.
    [[nodiscard]] bool ran() const noexcept { return m_ran; }

    QGroupBox* frInput = nullptr;
    QLabel* lblInRange = nullptr;
    QLineEdit* txtInRange = nullptr;
    QCheckBox* chkMissing = nullptr;
    QLabel* lblMissing = nullptr;
    QLineEdit* txtMissing = nullptr;
    QGroupBox* frMethod = nullptr;
    QRadioButton* optCorr = nullptr;
    QRadioButton* optCov = nullptr;
    QLabel* lblNumPC = nullptr;
    QLineEdit* txtNumPC = nullptr;
    QCheckBox* chkStdPCScore = nullptr;
    QCheckBox* chkGraphOut = nullptr;
    QGroupBox* frOutput = nullptr;
    QRadioButton* optOutRange = nullptr;
    QLineEdit* txtOutRange = nullptr;
    QRadioButton* optNewSheet = nullptr;
    QLineEdit* txtNewSheet = nullptr;
    QRadioButton* optNewBook = nullptr;
    QPushButton* cmdDone = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* cmdExit = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QGroupBox* frPlot = nullptr;
    QListWidget* lstPlot = nullptr;
    QPushButton* cmdPlot = nullptr;
    QPushButton* cmdHelp2 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    OrdinationTarget& m_target;
    bool m_loaded = false;
    bool m_ran = false;
    numeric::Matrix m_scores;
    std::vector<std::string> m_rowNames;
};

class frmCA : public QDialog {
    Q_OBJECT
public:
    explicit frmCA(OrdinationTarget& target, QWidget* parent = nullptr);
    ~frmCA() override;

    bool Form_Load();

    void chkMissing_Click();
    void cmdDone_Click();
    void cmdPlot_Click();
    void cmdHelp_Click();
    void cmdHelp2_Click();
    [[nodiscard]] bool ran() const noexcept { return m_ran; }

    QGroupBox* frInput = nullptr;
    QLabel* lblInput = nullptr;
    QLineEdit* txtInRange = nullptr;
    QCheckBox* chkMissing = nullptr;
    QLabel* lblMissing = nullptr;
    QLineEdit* txtMissing = nullptr;
    QLabel* lblNumCA = nullptr;
    QLineEdit* txtNumAxis = nullptr;
    QCheckBox* chkGraphOut = nullptr;
    QPushButton* cmdDone = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* cmdExit = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QGroupBox* frPlot = nullptr;
    QListWidget* lstPlot = nullptr;
    QPushButton* cmdPlot = nullptr;
    QPushButton* cmdHelp2 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    OrdinationTarget& m_target;
    bool m_loaded = false;
    bool m_ran = false;
    double m_missingCode = 0;
    std::vector<std::vector<double>> m_coords;
    std::vector<std::string> m_labels;
};

class frmCorr : public QDialog {
    Q_OBJECT
public:
    explicit frmCorr(OrdinationTarget& target, QWidget* parent = nullptr);
    ~frmCorr() override;

    bool Form_Load();
    void cmdOK_Click();
    [[nodiscard]] bool ran() const noexcept { return m_ran; }

    QGroupBox* frInput = nullptr;
    QLabel* lblInRange = nullptr;
    QLineEdit* txtInRange = nullptr;
    QLabel* lblVarSpec = nullptr;
    QRadioButton* optVarCol = nullptr;
    QRadioButton* optVarRow = nullptr;
    QCheckBox* chkLabels = nullptr;
    QGroupBox* frOutput = nullptr;
    QRadioButton* optOutRange = nullptr;
    QLineEdit* txtOutRange = nullptr;
    QRadioButton* optNewSheet = nullptr;
    QLineEdit* txtNewSheet = nullptr;
    QRadioButton* optNewBook = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdHelp = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    OrdinationTarget& m_target;
    bool m_loaded = false;
    bool m_ran = false;
};

} // namespace analysis
