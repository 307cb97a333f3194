#include "analysis/ui/OrdinationDialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>

#include "analysis/ui/BarProgress.h"
#include "analysis/ui/OrdinationRun.h"
#include "numeric/Progress.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/runtime/Convert.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/mQuorin.h"
#include "shell/workbook/SSMDI1.h"

namespace analysis {

namespace {

platform::Answer message(const std::string& text, int style = platform::mb::Information)
{
    return platform::dialogs().MsgBox(text, style, shell::ProgramInfo::Title);
}

QString q(const std::string& text) { return QString::fromStdString(text); }

// The load-time check of the data block shared by the principal component
// and correspondence dialogs; "" when the block is too small or unreadable.
std::string blockRange(spreadsheet::Workbook& book, platform::Guard& g, const std::string& analysisName)
{
    std::int32_t rows = 0;
    std::int32_t cols = 0;
    bool selected = false;
    g.step([&] { selected = SSMDI1::SelectDataInActiveSheet(book, rows, cols); });
    if (!selected) {
        return {};
    }
    if (rows < 3) {
        (void)message("Not enough data for PCA because there are only " + std::to_string(rows) + " rows of data.");
        return {};
    }
    if (cols < 3) {
        (void)message("Not enough data for " + analysisName + " because there are only " + std::to_string(cols) +
                      " columns of data.");
        return {};
    }
    std::string range;
    g.step([&] { range = SSMDI1::RowCol2Range(1, 1, rows, cols); });
    return range;
}

QListWidget* plotList(QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    return list;
}

// A run's refusal, with its progress bar emptied first (the reading that
// found the fault leaves it part way).
void refuse(QProgressBar& bar, const std::string& refusal)
{
    bar.setValue(0);
    (void)message(refusal, platform::mb::Exclamation);
}

constexpr const char* PlotHelp = "Highlight two variables in the listbox and click the Plot button.";

// The output choice of the principal component and correlation dialogs;
// "Output range" is refused (after a message naming what it writes), as
// these dialogs write only to a new worksheet or a new workbook.
bool outputChoice(const QRadioButton& newSheet, const QRadioButton& newBook, const char* what,
                  OrdinationOutput& output)
{
    output = newSheet.isChecked() ? OrdinationOutput::NewSheet
             : newBook.isChecked() ? OrdinationOutput::NewBook
                                   : OrdinationOutput::None;
    if (output == OrdinationOutput::None) {
        (void)message(std::string("The output range is not used: ") + what +
                          " can be written to a new worksheet or a new workbook only. Please choose one of them.",
                      platform::mb::Exclamation);
        return false;
    }
    return true;
}

// What the principal component and correspondence dialogs share below their
// option frames: the OK, Help and Exit buttons, the progress bar, the plot
// panel (hidden until a run has finished), the layout and the connections.
template <typename Dialog>
void addRunAndPlotControls(Dialog& d, std::initializer_list<QWidget*> frames)
{
    d.cmdDone = new QPushButton("OK", &d);
    d.cmdDone->setDefault(true);
    d.cmdHelp = new QPushButton("Help", &d);
    d.cmdExit = new QPushButton("Exit", &d);
    d.ProgressBar1 = new QProgressBar(&d);
    d.ProgressBar1->setTextVisible(false);

    d.frPlot = new QGroupBox("Plot options", &d);
    d.lstPlot = plotList(d.frPlot);
    d.cmdPlot = new QPushButton("Plot", d.frPlot);
    d.cmdHelp2 = new QPushButton("Help", d.frPlot);
    auto* plot = new QGridLayout(d.frPlot);
    plot->addWidget(d.lstPlot, 0, 0, 3, 1);
    plot->addWidget(d.cmdPlot, 0, 1);
    plot->addWidget(d.cmdHelp2, 1, 1);
    d.frPlot->setVisible(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(d.cmdDone);
    buttons->addWidget(d.cmdHelp);
    buttons->addWidget(d.cmdExit);
    auto* layout = new QVBoxLayout(&d);
    for (QWidget* frame : frames)
        layout->addWidget(frame);
    layout->addWidget(d.frPlot);
    layout->addWidget(d.ProgressBar1);
    layout->addLayout(buttons);

    QObject::connect(d.chkMissing, &QCheckBox::clicked, &d, [&d] { d.chkMissing_Click(); });
    QObject::connect(d.cmdDone, &QPushButton::clicked, &d, [&d] { d.cmdDone_Click(); });
    QObject::connect(d.cmdHelp, &QPushButton::clicked, &d, [&d] { d.cmdHelp_Click(); });
    QObject::connect(d.cmdExit, &QPushButton::clicked, &d, [&d] { d.close(); });
    QObject::connect(d.cmdPlot, &QPushButton::clicked, &d, [&d] { d.cmdPlot_Click(); });
    QObject::connect(d.cmdHelp2, &QPushButton::clicked, &d, [&d] { d.cmdHelp2_Click(); });
}


// After a run with graphic output: the option frames and run buttons give
// way to the plot panel, whose list names the axes "<prefix> 1" and on.
template <typename Dialog>
void showPlotPanel(Dialog& d, std::initializer_list<QWidget*> frames, const std::string& prefix, std::int32_t axes)
{
    for (QWidget* frame : frames)
        frame->setVisible(false);
    d.cmdDone->setVisible(false);
    d.cmdHelp->setVisible(false);
    d.ProgressBar1->setVisible(false);
    d.frPlot->setVisible(true);
    d.lstPlot->clear();
    for (std::int32_t k = 1; k <= axes; ++k)
        d.lstPlot->addItem(q(prefix + " " + std::to_string(k)));
    d.adjustSize();
}

// Plots the second axis chosen in the list against the first, for the n
// points whose coordinate on an axis `at` gives, titled "<prefix><axis>".
void plotChosenAxes(OrdinationTarget& target, const QListWidget& list, std::size_t n,
                    const std::function<double(std::size_t, std::size_t)>& at, const std::string& prefix,
                    const std::vector<std::string>& labels)
{
    // Without two axes chosen there is nothing to plot: one axis against
    // itself is no picture of the data.
    if (list.selectedItems().size() < 2) {
        (void)message(PlotHelp);
        return;
    }
    int a = 0;
    int b = 0;
    PlotChoice(list, a, b);
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            std::vector<double> x(n);
            std::vector<double> y(n);
            for (std::size_t i = 0; i < n; ++i) {
                x[i] = at(i, static_cast<std::size_t>(a));
                y[i] = at(i, static_cast<std::size_t>(b));
            }
            target.plot(x, y, prefix + std::to_string(a + 1), prefix + std::to_string(b + 1), labels);
        });
    });
}

} // namespace

