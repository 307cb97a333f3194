#include "sequence/ui/frmEntrezA.h"
#include "sequence/ui/frmStartA.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest/QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "platform/dialogs/QtDialogs.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/net/QtInet.h"
#include "platform/widgets/richtext/RichTextBox.h"
#include "shell/core/mQuorin.h"
#include "tests/sequence/ui/FlankReplies.h"
#include "tests/sequence/ui/LoopbackServer.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::LoopbackServer;

std::string yeastPage(const std::string& residues)
{
    return "<PRE>\n>gene\n     1 " + residues + "\n</PRE>";
}

// 1000 bases in which every stretch of 100 differs from the others.
std::string kilobase()
{
    std::string s;
    const std::string letters = "acgt";
    for (std::size_t i = 0; i < 1000; ++i) {
        s += letters[(i * 7 + i / 5 + i / 13) % 4];
    }
    return s;
}

// The retrieval dialog on screen, its transfers going straight to the
// loopback servers.
struct DirectDialog {
    DirectDialog()
    {
        inet.setAccessType(platform::inet::Direct);
        dlg.show();
    }
    platform::QtInet inet;
    sequence::frmEntrezA dlg{nullptr, &inet};
};

class EntrezDialog : public ::testing::Test {
protected:
    EntrezDialog()
        : env("QUORIN_WINDOWS_DIR", dir.path().string()), scope(state), dialogsScope(dialogs)
    {
        selectLoci({"YAL001C", "YAL002W", "NOPE"});
        sequence::frmEntrezA::setWorkWindowOpener([this] { ++workWindowsOpened; });
    }
    ~EntrezDialog() override { sequence::frmEntrezA::setWorkWindowOpener(nullptr); }

    // The genes the dialog is opened for.
    void selectLoci(std::vector<std::string> names)
    {
        state.gNumSelLoci = static_cast<std::int32_t>(names.size());
        state.gSelLociName = std::move(names);
    }

    void pointServersAt(const LoopbackServer& server, int timeout = 5)
    {
        std::ofstream ini(dir.file("QUORIN.INI"));
        ini << "[Sequence Retrieval]\r\nYeastServer=" << server.base() << "/\r\nLocusLinkServer=" << server.base()
            << "\r\nEntrezServer=" << server.base() << "\r\nTimeoutSeconds=" << timeout << "\r\n";
    }

    testsupport::TempDir dir;
    testsupport::ScopedEnv env;
    mQuorin::ProgramState state;
    mQuorin::ProgramScope scope;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs dialogsScope;
    int workWindowsOpened = 0;
};

TEST_F(EntrezDialog, LoadFillsTheGeneListAndTheChoices)
{
    platform::QtInet inet;
    sequence::frmEntrezA dlg(nullptr, &inet);
    EXPECT_EQ(dlg.windowTitle(), "Sequence retrieval");
    ASSERT_EQ(dlg.lstLocus->count(), 3);
    EXPECT_EQ(dlg.lstLocus->item(2)->text(), "NOPE");
    ASSERT_EQ(dlg.cboSpecies->count(), 7);
    EXPECT_EQ(dlg.cboSpecies->itemText(6), "aLL animals");
    EXPECT_EQ(dlg.cboDB->itemText(1), "GenBank via LocusLink");
    EXPECT_EQ(dlg.txtNumNtUp->text(), "100");
    EXPECT_TRUE(dlg.chkUpstream->isChecked());
    dlg.show();
    dlg.chkUpstream->click();
    EXPECT_FALSE(dlg.txtNumNtUp->isVisible());
    EXPECT_FALSE(dlg.txtProxy->isVisible());
    dlg.optProxy->click();
    EXPECT_TRUE(dlg.txtProxy->isVisible());
    EXPECT_EQ(inet.AccessType(), platform::inet::NamedProxy);
    dlg.optDefault->click();
    EXPECT_EQ(inet.AccessType(), platform::inet::UseDefault);
}

