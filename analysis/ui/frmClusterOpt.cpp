#include "analysis/ui/frmClusterOpt.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "analysis/ui/BarProgress.h"
#include "analysis/ui/ClusterRun.h"
#include "analysis/ui/DataBlock.h"
#include "analysis/ui/DialogFrames.h"
#include "numeric/Progress.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/runtime/Convert.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/mQuorin.h"

namespace analysis {

namespace {

constexpr const char* Caption = "Cluster Options";

// The largest count of clusters or map nodes that the dialog takes.
constexpr std::int32_t MaxCount = std::numeric_limits<std::int32_t>::max();

// Message boxes without a title of their own carry the program's name.
platform::Answer message(const std::string& text, int style = platform::mb::OkOnly)
{
    return platform::dialogs().MsgBox(text, style, shell::ProgramInfo::Title);
}

QString q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

} // namespace

frmClusterOpt::frmClusterOpt(ClusterTarget& target, QWidget* parent) : QDialog(parent), m_target(target)
{
    setObjectName("frmClusterOpt");
    setWindowTitle(Caption);
    setModal(true);

    QGridLayout* inputGrid =
        addInputFrame(*this, {"Input range:", "Code missing value as:", "9.999999"},
                      {frInput, lblInRange, txtInRange, chkMissing, lblMissing, txtMissing});
    chkOutMat = new QCheckBox("Display distance matrix", frInput);
    inputGrid->addWidget(chkOutMat, 3, 0, 1, 2);

    lblClusterMethod = new QLabel("Cluster methods", this);
    cboClusterMethod = new QComboBox(this);
    lblIndex = new QLabel("Distance indices", this);
    cboIndex = new QComboBox(this);

    addOutputFrame(*this, {frOutput, optOutRange, txtOutRange, optNewSheet, txtNewSheet, optNewBook});

    lblInfo = new QLabel("Please wait ......", this);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setTextVisible(false);
    cmdDone = new QPushButton("OK", this);
    cmdDone->setDefault(true);
    cmdHelp = new QPushButton("Help", this);

    auto* choices = new QGridLayout;
    choices->addWidget(lblClusterMethod, 0, 0);
    choices->addWidget(cboClusterMethod, 1, 0);
    choices->addWidget(lblIndex, 0, 1);
    choices->addWidget(cboIndex, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblInfo, 1);
    buttons->addWidget(cmdDone);
    buttons->addWidget(cmdHelp);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frInput);
    layout->addLayout(choices);
    layout->addWidget(frOutput);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);

    // activated: only the user's pick, so a fallback selection made by the
    // handler itself asks nothing.
    connect(cboClusterMethod, &QComboBox::activated, this, [this](int index) { cboClusterMethod_Click(index); });
    connect(chkMissing, &QCheckBox::clicked, this, [this] { chkMissing_Click(); });
    connect(chkOutMat, &QCheckBox::clicked, this, [this] { chkOutMat_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
    connect(cmdDone, &QPushButton::clicked, this, [this] { cmdDone_Click(); });
}

frmClusterOpt::~frmClusterOpt() = default;

void frmClusterOpt::fillIndexList(bool map)
{
    cboIndex->clear();
    if (map) {
        for (std::string_view item : MapIndexItems) {
            cboIndex->addItem(q(item));
        }
        cboIndex->setCurrentIndex(0);
    } else {
        for (std::string_view item : IndexItems) {
            cboIndex->addItem(q(item));
        }
        cboIndex->setCurrentIndex(DefaultIndex);
    }
}

void frmClusterOpt::selectMethod(int method)
{
    cboClusterMethod->setCurrentIndex(method);
    chkOutMat->setVisible(isHierarchical(method));
    fillIndexList(method == 6);
}

bool frmClusterOpt::Form_Load()
{
    if (m_loaded) {
        return true;
    }
    bool show = false;
    platform::guarded([&](platform::Guard& g) {
        const auto block = DataBlock::select(m_target.workbook(), g);
        if (!block) {
            return;
        }
        if (block->rows < 3 || block->cols < 3) {
            (void)message("Not enough data for computing correlation.", platform::mb::Information);
            return;
        }
        if (const std::string range = block->range(g); !range.empty()) {
            txtInRange->setText(q(range));
        }
        cboClusterMethod->clear();
        for (std::string_view item : MethodItems) {
            cboClusterMethod->addItem(q(item));
        }
        selectMethod(DefaultMethod);
        mQuorin::Program().gMissingCode = DefaultMissingCode;
        optNewSheet->setChecked(true);
        chkMissing->setChecked(false);
        txtMissing->setVisible(false);
        lblMissing->setVisible(false);
        txtMissing->setText(q(platform::rt::CStr(mQuorin::Program().gMissingCode)));
        m_loaded = true;
        lblInfo->setVisible(false);
        show = true;
    });
    return show;
}

bool frmClusterOpt::ShowModal()
{
    m_ran = false;
    if (Form_Load()) {
        exec();
    }
    m_loaded = false;
    return m_ran;
}

void frmClusterOpt::fallBack(const std::string& prefix)
{
    selectMethod(DefaultMethod);
    (void)message(prefix + "Operation cancelled and the cluster method has defaulted to " +
                  std::string(MethodItems[DefaultMethod]));
}

void frmClusterOpt::cboClusterMethod_Click(int method)
{
    platform::guarded([&](platform::Guard& g) {
        if (isPartition(method) || method == 6) {
            std::string typed;
            g.step([&] {
                typed = method == 6
                            ? platform::dialogs().InputBox("You need to specify the number of nodes in SOM:", "Info", "100")
                            : platform::dialogs().InputBox("You need to specify the number of clusters you want:", "Info",
                                                           "8");
            });
            // The typed number to the nearest 32-bit count; one beyond that
            // range (or beyond a double's) is refused in words.
            const platform::rt::FieldNumber typedCount = platform::rt::ReadLeadingNumber(typed);
            const double rounded = platform::rt::RoundHalfEven(typedCount.value);
            if (rounded > MaxCount) {
                fallBack(std::string(method == 6 ? "The number of nodes in SOM" : "The number of clusters") +
                         " is too large: it can be at most " + std::to_string(MaxCount) + ". ");
                return;
            }
            if (rounded < std::numeric_limits<std::int32_t>::min()) {
                fallBack("The number of clusters needs to be larger than 1. ");
                return;
            }
            m_count = static_cast<std::int32_t>(rounded);
            if (m_count == 0) {
                fallBack("");
                return;
            }
            if (m_count == 1) {
                fallBack("The number of clusters needs to be larger than 1. ");
                return;
            }
        }
        selectMethod(method);
    });
}

void frmClusterOpt::chkMissing_Click()
{
    const bool checked = chkMissing->isChecked();
    lblMissing->setVisible(checked);
    txtMissing->setVisible(checked);
    if (checked) {
        txtMissing->setText(q(platform::rt::CStr(mQuorin::Program().gMissingCode)));
    }
}

void frmClusterOpt::chkOutMat_Click()
{
    (void)message("If you have too many rows, then your computer may run out of memory when displaying the matrix "
                  "and the program will stop responding.",
                  platform::mb::Information);
}

void frmClusterOpt::cmdHelp_Click()
{
    (void)message("Choose a cluster method and a distance index, then press OK. Hierarchical methods build a tree "
                  "of all loci; k-means and join ask for the number of clusters, the self-organizing map for the "
                  "number of nodes. Check \"Has missing value\" when empty cells or the code below stand for "
                  "missing values. The report goes to the output view and the tree to the tree view.",
                  platform::mb::Information);
}

void frmClusterOpt::cmdDone_Click()
{
    if (m_running) {
        return;
    }
    ClusterChoice choice;
    choice.inRange = txtInRange->text().toStdString();
    choice.method = cboClusterMethod->currentIndex();
    choice.index = cboIndex->currentIndex();
    choice.hasMissing = chkMissing->isChecked();
    choice.missingText = txtMissing->text().toStdString();
    choice.showMatrix = chkOutMat->isChecked();
    choice.count = m_count;

    m_running = true;
    cmdDone->setEnabled(false);
    cmdHelp->setEnabled(false);
    lblInfo->setVisible(true);
    lblInfo->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    BarProgress progress(*ProgressBar1);
    ClusterRun run(choice, mQuorin::Program(), &progress, m_rng);
    std::string refusal;
    bool handedOver = false;
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            refusal = run.CheckChoice();
            if (refusal.empty()) {
                refusal = run.ReadInput(m_target.workbook());
            }
        });
        // A stage that did not finish (refused, aborted or ignored) ends the
        // run: what was computed so far is never handed over as a result.
        if (!refusal.empty() || !run.inputRead()) {
            return;
        }
        g.step([&] { run.Cluster(); });
        if (!run.finished()) {
            return;
        }
        g.step([&] {
            m_target.setMyRootNode(run.takeTree());
            handedOver = true;
        });
        if (!handedOver) {
            return;
        }
        (void)message("Options are recorded in the 'Output Window' under the Window menu.", platform::mb::Information);
        g.step([&] { m_target.setOutputText(run.report()); });
    });

    ProgressBar1->setValue(0);
    lblInfo->setVisible(false);
    cmdDone->setEnabled(true);
    cmdHelp->setEnabled(true);
    m_running = false;

    if (!refusal.empty()) {
        (void)platform::dialogs().MsgBox(refusal, platform::mb::Exclamation, Caption);
        return;
    }
    if (handedOver) {
        m_ran = true;
        accept();
    }
}

void frmClusterOpt::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        event->ignore();
        return;
    }
    m_loaded = false;
    QDialog::closeEvent(event);
}

} // namespace analysis