void PlotChoice(const QListWidget& list, int& a, int& b)
{
    a = 0;
    b = 0;
    int i = 0;
    for (; i < list.count(); ++i) {
        if (list.item(i)->isSelected()) {
            a = i;
            break;
        }
    }
    for (++i; i < list.count(); ++i) {
        if (list.item(i)->isSelected()) {
            b = i;
            break;
        }
    }
}

// ---- frmPCAOpt ------------------------------------------------------------------

frmPCAOpt::frmPCAOpt(OrdinationTarget& target, QWidget* parent) : QDialog(parent), m_target(target)
{
    setObjectName("frmPCAOpt");
    setWindowTitle("Principal Component Analysis");

    frInput = new QGroupBox("Input", this);
    lblInRange = new QLabel("Input range:", frInput);
    txtInRange = new QLineEdit(frInput);
    chkMissing = new QCheckBox("Has missing value", frInput);
    lblMissing = new QLabel("Code missing value as:", frInput);
    txtMissing = new QLineEdit("9.999999", frInput);
    auto* in = new QGridLayout(frInput);
    in->addWidget(lblInRange, 0, 0);
    in->addWidget(txtInRange, 0, 1);
    in->addWidget(chkMissing, 1, 0, 1, 2);
    in->addWidget(lblMissing, 2, 0);
    in->addWidget(txtMissing, 2, 1);

    frMethod = new QGroupBox("Options", this);
    optCorr = new QRadioButton("Use correlation matrix", frMethod);
    optCov = new QRadioButton("Use covariance matrix", frMethod);
    optCorr->setChecked(true);
    lblNumPC = new QLabel("Number of PC scores to keep:", frMethod);
    txtNumPC = new QLineEdit("3", frMethod);
    chkStdPCScore = new QCheckBox("Standardize principal component scores", frMethod);
    chkGraphOut = new QCheckBox("Graphic output", frMethod);
    auto* method = new QGridLayout(frMethod);
    method->addWidget(optCorr, 0, 0, 1, 2);
    method->addWidget(optCov, 1, 0, 1, 2);
    method->addWidget(lblNumPC, 2, 0);
    method->addWidget(txtNumPC, 2, 1);
    method->addWidget(chkStdPCScore, 3, 0, 1, 2);
    method->addWidget(chkGraphOut, 4, 0, 1, 2);

    frOutput = new QGroupBox("Output", this);
    optOutRange = new QRadioButton("Output range:", frOutput);
    txtOutRange = new QLineEdit(frOutput);
    optNewSheet = new QRadioButton("New worksheet", frOutput);
    txtNewSheet = new QLineEdit(frOutput);
    optNewBook = new QRadioButton("New workbook", frOutput);
    auto* out = new QGridLayout(frOutput);
    out->addWidget(optOutRange, 0, 0);
    out->addWidget(txtOutRange, 0, 1);
    out->addWidget(optNewSheet, 1, 0);
    out->addWidget(txtNewSheet, 1, 1);
    out->addWidget(optNewBook, 2, 0);

    addRunAndPlotControls(*this, {frInput, frMethod, frOutput});
}

