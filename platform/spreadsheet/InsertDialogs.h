#pragma once

// The workbook control's insert dialogs, modal, on the active sheet.
//
// InsertCellsDialog ("Insert"): shift cells right, shift cells down (the
// default), entire row or entire column; OK inserts at the selection's first
// range (Workbook::EditInsert with 1, 2, 3 or 4). An insertion the workbook
// refuses (data would leave the sheet) shows its reason through
// platform::dialogs() and ends the dialog with nothing changed; Cancel
// changes nothing.
//
// DefinedNameDialog ("Define Name"): the workbook's names in a list, a name
// field and a refers-to field that starts with the selection as an absolute
// reference ("=Sheet1!$A$1:$B$10"). Add defines the name (or gives a
// defined one the new text), Delete removes the name in the name field,
// Close ends the dialog. A name or text the workbook refuses shows its
// reason through platform::dialogs() and leaves the names as they were.

#include <cstdint>

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace spreadsheet {

class Workbook;

class InsertCellsDialog : public QDialog {
    Q_OBJECT
public:
    explicit InsertCellsDialog(Workbook& book, QWidget* parent = nullptr);

    [[nodiscard]] QRadioButton* shiftRight() const { return m_choices[0]; }
    [[nodiscard]] QRadioButton* shiftDown() const { return m_choices[1]; }
    [[nodiscard]] QRadioButton* entireRow() const { return m_choices[2]; }
    [[nodiscard]] QRadioButton* entireColumn() const { return m_choices[3]; }
    // The EditInsert code of the checked choice, 1..4.
    [[nodiscard]] std::int32_t choice() const;

    void accept() override;

private:
    Workbook& m_book;
    QRadioButton* m_choices[4] = {};
};

class DefinedNameDialog : public QDialog {
    Q_OBJECT
public:
    explicit DefinedNameDialog(Workbook& book, QWidget* parent = nullptr);

    [[nodiscard]] QListWidget* names() const { return m_list; }
    [[nodiscard]] QLineEdit* name() const { return m_name; }
    [[nodiscard]] QLineEdit* refersTo() const { return m_refersTo; }
    [[nodiscard]] QPushButton* addButton() const { return m_add; }
    [[nodiscard]] QPushButton* deleteButton() const { return m_delete; }

    // What the buttons do; false when the workbook refused (after the message).
    bool addName();
    bool deleteName();

private:
    void refresh(const QString& current);
    void showName(const QString& name);

    Workbook& m_book;
    QListWidget* m_list = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_refersTo = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_delete = nullptr;
};

} // namespace spreadsheet
