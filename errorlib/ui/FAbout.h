#pragma once

// The library's about box "About Keelwise Rampart": its logo, its file
// description and legal notice, and a warning paragraph, with an OK button.
// Display() builds the box, shows it modally and destroys it again.

#include <QDialog>

class QLabel;
class QPushButton;

namespace rampart {

// The library's version texts and the about box's warning paragraph.
namespace LibraryInfo {
inline constexpr const char* FileDescription = "Rampart6 error handling library, version 6.0";
inline constexpr const char* LegalCopyright = "Copyright (C) 2001 The Tessaray developers";
inline constexpr const char* Warning =
    "This library reports the errors of the program that uses it, keeps its log and trace files and may end "
    "that program when asked to. Remarks typed into the error dialog are written to the log file as they "
    "stand: do not type passwords or other private information into them.";
} // namespace LibraryInfo

class FAbout : public QDialog {
    Q_OBJECT
public:
    explicit FAbout(QWidget* parent = nullptr);

    // Shows a fresh box modally and returns when it is closed; failures are ignored.
    static void Display(QWidget* parent = nullptr);

    [[nodiscard]] QLabel* lblVersion() const { return m_lblVersion; }
    [[nodiscard]] QLabel* lblLegal() const { return m_lblLegal; }
    [[nodiscard]] QLabel* lblWarning() const { return m_lblWarning; }
    [[nodiscard]] QPushButton* cmdOK() const { return m_cmdOK; }

private:
    QLabel* m_lblVersion = nullptr;
    QLabel* m_lblLegal = nullptr;
    QLabel* m_lblWarning = nullptr;
    QPushButton* m_cmdOK = nullptr;
};

} // namespace rampart