TEST_F(EntrezDialog, RetrieveFillsBothSetsAndOpensTheWorkWindow)
{
    LoopbackServer server([](const std::string& target) -> LoopbackServer::Reply {
        const std::string seq = LoopbackServer::param(target, "seq");
        if (seq == "NOPE") {
            return {"No sequences"};
        }
        return {yeastPage(std::string(20, 'A') + std::string(30, 'G') + std::string(20, 'T'))};
    });
    pointServersAt(server);
    platform::QtInet inet;
    inet.setAccessType(platform::inet::Direct);
    sequence::frmEntrezA dlg(nullptr, &inet);
    dlg.show();
    dlg.txtNumNtUp->setText("20");
    dlg.txtNumNtDown->setText("20.5");
    dialogs.answer(platform::Answer::Ok);
    dlg.cmdRetrieve->click();
    ASSERT_EQ(dialogs.calls().size(), 1U);
    EXPECT_EQ(dialogs.last().text, "These genes did not give all the flanking sequence asked for:\r\n\r\n"
                                   "NOPE: no flanks: the yeast genome database has no sequence for it.");
    EXPECT_EQ(workWindowsOpened, 1);
    EXPECT_TRUE(state.gFlankWinOpen);
    ASSERT_EQ(state.gLeft.numSeq, 2);
    EXPECT_EQ(state.gRight.numSeq, 2);
    EXPECT_EQ(state.gLeft.seq[0], std::string(20, 'A'));
    EXPECT_EQ(state.gRight.seq[1], std::string(20, 'U'));
    EXPECT_EQ(state.gRight.name, state.gLeft.name);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dialogs.unscripted(), 0);
}

TEST_F(EntrezDialog, StoppedRetrievalKeepsTheSetsOfTheLastOne)
{
    state.gLeft.seq = {"OLD"};
    state.gLeft.name = {"old"};
    state.gLeft.numSeq = 1;
    LoopbackServer server([](const std::string&) { return LoopbackServer::Reply{"", LoopbackServer::Mode::CloseWithoutReply}; });
    pointServersAt(server);
    platform::QtInet inet;
    inet.setAccessType(platform::inet::Direct);
    sequence::frmEntrezA dlg(nullptr, &inet);
    dialogs.answer(platform::Answer::Abort);
    dlg.cmdRetrieve->click();
    ASSERT_EQ(dialogs.calls().size(), 1U);
    EXPECT_EQ(dialogs.last().title, "Sequence retrieval");
    EXPECT_EQ(dialogs.last().text.rfind("Gene \"YAL001C\": ", 0), 0U) << dialogs.last().text;
    EXPECT_EQ(state.gLeft.seq, std::vector<std::string>{"OLD"});
    EXPECT_EQ(workWindowsOpened, 0);
    EXPECT_EQ(dlg.lblWait->text().toStdString(), "Retrieval stopped. The flanking sequences held before are kept.");
}

