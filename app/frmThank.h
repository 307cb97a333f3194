#pragma once

// The acknowledgements window "Thank you!!!": the credits roll up through
// the window like film credits (CreditRoll), one step every 8 ms, printed
// line by line into an off-screen picture that each step copies a little
// higher onto the window. Pause and Resume (on the same spot, one shown at a
// time) stop and restart the roll; Quit closes the window. The roll ends when
// the picture has left the window at the top; the window stays open.

#include <QDialog>
#include <QPixmap>

#include "shell/core/CreditRoll.h"

class QPushButton;
class QTimer;

namespace shell {

class frmThank : public QDialog {
    Q_OBJECT
public:
    // Inner size of the window, in pixels.
    static constexpr int InnerWidth = 264;
    static constexpr int InnerHeight = 221;
    static constexpr int TimerInterval = 8;  // milliseconds

    explicit frmThank(QWidget* parent = nullptr);

    // One step of the roll (the timer's tick).
    void Timer1_Timer();
    void cmdPause_Click();
    void cmdResume_Click();
    void cmdQuit_Click();

    [[nodiscard]] const CreditRoll& roll() const { return m_roll; }
    [[nodiscard]] QTimer* Timer1() const { return m_timer1; }
    [[nodiscard]] QPushButton* cmdPause() const { return m_cmdPause; }
    [[nodiscard]] QPushButton* cmdResume() const { return m_cmdResume; }
    [[nodiscard]] QPushButton* cmdQuit() const { return m_cmdQuit; }
    // The off-screen picture and what the window shows.
    [[nodiscard]] const QPixmap& P1() const { return m_p1; }
    [[nodiscard]] const QPixmap& surface() const { return m_surface; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape closes the window as its close box does.
    void reject() override;

private:
    void Form_Load();
    void PrintCentered(const QString& text);

    CreditRoll m_roll;
    QFont m_p1Font;
    QPixmap m_p1;
    QPixmap m_surface;
    int m_currentY = 0;
    QTimer* m_timer1 = nullptr;
    QPushButton* m_cmdPause = nullptr;
    QPushButton* m_cmdResume = nullptr;
    QPushButton* m_cmdQuit = nullptr;
};

} // namespace shell
