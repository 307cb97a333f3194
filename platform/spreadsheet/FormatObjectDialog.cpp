#include "platform/spreadsheet/FormatObjectDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

#include "platform/spreadsheet/FormatDialogs.h"
#include "platform/spreadsheet/RefusalBox.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

namespace {

bool hasLine(ObjectKind k)
{
    return k != ObjectKind::Button && k != ObjectKind::CheckBox && k != ObjectKind::DropDown;
}

bool hasFill(ObjectKind k)
{
    return k == ObjectKind::Rectangle || k == ObjectKind::Oval || k == ObjectKind::Arc || k == ObjectKind::Polygon;
}

bool hasText(ObjectKind k)
{
    return k == ObjectKind::Rectangle || k == ObjectKind::Oval || k == ObjectKind::Button ||
           k == ObjectKind::CheckBox;
}

// A colour box offering the cell dialog's colours, with `rgb` selected
// (added by its hexadecimal code when the list does not name it).
QComboBox* colourBox(QWidget* parent, std::uint32_t rgb)
{
    auto* box = new QComboBox(parent);
    for (const auto& c : FormatCellsDialog::colours())
        box->addItem(QString::fromLatin1(c.name), QVariant::fromValue(c.rgb));
    int at = -1;
    for (int i = 0; i < box->count(); ++i)
        if (box->itemData(i).toUInt() == rgb)
            at = i;
    if (at < 0) {
        box->addItem(QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper(), QVariant::fromValue(rgb));
        at = box->count() - 1;
    }
    box->setCurrentIndex(at);
    return box;
}

QString fromStd(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

FormatObjectDialog::FormatObjectDialog(Workbook& book, std::int32_t pages, QWidget* parent)
    : QDialog(parent), m_book(book), m_sheet(book.Sheet())
{
    setObjectName(QStringLiteral("FormatObjectDlg"));
    setWindowTitle(QStringLiteral("Format Object"));
    for (std::int32_t i = 0; i < book.selectedObjectCount(); ++i)
        m_ids.push_back(book.selectedObjectId(i));
    if (!m_ids.empty()) {
        m_start = book.object(m_sheet, m_ids.front());
        const auto all = [&](auto has) {
            return std::all_of(m_ids.begin(), m_ids.end(),
                               [&](std::int32_t id) { return has(book.object(m_sheet, id).kind); });
        };
        m_hasLine = all(hasLine);
        m_hasArrows = all([](ObjectKind k) { return k == ObjectKind::Line; });
        m_hasFill = all(hasFill);
        m_hasText = all(hasText);
        m_hasCheck = all([](ObjectKind k) { return k == ObjectKind::CheckBox; });
        m_hasList = all([](ObjectKind k) { return k == ObjectKind::DropDown; });
        m_hasName = m_ids.size() == 1;
    }
    const ObjectStyle& st = m_start.style;
    m_tabs = new QTabWidget(this);

    // Line.
    auto* line = new QWidget(m_tabs);
    auto* lineLayout = new QFormLayout(line);
    m_lineColor = colourBox(line, st.lineColor);
    m_lineWidth = new QDoubleSpinBox(line);
    m_lineWidth->setRange(0, 100);
    m_lineWidth->setDecimals(2);
    m_lineWidth->setSingleStep(0.25);
    m_lineWidth->setSuffix(QStringLiteral(" pt"));
    m_lineWidth->setValue(st.lineWidth);
    m_lineStyle = new QComboBox(line);
    m_lineStyle->addItems({QStringLiteral("Solid"), QStringLiteral("Dash"), QStringLiteral("Dot"),
                           QStringLiteral("Dash-Dot"), QStringLiteral("None")});
    m_lineStyle->setCurrentIndex(std::clamp(st.lineStyle, 0, 4));
    m_arrowStart = new QCheckBox(QStringLiteral("Arrow at &start"), line);
    m_arrowStart->setChecked(st.arrowAtStart);
    m_arrowStart->setEnabled(m_hasArrows);
    m_arrowEnd = new QCheckBox(QStringLiteral("Arrow at &end"), line);
    m_arrowEnd->setChecked(st.arrowAtEnd);
    m_arrowEnd->setEnabled(m_hasArrows);
    lineLayout->addRow(QStringLiteral("&Colour:"), m_lineColor);
    lineLayout->addRow(QStringLiteral("&Width:"), m_lineWidth);
    lineLayout->addRow(QStringLiteral("St&yle:"), m_lineStyle);
    lineLayout->addRow(m_arrowStart);
    lineLayout->addRow(m_arrowEnd);

    // Fill.
    auto* fill = new QWidget(m_tabs);
    auto* fillLayout = new QFormLayout(fill);
    m_filled = new QCheckBox(QStringLiteral("&Filled"), fill);
    m_filled->setChecked(st.filled);
    m_fillColor = colourBox(fill, st.fillColor);
    m_fillColor->setEnabled(st.filled);
    connect(m_filled, &QCheckBox::toggled, m_fillColor, &QWidget::setEnabled);
    fillLayout->addRow(m_filled);
    fillLayout->addRow(QStringLiteral("C&olour:"), m_fillColor);

    // Text.
    auto* text = new QWidget(m_tabs);
    auto* textLayout = new QFormLayout(text);
    m_text = new QLineEdit(fromStd(m_start.text), text);
    textLayout->addRow(QStringLiteral("&Text:"), m_text);

    // Control.
    auto* control = new QWidget(m_tabs);
    auto* controlLayout = new QFormLayout(control);
    m_checkState = new QComboBox(control);
    m_checkState->addItems({QStringLiteral("Unchecked"), QStringLiteral("Checked"), QStringLiteral("Mixed")});
    m_checkState->setCurrentIndex(std::clamp(m_start.checkState, 0, 2));
    m_checkState->setEnabled(m_hasCheck);
    m_items = new QPlainTextEdit(control);
    QStringList lines;
    for (const std::string& item : m_start.items)
        lines << fromStd(item);
    m_items->setPlainText(lines.join(QLatin1Char('\n')));
    m_items->setEnabled(m_hasList);
    m_chosen = new QSpinBox(control);
    m_chosen->setSpecialValueText(QStringLiteral("None"));
    m_chosen->setRange(0, static_cast<int>(m_start.items.size()));
    m_chosen->setValue(m_start.chosenItem);
    m_chosen->setEnabled(m_hasList);
    // The chosen item never points past the list.
    connect(m_items, &QPlainTextEdit::textChanged, this,
            [this] { m_chosen->setMaximum(static_cast<int>(listedItems().size())); });
    controlLayout->addRow(QStringLiteral("&State:"), m_checkState);
    controlLayout->addRow(QStringLiteral("&Items (one a line):"), m_items);
    controlLayout->addRow(QStringLiteral("C&hosen item:"), m_chosen);

    // Name.
    auto* name = new QWidget(m_tabs);
    auto* nameLayout = new QFormLayout(name);
    m_name = new QLineEdit(fromStd(m_start.name), name);
    nameLayout->addRow(QStringLiteral("&Name:"), m_name);

    const struct {
        std::int32_t bit;
        bool applies;
        QWidget* page;
        const char* title;
    } all[] = {{PageLine, m_hasLine, line, "Line"},
               {PageFill, m_hasFill, fill, "Fill"},
               {PageText, m_hasText, text, "Text"},
               {PageControl, m_hasCheck || m_hasList, control, "Control"},
               {PageName, m_hasName, name, "Name"}};
    for (const auto& p : all) {
        if ((pages & p.bit) && p.applies)
            m_tabs->addTab(p.page, QString::fromLatin1(p.title));
        else
            p.page->hide();
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

bool FormatObjectDialog::hasPages() const
{
    return m_tabs->count() > 0;
}

std::vector<std::string> FormatObjectDialog::listedItems() const
{
    std::vector<std::string> out;
    for (const QString& line : m_items->toPlainText().split(QLatin1Char('\n'))) {
        // Blank lines are no items.
        if (!line.trimmed().isEmpty())
            out.push_back(line.toStdString());
    }
    return out;
}

DrawingObject FormatObjectDialog::shown() const
{
    DrawingObject o = m_start;
    o.style.lineColor = m_lineColor->currentData().toUInt();
    o.style.lineWidth = m_lineWidth->value();
    o.style.lineStyle = m_lineStyle->currentIndex();
    o.style.arrowAtStart = m_arrowStart->isChecked();
    o.style.arrowAtEnd = m_arrowEnd->isChecked();
    o.style.filled = m_filled->isChecked();
    o.style.fillColor = m_fillColor->currentData().toUInt();
    o.text = m_text->text().toStdString();
    o.checkState = m_checkState->currentIndex();
    o.items = listedItems();
    o.chosenItem = std::min(m_chosen->value(), static_cast<int>(o.items.size()));
    o.name = m_name->text().trimmed().toStdString();
    return o;
}

void FormatObjectDialog::accept()
{
    const DrawingObject now = shown();
    if (m_hasName && now.name.empty()) {
        // An object keeps a name.
        m_tabs->setCurrentWidget(m_name->parentWidget());
        m_name->setFocus();
        return;
    }
    const DrawingObject& start = m_start;
    const ObjectStyle& a = start.style;
    const ObjectStyle& b = now.style;
    const bool done = runRefusable("Format Object", [&] {
        for (const std::int32_t id : m_ids) {
            const DrawingObject& before = m_book.object(m_sheet, id);
            DrawingObject o = before;
            // Only what the user changed reaches the objects.
            if (m_hasLine) {
                if (b.lineColor != a.lineColor)
                    o.style.lineColor = b.lineColor;
                if (b.lineWidth != a.lineWidth)
                    o.style.lineWidth = b.lineWidth;
                if (b.lineStyle != a.lineStyle)
                    o.style.lineStyle = b.lineStyle;
            }
            if (m_hasArrows) {
                if (b.arrowAtStart != a.arrowAtStart)
                    o.style.arrowAtStart = b.arrowAtStart;
                if (b.arrowAtEnd != a.arrowAtEnd)
                    o.style.arrowAtEnd = b.arrowAtEnd;
            }
            if (m_hasFill) {
                if (b.filled != a.filled)
                    o.style.filled = b.filled;
                if (b.fillColor != a.fillColor)
                    o.style.fillColor = b.fillColor;
            }
            if (m_hasText && now.text != start.text)
                o.text = now.text;
            if (m_hasCheck && now.checkState != start.checkState)
                o.checkState = now.checkState;
            if (m_hasList) {
                if (now.items != start.items)
                    o.items = now.items;
                if (now.chosenItem != start.chosenItem || now.items != start.items)
                    o.chosenItem = std::min(now.chosenItem, static_cast<std::int32_t>(o.items.size()));
            }
            if (m_hasName && now.name != start.name)
                o.name = now.name;
            if (!(o == before))
                m_book.setObject(m_sheet, o);
        }
    });
    if (!done)
        return;
    QDialog::accept();
}

void SpreadsheetWidget::FormatObjectDlg(std::int32_t pages)
{
    if (m_book.selectedObjectCount() == 0)
        return;
    FormatObjectDialog dialog(m_book, pages, this);
    if (dialog.hasPages())
        dialog.exec();
}

} // namespace spreadsheet