TEST_F(EntrezDialog, AbortOffersToKeepTheGenesAlreadyFetched)
{
    for (const platform::Answer keep : {platform::Answer::Yes, platform::Answer::No}) {
        const bool kept = keep == platform::Answer::Yes;
        state.gLeft = {};
        state.gLeft.seq = {"OLD"};
        state.gLeft.name = {"old"};
        state.gLeft.numSeq = 1;
        workWindowsOpened = 0;
        dialogs.clear();
        // The first gene answers, the second fails.
        LoopbackServer server([](const std::string& target) -> LoopbackServer::Reply {
            if (LoopbackServer::param(target, "seq") == "YAL001C") {
                return {yeastPage(std::string(20, 'A') + std::string(30, 'G') + std::string(20, 'T'))};
            }
            return {"", LoopbackServer::Mode::CloseWithoutReply};
        });
        pointServersAt(server);
        platform::QtInet inet;
        inet.setAccessType(platform::inet::Direct);
        sequence::frmEntrezA dlg(nullptr, &inet);
        dlg.txtNumNtUp->setText("20");
        dlg.txtNumNtDown->setText("20");
        dialogs.answer(platform::Answer::Abort).answer(keep).answer(platform::Answer::Ok);
        dlg.cmdRetrieve->click();
        // Kept, the sets go on with the box that names the gene it stopped on.
        ASSERT_EQ(dialogs.calls().size(), kept ? 3U : 2U) << kept;
        EXPECT_EQ(dialogs.calls()[1].text, "The retrieval stopped after 1 of 3 genes. Keep the flanking sequences "
                                           "fetched so far (1 upstream, 1 downstream)?");
        EXPECT_EQ(dialogs.calls()[1].title, "Sequence retrieval");
        if (kept) {
            EXPECT_EQ(dialogs.last().text.rfind("These genes did not give all the flanking sequence asked for:\r\n"
                                                "\r\nYAL002W: no flanks, after an error: ",
                                                0),
                      0U)
                << dialogs.last().text;
        }
        for (const std::string& target : server.targets()) {
            EXPECT_NE(LoopbackServer::param(target, "seq"), "NOPE") << "nothing is asked after Abort";
        }
        if (kept) {
            EXPECT_EQ(state.gLeft.seq, std::vector<std::string>{std::string(20, 'A')});
            EXPECT_EQ(state.gRight.seq, std::vector<std::string>{std::string(20, 'U')});
            EXPECT_EQ(state.gLeft.name, std::vector<std::string>{"YAL001C"});
            EXPECT_EQ(workWindowsOpened, 1);
            EXPECT_EQ(dlg.result(), QDialog::Accepted);
        } else {
            EXPECT_EQ(state.gLeft.seq, std::vector<std::string>{"OLD"});
            EXPECT_EQ(workWindowsOpened, 0);
            EXPECT_EQ(dlg.lblWait->text().toStdString(),
                      "Retrieval stopped. The flanking sequences held before are kept.");
        }
    }
}

TEST_F(EntrezDialog, ASecondRetrievalAsksBeforeReplacingUnsavedSequencesOfTheOpenWindow)
{
    sequence::frmEntrezA::setWorkWindowOpener(nullptr);  // the real flank work window
    selectLoci({"YAL001C", "YAL002W"});  // both found: no box after a run
    std::string residues = std::string(20, 'A') + std::string(30, 'G') + std::string(20, 'C');
    LoopbackServer server([&](const std::string& target) -> LoopbackServer::Reply {
        if (LoopbackServer::param(target, "seq") == "NOPE") {
            return {"No sequences"};
        }
        return {yeastPage(residues)};
    });
    pointServersAt(server);
    platform::QtInet inet;
    inet.setAccessType(platform::inet::Direct);
    QWidget frame;
    frame.setGeometry(20, 30, 700, 500);
    frame.show();
    const auto retrieve = [&] {
        sequence::frmEntrezA dlg(&frame, &inet);
        dlg.txtNumNtUp->setText("20");
        dlg.txtNumNtDown->setText("20");
        dlg.cmdRetrieve->click();
        return dlg.lblWait->text().toStdString();
    };
    (void)retrieve();
    sequence::frmStartA* window = sequence::frmStartA::openWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(frame.frameGeometry().contains(window->frameGeometry())) << "the window opens inside the frame";
    ASSERT_EQ(state.gLeft.seq[0], std::string(20, 'A'));
    const std::size_t asked = server.targets().size();

    // Cancel: nothing is fetched and the unsaved sequences stay.
    residues = std::string(20, 'G') + std::string(30, 'G') + std::string(20, 'G');
    dialogs.clear();
    dialogs.answer(platform::Answer::Cancel);
    EXPECT_EQ(retrieve(), "Nothing was retrieved. The flanking sequence window keeps its sequences.");
    ASSERT_EQ(dialogs.calls().size(), 1U);
    EXPECT_EQ(dialogs.last().text, "The flanking sequence window holds sequences that are not saved. A new retrieval "
                                   "replaces them.\r\n\r\nOK retrieves new sequences, Cancel keeps the unsaved ones.");
    EXPECT_EQ(dialogs.last().style, platform::mb::OkCancel | platform::mb::Exclamation);
    EXPECT_EQ(server.targets().size(), asked);
    EXPECT_EQ(state.gLeft.seq[0], std::string(20, 'A'));

    // OK: the same window shows the new sets, which are not saved.
    dialogs.clear();
    dialogs.answer(platform::Answer::Ok);
    (void)retrieve();
    EXPECT_EQ(sequence::frmStartA::openWindow(), window) << "one flank window at a time";
    EXPECT_EQ(state.gLeft.seq[0], std::string(20, 'G'));
    EXPECT_NE(window->RichTextBox1->toPlainText().toStdString().find("YAL001C " + std::string(20, 'G')),
              std::string::npos);
    EXPECT_TRUE(window->hasUnsavedSets());

    // Saved sets are replaced without a question.
    for (const bool left : {true, false}) {
        window->work().showLeft(left);
        ASSERT_TRUE(window->work().Convert(dir.file(left ? "left.fas" : "right.fas"), 2, nullptr));
    }
    EXPECT_FALSE(window->hasUnsavedSets());
    dialogs.clear();
    (void)retrieve();
    EXPECT_TRUE(dialogs.calls().empty());
    delete window;
    EXPECT_EQ(sequence::frmStartA::openWindow(), nullptr);
}

