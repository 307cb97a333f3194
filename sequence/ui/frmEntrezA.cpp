#include "sequence/ui/frmEntrezA.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
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
#include <string>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/net/QtInet.h"
#include "platform/widgets/placement/WindowPlacement.h"
#include "sequence/ui/BarProgress.h"
#include "sequence/ui/FlankRetrieval.h"
#include "sequence/ui/frmStartA.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/mQuorin.h"

namespace sequence {

namespace {

constexpr const char* Caption = "Sequence retrieval";

std::function<void()>& opener()
{
    static std::function<void()> f;
    return f;
}

QString q(const std::string& text) { return QString::fromStdString(text); }

} // namespace

frmEntrezA::frmEntrezA(QWidget* parent, platform::InetTransfer* inet) : QDialog(parent)
{
    setObjectName("frmEntrezA");
    setWindowTitle(Caption);
    setModal(true);
    if (inet == nullptr) {
        m_ownInet = std::make_unique<platform::QtInet>();
        inet = m_ownInet.get();
    }
    m_inet = inet;
    m_inet->StateChanged = [this](int state) { Inet1_StateChanged(state); };

    lblLocus = new QLabel("Get DNA for the following", this);
    lstLocus = new QListWidget(this);
    lstLocus->setObjectName("lstLocus");

    frSearch = new QGroupBox("Search options", this);
    cboSpecies = new QComboBox(frSearch);
    cboSpecies->setObjectName("cboSpecies");
    cboDB = new QComboBox(frSearch);
    cboDB->setObjectName("cboDB");
    lblDB = new QLabel(frSearch);
    chkUpstream = new QCheckBox("Get upstream sequence", frSearch);
    txtNumNtUp = new QLineEdit("100", frSearch);
    lblNumNtUp = new QLabel("nucleotides", frSearch);
    chkDownstream = new QCheckBox("Get downstream sequence", frSearch);
    txtNumNtDown = new QLineEdit("100", frSearch);
    lblNumNtDown = new QLabel("nucleotides", frSearch);
    for (QLineEdit* box : {txtNumNtUp, txtNumNtDown}) {
        box->setMaximumWidth(70);
    }
    auto* search = new QGridLayout(frSearch);
    search->addWidget(cboSpecies, 0, 0, 1, 3);
    search->addWidget(cboDB, 1, 0, 1, 3);
    search->addWidget(lblDB, 2, 0, 1, 3);
    search->addWidget(chkUpstream, 3, 0);
    search->addWidget(txtNumNtUp, 3, 1);
    search->addWidget(lblNumNtUp, 3, 2);
    search->addWidget(chkDownstream, 4, 0);
    search->addWidget(txtNumNtDown, 4, 1);
    search->addWidget(lblNumNtDown, 4, 2);

    frAccess = new QGroupBox("Specify Type of Access", this);
    optDefault = new QRadioButton("Use Default", frAccess);
    optProxy = new QRadioButton("Specify a proxy server", frAccess);
    txtProxy = new QLineEdit(frAccess);
    txtProxy->setObjectName("txtProxy");
    optDefault->setChecked(true);
    txtProxy->setVisible(false);
    auto* access = new QVBoxLayout(frAccess);
    access->addWidget(optDefault);
    access->addWidget(optProxy);
    access->addWidget(txtProxy);

    cmdRetrieve = new QPushButton("Retrieve", this);
    cmdQuit = new QPushButton("Quit", this);
    cmdHelp = new QPushButton("Help", this);
    lblWait = new QLabel("Please be patient ......", this);
    lblWait->setStyleSheet("color: red");
    lblWait->setWordWrap(true);
    lblWait->setVisible(false);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setTextVisible(false);

    auto* right = new QVBoxLayout;
    right->addWidget(frSearch);
    right->addWidget(frAccess);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRetrieve);
    buttons->addWidget(cmdQuit);
    buttons->addWidget(cmdHelp);
    right->addLayout(buttons);
    auto* left = new QVBoxLayout;
    left->addWidget(lblLocus);
    left->addWidget(lstLocus);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(right, 2);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(lblWait);
    all->addWidget(ProgressBar1);

    connect(chkUpstream, &QCheckBox::clicked, this, [this] { chkUpstream_Click(); });
    connect(chkDownstream, &QCheckBox::clicked, this, [this] { chkDownstream_Click(); });
    connect(optDefault, &QRadioButton::clicked, this, [this] { optDefault_Click(); });
    connect(optProxy, &QRadioButton::clicked, this, [this] { optProxy_Click(); });
    connect(cmdRetrieve, &QPushButton::clicked, this, [this] { cmdRetrieve_Click(); });
    connect(cmdQuit, &QPushButton::clicked, this, [this] { cmdQuit_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });

    Form_Load();
}

frmEntrezA::~frmEntrezA()
{
    m_inet->StateChanged = nullptr;
}

void frmEntrezA::setWorkWindowOpener(std::function<void()> f)
{
    opener() = std::move(f);
}

void frmEntrezA::openWorkWindow(QWidget* over)
{
    if (opener()) {
        opener()();
        return;
    }
    // One flank work window at a time: an open one shows the new sets.
    if (frmStartA* open = frmStartA::openWindow()) {
        open->setsReplaced();
        open->raise();
        open->activateWindow();
        return;
    }
    auto* window = new frmStartA;
    window->setAttribute(Qt::WA_DeleteOnClose);
    platform::placeInsideWhenOpened(*window, over != nullptr ? over->window() : nullptr);
    window->show();
}

bool frmEntrezA::mayReplaceOpenSets()
{
    const frmStartA* open = frmStartA::openWindow();
    if (open == nullptr || !open->hasUnsavedSets()) {
        return true;
    }
    return platform::dialogs().MsgBox("The flanking sequence window holds sequences that are not saved. A new "
                                      "retrieval replaces them.\r\n\r\nOK retrieves new sequences, Cancel keeps "
                                      "the unsaved ones.",
                                      platform::mb::OkCancel | platform::mb::Exclamation, Caption) ==
           platform::Answer::Ok;
}

bool frmEntrezA::keepStoppedRun(const FlankRetrieval& run, std::size_t genes)
{
    if (run.left().numSeq == 0 && run.right().numSeq == 0) {
        return false;
    }
    return platform::dialogs().MsgBox("The retrieval stopped after " + std::to_string(run.genesDone()) + " of " +
                                          std::to_string(genes) + " genes. Keep the flanking sequences fetched so "
                                          "far (" + std::to_string(run.left().numSeq) + " upstream, " +
                                          std::to_string(run.right().numSeq) + " downstream)?",
                                      platform::mb::YesNo | platform::mb::Question, Caption) == platform::Answer::Yes;
}

