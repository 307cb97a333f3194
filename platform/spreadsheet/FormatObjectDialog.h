#pragma once

// The workbook control's format dialog for the selected drawing objects of
// the active sheet, modal.
//
// Pages: Line (colour, width, style, and the arrow heads of lines), Fill
// (on/off and colour of closed shapes), Text (rectangles, ovals, buttons,
// check boxes), Control (a check box's state, a drop-down list's items and
// chosen item) and Name. A setting is offered when every selected object has
// it, so several selected objects get the settings they have in common; the
// name is offered for a single object only. The boxes show the first
// selected object. OK changes, in every selected object, only what the user
// changed in the dialog, each object through one Workbook::setObject; Cancel
// changes nothing. A page whose settings no selected object shares is not
// shown.

#include <cstdint>
#include <vector>

#include <QDialog>

#include "platform/spreadsheet/DrawingObject.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QTabWidget;

namespace spreadsheet {

class Workbook;

class FormatObjectDialog : public QDialog {
    Q_OBJECT
public:
    // Page bits of the page mask (0x7FFFFFFF: all).
    static constexpr std::int32_t PageLine = 1;
    static constexpr std::int32_t PageFill = 2;
    static constexpr std::int32_t PageText = 4;
    static constexpr std::int32_t PageControl = 8;
    static constexpr std::int32_t PageName = 16;

    // The dialog on the objects selected on the active sheet; `pages` picks
    // the pages that may show.
    FormatObjectDialog(Workbook& book, std::int32_t pages, QWidget* parent = nullptr);

    // Whether the dialog has anything to show: objects are selected and one
    // of the requested pages applies to them.
    [[nodiscard]] bool hasPages() const;

    [[nodiscard]] QTabWidget* pages() const { return m_tabs; }
    [[nodiscard]] QComboBox* lineColor() const { return m_lineColor; }
    [[nodiscard]] QDoubleSpinBox* lineWidth() const { return m_lineWidth; }
    // Solid, Dash, Dot, Dash-Dot, None (the ObjectStyle codes 0-4).
    [[nodiscard]] QComboBox* lineStyle() const { return m_lineStyle; }
    [[nodiscard]] QCheckBox* arrowAtStart() const { return m_arrowStart; }
    [[nodiscard]] QCheckBox* arrowAtEnd() const { return m_arrowEnd; }
    [[nodiscard]] QCheckBox* filled() const { return m_filled; }
    [[nodiscard]] QComboBox* fillColor() const { return m_fillColor; }
    [[nodiscard]] QLineEdit* text() const { return m_text; }
    // Unchecked, Checked, Mixed (0-2).
    [[nodiscard]] QComboBox* checkState() const { return m_checkState; }
    // One list item a line.
    [[nodiscard]] QPlainTextEdit* items() const { return m_items; }
    // 0 none, else the item's number from 1; never more than the items.
    [[nodiscard]] QSpinBox* chosenItem() const { return m_chosen; }
    [[nodiscard]] QLineEdit* name() const { return m_name; }

    void accept() override;

private:
    // What the boxes show now, over the first selected object.
    [[nodiscard]] DrawingObject shown() const;
    [[nodiscard]] std::vector<std::string> listedItems() const;

    Workbook& m_book;
    std::int32_t m_sheet = 1;
    std::vector<std::int32_t> m_ids;  // the selected objects
    DrawingObject m_start;            // the first of them as the dialog opened
    bool m_hasLine = false;
    bool m_hasArrows = false;
    bool m_hasFill = false;
    bool m_hasText = false;
    bool m_hasCheck = false;
    bool m_hasList = false;
    bool m_hasName = false;
    QTabWidget* m_tabs = nullptr;
    QComboBox* m_lineColor = nullptr;
    QDoubleSpinBox* m_lineWidth = nullptr;
    QComboBox* m_lineStyle = nullptr;
    QCheckBox* m_arrowStart = nullptr;
    QCheckBox* m_arrowEnd = nullptr;
    QCheckBox* m_filled = nullptr;
    QComboBox* m_fillColor = nullptr;
    QLineEdit* m_text = nullptr;
    QComboBox* m_checkState = nullptr;
    QPlainTextEdit* m_items = nullptr;
    QSpinBox* m_chosen = nullptr;
    QLineEdit* m_name = nullptr;
};

} // namespace spreadsheet
