#pragma once

// The trace and diagnostics viewer: a modeless window per error handler,
// titled with the client's component and " - Rampart [Trace & Diagnostics]",
// with the trace pane above, the diagnostics pane below and a splitter bar
// between them (CSplit). Trace lines arrive while tracing is on, error
// reports while debug mode is on; the panes are read-only and keep
// everything they received until the window goes.
//
// The window's size and each pane's font (face, size, bold, italic) are kept
// in the current user's hive under "Software\Vantorel\Keelwise\Rampart\FDiags"
// ("Width", "Height" in twips; "Trace Font Face", "Diags Font Size", ...),
// read when the window is made and written on every resize (not while
// minimised) and every confirmed font choice. A font choice applies to the
// same pane of every open viewer. Registry failures leave the designed size
// and the default font (Lucida Console, 8 points) in place.
//
// File, Exit and the window's close box hide the window; Display() shows it
// again with its contents.

#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

class QMenu;
class QPlainTextEdit;

namespace platform {
class Dialogs;
}

namespace rampart {

class CSplit;

class FDiags : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* KeyPath = "Software\\Vantorel\\Keelwise\\Rampart\\FDiags";
    static constexpr const char* TitleSuffix = " - Rampart [Trace & Diagnostics]";

    FDiags(const std::string& componentName, platform::Dialogs& dialogs, QWidget* parent = nullptr);
    ~FDiags() override;

    [[nodiscard]] const std::string& ComponentName() const { return m_componentName; }

    // Restores a minimised window and shows it, modeless.
    void Display();
    // Appends the line and a line break to the trace pane.
    void AddTrace(const std::string& trace);
    // With bNew: empties the diagnostics pane and shows the window first.
    // Then appends the text and a line break.
    void AddDiags(const std::string& diagnostics, bool bNew = false);

    void mnuFileExit_Click();
    void mnuEditFontTrace_Click();
    void mnuEditFontDiags_Click();

    [[nodiscard]] QPlainTextEdit* txtTrace() const { return m_txtTrace; }
    [[nodiscard]] QPlainTextEdit* txtDiags() const { return m_txtDiags; }
    [[nodiscard]] QWidget* picSplit() const { return m_picSplit; }
    // Every viewer window of the process that exists.
    [[nodiscard]] static const std::vector<FDiags*>& openViewers();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void layOutPanes();
    void chooseFont(bool tracePane);
    [[nodiscard]] double twipsPerPixel() const;

    std::string m_componentName;
    platform::Dialogs& m_dialogs;
    bool m_loading = false;
    QPlainTextEdit* m_txtTrace = nullptr;
    QPlainTextEdit* m_txtDiags = nullptr;
    QWidget* m_picSplit = nullptr;
    QWidget* m_client = nullptr;
    CSplit* m_split = nullptr;
};

} // namespace rampart
