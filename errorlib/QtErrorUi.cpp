#include "errorlib/QtErrorUi.h"

#include "errorlib/ui/FDiags.h"
#include "errorlib/ui/FError.h"
#include "errorlib/ui/UiClock.h"
#include "platform/dialogs/QtDialogs.h"

namespace rampart {

QtErrorUi::QtErrorUi(platform::Dialogs* dialogs, UiClock* clock)
{
    if (!dialogs) {
        m_ownDialogs = std::make_unique<platform::QtDialogs>();
        dialogs = m_ownDialogs.get();
    }
    if (!clock) {
        m_ownClock = MakeQtUiClock();
        clock = m_ownClock.get();
    }
    m_dialogs = dialogs;
    m_clock = clock;
}

QtErrorUi::~QtErrorUi() = default;

int QtErrorUi::MsgBox(const std::string& prompt, int style, const std::string& title)
{
    const platform::Answer answer = m_dialogs->MsgBox(prompt, style, title);
    switch (answer) {
    case platform::Answer::Abort: return AnswerAbort;
    case platform::Answer::Retry: return AnswerRetry;
    case platform::Answer::Ignore: return AnswerIgnore;
    default: return style == MsgCriticalAbortRetryIgnore ? AnswerAbort : AnswerOk;
    }
}

void QtErrorUi::CreateErrorDialog()
{
    m_error.reset();
}

FError& QtErrorUi::errorWindow()
{
    if (!m_error) {
        m_error = std::make_unique<FError>(*m_clock);
    }
    return *m_error;
}

ErrorDialogResult QtErrorUi::ShowErrorDialog(const ErrorDialogRequest& request)
{
    return errorWindow().Display(request);
}

void QtErrorUi::CreateViewer(const std::string& component)
{
    m_viewer.reset();
    m_viewerComponent = component;
    m_viewerWanted = true;
}

FDiags* QtErrorUi::viewerWindow()
{
    if (!m_viewer && m_viewerWanted) {
        m_viewer = std::make_unique<FDiags>(m_viewerComponent, *m_dialogs);
    }
    return m_viewer.get();
}

void QtErrorUi::ShowViewer(bool visible)
{
    if (visible) {
        if (FDiags* viewer = viewerWindow()) {
            viewer->Display();
        }
    } else if (m_viewer) {
        m_viewer->hide();
    }
}

void QtErrorUi::AddTrace(const std::string& line)
{
    if (FDiags* viewer = viewerWindow()) {
        viewer->AddTrace(line);
    }
}

void QtErrorUi::AddDiags(const std::string& text, bool startNew)
{
    if (FDiags* viewer = viewerWindow()) {
        viewer->AddDiags(text, startNew);
    }
}

void QtErrorUi::Sleep(std::int32_t milliseconds)
{
    m_clock->wait(milliseconds);
}

} // namespace rampart
