#include "errorlib/ErrorUi.h"

#ifdef RAMPART6_WITH_QT
#include <QApplication>
#include <QThread>

#include "errorlib/QtErrorUi.h"
#endif

namespace rampart {

#ifdef RAMPART6_WITH_QT
namespace {

// Shows Qt windows while the process has a QApplication and the call comes
// from its thread; the console form otherwise. Decided per call, so that a
// handler created before the application object still gets windows later.
class AdaptiveErrorUi final : public ErrorUi {
public:
    int MsgBox(const std::string& prompt, int style, const std::string& title) override
    {
        return pick().MsgBox(prompt, style, title);
    }
    void CreateErrorDialog() override { m_qt.CreateErrorDialog(); }
    ErrorDialogResult ShowErrorDialog(const ErrorDialogRequest& request) override
    {
        return pick().ShowErrorDialog(request);
    }
    // The Qt form learns of its viewer even before an application object
    // exists; the window itself comes with its first use.
    void CreateViewer(const std::string& component) override
    {
        m_qt.CreateViewer(component);
        m_console->CreateViewer(component);
    }
    void ShowViewer(bool visible) override { pick().ShowViewer(visible); }
    void AddTrace(const std::string& line) override { pick().AddTrace(line); }
    void AddDiags(const std::string& text, bool startNew) override { pick().AddDiags(text, startNew); }
    void Sleep(std::int32_t milliseconds) override { m_console->Sleep(milliseconds); }

private:
    ErrorUi& pick()
    {
        const auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
        if (app != nullptr && QThread::currentThread() == app->thread()) {
            return m_qt;
        }
        return *m_console;
    }

    QtErrorUi m_qt;
    std::unique_ptr<ErrorUi> m_console = MakeConsoleErrorUi();
};

} // namespace
#endif

std::unique_ptr<ErrorUi> MakeDefaultErrorUi()
{
#ifdef RAMPART6_WITH_QT
    return std::make_unique<AdaptiveErrorUi>();
#else
    return MakeConsoleErrorUi();
#endif
}

} // namespace rampart