TEST_F(EntrezDialog, QuitDuringARequestCancelsItAndClosesAfterwards)
{
    LoopbackServer server([](const std::string&) { return LoopbackServer::Reply{"", LoopbackServer::Mode::NeverAnswer}; });
    pointServersAt(server, 30);
    platform::QtInet inet;
    inet.setAccessType(platform::inet::Direct);
    sequence::frmEntrezA dlg(nullptr, &inet);
    dlg.show();
    QTimer::singleShot(300, &dlg, [&] {
        EXPECT_TRUE(dlg.running());
        dlg.cmdQuit->click();
    });
    dlg.cmdRetrieve->click();
    EXPECT_FALSE(dlg.running());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(server.targets().size(), 1U) << "no gene is asked for after Quit";
    EXPECT_TRUE(dialogs.calls().empty());
    EXPECT_EQ(workWindowsOpened, 0);
}

// A length box whose text is no length is refused in words naming the box,
// typed as a user types it, and no server is asked.
TEST_F(EntrezDialog, LengthThatIsNoLengthIsRefusedByItsBoxBeforeAnyRequest)
{
    LoopbackServer server([](const std::string&) { return LoopbackServer::Reply{"x"}; });
    pointServersAt(server);
    platform::QtInet inet;
    struct Row {
        bool upstream;
        const char* typed;
        const char* refusal;
    };
    const Row rows[] = {
        {true, "abc", "The number of upstream nucleotides \"abc\" is not a number. Please type a number of 0 or more, "
                      "such as 100."},
        {false, "", "The number of downstream nucleotides is empty. Please type a number of 0 or more, such as 100."},
        {false, "-10", "The number of downstream nucleotides must be 0 or more."},
        {true, "1e999", "The number of upstream nucleotides is too large: it can be at most 100000000."},
        {false, "1e10", "The number of downstream nucleotides is too large: it can be at most 100000000."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        dialogs.clear();
        sequence::frmEntrezA dlg(nullptr, &inet);
        dlg.show();
        QLineEdit* box = row.upstream ? dlg.txtNumNtUp : dlg.txtNumNtDown;
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, QString::fromLatin1(row.typed));
        QTest::mouseClick(dlg.cmdRetrieve, Qt::LeftButton);
        EXPECT_TRUE(server.targets().empty());
        ASSERT_EQ(dialogs.calls().size(), 1U);
        EXPECT_EQ(dialogs.last().text, row.refusal);
        EXPECT_EQ(dialogs.last().title, "Sequence retrieval");
        EXPECT_TRUE(dlg.isVisible()) << "the dialog stays for the length to be typed again";
        EXPECT_FALSE(dlg.lblWait->isVisible()) << "no wait is announced for a refused length";
        EXPECT_EQ(workWindowsOpened, 0);
    }
}

