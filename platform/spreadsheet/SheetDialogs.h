#pragma once

// The workbook control's own dialogs: find, replace, go to and sort. Each
// is modeless, made once per grid and shown again on the next call; its work
// goes through the workbook's members, and what it has to say (nothing
// found, a bad reference, a refused sort) goes through platform::dialogs().

#include <QDialog>

#include "platform/spreadsheet/Workbook.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace spreadsheet {

class SpreadsheetWidget;

// Find (and, with `replace`, Replace): "Find Next" selects the next cell
// whose entry holds the text, from the active cell on, wrapping round the
// used area; "Replace" replaces in the active cell when it matches and goes
// to the next match; "Replace All" replaces in every cell.
class FindDialog : public QDialog {
    Q_OBJECT
public:
    FindDialog(SpreadsheetWidget& grid, bool replace);

    bool findNext();
    void replaceOne();
    void replaceAll();

private:
    [[nodiscard]] Workbook::FindOptions options() const;

    SpreadsheetWidget& m_grid;
    QLineEdit* m_what = nullptr;
    QLineEdit* m_with = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeCell = nullptr;
    QComboBox* m_searchBy = nullptr;
};

// Go To: selects the cell or range typed ("B3", "$A$1", "A1:C9"), or the
// cells a defined name of the workbook stands for (on their sheet). Anything
// else is refused with a message, and the field keeps the focus for the
// correction.
class GotoDialog : public QDialog {
    Q_OBJECT
public:
    explicit GotoDialog(SpreadsheetWidget& grid);
    // Selects the reference; false (with a message) when it is none.
    bool go();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SpreadsheetWidget& m_grid;
    QLineEdit* m_reference = nullptr;
    bool m_selectWhenBack = false;
};

// Sort: the selection's first range by up to three keys (columns of the
// range, or rows when sorting by columns), each ascending or descending.
class SortDialog : public QDialog {
    Q_OBJECT
public:
    explicit SortDialog(SpreadsheetWidget& grid);
    // Fills the key lists from the current selection.
    void refresh();
    // Sorts; false (with a message, the sheet unchanged) when refused.
    bool sort();

private:
    SpreadsheetWidget& m_grid;
    QRadioButton* m_byRows = nullptr;
    QRadioButton* m_byColumns = nullptr;
    QComboBox* m_keys[3] = {};
    QComboBox* m_orders[3] = {};
};

} // namespace spreadsheet
