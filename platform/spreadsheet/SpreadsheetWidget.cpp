#include "platform/spreadsheet/SpreadsheetWidget.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QVBoxLayout>

#include <limits>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/CellClipboard.h"
#include "platform/spreadsheet/SheetDialogs.h"
#include "platform/spreadsheet/SpreadsheetGrid.h"
#include "platform/spreadsheet/WorkbookOptionsDialog.h"

namespace spreadsheet {

SpreadsheetWidget::SpreadsheetWidget(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_formulaBar = new QWidget(this);
    auto* bar = new QHBoxLayout(m_formulaBar);
    bar->setContentsMargins(2, 2, 2, 2);
    m_nameBox = new QLabel(m_formulaBar);
    m_nameBox->setMinimumWidth(70);
    m_nameBox->setFrameShape(QFrame::StyledPanel);
    m_formulaEdit = new QLineEdit(m_formulaBar);
    takeAnyCellText(*m_formulaEdit);
    m_formulaEdit->setFocusPolicy(Qt::ClickFocus);  // the grid, not the bar, takes the focus first
    bar->addWidget(m_nameBox);
    bar->addWidget(m_formulaEdit, 1);
    layout->addWidget(m_formulaBar);

    m_grid = new SpreadsheetGrid(this);
    layout->addWidget(m_grid, 1);

    m_tabs = new QTabBar(this);
    m_tabs->setShape(QTabBar::RoundedSouth);
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(false);
    layout->addWidget(m_tabs);

    connect(m_formulaEdit, &QLineEdit::returnPressed, this, [this] { userAction([this] { commitFormulaBar(); }); });
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        if (!m_refreshing && index >= 0 && index + 1 != m_book.Sheet())
            userAction([this, index] { m_book.setSheet(index + 1); });
    });

    m_book.setChangeCallback([this] { modelChanged(); });
    refreshTabs();
    refreshFormulaBar();
    setFocusProxy(m_grid);
}

SpreadsheetWidget::~SpreadsheetWidget()
{
    // The grid reads the workbook, which goes before the base class deletes
    // the children: drop an open editor and the grid first.
    m_book.setChangeCallback({});
    m_grid->cancelEdit();
    delete m_grid;
    m_grid = nullptr;
}

bool SpreadsheetWidget::ShowEditBar() const
{
    return !m_formulaBar->isHidden();
}

void SpreadsheetWidget::setShowEditBar(bool shown)
{
    m_formulaBar->setVisible(shown);
}

std::int32_t SpreadsheetWidget::ViewScale() const
{
    return m_grid->zoom();
}

void SpreadsheetWidget::setViewScale(std::int32_t percent)
{
    m_grid->setZoom(percent);
}

void SpreadsheetWidget::SetFocus()
{
    m_grid->setFocus();
}

void SpreadsheetWidget::startEdit(const std::string& initialText)
{
    m_grid->startEdit(QString::fromStdString(initialText));
}

std::int32_t SpreadsheetWidget::rowAtY(std::int32_t y) const
{
    return m_grid->rowAt(y);
}

std::int32_t SpreadsheetWidget::colAtX(std::int32_t x) const
{
    return m_grid->colAt(x);
}

QWidget* SpreadsheetWidget::gridSurface() const
{
    return m_grid->viewport();
}

QRect SpreadsheetWidget::cellRect(std::int32_t row, std::int32_t col) const
{
    return m_grid->cellRect(row, col);
}

QPoint SpreadsheetWidget::fillHandlePosition() const
{
    return m_grid->fillHandlePosition();
}

bool SpreadsheetWidget::isEditing() const
{
    return m_grid->isEditing();
}

void SpreadsheetWidget::EditCopy()
{
    m_grid->commitEdit();
    CellClipboard::copy(m_book);
}

void SpreadsheetWidget::EditCut()
{
    m_book.checkUnlocked(m_book.Sheet(), m_book.SelectionEx(0), "EditCut");  // nothing is cut from locked cells
    EditCopy();
    m_book.clearRange(m_book.Sheet(), m_book.SelectionEx(0));
}

void SpreadsheetWidget::EditPaste()
{
    EditPasteSpecial(0);
}

void SpreadsheetWidget::EditPasteSpecial(std::int32_t what)
{
    if (what < 0 || what > 3)
        throw platform::Error::runtime(platform::err::InvalidCall, "EditPasteSpecial");
    m_grid->commitEdit();
    CellClipboard::paste(m_book, static_cast<CellClipboard::PasteWhat>(what));
}

bool SpreadsheetWidget::CanEditPaste() const
{
    return CellClipboard::canPaste();
}