// Genes given up on an error (here a server error and a cut-off record, both
// answered Ignore) leave the status line saying so instead of the transfer's
// "Operation successful!", as it does while each box asks; the flanks of the
// other genes are kept.
TEST_F(EntrezDialog, StatusLineCountsTheGenesThatEndedWithErrors)
{
    LoopbackServer server([](const std::string& target) -> LoopbackServer::Reply {
        if (target.rfind("/LocusLink/", 0) == 0) {
            const std::string q = LoopbackServer::param(target, "Q");
            return {"<html>RefSeq <input name=\"uid:" + std::string(q == "YAL001C" ? "1" : q == "YAL002W" ? "2" : "3") +
                    "\"></html>"};
        }
        const std::string uid = LoopbackServer::param(target, "uid");
        if (uid == "1") {
            return {"<html>Internal error</html>", LoopbackServer::Mode::Normal, 500};
        }
        const std::string record = "LOCUS       NM_" + uid +
                                   "        20 bp    mRNA\nFEATURES\n     CDS             5..15\nORIGIN\n"
                                   "        1 acgtacgtac gtacgtacgt\n";
        return {uid == "3" ? record : record + "//\n"};
    });
    pointServersAt(server);
    platform::QtInet inet;
    inet.setAccessType(platform::inet::Direct);
    sequence::frmEntrezA dlg(nullptr, &inet);
    dlg.show();
    dlg.cboSpecies->setCurrentIndex(1);
    dlg.cboDB->setCurrentIndex(1);
    dlg.txtNumNtUp->setText("4");
    dlg.txtNumNtDown->setText("5");
    dialogs.answer(platform::Answer::Ignore).answer(platform::Answer::Ignore).answer(platform::Answer::Ok);
    std::vector<std::string> statusWhileAsked;
    dialogs.whileMessageShown = [&] { statusWhileAsked.push_back(dlg.lblWait->text().toStdString()); };
    dlg.cmdRetrieve->click();
    dialogs.whileMessageShown = nullptr;
    EXPECT_EQ(statusWhileAsked,
              (std::vector<std::string>{"An error occurred for gene: YAL001C", "An error occurred for gene: NOPE",
                                        "Retrieval ended with errors for 2 genes."}));
    ASSERT_EQ(dialogs.calls().size(), 3U);
    EXPECT_EQ(dialogs.calls()[0].text, "Gene \"YAL001C\": the server of the GenBank records answered with an error "
                                       "(HTTP status 500) instead of a reply.\r\n\r\nAbort stops the retrieval, "
                                       "Retry asks the server again, Ignore goes on with the next gene.");
    EXPECT_EQ(dialogs.calls()[0].style, platform::mb::AbortRetryIgnore | platform::mb::Exclamation);
    EXPECT_EQ(dialogs.calls()[1].text.rfind("Gene \"NOPE\": the GenBank record NM_3 is cut off", 0), 0U)
        << dialogs.calls()[1].text;
    EXPECT_EQ(dialogs.calls()[2].text.rfind("These genes did not give all the flanking sequence asked for:\r\n\r\n"
                                            "YAL001C: no flanks, after an error: the server of the GenBank records "
                                            "answered with an error (HTTP status 500) instead of a reply.\r\n\r\n"
                                            "NOPE: no flanks, after an error: the GenBank record NM_3 is cut off",
                                            0),
              0U)
        << dialogs.calls()[2].text;
    EXPECT_EQ(dlg.lblWait->text().toStdString(), "Retrieval ended with errors for 2 genes.");
    EXPECT_EQ(state.gLeft.seq, std::vector<std::string>{"acgt"});
    EXPECT_EQ(state.gRight.seq, std::vector<std::string>{"tacgt"});
    EXPECT_EQ(workWindowsOpened, 1);
}

