#include "platform/spreadsheet/FormatDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/spreadsheet/FontNames.h"
#include "platform/spreadsheet/NumberFormat.h"
#include "platform/spreadsheet/RefusalBox.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

namespace {

QDialogButtonBox* okCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// The screen's font names, with `current` among them even when it is not installed.
QComboBox* fontBox(QWidget* parent, const std::string& current)
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->addItems(screenFontNames());
    const QString name = QString::fromStdString(current);
    if (box->findText(name, Qt::MatchFixedString) < 0)
        box->addItem(name);
    box->setCurrentIndex(box->findText(name, Qt::MatchFixedString));
    return box;
}

QDoubleSpinBox* spin(QWidget* parent, double min, double max, double value, double step)
{
    auto* s = new QDoubleSpinBox(parent);
    s->setRange(min, max);
    s->setDecimals(2);
    s->setSingleStep(step);
    s->setValue(value);
    return s;
}

void selectColour(QComboBox* box, Rgb rgb)
{
    for (int i = 0; i < box->count(); ++i)
        if (box->itemData(i).toUInt() == rgb) {
            box->setCurrentIndex(i);
            return;
        }
    // A colour from a file that the list does not name.
    box->addItem(QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper(), QVariant::fromValue(rgb));
    box->setCurrentIndex(box->count() - 1);
}

} // namespace

const std::vector<FormatCellsDialog::NamedColour>& FormatCellsDialog::colours()
{
    static const std::vector<NamedColour> list = {
        {"Black", 0x000000},      {"White", 0xFFFFFF},      {"Red", 0xFF0000},        {"Green", 0x008000},
        {"Blue", 0x0000FF},       {"Yellow", 0xFFFF00},     {"Light Yellow", 0xFFFFCC}, {"Light Green", 0xCCFFCC},
        {"Light Blue", 0xCCE5FF}, {"Light Grey", 0xD9D9D9}, {"Grey", 0x808080},       {"Orange", 0xFF9900},
        {"Purple", 0x800080},     {"Dark Red", 0x800000},   {"Dark Blue", 0x000080}};
    return list;
}

