#pragma once

// The library's error dialog "Keelwise Rampart": the headline "Error In "
// and the component, the error text, the user's remarks, up to three custom
// buttons of the client, and the action buttons "E&xit Application",
// "&Cancel Action", "&Retry Now" and the automatic-retry countdown
// " Don't Retry = N ", which ticks once a second on the clock it is given,
// retries when it runs out and is paused and resumed by its own button.
// Typing a remark, a custom button and the About button pause it.
//
// Display() lays the dialog out for one error (see FErrorLayout.h), shows it
// modally and returns the action chosen (3 end, 2 cancel, 4 retry) and the
// remarks without leading and trailing blanks. Each Display starts with no
// action: closing the window (title bar or Escape) counts as Cancel Action
// while cancelling is allowed and is refused otherwise, so an earlier choice
// never comes back.

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

#include "errorlib/ErrorUi.h"
#include "errorlib/RetryCountdown.h"

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace rampart {

class UiClock;
class UiTimer;

class FError : public QDialog {
    Q_OBJECT
public:
    explicit FError(UiClock& clock, QWidget* parent = nullptr);
    ~FError() override;

    [[nodiscard]] ErrorDialogResult Display(const ErrorDialogRequest& request);

    // Shows the about box (modal); tests replace it.
    std::function<void(QWidget* owner)> showAbout;

    [[nodiscard]] QLabel* lblCaption() const { return m_lblCaption; }
    // Frames 0 to 3: description, remarks, custom, action.
    [[nodiscard]] QGroupBox* fraFrame(int index) const { return m_frames.at(static_cast<std::size_t>(index)); }
    [[nodiscard]] QPlainTextEdit* txtError() const { return m_txtError; }
    [[nodiscard]] QPlainTextEdit* txtRemarks() const { return m_txtRemarks; }
    // Action buttons 0 to 3.
    [[nodiscard]] QPushButton* cmdButton(int index) const { return m_buttons.at(static_cast<std::size_t>(index)); }
    // Custom buttons 1 to 3.
    [[nodiscard]] QPushButton* cmdCustom(int index) const
    {
        return m_custom.at(static_cast<std::size_t>(index - 1));
    }
    [[nodiscard]] QPushButton* cmdAbout() const { return m_cmdAbout; }
    [[nodiscard]] const RetryCountdown& countdown() const { return m_countdown; }
    [[nodiscard]] bool isTimerRunning() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void choose(std::int16_t action);
    void cmdButton_Click(int index);
    void cmdCustom_Click(int index);
    void cmdAbout_Click();
    void tmrTimer_Timer();
    void pauseCountdown();
    void showCountdown();
    void layOut(const ErrorDialogRequest& request);
    [[nodiscard]] double twipsPerPixel() const;
    [[nodiscard]] int toPixels(double twips) const;
    [[nodiscard]] int textTwips(const QString& text, const QFont& font) const;

    UiClock& m_clock;
    std::unique_ptr<UiTimer> m_timer;
    RetryCountdown m_countdown;
    std::int16_t m_action = 0;
    ErrorDialogRequest m_request;

    QLabel* m_image1 = nullptr;
    QLabel* m_lblCaption = nullptr;
    std::array<QGroupBox*, 4> m_frames{};
    QPlainTextEdit* m_txtError = nullptr;
    QPlainTextEdit* m_txtRemarks = nullptr;
    std::array<QPushButton*, 4> m_buttons{};
    std::array<QPushButton*, 3> m_custom{};
    QPushButton* m_cmdAbout = nullptr;
};

} // namespace rampart
