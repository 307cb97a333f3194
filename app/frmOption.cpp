#include "app/frmOption.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "shell/core/FileUtil.h"
#include "shell/core/ShellRules.h"
#include "shell/core/mQuorin.h"
#include "shell/workbook/SSMDIFiles.h"

namespace shell {

frmOption::frmOption(platform::CommonDialog& dialog, QWidget* parent) : QDialog(parent), m_dialog(dialog)
{
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("Setup options"));
    auto* outer = new QVBoxLayout(this);
    auto* frOpt = new QGroupBox(this);
    auto* grid = new QGridLayout(frOpt);
    for (int i = 0; i < 5; ++i) {
        m_lblOpt[static_cast<std::size_t>(i)] = new QLabel(frOpt);
        grid->addWidget(m_lblOpt[static_cast<std::size_t>(i)], i, 0);
    }
    for (int i = 0; i < 3; ++i) {
        m_txtOpt[static_cast<std::size_t>(i)] = new QLineEdit(frOpt);
        grid->addWidget(m_txtOpt[static_cast<std::size_t>(i)], i, 1);
    }
    auto* cmdBrowseIn = new QPushButton(QStringLiteral("Browse"), frOpt);
    auto* cmdBrowseOut = new QPushButton(QStringLiteral("Browse"), frOpt);
    grid->addWidget(cmdBrowseIn, 1, 2);
    grid->addWidget(cmdBrowseOut, 2, 2);
    m_cboInFile = new QComboBox(frOpt);
    m_cboOutFile = new QComboBox(frOpt);
    grid->addWidget(m_cboInFile, 3, 1, 1, 2);
    grid->addWidget(m_cboOutFile, 4, 1, 1, 2);
    outer->addWidget(frOpt);
    auto* buttons = new QHBoxLayout;
    m_cmdDone = new QPushButton(QStringLiteral("Done"), this);
    auto* cmdHelp = new QPushButton(QStringLiteral("Help"), this);
    buttons->addStretch();
    buttons->addWidget(m_cmdDone);
    buttons->addWidget(cmdHelp);
    outer->addLayout(buttons);

    // Enter anywhere in the dialog is Done; the other buttons want a click
    // (or Space on them).
    for (QPushButton* other : {cmdBrowseIn, cmdBrowseOut, cmdHelp}) {
        other->setAutoDefault(false);
    }
    m_cmdDone->setDefault(true);
    connect(cmdBrowseIn, &QPushButton::clicked, this, [this] { cmdBrowseIn_Click(); });
    connect(cmdBrowseOut, &QPushButton::clicked, this, [this] { cmdBrowseOut_Click(); });
    connect(m_cmdDone, &QPushButton::clicked, this, [this] { cmdDone_Click(); });
    Form_Load();
}

void frmOption::Form_Load()
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            const char* labels[] = {"Maximum number of 'Recent files':", "Data directory:", "Output directory:",
                                    "Default input file type:", "Default output file type:"};
            for (std::size_t i = 0; i < 5; ++i) {
                m_lblOpt[i]->setText(QString::fromLatin1(labels[i]));
            }
        });
        g.step([&] {
            const auto& program = mQuorin::Program();
            m_txtOpt[0]->setText(QStringLiteral("4"));
            m_txtOpt[1]->setText(QString::fromStdString(program.gDataDir));
            m_txtOpt[2]->setText(QString::fromStdString(program.gOutDir));
        });
        g.step([&] {
            m_cboInFile->addItems({QStringLiteral("Excel 95/5-7,*.XLS"), QStringLiteral("Excel 97/8, *.XLS"),
                                   QStringLiteral("Formula One 3/4/5, *.vts"), QStringLiteral("Formula One 6, *.vts"),
                                   QStringLiteral("Tab-delimited text, *.txt"),
                                   QStringLiteral("Tab-delimited text-values only, *.txt")});
            // The type the open dialog starts at, which for a setting that
            // names no type of the list is the first: Done stores what shows.
            m_cboInFile->setCurrentIndex(SSMDI1::DefaultOpenEntry(mQuorin::Program().gIni()) - 1);
        });
        g.step([&] {
            m_cboOutFile->addItems({QStringLiteral("Excel 95/5-7,*.XLS"), QStringLiteral("Excel 97/8, *.XLS"),
                                    QStringLiteral("Formula One 3/4/5, *.vts"), QStringLiteral("Formula One 6, *.vts"),
                                    QStringLiteral("HTML, *.HTM, *.HTML"), QStringLiteral("HTML - data only, *.HTM, *.HTML"),
                                    QStringLiteral("Tab-delimited text, *.txt"),
                                    QStringLiteral("Tab-delimited text-values only, *.txt")});
            // The type a save offers, which for a setting that names no
            // type of the list is the program's own: Done stores what shows.
            m_cboOutFile->setCurrentIndex(SSMDI1::DefaultSaveType(mQuorin::Program().gIni()) - 1);
        });
    });
}

void frmOption::browse(int box)
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            m_dialog.CancelError = true;
            m_dialog.Flags = 2052;
            m_dialog.DialogTitle = "Click any file name, then click Open";
            m_dialog.InitDir = box == 1 ? mQuorin::Program().gDataDir : mQuorin::Program().gOutDir;
            m_dialog.FileName.clear();
            m_dialog.Filter.clear();
            try {
                m_dialog.ShowOpen();
            } catch (const platform::Error& e) {
                if (e.number() == platform::err::FileDialogCancelled) {
                    return;  // cancel leaves the box as it was
                }
                throw;
            }
            m_txtOpt[static_cast<std::size_t>(box)]->setText(
                QString::fromStdString(FileUtil::GetFilePath(m_dialog.FileName)));
        });
    });
}

void frmOption::cmdDone_Click()
{
    // A maximum that is no number, does not fit 16 bits or is negative is the
    // user's slip, not the program's fault: it is refused in words, the field
    // keeps the focus and nothing is written.
    const std::optional<std::int16_t> maxRecent = MaxRecentFromText(m_txtOpt[0]->text().toStdString());
    if (!maxRecent) {
        (void)platform::dialogs().MsgBox(MaxRecentRefusal, platform::mb::Exclamation | platform::mb::OkOnly,
                                         windowTitle().toStdString());
        m_txtOpt[0]->setFocus();
        m_txtOpt[0]->selectAll();
        return;
    }
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            std::string dataDir = m_txtOpt[1]->text().toStdString();
            std::string outDir = m_txtOpt[2]->text().toStdString();
            mQuorin::Program().gIni().WriteDefault(*maxRecent, dataDir, outDir,
                                                   static_cast<std::int16_t>(m_cboInFile->currentIndex()),
                                                   static_cast<std::int16_t>(m_cboOutFile->currentIndex()));
        });
        g.step([&] { close(); });
    });
}

} // namespace shell