frmPCAOpt::~frmPCAOpt() = default;

bool frmPCAOpt::Form_Load()
{
    if (m_loaded) {
        return true;
    }
    platform::guarded([&](platform::Guard& g) {
        const std::string range = blockRange(m_target.workbook(), g, "PCA");
        if (range.empty()) {
            return;
        }
        txtInRange->setText(q(range));
        mQuorin::Program().gMissingCode = PCADefaultMissingCode;
        optNewSheet->setChecked(true);
        chkMissing->setChecked(true);
        txtMissing->setText(q(platform::rt::CStr(mQuorin::Program().gMissingCode)));
        m_loaded = true;
    });
    return m_loaded;
}

void frmPCAOpt::chkMissing_Click()
{
    const bool checked = chkMissing->isChecked();
    lblMissing->setEnabled(checked);
    txtMissing->setEnabled(checked);
    if (checked) {
        txtMissing->setText(q(platform::rt::CStr(mQuorin::Program().gMissingCode)));
    }
}

void frmPCAOpt::cmdDone_Click()
{
    m_ran = false;
    PCAChoice choice;
    choice.inRange = txtInRange->text().toStdString();
    choice.hasMissing = chkMissing->isChecked();
    choice.missingText = txtMissing->text().toStdString();
    choice.useCorr = optCorr->isChecked();
    choice.numPCText = txtNumPC->text().toStdString();
    choice.standardScores = chkStdPCScore->isChecked();
    OrdinationOutput output = OrdinationOutput::None;
    if (!outputChoice(*optNewSheet, *optNewBook, "the principal component scores", output)) {
        return;
    }

    BarProgress progress(*ProgressBar1, true);
    PCARun run(choice, mQuorin::Program(), &progress);
    std::string refusal;
    bool written = false;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { refusal = run.ReadInput(m_target.workbook()); });
        if (!refusal.empty() || !run.inputRead()) {
            return;
        }
        g.step([&] { run.Compute(); });
        if (!run.finished()) {
            return;
        }
        g.step([&] { m_target.setOutputText(run.report()); });
        g.step([&] {
            if (output == OrdinationOutput::NewSheet) {
                run.WriteScoresToNewSheet(m_target.workbook());
            } else if (output == OrdinationOutput::NewBook) {
                run.WriteScores(m_target.newWorkbook(), 1);
            }
            written = true;
        });
        if (!written) {
            return;
        }
        if (output == OrdinationOutput::NewSheet) {
            (void)message("Output are shown in two windows, with the principal component scores saved in the "
                          "worksheet labeled 'PCScore' and the rest in the Output Window under the Window menu.");
        } else if (output == OrdinationOutput::NewBook) {
            (void)message("Output are shown in two windows, with the principal component scores saved in the new "
                          "workbook and the rest in the Output Window under the Window menu.");
        }
    });
    if (!refusal.empty()) {
        refuse(*ProgressBar1, refusal);
        return;
    }
    if (!written) {
        return;
    }
    m_ran = true;
    m_scores = run.scores();
    m_rowNames = run.rowNames();
    if (!chkGraphOut->isChecked()) {
        close();
        return;
    }
    showPlotPanel(*this, {frInput, frMethod, frOutput}, "PC", run.nPC());
}

void frmPCAOpt::cmdPlot_Click()
{
    plotChosenAxes(m_target, *lstPlot, m_scores.rows(),
                   [this](std::size_t i, std::size_t axis) { return m_scores(i, axis); }, "PC", m_rowNames);
    raise();
}

void frmPCAOpt::cmdHelp_Click()
{
    (void)message("Choose the correlation or the covariance matrix and the number of principal component scores "
                  "to keep, then press OK. The report goes to the output view and the scores to the worksheet "
                  "or workbook chosen under Output.");
}

