#include "app/frmAbout.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "shell/core/ProgramInfo.h"
#include "app/ProgramIcon.h"
#include "app/WinAPI.h"

namespace shell {

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + QString::fromLatin1(ProgramInfo::Title));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowIcon(ProgramIcon::icon());
    auto* layout = new QVBoxLayout(this);
    // The icon at the upper left, the title and version beside it.
    auto* head = new QHBoxLayout;
    layout->addLayout(head);
    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setPixmap(ProgramIcon::icon().pixmap(48));
    m_image1->setFixedSize(48, 48);
    head->addWidget(m_image1, 0, Qt::AlignTop);
    auto* heading = new QVBoxLayout;
    head->addLayout(heading, 1);
    auto* lblTitle = new QLabel(QString::fromLatin1(ProgramInfo::Comments), this);
    lblTitle->setFont(QFont(QStringLiteral("Times New Roman"), 14, QFont::Bold));
    m_lblVersion = new QLabel(this);
    m_lblVersion->setText(QStringLiteral("Version: ") + QString::fromStdString(ProgramInfo::Version()));
    heading->addWidget(lblTitle);
    heading->addWidget(m_lblVersion);
    auto* label1 = new QLabel(QStringLiteral("Citation: ") + QString::fromLatin1(ProgramInfo::Citation), this);
    label1->setWordWrap(true);
    auto* lblFund = new QLabel(QStringLiteral("This work was supported by research grants."), this);
    auto* lblDescription = new QLabel(QStringLiteral("I hand this program to its users with the wish that it serves "
                                                     "them well. Please report any fault you find in it."),
                                      this);
    lblDescription->setWordWrap(true);
    m_command1 = new QPushButton(QString::fromLatin1(ProgramInfo::CompanyName), this);
    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    for (QWidget* w : {static_cast<QWidget*>(label1), static_cast<QWidget*>(lblFund),
                       static_cast<QWidget*>(lblDescription), static_cast<QWidget*>(m_command1),
                       static_cast<QWidget*>(cmdOK)}) {
        layout->addWidget(w);
    }
    isNetworked = [] { return WinAPI::IsNetworked(); };
    openUrl = [this](const std::string& url) { WinAPI::OpenURL(url, this); };
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);
    connect(m_command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void frmAbout::Command1_Click()
{
    platform::guarded([&](platform::Guard& g) {
        bool open = false;
        g.step([&] { open = isNetworked(); });
        if (!open) {
            g.step([&] {
                open = platform::dialogs().MsgBox("Are you sure that your computer is networked?", platform::mb::YesNo,
                                                  ProgramInfo::Title) == platform::Answer::Yes;
            });
        }
        if (open) {
            g.step([&] { openUrl(ProgramInfo::AuthorPage); });
        }
    });
}

} // namespace shell
