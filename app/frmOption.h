#pragma once

// "Setup options": the maximum number of recent files (always offered as 4),
// the default data and output folders with Browse buttons, and the default
// input and output file types; Done (also Enter) stores them in the
// settings file. A maximum that is no whole number from 1 to 16 is refused
// with a message before anything is written, and the dialog stays open.

#include <QDialog>

#include <array>

#include "platform/dialogs/CommonDialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace shell {

class frmOption : public QDialog {
    Q_OBJECT
public:
    // `dialog` is the main window's file dialog control, used to pick folders.
    explicit frmOption(platform::CommonDialog& dialog, QWidget* parent = nullptr);

    [[nodiscard]] QLineEdit* txtOpt(int index) const { return m_txtOpt.at(static_cast<std::size_t>(index)); }
    [[nodiscard]] QLabel* lblOpt(int index) const { return m_lblOpt.at(static_cast<std::size_t>(index)); }
    [[nodiscard]] QComboBox* cboInFile() const { return m_cboInFile; }
    [[nodiscard]] QComboBox* cboOutFile() const { return m_cboOutFile; }
    [[nodiscard]] QPushButton* cmdDone() const { return m_cmdDone; }

    void cmdBrowseIn_Click() { browse(1); }
    void cmdBrowseOut_Click() { browse(2); }
    void cmdDone_Click();

private:
    void Form_Load();
    void browse(int box);

    platform::CommonDialog& m_dialog;
    std::array<QLabel*, 5> m_lblOpt{};
    std::array<QLineEdit*, 3> m_txtOpt{};
    QComboBox* m_cboInFile = nullptr;
    QComboBox* m_cboOutFile = nullptr;
    QPushButton* m_cmdDone = nullptr;
};

} // namespace shell