void frmPCAOpt::cmdHelp2_Click() { (void)message(PlotHelp); }

void frmPCAOpt::closeEvent(QCloseEvent* event)
{
    m_loaded = false;
    QDialog::closeEvent(event);
}

// ---- frmCA ----------------------------------------------------------------------

frmCA::frmCA(OrdinationTarget& target, QWidget* parent) : QDialog(parent), m_target(target)
{
    setObjectName("frmCA");
    setWindowTitle("Correspondence Analysis");

    frInput = new QGroupBox("Input", this);
    lblInput = new QLabel("Input Range", frInput);
    txtInRange = new QLineEdit(frInput);
    chkMissing = new QCheckBox("Has missing value", frInput);
    lblMissing = new QLabel("Code missing value as: ", frInput);
    txtMissing = new QLineEdit("0.999999", frInput);
    lblNumCA = new QLabel("Max number of axes to keep:", frInput);
    txtNumAxis = new QLineEdit("2", frInput);
    chkGraphOut = new QCheckBox("Graphic Output", frInput);
    auto* in = new QGridLayout(frInput);
    in->addWidget(lblInput, 0, 0);
    in->addWidget(txtInRange, 0, 1);
    in->addWidget(chkMissing, 1, 0, 1, 2);
    in->addWidget(lblMissing, 2, 0);
    in->addWidget(txtMissing, 2, 1);
    in->addWidget(lblNumCA, 3, 0);
    in->addWidget(txtNumAxis, 3, 1);
    in->addWidget(chkGraphOut, 4, 0, 1, 2);

    addRunAndPlotControls(*this, {frInput});
}

frmCA::~frmCA() = default;

bool frmCA::Form_Load()
{
    if (m_loaded) {
        return true;
    }
    platform::guarded([&](platform::Guard& g) {
        const std::string range = blockRange(m_target.workbook(), g, "correspondence analysis");
        if (range.empty()) {
            return;
        }
        txtInRange->setText(q(range));
        mQuorin::Program().gMissingCode = PCADefaultMissingCode;
        txtMissing->setText(q(platform::rt::CStr(mQuorin::Program().gMissingCode)));
        txtMissing->setEnabled(false);
        lblMissing->setEnabled(false);
        m_loaded = true;
    });
    return m_loaded;
}

void frmCA::chkMissing_Click()
{
    const bool checked = chkMissing->isChecked();
    lblMissing->setEnabled(checked);
    txtMissing->setEnabled(checked);
    if (checked) {
        txtMissing->setText(q(platform::rt::CStr(m_missingCode)));
    }
}

void frmCA::cmdDone_Click()
{
    m_ran = false;
    CAChoice choice;
    choice.inRange = txtInRange->text().toStdString();
    choice.numAxisText = txtNumAxis->text().toStdString();
    if (chkMissing->isChecked()) {
        m_missingCode = platform::rt::Val(txtMissing->text().toStdString());
    }
    BarProgress progress(*ProgressBar1, true);
    CARun run(choice, mQuorin::Program(), &progress);
    std::string refusal;
    bool written = false;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { refusal = run.ReadInput(m_target.workbook()); });
        if (!refusal.empty() || !run.inputRead()) {
            return;
        }
        g.step([&] { run.Compute(); });
        if (!run.finished()) {
            return;
        }
        g.step([&] {
            spreadsheet::Workbook& book = m_target.workbook();
            book.setSheetSelected(book.Sheet(), false);
            run.WriteOutputSheet(book);
            written = true;
        });
    });
    if (!refusal.empty()) {
        refuse(*ProgressBar1, refusal);
        return;
    }
    if (!written) {
        return;
    }
    m_ran = true;
    run.PlotPoints(m_coords, m_labels);
    if (!chkGraphOut->isChecked()) {
        close();
        return;
    }
    showPlotPanel(*this, {frInput}, "CA", run.nAxis());
}

void frmCA::cmdPlot_Click()
{
    plotChosenAxes(m_target, *lstPlot, m_coords.size(),
                   [this](std::size_t i, std::size_t axis) { return m_coords[i][axis]; }, "CA", m_labels);
    raise();
}

void frmCA::cmdHelp_Click() { (void)message("No help is available yet for correspondence analysis."); }

void frmCA::cmdHelp2_Click() { (void)message(PlotHelp); }

void frmCA::closeEvent(QCloseEvent* event)
{
    m_loaded = false;
    QDialog::closeEvent(event);
}

