#include "platform/print/PrintProgress.h"

#include <QCoreApplication>
#include <QLocale>
#include <QProgressDialog>

namespace platform {

PrintProgress::PrintProgress(QWidget* parent, QString title) : m_parent(parent), m_title(std::move(title)) {}

PrintProgress::~PrintProgress() = default;

bool PrintProgress::beforePage(std::int32_t page, std::int32_t pages)
{
    if (m_cancelled) {
        return false;
    }
    if (pages <= ShownAbovePages) {
        return true;
    }
    if (!m_dialog) {
        m_dialog = std::make_unique<QProgressDialog>(m_parent);
        m_dialog->setObjectName(QStringLiteral("PrintProgress"));
        m_dialog->setWindowTitle(m_title);
        m_dialog->setWindowModality(m_parent != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setRange(0, pages);
    }
    const QLocale locale;
    m_dialog->setLabelText(QStringLiteral("Printing page %1 of %2")
                               .arg(locale.toString(page + 1), locale.toString(pages)));
    // A modal progress dialog handles the pending events as its value
    // changes: the windows repaint and a press of Cancel is seen here.
    m_dialog->setValue(page);
    QCoreApplication::processEvents();
    m_cancelled = m_dialog->wasCanceled();
    return !m_cancelled;
}

} // namespace platform
