#pragma once

// The main window's printing commands: File, Page Setup, Print Preview and
// Print on the active workbook, and Tree, Print tree, Vertically and
// Horizontally on the active document window's tree view through the tree
// printer `oSTV`, made once with the main window (CreateTreePrinter).
//
// Print jobs go where platform::PrintTarget sends them: a system printer, or
// a PDF file on a machine without one.

#include <cstdint>

#include <QObject>

#include "trees/print/CPrintTreeView.h"

namespace shell {

class MainFrame;

class PrintCommands : public QObject {
    Q_OBJECT

public:
    explicit PrintCommands(MainFrame& frame);

    // The commands object of a main window (null before it is made).
    [[nodiscard]] static PrintCommands* of(const MainFrame& frame);

    [[nodiscard]] trees::CPrintTreeView& oSTV() noexcept { return m_oSTV; }

    void mnuFilePageSetup();
    void mnuFilePrintPreview();
    void mnuFilePrint();
    // Orientation 1 (Vertically) or 2 (Horizontally).
    void mnuTreePrint(std::int16_t orientation);

private:
    void CreateTreePrinter();

    MainFrame& m_frame;
    trees::CPrintTreeView m_oSTV;
};

} // namespace shell
