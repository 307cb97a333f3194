#pragma once

// frmEntrezA: the modal dialog "Sequence retrieval" that fetches the
// upstream and downstream flanks of the genes in the program's gene list
// (gSelLociName, gNumSelLoci of mQuorin::Program()) and, when any were
// found, hands both flank sets to the flank work window.
//
// The dialog reads its controls and runs a FlankRetrieval; requests wait in
// a local event loop, so the dialog repaints, shows the transfer's states in
// lblWait and its Quit button works while a request runs (Quit cancels the
// transfer; the dialog closes once the request has returned). The program's
// flank sets are replaced by a retrieval that went through every gene, or by
// what a stopped one fetched when the user chooses to keep it. While the
// flank work window holds unsaved sequences, a retrieval starts only after
// the user agrees to replace them. A length box whose text is no length
// (not a number, empty, negative, too large) is refused in words naming the
// box, and nothing is asked of a server. When a run is over, the genes that
// gave no flank on a side, a shorter one than asked, or ended on an error are
// named with their reasons in one box that stays until answered; a run
// without such genes shows none.

#include <QDialog>

#include <cstddef>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace platform {
class InetTransfer;
}

namespace sequence {

class FlankRetrieval;

class frmEntrezA : public QDialog {
    Q_OBJECT
public:
    // inet: the transfer control to use (null: one of our own on QtNetwork).
    explicit frmEntrezA(QWidget* parent = nullptr, platform::InetTransfer* inet = nullptr);
    ~frmEntrezA() override;

    // What opens the flank work window after a retrieval that found
    // sequences; by default a modeless frmStartA of its own.
    static void setWorkWindowOpener(std::function<void()> opener);
    // Opens the flank work window as the dialog does after a retrieval:
    // placed inside the window that holds `over` (the main window), or, when
    // one is open already, that window showing the new sets.
    static void openWorkWindow(QWidget* over = nullptr);

    // Handlers, public so that tests drive them as a user would.
    void Form_Load();
    void chkUpstream_Click();
    void chkDownstream_Click();
    void optDefault_Click();
    void optProxy_Click();
    void cmdRetrieve_Click();
    void cmdQuit_Click();
    void cmdHelp_Click();
    void Inet1_StateChanged(int state);

    [[nodiscard]] bool running() const { return m_running; }

    QLabel* lblLocus = nullptr;
    QListWidget* lstLocus = nullptr;
    QGroupBox* frSearch = nullptr;
    QComboBox* cboSpecies = nullptr;
    QComboBox* cboDB = nullptr;
    QLabel* lblDB = nullptr;
    QCheckBox* chkUpstream = nullptr;
    QLineEdit* txtNumNtUp = nullptr;
    QLabel* lblNumNtUp = nullptr;
    QCheckBox* chkDownstream = nullptr;
    QLineEdit* txtNumNtDown = nullptr;
    QLabel* lblNumNtDown = nullptr;
    QGroupBox* frAccess = nullptr;
    QRadioButton* optDefault = nullptr;
    QRadioButton* optProxy = nullptr;
    QLineEdit* txtProxy = nullptr;
    QPushButton* cmdRetrieve = nullptr;
    QPushButton* cmdQuit = nullptr;
    QPushButton* cmdHelp = nullptr;
    QLabel* lblWait = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape or closing while a request runs acts as Quit.
    void reject() override;

private:
    void setWait(const QString& text);
    // Asks before a retrieval would replace unsaved sets of the open flank
    // window; true when it may go on.
    static bool mayReplaceOpenSets();
    // After a stopped run: whether to keep what it fetched (asked when it
    // fetched anything).
    static bool keepStoppedRun(const FlankRetrieval& run, std::size_t genes);

    std::unique_ptr<platform::InetTransfer> m_ownInet;
    platform::InetTransfer* m_inet = nullptr;
    FlankRetrieval* m_run = nullptr;
    bool m_running = false;
    bool m_quit = false;
};

} // namespace sequence