// ---- frmCorr --------------------------------------------------------------------

frmCorr::frmCorr(OrdinationTarget& target, QWidget* parent) : QDialog(parent), m_target(target)
{
    setObjectName("frmCorr");
    setWindowTitle("Correlation");

    frInput = new QGroupBox("Input", this);
    lblInRange = new QLabel("Input range:", frInput);
    txtInRange = new QLineEdit("$B$1:$G$8", frInput);
    lblVarSpec = new QLabel("Variables in: ", frInput);
    optVarCol = new QRadioButton("Columns", frInput);
    optVarRow = new QRadioButton("Rows", frInput);
    chkLabels = new QCheckBox("Labels present", frInput);
    auto* in = new QGridLayout(frInput);
    in->addWidget(lblInRange, 0, 0);
    in->addWidget(txtInRange, 0, 1, 1, 2);
    in->addWidget(lblVarSpec, 1, 0);
    in->addWidget(optVarCol, 1, 1);
    in->addWidget(optVarRow, 1, 2);
    in->addWidget(chkLabels, 2, 0, 1, 3);

    frOutput = new QGroupBox("Output", this);
    optOutRange = new QRadioButton("Output range:", frOutput);
    txtOutRange = new QLineEdit(frOutput);
    optNewSheet = new QRadioButton("New worksheet", frOutput);
    txtNewSheet = new QLineEdit(frOutput);
    optNewBook = new QRadioButton("New workbook", frOutput);
    auto* out = new QGridLayout(frOutput);
    out->addWidget(optOutRange, 0, 0);
    out->addWidget(txtOutRange, 0, 1);
    out->addWidget(optNewSheet, 1, 0);
    out->addWidget(txtNewSheet, 1, 1);
    out->addWidget(optNewBook, 2, 0);

    cmdOK = new QPushButton("OK", this);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton("Cancel", this);
    cmdHelp = new QPushButton("Help", this);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setTextVisible(false);

    auto* side = new QVBoxLayout;
    side->addWidget(cmdOK);
    side->addWidget(cmdCancel);
    side->addWidget(cmdHelp);
    side->addStretch(1);
    auto* body = new QVBoxLayout;
    body->addWidget(frInput);
    body->addWidget(frOutput);
    body->addWidget(ProgressBar1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(side);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
}

frmCorr::~frmCorr() = default;

bool frmCorr::Form_Load()
{
    if (m_loaded) {
        return true;
    }
    platform::guarded([&](platform::Guard& g) {
        std::int32_t rows = 0;
        std::int32_t cols = 0;
        bool selected = false;
        g.step([&] { selected = SSMDI1::SelectDataInActiveSheet(m_target.workbook(), rows, cols); });
        if (!selected) {
            return;
        }
        if (rows < 3 || cols < 3) {
            (void)message("Not enough data for computing correlation.");
            return;
        }
        g.step([&] { txtInRange->setText(q(SSMDI1::RowCol2Range(1, 1, rows, cols))); });
        optVarCol->setChecked(true);
        optNewSheet->setChecked(true);
        m_loaded = true;
    });
    return m_loaded;
}

void frmCorr::cmdOK_Click()
{
    m_ran = false;
    CorrChoice choice;
    choice.inRange = txtInRange->text().toStdString();
    choice.labels = chkLabels->isChecked();
    choice.varsInColumns = optVarCol->isChecked();
    OrdinationOutput output = OrdinationOutput::None;
    if (!outputChoice(*optNewSheet, *optNewBook, "the correlation matrix", output)) {
        return;
    }
    BarProgress progress(*ProgressBar1, true);
    CorrRun run(choice, &progress);
    std::string refusal;
    bool written = false;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { refusal = run.ReadInput(m_target.workbook()); });
        if (!refusal.empty() || !run.inputRead()) {
            return;
        }
        g.step([&] { run.Compute(); });
        if (!run.finished()) {
            return;
        }
        g.step([&] {
            if (output == OrdinationOutput::NewSheet) {
                run.WriteToNewSheet(m_target.workbook());
            } else if (output == OrdinationOutput::NewBook) {
                run.WriteMatrix(m_target.newWorkbook(), 1);
            }
            written = true;
        });
    });
    if (!refusal.empty()) {
        refuse(*ProgressBar1, refusal);
        return;
    }
    if (written) {
        m_ran = true;
        close();
    }
}

void frmCorr::closeEvent(QCloseEvent* event)
{
    m_loaded = false;
    QDialog::closeEvent(event);
}

} // namespace analysis
