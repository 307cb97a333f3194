#include "app/OutputEditCommands.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Guard.h"
#include "platform/widgets/richtext/RichTextBox.h"
#include "shell/core/ProgramInfo.h"
#include "shell/core/SimpTool.h"
#include "shell/core/StrUtil.h"
#include "app/MainFrame.h"
#include "app/WinAPI.h"
#include "app/frmMDIChild.h"

namespace shell {

OutputEditCommands::OutputEditCommands(MainFrame& frame) : QObject(&frame), m_frame(frame)
{
    setObjectName(QStringLiteral("OutputEditCommands"));
    const std::pair<const char*, void (OutputEditCommands::*)()> items[] = {
        {"EditUndo", &OutputEditCommands::EditUndo},         {"EditCut", &OutputEditCommands::EditCut},
        {"EditCopy", &OutputEditCommands::EditCopy},         {"EditCopy2Excel", &OutputEditCommands::EditCopy2Excel},
        {"EditPaste", &OutputEditCommands::EditPaste},       {"EditPasteTxt", &OutputEditCommands::EditPasteTxt},
        {"EditDelete", &OutputEditCommands::EditDelete},     {"EditClear", &OutputEditCommands::EditClear},
        {"EditSelectAll", &OutputEditCommands::EditSelectAll}, {"EditFind", &OutputEditCommands::EditFind},
        {"EditFindNext", &OutputEditCommands::EditFindNext}, {"EditFindAll", &OutputEditCommands::EditFindAll},
    };
    for (const auto& [name, handler] : items) {
        QAction* a = m_frame.action(QString::fromLatin1(name));
        if (!a)
            continue;
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, [this, handler = handler] { (this->*handler)(); });
    }
}

platform::RichTextBox* OutputEditCommands::outputView() const
{
    frmMDIChild* child = m_frame.ActiveChild();
    return child ? qobject_cast<platform::RichTextBox*>(child->RichTextBox1()) : nullptr;
}

void OutputEditCommands::onView(const std::function<void(platform::RichTextBox&)>& command)
{
    platform::RichTextBox* view = outputView();
    if (!view)
        return;
    platform::guarded([&](platform::Guard& g) { g.step([&] { command(*view); }); });
}

void OutputEditCommands::EditUndo()
{
    if (platform::RichTextBox* view = outputView())
        WinAPI::UndoText(view);
}

void OutputEditCommands::EditCut()
{
    onView([](platform::RichTextBox& v) { v.cut(); });
}

void OutputEditCommands::EditCopy()
{
    onView([](platform::RichTextBox& v) { v.copy(); });
}

void OutputEditCommands::EditCopy2Excel()
{
    onView([](platform::RichTextBox& v) {
        const std::string selected = v.SelText();
        if (selected.empty())
            return;  // nothing selected: the clipboard keeps what it holds
        QGuiApplication::clipboard()->setText(QString::fromStdString(StrUtil::Blanks2Tab(selected)));
    });
}

void OutputEditCommands::EditPaste()
{
    onView([](platform::RichTextBox& v) { v.paste(); });
}

void OutputEditCommands::EditPasteTxt()
{
    onView([](platform::RichTextBox& v) { v.setSelText(QGuiApplication::clipboard()->text().toStdString()); });
}

void OutputEditCommands::EditDelete()
{
    onView([](platform::RichTextBox& v) { v.setSelText(""); });
}

void OutputEditCommands::EditClear()
{
    onView([](platform::RichTextBox& v) { v.clearText(); });
}

void OutputEditCommands::EditSelectAll()
{
    onView([](platform::RichTextBox& v) { v.selectAll(); });
}

void OutputEditCommands::EditFind()
{
    onView([](platform::RichTextBox& v) { SimpTool::FindText(v); });
}

void OutputEditCommands::EditFindNext()
{
    onView([](platform::RichTextBox& v) {
        if (v.Tag().empty())
            SimpTool::FindText(v);
        else
            SimpTool::FindNext(v);
    });
}

void OutputEditCommands::EditFindAll()
{
    onView([](platform::RichTextBox& v) {
        const std::string text = platform::dialogs().InputBox("Enter the search string: ", "Find All", "");
        if (text.empty()) {
            (void)platform::dialogs().MsgBox("You specified an empty search string.", platform::mb::Information,
                                             ProgramInfo::Title);
            return;
        }
        std::int32_t start = 1;
        const std::int32_t n = SimpTool::FindAll(v, text, start);
        (void)platform::dialogs().MsgBox(std::to_string(n) + " occurrences of " + text + " found.",
                                         platform::mb::Information, ProgramInfo::Title);
    });
}

} // namespace shell
