#include "app/FError.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/errors/Guard.h"
#include "shell/core/ErrorHandlerLink.h"
#include "shell/core/mQuorin.h"

namespace shell {

namespace {

constexpr const char* Module = "FError";

// The traced handler block: failures go to the reporter; only Ignore goes on.
platform::TracedExit tracedExit(const char* procedure)
{
    return platform::TracedExit{[] { return mQuorin::Program().errorHandler().DebugMode(); },
                                [procedure] {
                                    ErrorHandlerLink& link = mQuorin::Program().errorHandler();
                                    link.TraceExit(Module, procedure);
                                    link.PropagateError(BoundaryVB);
                                }};
}

} // namespace

FError::FError(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FError"));
    setWindowTitle(QStringLiteral("Error!"));
    auto* layout = new QVBoxLayout(this);
    auto* frError = new QGroupBox(QStringLiteral("Error description"), this);
    auto* errorLayout = new QVBoxLayout(frError);
    m_txtError = new QPlainTextEdit(frError);
    m_txtError->setReadOnly(true);
    errorLayout->addWidget(m_txtError);
    layout->addWidget(frError);
    auto* frAction = new QGroupBox(QStringLiteral("Action"), this);
    auto* actionLayout = new QHBoxLayout(frAction);
    m_cmdAbort = new QPushButton(QStringLiteral("Abort"), frAction);
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), frAction);
    m_cmdRetry = new QPushButton(QStringLiteral("Retry"), frAction);
    for (QPushButton* b : {m_cmdAbort, m_cmdCancel, m_cmdRetry}) {
        b->setAutoDefault(false);
        actionLayout->addWidget(b);
    }
    layout->addWidget(frAction);
    resize(420, 300);

    connect(m_cmdAbort, &QPushButton::clicked, this, [this] { choose("cmdAbort_Click", 3); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { choose("cmdCancel_Click", 2); });
    connect(m_cmdRetry, &QPushButton::clicked, this, [this] { choose("cmdRetry_Click", 4); });
}

void FError::choose(const char* procedure, std::int16_t action)
{
    platform::guardedTraced(tracedExit(procedure), [&](platform::TracedGuard& g) {
        g.step([&] { mQuorin::Program().errorHandler().TraceEnter(Module, procedure); });
        g.step([&] { m_action = action; });
        g.step([&] { hide(); });
        g.step([&] { mQuorin::Program().errorHandler().TraceExit(Module, procedure); });
    });
}

void FError::Display(const std::string& message, std::int16_t& choice)
{
    platform::guardedTraced(tracedExit("Display"), [&](platform::TracedGuard& g) {
        g.step([&] { mQuorin::Program().errorHandler().TraceEnter(Module, "Display"); });
        // A choice of an earlier display must not answer this one.
        g.step([&] { m_action = 0; });
        g.step([&] { m_txtError->setPlainText(QString::fromStdString(message)); });
        g.step([&] {
            while (QApplication::overrideCursor()) {
                QApplication::restoreOverrideCursor();
            }
        });
        g.step([&] { exec(); });
        g.step([&] { choice = m_action; });
        g.step([&] { mQuorin::Program().errorHandler().TraceExit(Module, "Display"); });
    });
}

} // namespace shell
