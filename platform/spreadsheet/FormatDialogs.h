#pragma once

// The workbook control's format dialogs, each modal and acting on the
// active sheet when OK is pressed; Cancel changes nothing.
//
// FormatCellsDialog: pages Number, Alignment, Font, Border, Patterns and
// Protection, filled from the active cell. OK applies to every selected cell
// only what was changed in the dialog, so a mixed selection keeps what the
// user did not touch.
// LineSizeDialog: one number (a row height in points or a column width in
// characters) for the selected lines or for the sheet's default.
// FormatSheetDialog: the sheet's name and protection; a name the workbook
// refuses (sheetNameProblem) is explained and the dialog stays open.
// DefaultFontDialog: the font of every sheet's normal style.

#include <cstdint>
#include <functional>
#include <vector>

#include <QDialog>

#include "platform/spreadsheet/CellFormat.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;

namespace spreadsheet {

class Workbook;

class FormatCellsDialog : public QDialog {
    Q_OBJECT
public:
    // Page bits of the page mask (0x7FFFFFFF: all).
    static constexpr std::int32_t PageNumber = 1;
    static constexpr std::int32_t PageAlignment = 2;
    static constexpr std::int32_t PageFont = 4;
    static constexpr std::int32_t PageBorder = 8;
    static constexpr std::int32_t PagePatterns = 16;
    static constexpr std::int32_t PageProtection = 32;

    FormatCellsDialog(Workbook& book, std::int32_t pages, QWidget* parent = nullptr);

    [[nodiscard]] QTabWidget* pages() const { return m_tabs; }
    [[nodiscard]] QLineEdit* numberCode() const { return m_code; }
    [[nodiscard]] QListWidget* numberList() const { return m_codes; }
    [[nodiscard]] QLabel* sample() const { return m_sample; }
    [[nodiscard]] QComboBox* hAlign() const { return m_hAlign; }
    [[nodiscard]] QComboBox* vAlign() const { return m_vAlign; }
    [[nodiscard]] QCheckBox* wrap() const { return m_wrap; }
    [[nodiscard]] QComboBox* fontName() const { return m_fontName; }
    [[nodiscard]] QDoubleSpinBox* fontSize() const { return m_fontSize; }
    [[nodiscard]] QCheckBox* bold() const { return m_bold; }
    [[nodiscard]] QCheckBox* italic() const { return m_italic; }
    [[nodiscard]] QCheckBox* underline() const { return m_underline; }
    [[nodiscard]] QComboBox* fontColor() const { return m_fontColor; }
    // Left, right, top, bottom.
    [[nodiscard]] QComboBox* border(int edge) const { return m_borders[edge]; }
    [[nodiscard]] QComboBox* fill() const { return m_fill; }
    [[nodiscard]] QCheckBox* locked() const { return m_locked; }

    // The colours the colour boxes offer (name and 0xRRGGBB; the fill's first entry is "None").
    struct NamedColour {
        const char* name;
        Rgb rgb;
    };
    [[nodiscard]] static const std::vector<NamedColour>& colours();

    void accept() override;

private:
    [[nodiscard]] CellFormat shown() const;
    void updateSample();

    Workbook& m_book;
    CellFormat m_start;
    QTabWidget* m_tabs = nullptr;
    QLineEdit* m_code = nullptr;
    QListWidget* m_codes = nullptr;
    QLabel* m_sample = nullptr;
    QComboBox* m_hAlign = nullptr;
    QComboBox* m_vAlign = nullptr;
    QCheckBox* m_wrap = nullptr;
    QComboBox* m_fontName = nullptr;
    QDoubleSpinBox* m_fontSize = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    QComboBox* m_fontColor = nullptr;
    QComboBox* m_borders[4] = {};
    QComboBox* m_fill = nullptr;
    QCheckBox* m_locked = nullptr;
};

class LineSizeDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { RowHeight, ColWidth, DefaultRowHeight, DefaultColWidth };

    LineSizeDialog(Workbook& book, Kind kind, QWidget* parent = nullptr);

    [[nodiscard]] QDoubleSpinBox* size() const { return m_size; }
    void accept() override;

private:
    void apply(double v);

    Workbook& m_book;
    Kind m_kind;
    QDoubleSpinBox* m_size = nullptr;
};

class FormatSheetDialog : public QDialog {
    Q_OBJECT
public:
    FormatSheetDialog(Workbook& book, QWidget* parent = nullptr);

    [[nodiscard]] QLineEdit* name() const { return m_name; }
    [[nodiscard]] QCheckBox* protect() const { return m_protect; }
    void accept() override;

private:
    Workbook& m_book;
    QLineEdit* m_name = nullptr;
    QCheckBox* m_protect = nullptr;
};

class DefaultFontDialog : public QDialog {
    Q_OBJECT
public:
    DefaultFontDialog(Workbook& book, QWidget* parent = nullptr);

    [[nodiscard]] QComboBox* fontName() const { return m_fontName; }
    [[nodiscard]] QDoubleSpinBox* fontSize() const { return m_fontSize; }
    void accept() override;

private:
    Workbook& m_book;
    QComboBox* m_fontName = nullptr;
    QDoubleSpinBox* m_fontSize = nullptr;
};

} // namespace spreadsheet