// GenBank via the gene-locus index for PARTIAL (CDS <5..>900), SHORT (CDS
// 5..>15 in 20 bases), FAIL (the record query answers 500) and GOOD, 100
// bases asked on each side.
LoopbackServer::Handler mixedGenBankServer()
{
    return [](const std::string& target) -> LoopbackServer::Reply {
        if (target.rfind("/LocusLink/", 0) == 0) {
            const std::string q = LoopbackServer::param(target, "Q");
            return {flanktest::locusPage(q == "PARTIAL" ? "1" : q == "SHORT" ? "2" : q == "FAIL" ? "3" : "4")};
        }
        const std::string uid = LoopbackServer::param(target, "uid");
        if (uid == "1") {
            return {flanktest::genbankRecord("NM_000001", "<5..>900", kilobase())};
        }
        if (uid == "2") {
            return {testsupport::readFile(testsupport::dataPath("cds_partial_end.reply"))};
        }
        if (uid == "3") {
            return {"<html>Internal error</html>", LoopbackServer::Mode::Normal, 500};
        }
        return {flanktest::genbankRecord("NM_000004", "201..800", kilobase())};
    };
}

void chooseGenBank(sequence::frmEntrezA& dlg)
{
    dlg.cboSpecies->setCurrentIndex(1);
    dlg.cboDB->setCurrentIndex(1);
}

const std::string MixedSummary =
    "These genes did not give all the flanking sequence asked for:\r\n\r\n"
    "PARTIAL: no flanks from record NM_000001: it does not say where its CDS (<5..>900) begins or ends.\r\n\r\n"
    "SHORT: only 4 upstream bases from record NM_000020, where 100 were asked: its CDS (5..>15) starts at base 5; "
    "no downstream flank from record NM_000020: it does not say where its CDS (5..>15) ends.\r\n\r\n"
    "FAIL: no flanks, after an error: the server of the GenBank records answered with an error (HTTP status 500) "
    "instead of a reply.";

