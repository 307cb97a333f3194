#pragma once

// The splash window: refuses a second running copy of the program, shows the
// program's logo, name, version, company and the acknowledgement of its
// grants under a "Welcome to Tessaray" banner, centres itself and holds for
// about a second while events are dispatched.

#include <QDialog>
#include <QImage>
#include <QLockFile>

#include <memory>

class QLabel;
class QFrame;

namespace shell {

class frmSplash : public QDialog {
    Q_OBJECT
public:
    // `lockPath`: the file that marks a running copy (tests pass their own).
    explicit frmSplash(QString lockPath = QString(), QWidget* parent = nullptr);
    ~frmSplash() override;

    // Runs the load sequence. False when another copy runs: the message box
    // has been shown and the program must end at once.
    [[nodiscard]] bool Load(double holdSeconds = 1.0);

    // The lock file used when none is given: one per user.
    [[nodiscard]] static QString defaultLockPath();

    [[nodiscard]] QLabel* lblVersion() const { return m_lblVersion; }
    [[nodiscard]] QLabel* lblProductName() const { return m_lblProductName; }
    [[nodiscard]] QLabel* lblPlatform() const { return m_lblPlatform; }
    [[nodiscard]] QLabel* imgLogo() const { return m_imgLogo; }
    [[nodiscard]] QLabel* Label1() const { return m_label1; }
    [[nodiscard]] QLabel* Label2() const { return m_label2; }
    [[nodiscard]] QFrame* Frame1() const { return m_frame1; }
    // The banner as last drawn.
    [[nodiscard]] const QImage& banner() const { return m_banner; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawBanner();

    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
    QImage m_banner;
    QLabel* m_lblProductName = nullptr;
    QLabel* m_lblCompanyProduct = nullptr;
    QLabel* m_lblPlatform = nullptr;
    QLabel* m_lblCompany = nullptr;
    QLabel* m_lblVersion = nullptr;
    QLabel* m_imgLogo = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QFrame* m_frame1 = nullptr;
};

} // namespace shell