namespace {

template <class Dialog, class... Args>
QDialog* showDialog(QDialog*& slot, SpreadsheetWidget& grid, Args... args)
{
    // A dialog window of its own (a tool window would lend its keys to the
    // main window: the access keys of its labels would not reach its fields).
    if (!slot)
        slot = new Dialog(grid, args...);  // owned by the grid
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
}

} // namespace

QDialog* SpreadsheetWidget::FindDlg()
{
    return showDialog<FindDialog>(m_findDlg, *this, false);
}

QDialog* SpreadsheetWidget::ReplaceDlg()
{
    return showDialog<FindDialog>(m_replaceDlg, *this, true);
}

QDialog* SpreadsheetWidget::GotoDlg()
{
    return showDialog<GotoDialog>(m_gotoDlg, *this);
}

QDialog* SpreadsheetWidget::SortDlg()
{
    const bool made = m_sortDlg != nullptr;
    QDialog* d = showDialog<SortDialog>(m_sortDlg, *this);
    if (made)
        static_cast<SortDialog*>(d)->refresh();
    return d;
}

void SpreadsheetWidget::ensureVisible(std::int32_t row, std::int32_t col)
{
    m_grid->ensureVisible(row, col);
}

void SpreadsheetWidget::modelChanged()
{
    refreshTabs();
    if (!m_formulaEdit->isModified())  // keep what the user is typing there
        refreshFormulaBar();
    m_grid->modelChanged();

    // Tell listeners only when the selection or the active cell moved.
    std::vector<std::int32_t> now{m_book.Sheet(), m_book.activeRow(), m_book.activeCol()};
    for (std::int32_t i = 0; i < m_book.SelectionCount(); ++i) {
        const RangeRef r = m_book.SelectionEx(i);
        now.insert(now.end(), {r.firstRow, r.firstCol, r.lastRow, r.lastCol});
    }
    if (now != m_lastSelection) {
        m_lastSelection = std::move(now);
        emit selectionChanged();
    }
}

void SpreadsheetWidget::refreshTabs()
{
    bool same = m_tabs->count() == m_book.NumSheets();
    for (int i = 0; same && i < m_tabs->count(); ++i)
        same = m_tabs->tabText(i).toStdString() == m_book.SheetName(i + 1);
    m_refreshing = true;
    if (!same) {
        while (m_tabs->count() > 0)
            m_tabs->removeTab(m_tabs->count() - 1);
        for (std::int32_t s = 1; s <= m_book.NumSheets(); ++s)
            m_tabs->addTab(QString::fromStdString(m_book.SheetName(s)));
    }
    m_tabs->setCurrentIndex(m_book.Sheet() - 1);
    m_refreshing = false;
}

void SpreadsheetWidget::refreshFormulaBar()
{
    const std::int32_t row = m_book.activeRow();
    const std::int32_t col = m_book.activeCol();
    m_nameBox->setText(QString::fromStdString(cellRefText(row, col)));
    if (!m_grid || !m_grid->isEditing())
        m_formulaEdit->setText(QString::fromStdString(m_book.cellEntryText(m_book.Sheet(), row, col)));
}

void SpreadsheetWidget::commitFormulaBar()
{
    // Read first: dropping an open in-cell edit puts the cell's entry back in the bar.
    const std::string text = m_formulaEdit->text().toStdString();
    m_grid->cancelEdit();
    try {
        m_book.enterCell(m_book.Sheet(), m_book.activeRow(), m_book.activeCol(), text);
    } catch (const platform::Error& e) {
        tellRefusal(e);
    }
    m_grid->setFocus();
    refreshFormulaBar();
}

void takeAnyCellText(QLineEdit& editor)
{
    editor.setMaxLength(std::numeric_limits<int>::max());
}

void SpreadsheetWidget::tellRefusal(const platform::Error& e)
{
    if (tellProtectionRefusal(e))
        return;
    if (Workbook::isFormulaRefusal(e)) {
        (void)platform::dialogs().MsgBox(e.description(), platform::mb::Exclamation | platform::mb::OkOnly,
                                         kFormulaTitle);
        return;
    }
    QApplication::beep();
}

void SpreadsheetWidget::userAction(const std::function<void()>& action) noexcept
{
    platform::guarded([&](platform::Guard& g) {
        g.step([&] {
            try {
                action();
            } catch (const platform::Error& e) {
                tellRefusal(e);
            }
        });
    });
}

void SpreadsheetWidget::OptionsDlg(std::int32_t pages)
{
    if ((pages & WorkbookOptionsDialog::AllKnownPages) == 0)
        return;
    WorkbookOptionsDialog dialog(m_book, pages, this);
    dialog.exec();
}

} // namespace spreadsheet