// One run with a partial CDS, a short flank and a server error (Ignore):
// after the run one box names the three genes with their reasons while the
// dialog still stands, and every flank that was got is delivered.
TEST_F(EntrezDialog, RunThatFellShortNamesEachGeneWithItsReasonOnceAndKeepsWhatItGot)
{
    selectLoci({"PARTIAL", "SHORT", "FAIL", "GOOD"});
    LoopbackServer server(mixedGenBankServer());
    pointServersAt(server);
    DirectDialog direct;
    sequence::frmEntrezA& dlg = direct.dlg;
    chooseGenBank(dlg);
    dialogs.answer(platform::Answer::Ignore).answer(platform::Answer::Ok);
    std::vector<bool> dialogUpWhileAsked;
    std::vector<int> windowsWhileAsked;
    dialogs.whileMessageShown = [&] {
        dialogUpWhileAsked.push_back(dlg.isVisible());
        windowsWhileAsked.push_back(workWindowsOpened);
    };
    QTest::mouseClick(dlg.cmdRetrieve, Qt::LeftButton);
    dialogs.whileMessageShown = nullptr;

    ASSERT_EQ(dialogs.calls().size(), 2U);
    EXPECT_EQ(dialogs.calls()[0].text.rfind("Gene \"FAIL\": ", 0), 0U);
    EXPECT_EQ(dialogs.calls()[1].text, MixedSummary);
    EXPECT_EQ(dialogs.calls()[1].title, "Sequence retrieval");
    EXPECT_EQ(dialogs.calls()[1].style, platform::mb::OkOnly | platform::mb::Exclamation);
    EXPECT_EQ(dialogUpWhileAsked, (std::vector<bool>{true, true})) << "the box stands over the dialog";
    EXPECT_EQ(windowsWhileAsked, (std::vector<int>{0, 0})) << "the flank window opens after the box";
    EXPECT_EQ(dialogs.unscripted(), 0);

    const std::string bases = kilobase();
    EXPECT_EQ(state.gLeft.name, (std::vector<std::string>{"SHORT_NM_000020 ", "GOOD_NM_000004 "}));
    EXPECT_EQ(state.gLeft.seq, (std::vector<std::string>{"acgt", bases.substr(100, 100)}));
    EXPECT_EQ(state.gRight.name, std::vector<std::string>{"GOOD_NM_000004 "});
    EXPECT_EQ(state.gRight.seq, std::vector<std::string>{bases.substr(800, 100)});
    EXPECT_EQ(workWindowsOpened, 1);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

// A run in which every gene gives both flanks in full stays as quiet as it
// was: no box, and the flank window opens.
TEST_F(EntrezDialog, RunThatGotEveryFlankShowsNoBox)
{
    selectLoci({"GOOD", "GOOD2"});
    LoopbackServer server(mixedGenBankServer());
    pointServersAt(server);
    DirectDialog direct;
    sequence::frmEntrezA& dlg = direct.dlg;
    chooseGenBank(dlg);
    QTest::mouseClick(dlg.cmdRetrieve, Qt::LeftButton);
    EXPECT_TRUE(dialogs.calls().empty());
    EXPECT_EQ(state.gLeft.numSeq, 2);
    EXPECT_EQ(state.gRight.numSeq, 2);
    EXPECT_EQ(workWindowsOpened, 1);
}

// Thirteen genes the database does not know and one it does: the box names
// the first ten and counts the other three; the found gene is delivered.
TEST_F(EntrezDialog, MoreThanTenGenesThatFellShortAreCountedPastTheTenth)
{
    state.gSelLociName.clear();
    for (int i = 1; i <= 13; ++i) {
        state.gSelLociName.push_back("NOPE" + std::to_string(i));
    }
    state.gSelLociName.push_back("YAL001C");
    state.gNumSelLoci = 14;
    LoopbackServer server([](const std::string& target) -> LoopbackServer::Reply {
        if (LoopbackServer::param(target, "seq") == "YAL001C") {
            return {yeastPage(std::string(120, 'A') + std::string(30, 'G') + std::string(120, 'C'))};
        }
        return {"No sequences"};
    });
    pointServersAt(server);
    platform::QtInet inet;
    inet.setAccessType(platform::inet::Direct);
    sequence::frmEntrezA dlg(nullptr, &inet);
    dialogs.answer(platform::Answer::Ok);
    dlg.cmdRetrieve->click();
    ASSERT_EQ(dialogs.calls().size(), 1U);
    std::string expected = "These genes did not give all the flanking sequence asked for:";
    for (int i = 1; i <= 10; ++i) {
        expected +=
            "\r\n\r\nNOPE" + std::to_string(i) + ": no flanks: the yeast genome database has no sequence for it.";
    }
    expected += "\r\n\r\n... and 3 more genes.";
    EXPECT_EQ(dialogs.last().text, expected);
    EXPECT_EQ(state.gLeft.name, std::vector<std::string>{"YAL001C"});
    EXPECT_EQ(state.gLeft.seq, std::vector<std::string>{std::string(100, 'A')});
    EXPECT_EQ(workWindowsOpened, 1);
}

TEST_F(EntrezDialog, Screenshot)
{
    const char* shot = std::getenv("TESSARAY_SCREENSHOT_DIR");
    if (!shot) {
        GTEST_SKIP() << "set TESSARAY_SCREENSHOT_DIR to a folder to take the picture";
    }
    selectLoci({"YAL001C", "YAL002W", "YAL003W", "YAL004C/YAL005C", "YAL007C", "YAL008W", "YAL009W"});
    platform::QtInet inet;
    sequence::frmEntrezA dlg(nullptr, &inet);
    dlg.lblWait->setVisible(true);
    dlg.lblWait->setText("Receiving a response from the host......");
    dlg.ProgressBar1->setMaximum(7);
    dlg.ProgressBar1->setValue(3);
    dlg.resize(620, 380);
    dlg.show();
    QApplication::processEvents();
    ASSERT_TRUE(dlg.grab().save(QString::fromLocal8Bit(shot) + "/sequence-retrieval.png"));
}

// The dialog with the message box in front drawn where it stands, framed,
// on a canvas large enough for both.
QPixmap dialogWithBox(QWidget& dlg, QMessageBox& box)
{
    QApplication::processEvents();
    const QPixmap picture = dlg.grab();
    const QPixmap front = box.grab();
    QPixmap canvas(std::max(picture.width(), front.width() + 40), std::max(picture.height(), front.height() + 40));
    canvas.fill(QColor(200, 200, 200));
    QPainter painter(&canvas);
    painter.drawPixmap(0, 0, picture);
    const QPoint at((canvas.width() - front.width()) / 2, (canvas.height() - front.height()) / 2);
    painter.drawPixmap(at, front);
    painter.setPen(QColor(90, 90, 90));
    painter.drawRect(QRect(at, front.size()).adjusted(-1, -1, 0, 0));
    return canvas;
}

// The retrieval dialog as the user sees it, for a picture: real message
// boxes, a real transfer to the loopback servers, the window shown.
struct ShownDialog {
    ShownDialog()
    {
        dlg.resize(620, 380);
        dlg.activateWindow();
    }
    platform::QtDialogs real;
    platform::ScopedDialogs realScope{real};
    DirectDialog direct;
    sequence::frmEntrezA& dlg = direct.dlg;
};

// The box of a server error over the retrieval dialog, with the real message
// box: the picture is the dialog with the box drawn where it stands.
TEST_F(EntrezDialog, HttpErrorScreenshot)
{
    const char* shot = std::getenv("TESSARAY_SCREENSHOT_DIR");
    if (!shot) {
        GTEST_SKIP() << "set TESSARAY_SCREENSHOT_DIR to a folder to take the picture";
    }
    LoopbackServer server([](const std::string&) {
        return LoopbackServer::Reply{"<html>Internal error</html>", LoopbackServer::Mode::Normal, 500};
    });
    pointServersAt(server);
    ShownDialog shown;
    sequence::frmEntrezA& dlg = shown.dlg;
    bool saved = false;
    QTimer::singleShot(200, &dlg, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        saved = dialogWithBox(dlg, *box).save(QString::fromLocal8Bit(shot) + "/retrieval-http-error.png");
        box->done(QMessageBox::Abort);
    });
    dlg.cmdRetrieve->click();
    EXPECT_TRUE(saved);
}

