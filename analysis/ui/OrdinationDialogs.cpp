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

#include "analysis/ui/BarProgress.h"
#include "analysis/ui/DataBlock.h"
#include "analysis/ui/DialogFrames.h"
#include "analysis/ui/InputChecks.h"
#include "analysis/ui/OrdinationRun.h"
#include "numeric/Progress.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/runtime/Convert.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/mQuorin.h"

namespace analysis {

namespace {

platform::Answer message(const std::string& text, int style = platform::mb::Information)
{
    return platform::dialogs().MsgBox(text, style, shell::ProgramInfo::Title);
}

QString q(const std::string& text) { return QString::fromStdString(text); }

// A run's refusal, with its progress bar emptied first (the reading that
// found the fault leaves it part way).
void refuse(QProgressBar& bar, const std::string& refusal)
{
    bar.setValue(0);
    (void)message(refusal, platform::mb::Exclamation);
}

// The stages of a run, each guarded: the reading of the block, the
// computation and then `write`, the dialog's own guarded steps that hand the
// result over (true when it was written). A refusal of the reading is shown
// after the guard. True when the result was written.
template <typename Run>
bool runStages(Run& run, OrdinationTarget& target, QProgressBar& bar,
               const std::function<bool(platform::Guard&)>& write)
{
    std::string refusal;
    bool written = false;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] { refusal = run.ReadInput(target.workbook()); });
        if (!refusal.empty() || !run.inputRead()) {
            return;
        }
        g.step([&] { run.Compute(); });
        if (!run.finished()) {
            return;
        }
        written = write(g);
    });
    if (!refusal.empty()) {
        refuse(bar, refusal);
        return false;
    }
    return written;
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

// ---- OrdinationDialog -----------------------------------------------------------

OrdinationDialog::OrdinationDialog(OrdinationTarget& target, QWidget* parent) : QDialog(parent), m_target(target) {}

OrdinationDialog::~OrdinationDialog() = default;

bool OrdinationDialog::Form_Load()
{
    if (m_loaded) {
        return true;
    }
    platform::guarded([&](platform::Guard& g) {
        if (const auto block = DataBlock::select(m_target.workbook(), g)) {
            m_loaded = load(*block, g);
        }
    });
    return m_loaded;
}

void OrdinationDialog::closeEvent(QCloseEvent* event)
{
    m_loaded = false;
    QDialog::closeEvent(event);
}

// ---- OrdinationPlotDialog -------------------------------------------------------

OrdinationPlotDialog::OrdinationPlotDialog(OrdinationTarget& target, std::string analysis, std::string axis,
                                           QWidget* parent)
    : OrdinationDialog(target, parent), m_analysis(std::move(analysis)), m_axis(std::move(axis))
{
}

OrdinationPlotDialog::~OrdinationPlotDialog() = default;

void OrdinationPlotDialog::addRunAndPlotControls(std::initializer_list<QWidget*> frames)
{
    m_frames.assign(frames.begin(), frames.end());
    cmdDone = new QPushButton("OK", this);
    cmdDone->setDefault(true);
    cmdHelp = new QPushButton("Help", this);
    cmdExit = new QPushButton("Exit", this);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setTextVisible(false);

    frPlot = new QGroupBox("Plot options", this);
    lstPlot = new QListWidget(frPlot);
    lstPlot->setSelectionMode(QAbstractItemView::MultiSelection);
    cmdPlot = new QPushButton("Plot", frPlot);
    cmdHelp2 = new QPushButton("Help", frPlot);
    auto* plot = new QGridLayout(frPlot);
    plot->addWidget(lstPlot, 0, 0, 3, 1);
    plot->addWidget(cmdPlot, 0, 1);
    plot->addWidget(cmdHelp2, 1, 1);
    frPlot->setVisible(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdDone);
    buttons->addWidget(cmdHelp);
    buttons->addWidget(cmdExit);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* frame : m_frames)
        layout->addWidget(frame);
    layout->addWidget(frPlot);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);

    connect(chkMissing, &QCheckBox::clicked, this, [this] { chkMissing_Click(); });
    connect(cmdDone, &QPushButton::clicked, this, [this] { cmdDone_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { close(); });
    connect(cmdPlot, &QPushButton::clicked, this, [this] { cmdPlot_Click(); });
    connect(cmdHelp2, &QPushButton::clicked, this, [this] { cmdHelp2_Click(); });
}

