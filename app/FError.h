#pragma once

// "Error!": the program's own error dialog, shown by the error client when
// the error-handling library reports an error. It shows the message and
// answers the action chosen with its three buttons: Abort (3), Cancel (2) or
// Retry (4). Closed through its title bar it answers 0, no choice.

#include <QDialog>

#include <cstdint>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace shell {

class FError : public QDialog {
    Q_OBJECT
public:
    explicit FError(QWidget* parent = nullptr);

    // Shows the message modally and puts the chosen action code into choice.
    void Display(const std::string& message, std::int16_t& choice);

    [[nodiscard]] QPlainTextEdit* txtError() const { return m_txtError; }
    [[nodiscard]] QPushButton* cmdAbort() const { return m_cmdAbort; }
    [[nodiscard]] QPushButton* cmdCancel() const { return m_cmdCancel; }
    [[nodiscard]] QPushButton* cmdRetry() const { return m_cmdRetry; }

private:
    void choose(const char* procedure, std::int16_t action);

    QPlainTextEdit* m_txtError = nullptr;
    QPushButton* m_cmdAbort = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdRetry = nullptr;
    std::int16_t m_action = 0;
};

} // namespace shell
