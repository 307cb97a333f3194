#pragma once

// Printing a worksheet: its print area (or its used range from A1) without
// its hidden rows and columns, each column at the sheet's width and each row
// at the sheet's height (characters of kPointsPerChar points, and points: the
// grid's layout at 100 % zoom, scaled to paper), cut into pages by the sheet's
// page setup (PageSetup.h) and its manual page breaks, with the print title
// rows and columns repeated on every page, the header and footer of the page
// setup, and the cell grid when gridlines are on. Cells print as the grid
// paints them: in their fonts (scaled in the grid's proportion to the
// column), number formats and alignments, a number that does not fit its
// column rounded, in scientific form or filled with '#' by the grid's rule
// (shownNumberText), never cut; texts clipped at the cell's edges.
//
// PageSetupDlg is the control's page setup dialog: orientation, paper,
// margins, header and footer, gridlines, scale and page order. OK refuses
// margins that leave no room to print on the chosen paper (marginProblem):
// a message names the margin and what it takes, the dialog stays open with
// that margin selected, and nothing is kept.

#include <cstdint>
#include <functional>

#include <QDialog>

#include "platform/spreadsheet/PageSetup.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPrinter;
class QRadioButton;
class QSpinBox;

namespace spreadsheet {

class Workbook;

// Paper and orientation of the page setup onto the device.
void applyPageSetup(const PageSetup& setup, QPrinter& device);

// Called before each page is drawn with the page (0-based) and the number
// of pages; false stops the job.
using BeforePage = std::function<bool(std::int32_t page, std::int32_t pages)>;

// What a stopped job does with the pages drawn so far.
enum class WhenStopped : std::uint8_t {
    AbandonJob,  // the device's job is aborted and a PDF file it was writing removed
    KeepPages,   // the pages stay (a preview shows them)
};

// Prints the used range of the sheet on the device and returns the number
// of pages (0 for an empty sheet, which prints nothing). Error 482 when the
// device cannot be drawn on. When `beforePage` answers false, no further
// page is drawn and the pages drawn until then are returned; a print job
// is then abandoned, so that no part of the document is left as if it were
// the whole.
std::int32_t printSheet(const Workbook& book, std::int32_t sheet, QPrinter& device,
                        const BeforePage& beforePage = {}, WhenStopped whenStopped = WhenStopped::AbandonJob);

class PageSetupDlg : public QDialog {
    Q_OBJECT

public:
    explicit PageSetupDlg(const PageSetup& setup, QWidget* parent = nullptr);

    // The settings as the controls show them.
    [[nodiscard]] PageSetup value() const;

    void accept() override;

private:
    PageSetup m_original;
    QRadioButton* m_portrait;
    QRadioButton* m_landscape;
    QComboBox* m_paper;
    QDoubleSpinBox* m_left;
    QDoubleSpinBox* m_right;
    QDoubleSpinBox* m_top;
    QDoubleSpinBox* m_bottom;
    QDoubleSpinBox* m_headerMargin;
    QDoubleSpinBox* m_footerMargin;
    QLineEdit* m_header;
    QLineEdit* m_footer;
    QCheckBox* m_gridLines;
    QSpinBox* m_scale;
    QCheckBox* m_acrossFirst;
};

} // namespace spreadsheet
