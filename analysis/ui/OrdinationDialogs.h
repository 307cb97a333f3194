#pragma once

// The principal component dialog frmPCAOpt, the correspondence analysis
// dialog frmCA and the correlation matrix dialog frmCorr. Each reads its
// controls into a run (OrdinationRun.h), shows the run's refusals in message
// boxes and guards each stage with the error reporter (Abort, Retry,
// Ignore). All three load the active sheet's data block through
// OrdinationDialog; the principal component and correspondence dialogs share
// OrdinationPlotDialog besides: after a run with graphic output they turn
// into a small plot panel from which two axes are drawn in the graph window.
//
// The dialogs reach the document window and the graph window through
// OrdinationTarget, so that they depend on no window class of the shell.

#include <QDialog>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "analysis/ui/AnalysisTarget.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace platform {
class Guard;
}

namespace analysis {

struct DataBlock;

class OrdinationTarget : public AnalysisTarget {
public:
    // A new document window's workbook, now the active one.
    [[nodiscard]] virtual spreadsheet::Workbook& newWorkbook() = 0;
    // A labelled scatter plot of y against x in the graph window.
    virtual void plot(const std::vector<double>& x, const std::vector<double>& y, const std::string& xTitle,
                      const std::string& yTitle, const std::vector<std::string>& labels) = 0;
};

// The two entries that a plot list's selection names: the first selected
// and the next selected after it, each 0 when there is none.
void PlotChoice(const QListWidget& list, int& a, int& b);

// What the three ordination dialogs share: the document window they work
// on, the load of the active sheet's data block (once per opening) and
// whether the last OK finished a run.
class OrdinationDialog : public QDialog {
    Q_OBJECT
public:
    ~OrdinationDialog() override;

    // Fills the controls from the active sheet's data block. False when the
    // dialog is not to be shown (too small a block, after a message).
    bool Form_Load();
    // Whether the last OK finished a run.
    [[nodiscard]] bool ran() const noexcept { return m_ran; }

protected:
    OrdinationDialog(OrdinationTarget& target, QWidget* parent);

    void closeEvent(QCloseEvent* event) override;
    // Checks the selected block's size (with a message when it is too small)
    // and fills the controls from it, steps guarded by `g`. True when the
    // dialog is loaded.
    virtual bool load(const DataBlock& block, platform::Guard& g) = 0;

    OrdinationTarget& m_target;
    bool m_ran = false;

private:
    bool m_loaded = false;
};

// What the principal component and correspondence dialogs share besides:
// the missing-value rows, the OK, Help and Exit buttons with the progress
// bar, and the plot panel (hidden until a run with graphic output has
// finished, then shown in place of the option frames and the run buttons).
class OrdinationPlotDialog : public OrdinationDialog {
    Q_OBJECT
public:
    ~OrdinationPlotDialog() override;

    void chkMissing_Click();
    virtual void cmdDone_Click() = 0;
    void cmdPlot_Click();
    virtual void cmdHelp_Click() = 0;
    void cmdHelp2_Click();

    QGroupBox* frInput = nullptr;
    QLineEdit* txtInRange = nullptr;
    QCheckBox* chkMissing = nullptr;
    QLabel* lblMissing = nullptr;
    QLineEdit* txtMissing = nullptr;
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
    // analysis: how the "not enough columns" message names the analysis;
    // axis: the plot list's and the plot titles' prefix ("PC", "CA").
    OrdinationPlotDialog(OrdinationTarget& target, std::string analysis, std::string axis, QWidget* parent);

    bool load(const DataBlock& block, platform::Guard& g) override;

    // Adds the run buttons, the progress bar and the plot panel below the
    // option frames, lays the dialog out and connects the buttons. The
    // frames are those the plot panel takes the place of.
    void addRunAndPlotControls(std::initializer_list<QWidget*> frames);
    // What a load sets beyond the range and the missing-value code.
    virtual void loaded() = 0;
    // The missing-value code the box shows when "Has missing value" is
    // checked.
    [[nodiscard]] virtual double missingCode() const = 0;
    // After a run that wrote its output: keeps the points to plot (by point,
    // then axis) and their labels, then closes the dialog, or, with graphic
    // output, shows the plot panel listing `axes` axes.
    void finishRun(std::vector<std::vector<double>> points, std::vector<std::string> labels, std::int32_t axes);

private:
    std::string m_analysis;
    std::string m_axis;
    std::vector<QWidget*> m_frames;
    std::vector<std::vector<double>> m_points;
    std::vector<std::string> m_labels;
};

class frmPCAOpt : public OrdinationPlotDialog {
    Q_OBJECT
public:
    explicit frmPCAOpt(OrdinationTarget& target, QWidget* parent = nullptr);
    ~frmPCAOpt() override;

    void cmdDone_Click() override;
    void cmdHelp_Click() override;

    QLabel* lblInRange = nullptr;
    QGroupBox* frMethod = nullptr;
    QRadioButton* optCorr = nullptr;
    QRadioButton* optCov = nullptr;
    QLabel* lblNumPC = nullptr;
    QLineEdit* txtNumPC = nullptr;
    QCheckBox* chkStdPCScore = nullptr;
    QGroupBox* frOutput = nullptr;
    QRadioButton* optOutRange = nullptr;
    QLineEdit* txtOutRange = nullptr;
    QRadioButton* optNewSheet = nullptr;
    QLineEdit* txtNewSheet = nullptr;
    QRadioButton* optNewBook = nullptr;

protected:
    void loaded() override;
    [[nodiscard]] double missingCode() const override;
};

class frmCA : public OrdinationPlotDialog {
    Q_OBJECT
public:
    explicit frmCA(OrdinationTarget& target, QWidget* parent = nullptr);
    ~frmCA() override;

    void cmdDone_Click() override;
    void cmdHelp_Click() override;

    QLabel* lblInput = nullptr;
    QLabel* lblNumCA = nullptr;
    QLineEdit* txtNumAxis = nullptr;

protected:
    void loaded() override;
    [[nodiscard]] double missingCode() const override { return m_missingCode; }

private:
    double m_missingCode = 0;
};

class frmCorr : public OrdinationDialog {
    Q_OBJECT
public:
    explicit frmCorr(OrdinationTarget& target, QWidget* parent = nullptr);
    ~frmCorr() override;

    void cmdOK_Click();

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
    bool load(const DataBlock& block, platform::Guard& g) override;
};

} // namespace analysis