bool OrdinationPlotDialog::load(const DataBlock& block, platform::Guard& g)
{
    if (block.rows < 3) {
        (void)message("Not enough data for PCA because there are only " + std::to_string(block.rows) +
                      " rows of data.");
        return false;
    }
    if (block.cols < 3) {
        (void)message("Not enough data for " + m_analysis + " because there are only " +
                      std::to_string(block.cols) + " columns of data.");
        return false;
    }
    const std::string range = block.range(g);
    if (range.empty()) {
        return false;
    }
    txtInRange->setText(q(range));
    mQuorin::Program().gMissingCode = PCADefaultMissingCode;
    txtMissing->setText(q(platform::rt::CStr(mQuorin::Program().gMissingCode)));
    loaded();
    return true;
}

void OrdinationPlotDialog::chkMissing_Click()
{
    const bool checked = chkMissing->isChecked();
    lblMissing->setEnabled(checked);
    txtMissing->setEnabled(checked);
    if (checked) {
        txtMissing->setText(q(platform::rt::CStr(missingCode())));
    }
}

void OrdinationPlotDialog::finishRun(std::vector<std::vector<double>> points, std::vector<std::string> labels,
                                     std::int32_t axes)
{
    m_ran = true;
    m_points = std::move(points);
    m_labels = std::move(labels);
    if (!chkGraphOut->isChecked()) {
        close();
        return;
    }
    // The option frames and run buttons give way to the plot panel, whose
    // list names the axes "<prefix> 1" and on.
    for (QWidget* frame : m_frames)
        frame->setVisible(false);
    cmdDone->setVisible(false);
    cmdHelp->setVisible(false);
    ProgressBar1->setVisible(false);
    frPlot->setVisible(true);
    lstPlot->clear();
    for (std::int32_t k = 1; k <= axes; ++k)
        lstPlot->addItem(q(m_axis + " " + std::to_string(k)));
    adjustSize();
}

void OrdinationPlotDialog::cmdPlot_Click()
{
    // The second axis chosen against the first, titled "<prefix><axis>". An
    // axis not chosen is the first one: a single chosen axis k is drawn
    // against axis 1, and with none chosen axis 1 is drawn against itself.
    int a = 0;
    int b = 0;
    PlotChoice(*lstPlot, a, b);
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            std::vector<double> x(m_points.size());
            std::vector<double> y(m_points.size());
            for (std::size_t i = 0; i < m_points.size(); ++i) {
                x[i] = m_points[i][static_cast<std::size_t>(a)];
                y[i] = m_points[i][static_cast<std::size_t>(b)];
            }
            m_target.plot(x, y, m_axis + std::to_string(a + 1), m_axis + std::to_string(b + 1), m_labels);
        });
    });
    raise();
}

void OrdinationPlotDialog::cmdHelp2_Click() { (void)message(PlotHelp); }

// ---- frmPCAOpt ------------------------------------------------------------------

frmPCAOpt::frmPCAOpt(OrdinationTarget& target, QWidget* parent) : OrdinationPlotDialog(target, "PCA", "PC", parent)
{
    setObjectName("frmPCAOpt");
    setWindowTitle("Principal Component Analysis");

    addInputFrame(*this, {"Input range:", "Code missing value as:", "9.999999"},
                  {frInput, lblInRange, txtInRange, chkMissing, lblMissing, txtMissing});

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

    addOutputFrame(*this, {frOutput, optOutRange, txtOutRange, optNewSheet, txtNewSheet, optNewBook});

    addRunAndPlotControls({frInput, frMethod, frOutput});
}

frmPCAOpt::~frmPCAOpt() = default;

void frmPCAOpt::loaded()
{
    optNewSheet->setChecked(true);
    chkMissing->setChecked(true);
}

double frmPCAOpt::missingCode() const { return mQuorin::Program().gMissingCode; }

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
    const bool written = runStages(run, m_target, *ProgressBar1, [&](platform::Guard& g) {
        g.step([&] { m_target.setOutputText(run.report()); });
        bool done = false;
        g.step([&] {
            if (output == OrdinationOutput::NewSheet) {
                run.WriteScoresToNewSheet(m_target.workbook());
            } else if (output == OrdinationOutput::NewBook) {
                run.WriteScores(m_target.newWorkbook(), 1);
            }
            done = true;
        });
        if (!done) {
            return false;
        }
        if (output == OrdinationOutput::NewSheet) {
            (void)message("Output are shown in two windows, with the principal component scores saved in the "
                          "worksheet labeled 'PCScore' and the rest in the Output Window under the Window menu.");
        } else if (output == OrdinationOutput::NewBook) {
            (void)message("Output are shown in two windows, with the principal component scores saved in the new "
                          "workbook and the rest in the Output Window under the Window menu.");
        }
        return true;
    });
    if (!written) {
        return;
    }
    const numeric::Matrix& scores = run.scores();
    std::vector<std::vector<double>> points(scores.rows(), std::vector<double>(scores.cols()));
    for (std::size_t i = 0; i < scores.rows(); ++i) {
        for (std::size_t k = 0; k < scores.cols(); ++k) {
            points[i][k] = scores(i, k);
        }
    }
    finishRun(std::move(points), run.rowNames(), run.nPC());
}

