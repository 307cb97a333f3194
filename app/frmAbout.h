#pragma once

// The about window: the program's icon, version, citation, acknowledgements
// and a button that opens the author's web page (after asking, when the
// machine reports no network).

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QPushButton;

namespace shell {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    [[nodiscard]] QLabel* lblVersion() const { return m_lblVersion; }
    [[nodiscard]] QLabel* Image1() const { return m_image1; }
    [[nodiscard]] QPushButton* Command1() const { return m_command1; }

    // Seams for tests: the network test and the page opener.
    std::function<bool()> isNetworked;
    std::function<void(const std::string&)> openUrl;

private:
    void Command1_Click();

    QLabel* m_lblVersion = nullptr;
    QLabel* m_image1 = nullptr;
    QPushButton* m_command1 = nullptr;
};

} // namespace shell