void frmEntrezA::Form_Load()
{
    cboSpecies->clear();
    for (const auto item : SpeciesItems) {
        cboSpecies->addItem(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
    }
    cboDB->clear();
    for (const auto item : SourceItems) {
        cboDB->addItem(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
    }
    cboSpecies->setCurrentIndex(0);
    cboDB->setCurrentIndex(0);
    lstLocus->clear();
    const auto& state = mQuorin::Program();
    const auto count = std::min<std::size_t>(state.gSelLociName.size(),
                                             static_cast<std::size_t>(std::max(0, state.gNumSelLoci)));
    for (std::size_t i = 0; i < count; ++i) {
        lstLocus->addItem(q(state.gSelLociName[i]));
    }
    lblDB->setVisible(true);
    chkUpstream->setChecked(true);
    chkUpstream_Click();
    chkDownstream->setChecked(true);
    chkDownstream_Click();
}

void frmEntrezA::chkUpstream_Click()
{
    txtNumNtUp->setVisible(chkUpstream->isChecked());
    lblNumNtUp->setVisible(chkUpstream->isChecked());
}

void frmEntrezA::chkDownstream_Click()
{
    txtNumNtDown->setVisible(chkDownstream->isChecked());
    lblNumNtDown->setVisible(chkDownstream->isChecked());
}

void frmEntrezA::optDefault_Click()
{
    optDefault->setChecked(true);
    m_inet->setAccessType(platform::inet::UseDefault);
    txtProxy->setVisible(false);
}

void frmEntrezA::optProxy_Click()
{
    optProxy->setChecked(true);
    m_inet->setAccessType(platform::inet::NamedProxy);
    m_inet->setProxy(txtProxy->text().trimmed().toStdString());
    txtProxy->setVisible(true);
}

void frmEntrezA::setWait(const QString& text)
{
    lblWait->setText(text);
    lblWait->repaint();
}

void frmEntrezA::Inet1_StateChanged(int state)
{
    static const char* const Texts[] = {"Looking up the IP address......",
                                        "Host found ......",
                                        "Connecting to host......",
                                        "Connected.......",
                                        "Sending requests ......",
                                        "Sending is successful......",
                                        "Receiving a response from the host......",
                                        "Response received......",
                                        "Disconnecting.......",
                                        "Disconnected. Good-bye.",
                                        "An error has occurred......",
                                        "Operation successful!"};
    if (state >= 1 && state <= 12) {
        setWait(Texts[state - 1]);
    }
}

void frmEntrezA::cmdRetrieve_Click()
{
    if (m_running) {
        return;
    }
    platform::guarded([&](platform::Guard& g) {
        bool valid = false;
        g.step([&] { valid = ChoicesAreValid(cboSpecies->currentIndex(), cboDB->currentIndex()); });
        if (!valid) {
            return;
        }
        // A length box whose text gives no length is refused in words
        // before anything is asked of a server, and before the status line
        // asks for patience.
        const std::string upText = txtNumNtUp->text().toStdString();
        const std::string downText = txtNumNtDown->text().toStdString();
        const auto up = FlankLength(upText);
        const auto down = FlankLength(downText);
        if (!up || !down) {
            (void)platform::dialogs().MsgBox(!up ? FlankLengthRefusal("upstream", upText)
                                                 : FlankLengthRefusal("downstream", downText),
                                             platform::mb::Information, Caption);
            return;
        }
        std::vector<std::string> genes;
        for (int i = 0; i < lstLocus->count(); ++i) {
            genes.push_back(lstLocus->item(i)->text().toStdString());
        }
        lblWait->setVisible(true);
        setWait("Please be patient ......");

        // Unsaved sequences of an open flank window are replaced only when
        // the user agrees.
        if (!mayReplaceOpenSets()) {
            setWait("Nothing was retrieved. The flanking sequence window keeps its sequences.");
            return;
        }
        // The proxy is taken as it stands when the retrieval starts.
        if (optProxy->isChecked()) {
            m_inet->setAccessType(platform::inet::NamedProxy);
            m_inet->setProxy(txtProxy->text().trimmed().toStdString());
        } else {
            m_inet->setAccessType(platform::inet::UseDefault);
        }

        FlankRetrieval run(*m_inet, RetrievalServers::fromSettings());
        BarProgress progress(*ProgressBar1);
        run.progress = &progress;
        run.status = [this](const std::string& text) { setWait(q(text)); };
        const bool yeast = cboDB->currentIndex() == 0;
        m_running = true;
        m_quit = false;
        m_run = &run;
        cmdRetrieve->setEnabled(false);
        try {
            if (yeast) {
                run.RetrieveFromYeastDB(genes, *up, *down);
            } else {
                run.RetrieveFromGenBank(genes, *up, *down, cboSpecies->currentText().toStdString());
            }
        } catch (...) {
            m_running = false;
            m_run = nullptr;
            cmdRetrieve->setEnabled(true);
            throw;
        }
        m_running = false;
        m_run = nullptr;
        cmdRetrieve->setEnabled(true);

        if (m_quit) {
            reject();
            return;
        }
        if (!run.finished() && !keepStoppedRun(run, genes.size())) {
            setWait("Retrieval stopped. The flanking sequences held before are kept.");
            return;
        }
        // The transfer's last state ("Operation successful!") must not stand
        // after genes were given up on an error.
        if (const std::size_t failed = run.genesWithErrors(); failed > 0) {
            setWait(q("Retrieval ended with errors for " + std::to_string(failed) +
                      (failed == 1 ? " gene." : " genes.")));
        }
        // The status line goes with the dialog: genes that fell short are
        // told once in a box that stays until answered, before the flank
        // window opens.
        if (const std::string summary = ShortfallSummary(run.shortfalls()); !summary.empty()) {
            (void)platform::dialogs().MsgBox(summary, platform::mb::OkOnly | platform::mb::Exclamation, Caption);
        }
        auto& state = mQuorin::Program();
        if (run.left().numSeq > 0 || run.right().numSeq > 0) {
            run.commitTo(state.gLeft, state.gRight);
            accept();
            state.gFlankWinOpen = true;
            openWorkWindow(parentWidget());
            return;
        }
        (void)platform::dialogs().MsgBox(yeast ? "No sequences found in the Saccharomyces Genome Database for the "
                                                 "set of genes."
                                               : "No sequences found in GenBank for the set of genes.",
                                         platform::mb::Information, shell::ProgramInfo::Title);
        accept();
    });
}

void frmEntrezA::cmdQuit_Click()
{
    m_inet->Cancel();
    if (m_running) {
        // The retrieval unwinds first; the dialog closes when it has.
        m_quit = true;
        if (m_run != nullptr) {
            m_run->stop();
        }
        return;
    }
    reject();
}

void frmEntrezA::cmdHelp_Click()
{
    (void)platform::dialogs().MsgBox(std::string("There is no help yet. If you publish, please cite:\r\n") +
                                         shell::ProgramInfo::Citation,
                                     platform::mb::OkOnly | platform::mb::Information, Caption);
}

void frmEntrezA::reject()
{
    if (m_running) {
        cmdQuit_Click();
        return;
    }
    QDialog::reject();
}

void frmEntrezA::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        event->ignore();
        cmdQuit_Click();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace sequence
