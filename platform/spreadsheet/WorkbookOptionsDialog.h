#pragma once

// The workbook control's options dialog: automatic recalculation on the
// Calculation page; grid lines, row headings and column headings on the View
// page. OK applies the boxes to the workbook's options at once; Cancel
// changes nothing.

#include <cstdint>

#include <QDialog>

class QCheckBox;
class QGroupBox;

namespace spreadsheet {

class Workbook;

class WorkbookOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // Page bits of the dialog's page mask.
    static constexpr std::int32_t PageCalculation = 1;
    static constexpr std::int32_t PageView = 2;
    static constexpr std::int32_t AllKnownPages = PageCalculation | PageView;
    static constexpr std::int32_t AllPages = 0x7FFFFFFF;

    WorkbookOptionsDialog(Workbook& book, std::int32_t pages, QWidget* parent = nullptr);

    [[nodiscard]] QCheckBox* chkAutoRecalc() const { return m_autoRecalc; }
    [[nodiscard]] QCheckBox* chkGridLines() const { return m_gridLines; }
    [[nodiscard]] QCheckBox* chkRowHeading() const { return m_rowHeading; }
    [[nodiscard]] QCheckBox* chkColHeading() const { return m_colHeading; }

    void accept() override;

private:
    Workbook& m_book;
    QCheckBox* m_autoRecalc = nullptr;
    QCheckBox* m_gridLines = nullptr;
    QCheckBox* m_rowHeading = nullptr;
    QCheckBox* m_colHeading = nullptr;
};

} // namespace spreadsheet
