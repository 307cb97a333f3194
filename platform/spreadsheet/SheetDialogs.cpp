#include "platform/spreadsheet/SheetDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/CellRef.h"
#include "platform/spreadsheet/FormulaText.h"
#include "platform/spreadsheet/RefusalBox.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"

namespace spreadsheet {

namespace {

QPushButton* button(QDialogButtonBox* box, const QString& caption, const char* name, QDialogButtonBox::ButtonRole role)
{
    QPushButton* b = box->addButton(caption, role);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// Runs a button's work under the program's error handling, so that nothing
// it throws reaches the event loop.
template <class Work>
void onButton(Work&& work)
{
    platform::guarded([&](platform::Guard& g) { g.step(std::forward<Work>(work)); });
}

} // namespace

// ---- find and replace -------------------------------------------------------------

FindDialog::FindDialog(SpreadsheetWidget& grid, bool replace) : QDialog(&grid), m_grid(grid)
{
    setObjectName(QString::fromLatin1(replace ? "ReplaceDlg" : "FindDlg"));
    setWindowTitle(replace ? tr("Replace") : tr("Find"));
    auto* form = new QFormLayout;
    m_what = new QLineEdit(this);
    m_what->setObjectName(QStringLiteral("findWhat"));
    takeAnyCellText(*m_what);
    form->addRow(tr("Fi&nd what:"), m_what);
    if (replace) {
        m_with = new QLineEdit(this);
        m_with->setObjectName(QStringLiteral("replaceWith"));
        takeAnyCellText(*m_with);
        form->addRow(tr("Re&place with:"), m_with);
    }
    m_searchBy = new QComboBox(this);
    m_searchBy->setObjectName(QStringLiteral("searchBy"));
    m_searchBy->addItems({tr("By Rows"), tr("By Columns")});
    form->addRow(tr("&Search:"), m_searchBy);
    m_matchCase = new QCheckBox(tr("Match &case"), this);
    m_matchCase->setObjectName(QStringLiteral("matchCase"));
    m_wholeCell = new QCheckBox(tr("Find entire cells &only"), this);
    m_wholeCell->setObjectName(QStringLiteral("wholeCell"));
    form->addRow(m_matchCase);
    form->addRow(m_wholeCell);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    QPushButton* next = button(buttons, tr("&Find Next"), "findNext", QDialogButtonBox::ActionRole);
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this, [this] { onButton([this] { (void)findNext(); }); });
    if (replace) {
        connect(button(buttons, tr("&Replace"), "replace", QDialogButtonBox::ActionRole), &QPushButton::clicked, this,
                [this] { onButton([this] { replaceOne(); }); });
        connect(button(buttons, tr("Replace &All"), "replaceAll", QDialogButtonBox::ActionRole),
                &QPushButton::clicked, this, [this] { onButton([this] { replaceAll(); }); });
    }
    connect(button(buttons, tr("Close"), "close", QDialogButtonBox::RejectRole), &QPushButton::clicked, this,
            &QDialog::reject);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addWidget(buttons);
}

Workbook::FindOptions FindDialog::options() const
{
    Workbook::FindOptions o;
    o.matchCase = m_matchCase->isChecked();
    o.wholeCell = m_wholeCell->isChecked();
    o.byColumns = m_searchBy->currentIndex() == 1;
    return o;
}

bool FindDialog::findNext()
{
    Workbook& book = m_grid.workbook();
    const std::string what = m_what->text().toStdString();
    if (what.empty())
        return false;
    const auto hit = book.findCell(what, book.activeRow(), book.activeCol(), options());
    if (!hit) {
        (void)platform::dialogs().MsgBox("Cannot find \"" + what + "\".", platform::mb::Information,
                                         windowTitle().toStdString());
        return false;
    }
    book.setSelection(hit->first, hit->second, hit->first, hit->second);
    m_grid.ensureVisible(hit->first, hit->second);
    return true;
}

void FindDialog::replaceOne()
{
    Workbook& book = m_grid.workbook();
    const std::string what = m_what->text().toStdString();
    if (what.empty())
        return;
    try {
        (void)book.replaceInCell(book.activeRow(), book.activeCol(), what, m_with->text().toStdString(), options());
    } catch (const platform::Error& e) {
        tellRefusal(e, windowTitle().toStdString().c_str());
        return;
    }
    (void)findNext();
}

void FindDialog::replaceAll()
{
    Workbook& book = m_grid.workbook();
    const std::string what = m_what->text().toStdString();
    if (what.empty())
        return;
    std::int32_t n = 0;
    try {
        n = book.replaceAll(what, m_with->text().toStdString(), options());
    } catch (const platform::Error& e) {
        tellRefusal(e, windowTitle().toStdString().c_str());  // nothing was replaced
        return;
    }
    if (n == 0) {
        (void)platform::dialogs().MsgBox("Cannot find \"" + what + "\".", platform::mb::Information,
                                         windowTitle().toStdString());
        return;
    }
    (void)platform::dialogs().MsgBox("Replaced in " + std::to_string(n) + (n == 1 ? " cell." : " cells."),
                                     platform::mb::Information, windowTitle().toStdString());
}

// ---- go to --------------------------------------------------------------------------

GotoDialog::GotoDialog(SpreadsheetWidget& grid) : QDialog(&grid), m_grid(grid)
{
    setObjectName(QStringLiteral("GotoDlg"));
    setWindowTitle(tr("Go To"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(tr("&Reference:"), this);
    layout->addWidget(label);
    m_reference = new QLineEdit(this);
    m_reference->setObjectName(QStringLiteral("reference"));
    m_reference->installEventFilter(this);
    label->setBuddy(m_reference);
    layout->addWidget(m_reference);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        onButton([this] {
            if (go())
                accept();
        });
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool GotoDialog::eventFilter(QObject* watched, QEvent* event)
{
    // The main window may take the keyboard for a moment while the refusal
    // closes: each return of the focus selects the refused text again,
    // until the user types or clicks.
    if (watched == m_reference && m_selectWhenBack) {
        if (event->type() == QEvent::FocusIn)
            m_reference->selectAll();
        else if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress)
            m_selectWhenBack = false;
    }
    return QDialog::eventFilter(watched, event);
}

namespace {

// The cells a defined name stands for, when it stands for one reference
// ("Sheet2!$A$1:$B$10"): its sheet's number (the active sheet when the
// reference names none) and its range. False for a constant, a formula or a
// sheet that is gone.
bool nameTarget(const Workbook& book, const DefinedName& name, std::int32_t& sheet, RangeRef& range)
{
    detail::FormulaRef ref;
    int seen = 0;
    const std::string rest = detail::rewriteFormulaRefs(name.refersTo, [&](detail::FormulaRef& r) {
        ref = r;
        ++seen;
        return false;  // so that nothing but the reference is left over
    });
    if (seen != 1 || rest != "#REF!")
        return false;
    sheet = book.Sheet();
    if (!ref.sheet.empty()) {
        sheet = 0;
        for (std::int32_t s = 1; s <= book.NumSheets(); ++s)
            if (book.SheetName(s) == ref.sheet)
                sheet = s;
    }
    const std::int32_t row2 = ref.isRange ? ref.row2 : ref.row1;
    const std::int32_t col2 = ref.isRange ? ref.col2 : ref.col1;
    range = RangeRef{std::min(ref.row1, row2), std::min(ref.col1, col2), std::max(ref.row1, row2),
                     std::max(ref.col1, col2)};
    return sheet != 0;
}

} // namespace

bool GotoDialog::go()
{
    const std::string text = m_reference->text().trimmed().toStdString();
    Workbook& book = m_grid.workbook();
    RangeRef r;
    std::int32_t sheet = book.Sheet();
    bool found = parseRangeRef(text, r);
    if (!found) {
        const DefinedName* name = book.findDefinedName(text);
        found = name != nullptr && nameTarget(book, *name, sheet, r);
    }
    if (!found) {
        (void)platform::dialogs().MsgBox("\"" + text +
                                             "\" is not a cell reference or a defined name. Type one such as B3 or "
                                             "A1:C9.",
                                         platform::mb::Exclamation, "Go To");
        // The correction goes into the field, not into the sheet behind, and
        // replaces the refused text once the field has the keyboard again.
        m_selectWhenBack = true;
        activateWindow();
        m_reference->setFocus(Qt::OtherFocusReason);
        m_reference->selectAll();
        return false;
    }
    if (sheet != book.Sheet())
        book.setSheet(sheet);
    book.setSelection(r.firstRow, r.firstCol, r.lastRow, r.lastCol);
    m_grid.ensureVisible(r.firstRow, r.firstCol);
    return true;
}

// ---- sort ---------------------------------------------------------------------------

SortDialog::SortDialog(SpreadsheetWidget& grid) : QDialog(&grid), m_grid(grid)
{
    setObjectName(QStringLiteral("SortDlg"));
    setWindowTitle(tr("Sort"));
    auto* layout = new QVBoxLayout(this);
    auto* direction = new QGroupBox(tr("Sort"), this);
    auto* dirLayout = new QHBoxLayout(direction);
    m_byRows = new QRadioButton(tr("&Rows"), direction);
    m_byRows->setObjectName(QStringLiteral("byRows"));
    m_byRows->setChecked(true);
    m_byColumns = new QRadioButton(tr("&Columns"), direction);
    m_byColumns->setObjectName(QStringLiteral("byColumns"));
    dirLayout->addWidget(m_byRows);
    dirLayout->addWidget(m_byColumns);
    layout->addWidget(direction);
    auto* keys = new QFormLayout;
    for (int k = 0; k < 3; ++k) {
        m_keys[k] = new QComboBox(this);
        m_keys[k]->setObjectName(QStringLiteral("key%1").arg(k + 1));
        m_orders[k] = new QComboBox(this);
        m_orders[k]->setObjectName(QStringLiteral("order%1").arg(k + 1));
        m_orders[k]->addItems({tr("Ascending"), tr("Descending")});
        auto* row = new QHBoxLayout;
        row->addWidget(m_keys[k], 1);
        row->addWidget(m_orders[k]);
        keys->addRow(k == 0 ? tr("Sort by:") : tr("Then by:"), row);
    }
    layout->addLayout(keys);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        onButton([this] {
            if (sort())
                accept();
        });
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_byRows, &QRadioButton::toggled, this, [this] { onButton([this] { refresh(); }); });
    refresh();
}

void SortDialog::refresh()
{
    const RangeRef r = m_grid.workbook().SelectionEx(0);
    const bool byRows = m_byRows->isChecked();
    for (int k = 0; k < 3; ++k) {
        m_keys[k]->clear();
        if (k > 0)
            m_keys[k]->addItem(tr("(none)"));
        const std::int32_t count = byRows ? r.cols() : r.rows();
        for (std::int32_t i = 0; i < count && i < kMaxCols; ++i)
            m_keys[k]->addItem(byRows ? tr("Column %1").arg(QString::fromStdString(columnLetters(r.firstCol + i)))
                                      : tr("Row %1").arg(r.firstRow + i));
    }
}

bool SortDialog::sort()
{
    Workbook& book = m_grid.workbook();
    const RangeRef r = book.SelectionEx(0);
    const bool byRows = m_byRows->isChecked();
    std::int32_t key[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k) {
        const int index = m_keys[k]->currentIndex() - (k > 0 ? 1 : 0);
        if (index < 0)
            continue;
        key[k] = (index + 1) * (m_orders[k]->currentIndex() == 1 ? -1 : 1);
    }
    try {
        if (book.hasDataBeside(r, byRows))
            throw platform::Error(platform::err::InvalidCall, "Sort",
                                  byRows ? "The rows of the selection go on beyond it. Sorting the selection alone "
                                           "would separate the cells of these rows: select all of their columns "
                                           "and sort again."
                                         : "The columns of the selection go on beyond it. Sorting the selection "
                                           "alone would separate the cells of these columns: select all of their "
                                           "rows and sort again.");
        book.Sort3(r.firstRow, r.firstCol, r.lastRow, r.lastCol, byRows, key[0], key[1], key[2]);
    } catch (const platform::Error& e) {
        tellRefusal(e, "Sort");
        return false;
    }
    return true;
}

} // namespace spreadsheet