FormatCellsDialog::FormatCellsDialog(Workbook& book, std::int32_t pages, QWidget* parent)
    : QDialog(parent), m_book(book), m_start(book.activeFormat())
{
    setObjectName(QStringLiteral("FormatCellsDlg"));
    setWindowTitle(QStringLiteral("Format Cells"));
    m_tabs = new QTabWidget(this);

    // Number.
    auto* number = new QWidget(m_tabs);
    auto* numberLayout = new QVBoxLayout(number);
    m_codes = new QListWidget(number);
    for (const std::string& code : builtInNumberFormats())
        m_codes->addItem(QString::fromStdString(code));
    m_code = new QLineEdit(QString::fromStdString(m_start.numberFormat), number);
    m_sample = new QLabel(number);
    m_sample->setObjectName(QStringLiteral("sample"));
    numberLayout->addWidget(new QLabel(QStringLiteral("Number format:"), number));
    numberLayout->addWidget(m_codes);
    numberLayout->addWidget(new QLabel(QStringLiteral("Code:"), number));
    numberLayout->addWidget(m_code);
    numberLayout->addWidget(m_sample);
    const auto listed = m_codes->findItems(QString::fromStdString(m_start.numberFormat), Qt::MatchExactly);
    if (!listed.isEmpty())
        m_codes->setCurrentItem(listed.front());
    connect(m_codes, &QListWidget::currentTextChanged, m_code, &QLineEdit::setText);
    connect(m_code, &QLineEdit::textChanged, this, [this] { updateSample(); });

    // Alignment.
    auto* alignment = new QWidget(m_tabs);
    auto* alignLayout = new QFormLayout(alignment);
    m_hAlign = new QComboBox(alignment);
    m_hAlign->addItems({QStringLiteral("General"), QStringLiteral("Left"), QStringLiteral("Center"),
                        QStringLiteral("Right")});
    m_hAlign->setCurrentIndex(static_cast<int>(m_start.hAlign) - 1);
    m_vAlign = new QComboBox(alignment);
    m_vAlign->addItems({QStringLiteral("Top"), QStringLiteral("Center"), QStringLiteral("Bottom")});
    m_vAlign->setCurrentIndex(static_cast<int>(m_start.vAlign) - 1);
    m_wrap = new QCheckBox(QStringLiteral("&Wrap text"), alignment);
    m_wrap->setChecked(m_start.wrap);
    alignLayout->addRow(QStringLiteral("&Horizontal:"), m_hAlign);
    alignLayout->addRow(QStringLiteral("&Vertical:"), m_vAlign);
    alignLayout->addRow(m_wrap);

    // Font.
    auto* font = new QWidget(m_tabs);
    auto* fontLayout = new QFormLayout(font);
    m_fontName = fontBox(font, m_start.fontName);
    m_fontSize = spin(font, 1, 409, m_start.fontSize, 1);
    m_bold = new QCheckBox(QStringLiteral("&Bold"), font);
    m_bold->setChecked(m_start.bold);
    m_italic = new QCheckBox(QStringLiteral("&Italic"), font);
    m_italic->setChecked(m_start.italic);
    m_underline = new QCheckBox(QStringLiteral("&Underline"), font);
    m_underline->setChecked(m_start.underline);
    m_fontColor = new QComboBox(font);
    for (const auto& c : colours())
        m_fontColor->addItem(QString::fromLatin1(c.name), QVariant::fromValue(c.rgb));
    selectColour(m_fontColor, m_start.fontColor);
    fontLayout->addRow(QStringLiteral("&Font:"), m_fontName);
    fontLayout->addRow(QStringLiteral("&Size:"), m_fontSize);
    fontLayout->addRow(m_bold);
    fontLayout->addRow(m_italic);
    fontLayout->addRow(m_underline);
    fontLayout->addRow(QStringLiteral("&Colour:"), m_fontColor);

    // Border.
    auto* border = new QWidget(m_tabs);
    auto* borderLayout = new QFormLayout(border);
    const BorderStyle starts[4] = {m_start.borderLeft, m_start.borderRight, m_start.borderTop, m_start.borderBottom};
    const char* edges[4] = {"&Left:", "&Right:", "&Top:", "&Bottom:"};
    for (int e = 0; e < 4; ++e) {
        m_borders[e] = new QComboBox(border);
        m_borders[e]->addItems({QStringLiteral("None"), QStringLiteral("Thin"), QStringLiteral("Medium"),
                                QStringLiteral("Thick")});
        m_borders[e]->setCurrentIndex(static_cast<int>(starts[e]));
        borderLayout->addRow(QString::fromLatin1(edges[e]), m_borders[e]);
    }

    // Patterns.
    auto* patterns = new QWidget(m_tabs);
    auto* patternLayout = new QFormLayout(patterns);
    m_fill = new QComboBox(patterns);
    m_fill->addItem(QStringLiteral("None"), QVariant::fromValue(kNoFill));
    for (const auto& c : colours())
        m_fill->addItem(QString::fromLatin1(c.name), QVariant::fromValue(c.rgb));
    selectColour(m_fill, m_start.fill);
    patternLayout->addRow(QStringLiteral("&Fill:"), m_fill);

    // Protection.
    auto* protection = new QWidget(m_tabs);
    auto* protLayout = new QVBoxLayout(protection);
    m_locked = new QCheckBox(QStringLiteral("&Locked"), protection);
    m_locked->setChecked(m_start.locked);
    protLayout->addWidget(m_locked);
    protLayout->addWidget(new QLabel(QStringLiteral("Locked cells take effect when the sheet is protected."), protection));
    protLayout->addStretch();

    const std::pair<std::int32_t, std::pair<QWidget*, const char*>> all[] = {
        {PageNumber, {number, "Number"}},       {PageAlignment, {alignment, "Alignment"}},
        {PageFont, {font, "Font"}},             {PageBorder, {border, "Border"}},
        {PagePatterns, {patterns, "Patterns"}}, {PageProtection, {protection, "Protection"}}};
    for (const auto& [bit, page] : all) {
        if (pages & bit)
            m_tabs->addTab(page.first, QString::fromLatin1(page.second));
        else
            page.first->hide();
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    setMinimumWidth(480);  // all six tabs in view
    layout->addWidget(okCancel(this));
    updateSample();
}

CellFormat FormatCellsDialog::shown() const
{
    CellFormat f;
    f.numberFormat = m_code->text().trimmed().isEmpty() ? std::string("General") : m_code->text().toStdString();
    f.hAlign = static_cast<HAlign>(m_hAlign->currentIndex() + 1);
    f.vAlign = static_cast<VAlign>(m_vAlign->currentIndex() + 1);
    f.wrap = m_wrap->isChecked();
    f.fontName = m_fontName->currentText().trimmed().toStdString();
    f.fontSize = m_fontSize->value();
    f.bold = m_bold->isChecked();
    f.italic = m_italic->isChecked();
    f.underline = m_underline->isChecked();
    f.fontColor = m_fontColor->currentData().toUInt();
    BorderStyle* edges[4] = {&f.borderLeft, &f.borderRight, &f.borderTop, &f.borderBottom};
    for (int e = 0; e < 4; ++e)
        *edges[e] = static_cast<BorderStyle>(m_borders[e]->currentIndex());
    f.fill = m_fill->currentData().toUInt();
    f.locked = m_locked->isChecked();
    return f;
}

void FormatCellsDialog::updateSample()
{
    const Value v = m_book.cellValue(m_book.Sheet(), m_book.activeRow(), m_book.activeCol());
    const double sample = v.isNumber() ? v.number() : 1234.5678;
    const std::string code = m_code->text().toStdString();
    m_sample->setText(QStringLiteral("Sample: ") + QString::fromStdString(formatNumber(sample, code)));
}

void FormatCellsDialog::accept()
{
    const CellFormat now = shown();
    if (now.fontName.empty()) {
        m_fontName->setFocus();
        return;
    }
    const CellFormat start = m_start;
    // Only what the user changed reaches the cells.
    const bool done = runRefusable("Format Cells", [&] {
        m_book.formatSelection([&](CellFormat& f) {
            if (now.numberFormat != start.numberFormat)
                f.numberFormat = now.numberFormat;
            if (now.hAlign != start.hAlign)
                f.hAlign = now.hAlign;
            if (now.vAlign != start.vAlign)
                f.vAlign = now.vAlign;
            if (now.wrap != start.wrap)
                f.wrap = now.wrap;
            if (now.fontName != start.fontName)
                f.fontName = now.fontName;
            if (now.fontSize != start.fontSize)
                f.fontSize = now.fontSize;
            if (now.bold != start.bold)
                f.bold = now.bold;
            if (now.italic != start.italic)
                f.italic = now.italic;
            if (now.underline != start.underline)
                f.underline = now.underline;
            if (now.fontColor != start.fontColor)
                f.fontColor = now.fontColor;
            if (now.borderLeft != start.borderLeft)
                f.borderLeft = now.borderLeft;
            if (now.borderRight != start.borderRight)
                f.borderRight = now.borderRight;
            if (now.borderTop != start.borderTop)
                f.borderTop = now.borderTop;
            if (now.borderBottom != start.borderBottom)
                f.borderBottom = now.borderBottom;
            if (now.fill != start.fill)
                f.fill = now.fill;
            if (now.locked != start.locked)
                f.locked = now.locked;
        });
    });
    if (!done) {
        QDialog::reject();  // a refused change leaves every cell as it was
        return;
    }
    QDialog::accept();
}

LineSizeDialog::LineSizeDialog(Workbook& book, Kind kind, QWidget* parent) : QDialog(parent), m_book(book), m_kind(kind)
{
    const SheetFormat& f = book.sheetFormat(book.Sheet());
    const RangeRef sel = book.SelectionEx(0);
    const bool rows = kind == Kind::RowHeight || kind == Kind::DefaultRowHeight;
    double value = 0;
    QString title;
    QString label;
    switch (kind) {
    case Kind::RowHeight:
        value = f.fittedRowHeight(sel.firstRow);
        title = QStringLiteral("Row Height");
        label = QStringLiteral("Row &height (points):");
        break;
    case Kind::ColWidth:
        value = f.storedColWidth(sel.firstCol);
        title = QStringLiteral("Column Width");
        label = QStringLiteral("Column &width (characters):");
        break;
    case Kind::DefaultRowHeight:
        value = f.defaultRowHeight();
        title = QStringLiteral("Default Row Height");
        label = QStringLiteral("Standard row &height (points):");
        break;
    case Kind::DefaultColWidth:
        value = f.defaultColWidth();
        title = QStringLiteral("Default Column Width");
        label = QStringLiteral("Standard column &width (characters):");
        break;
    }
    setWindowTitle(title);
    setObjectName(rows ? QStringLiteral("RowHeightDlg") : QStringLiteral("ColWidthDlg"));
    m_size = spin(this, 0, rows ? SheetFormat::kMaxRowHeight : SheetFormat::kMaxColWidth, value, 1);
    auto* form = new QFormLayout(this);
    form->addRow(label, m_size);
    form->addRow(okCancel(this));
}

void LineSizeDialog::accept()
{
    const double v = m_size->value();
    if (!runRefusable(qPrintable(windowTitle()), [&] { apply(v); }))
        return;
    QDialog::accept();
}

void LineSizeDialog::apply(double v)
{
    switch (m_kind) {
    case Kind::RowHeight:
        for (std::int32_t i = 0; i < m_book.SelectionCount(); ++i) {
            const RangeRef r = m_book.SelectionEx(i);
            m_book.SetRowHeight(r.firstRow, r.lastRow, v);
        }
        break;
    case Kind::ColWidth:
        for (std::int32_t i = 0; i < m_book.SelectionCount(); ++i) {
            const RangeRef r = m_book.SelectionEx(i);
            m_book.SetColWidth(r.firstCol, r.lastCol, v);
        }
        break;
    case Kind::DefaultRowHeight:
        m_book.editSheetFormat(m_book.Sheet(), [v](SheetFormat& f) { f.setDefaultRowHeight(v); });
        break;
    case Kind::DefaultColWidth:
        m_book.editSheetFormat(m_book.Sheet(), [v](SheetFormat& f) { f.setDefaultColWidth(v); });
        break;
    }
}

FormatSheetDialog::FormatSheetDialog(Workbook& book, QWidget* parent) : QDialog(parent), m_book(book)
{
    setObjectName(QStringLiteral("FormatSheetDlg"));
    setWindowTitle(QStringLiteral("Sheet Properties"));
    m_name = new QLineEdit(QString::fromStdString(book.SheetName(book.Sheet())), this);
    m_protect = new QCheckBox(QStringLiteral("&Protect the sheet"), this);
    m_protect->setChecked(book.EnableProtection());
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Name:"), m_name);
    form->addRow(m_protect);
    form->addRow(okCancel(this));
    // The form is small; the title bar must still have room for the whole
    // title beside the window's buttons.
    setMinimumWidth(std::max(minimumSizeHint().width(), 2 * fontMetrics().horizontalAdvance(windowTitle()) + 120));
}

void FormatSheetDialog::accept()
{
    const std::string name = m_name->text().trimmed().toStdString();
    try {
        if (name != m_book.SheetName(m_book.Sheet()))
            m_book.setSheetName(m_book.Sheet(), name);
    } catch (const platform::Error& e) {
        // A name the workbook refuses: why, and the dialog stays open for another.
        platform::dialogs().MsgBox(e.description(), platform::mb::Exclamation | platform::mb::OkOnly,
                                   windowTitle().toStdString());
        m_name->selectAll();
        m_name->setFocus();
        return;
    }
    if (m_protect->isChecked() != m_book.EnableProtection())
        m_book.setEnableProtection(m_protect->isChecked());
    QDialog::accept();
}

DefaultFontDialog::DefaultFontDialog(Workbook& book, QWidget* parent) : QDialog(parent), m_book(book)
{
    setObjectName(QStringLiteral("FormatDefaultFontDlg"));
    setWindowTitle(QStringLiteral("Default Font"));
    const CellFormat& normal = book.sheetFormat(book.Sheet()).style(0);
    m_fontName = fontBox(this, normal.fontName);
    m_fontSize = spin(this, 1, 409, normal.fontSize, 1);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Font:"), m_fontName);
    form->addRow(QStringLiteral("&Size:"), m_fontSize);
    form->addRow(okCancel(this));
}

void DefaultFontDialog::accept()
{
    const std::string name = m_fontName->currentText().trimmed().toStdString();
    if (name.empty()) {
        m_fontName->setFocus();
        return;
    }
    const double size = m_fontSize->value();
    for (std::int32_t s = 1; s <= m_book.NumSheets(); ++s) {
        m_book.editSheetFormat(s, [&](SheetFormat& f) {
            CellFormat normal = f.style(0);
            normal.fontName = name;
            normal.fontSize = size;
            f.setNormal(normal);
        });
    }
    QDialog::accept();
}

// ---- the grid's members that open them ------------------------------------------

void SpreadsheetWidget::FormatCellsDlg(std::int32_t pages)
{
    if ((pages & 63) == 0)
        return;
    FormatCellsDialog dialog(m_book, pages, this);
    dialog.exec();
}

void SpreadsheetWidget::RowHeightDlg()
{
    LineSizeDialog dialog(m_book, LineSizeDialog::Kind::RowHeight, this);
    dialog.exec();
}

void SpreadsheetWidget::ColWidthDlg()
{
    LineSizeDialog dialog(m_book, LineSizeDialog::Kind::ColWidth, this);
    dialog.exec();
}

void SpreadsheetWidget::DefRowHeightDlg()
{
    LineSizeDialog dialog(m_book, LineSizeDialog::Kind::DefaultRowHeight, this);
    dialog.exec();
}

void SpreadsheetWidget::DefColWidthDlg()
{
    LineSizeDialog dialog(m_book, LineSizeDialog::Kind::DefaultColWidth, this);
    dialog.exec();
}

void SpreadsheetWidget::FormatSheetDlg(std::int32_t pages, bool /*reserved*/)
{
    if (pages == 0)
        return;
    FormatSheetDialog dialog(m_book, this);
    dialog.exec();
}

void SpreadsheetWidget::FormatDefaultFontDlg()
{
    DefaultFontDialog dialog(m_book, this);
    dialog.exec();
}

} // namespace spreadsheet