void frmPCAOpt::cmdHelp_Click()
{
    (void)message("Choose the correlation or the covariance matrix and the number of principal component scores "
                  "to keep, then press OK. The report goes to the output view and the scores to the worksheet "
                  "or workbook chosen under Output.");
}

// ---- frmCA ----------------------------------------------------------------------

frmCA::frmCA(OrdinationTarget& target, QWidget* parent)
    : OrdinationPlotDialog(target, "correspondence analysis", "CA", parent)
{
    setObjectName("frmCA");
    setWindowTitle("Correspondence Analysis");

    QGridLayout* in = addInputFrame(*this, {"Input Range", "Code missing value as: ", "0.999999"},
                                    {frInput, lblInput, txtInRange, chkMissing, lblMissing, txtMissing});
    lblNumCA = new QLabel("Max number of axes to keep:", frInput);
    txtNumAxis = new QLineEdit("2", frInput);
    chkGraphOut = new QCheckBox("Graphic Output", frInput);
    in->addWidget(lblNumCA, 3, 0);
    in->addWidget(txtNumAxis, 3, 1);
    in->addWidget(chkGraphOut, 4, 0, 1, 2);

    addRunAndPlotControls({frInput});
}

frmCA::~frmCA() = default;

void frmCA::loaded()
{
    txtMissing->setEnabled(false);
    lblMissing->setEnabled(false);
}

void frmCA::cmdDone_Click()
{
    m_ran = false;
    CAChoice choice;
    choice.inRange = txtInRange->text().toStdString();
    choice.numAxisText = txtNumAxis->text().toStdString();
    if (chkMissing->isChecked()) {
        // The code only refills the box; a value beyond a double's range is
        // refused before anything is read.
        const std::string typed = txtMissing->text().toStdString();
        const platform::rt::FieldNumber code = platform::rt::ReadLeadingNumber(typed);
        if (code.isOutOfRange()) {
            refuse(*ProgressBar1, MissingCodeRefusal(typed));
            return;
        }
        m_missingCode = code.value;
    }
    BarProgress progress(*ProgressBar1, true);
    CARun run(choice, mQuorin::Program(), &progress);
    const bool written = runStages(run, m_target, *ProgressBar1, [&](platform::Guard& g) {
        bool done = false;
        g.step([&] {
            spreadsheet::Workbook& book = m_target.workbook();
            book.setSheetSelected(book.Sheet(), false);
            run.WriteOutputSheet(book);
            done = true;
        });
        return done;
    });
    if (!written) {
        return;
    }
    std::vector<std::vector<double>> coords;
    std::vector<std::string> labels;
    run.PlotPoints(coords, labels);
    finishRun(std::move(coords), std::move(labels), run.nAxis());
}

void frmCA::cmdHelp_Click() { (void)message("No help is available yet for correspondence analysis."); }

// ---- frmCorr --------------------------------------------------------------------

frmCorr::frmCorr(OrdinationTarget& target, QWidget* parent) : OrdinationDialog(target, parent)
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

    addOutputFrame(*this, {frOutput, optOutRange, txtOutRange, optNewSheet, txtNewSheet, optNewBook});

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

bool frmCorr::load(const DataBlock& block, platform::Guard& g)
{
    if (block.rows < 3 || block.cols < 3) {
        (void)message("Not enough data for computing correlation.");
        return false;
    }
    if (const std::string range = block.range(g); !range.empty()) {
        txtInRange->setText(q(range));
    }
    optVarCol->setChecked(true);
    optNewSheet->setChecked(true);
    return true;
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
    const bool written = runStages(run, m_target, *ProgressBar1, [&](platform::Guard& g) {
        bool done = false;
        g.step([&] {
            if (output == OrdinationOutput::NewSheet) {
                run.WriteToNewSheet(m_target.workbook());
            } else if (output == OrdinationOutput::NewBook) {
                run.WriteMatrix(m_target.newWorkbook(), 1);
            }
            done = true;
        });
        return done;
    });
    if (written) {
        m_ran = true;
        close();
    }
}

} // namespace analysis
