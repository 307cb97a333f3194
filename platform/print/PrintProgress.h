#pragma once

// PrintProgress: how far a print job (or the drawing of a print preview)
// has come. A job of more than a few pages shows a window-modal progress
// dialog, "Printing page n of N", with a Cancel button; while it shows, the
// windows repaint between pages and Cancel is answered. Shorter jobs show
// nothing. The dialog goes when the object goes.

#include <cstdint>
#include <memory>

#include <QString>

class QProgressDialog;
class QWidget;

namespace platform {

class PrintProgress {
public:
    // Jobs of more pages than this show the dialog.
    static constexpr std::int32_t ShownAbovePages = 5;
    // What the printing window tells the user after a cancelled job.
    static constexpr const char* CancelledMessage = "Printing was cancelled.";

    // `parent` (may be null) is the window the dialog stands over; `title`
    // is its caption.
    PrintProgress(QWidget* parent, QString title);
    ~PrintProgress();
    PrintProgress(const PrintProgress&) = delete;
    PrintProgress& operator=(const PrintProgress&) = delete;

    // Called before page `page` (0-based) of `pages` is drawn: shows the
    // count and handles the events that came meanwhile. False once the user
    // has cancelled; the job then draws no further page.
    [[nodiscard]] bool beforePage(std::int32_t page, std::int32_t pages);
    [[nodiscard]] bool wasCancelled() const noexcept { return m_cancelled; }

private:
    QWidget* m_parent;
    QString m_title;
    std::unique_ptr<QProgressDialog> m_dialog;
    bool m_cancelled = false;
};

} // namespace platform