// The box after the mixed run, with the real message boxes: the server
// error is answered Ignore, and the picture is the dialog with the summary
// box drawn where it stands.
TEST_F(EntrezDialog, ShortfallSummaryScreenshot)
{
    const char* shot = std::getenv("TESSARAY_SCREENSHOT_DIR");
    if (!shot) {
        GTEST_SKIP() << "set TESSARAY_SCREENSHOT_DIR to a folder to take the picture";
    }
    selectLoci({"PARTIAL", "SHORT", "FAIL", "GOOD"});
    LoopbackServer server(mixedGenBankServer());
    pointServersAt(server);
    ShownDialog shown;
    sequence::frmEntrezA& dlg = shown.dlg;
    chooseGenBank(dlg);
    bool saved = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dlg, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        if (box->text().startsWith("Gene \"FAIL\"")) {
            box->done(QMessageBox::Ignore);
            return;
        }
        saved = dialogWithBox(dlg, *box).save(QString::fromLocal8Bit(shot) + "/retrieval-shortfall-summary.png");
        EXPECT_EQ(box->text().toStdString(), QString::fromStdString(MixedSummary).replace("\r\n", "\n").toStdString());
        box->done(QMessageBox::Ok);
    });
    poll.start(100);
    dlg.cmdRetrieve->click();
    poll.stop();
    EXPECT_TRUE(saved);
    EXPECT_EQ(state.gLeft.numSeq, 2);
}

} // namespace
