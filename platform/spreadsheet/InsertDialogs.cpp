#include "platform/spreadsheet/InsertDialogs.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/dialogs/Dialogs.h"
#include "platform/errors/Error.h"
#include "platform/spreadsheet/FormulaText.h"
#include "platform/spreadsheet/RefusalBox.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

namespace {

constexpr const char* kInsertTitle = "Insert";
constexpr const char* kNameTitle = "Define Name";

} // namespace

InsertCellsDialog::InsertCellsDialog(Workbook& book, QWidget* parent) : QDialog(parent), m_book(book)
{
    setObjectName(QStringLiteral("InsertDlg"));
    setWindowTitle(QString::fromLatin1(kInsertTitle));
    auto* group = new QGroupBox(QStringLiteral("Insert"), this);
    auto* column = new QVBoxLayout(group);
    const char* captions[4] = {"Shift cells &right", "Shift cells &down", "Entire &row", "Entire &column"};
    const char* names[4] = {"optShiftRight", "optShiftDown", "optEntireRow", "optEntireColumn"};
    for (int i = 0; i < 4; ++i) {
        m_choices[i] = new QRadioButton(QString::fromLatin1(captions[i]), group);
        m_choices[i]->setObjectName(QString::fromLatin1(names[i]));
        column->addWidget(m_choices[i]);
    }
    m_choices[1]->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

std::int32_t InsertCellsDialog::choice() const
{
    for (int i = 0; i < 4; ++i)
        if (m_choices[i]->isChecked())
            return i + 1;
    return 2;
}

void InsertCellsDialog::accept()
{
    try {
        m_book.EditInsert(choice());
    } catch (const platform::Error& e) {
        tellRefusal(e, kInsertTitle);
        QDialog::reject();
        return;
    }
    QDialog::accept();
}

DefinedNameDialog::DefinedNameDialog(Workbook& book, QWidget* parent) : QDialog(parent), m_book(book)
{
    setObjectName(QStringLiteral("DefinedNameDlg"));
    setWindowTitle(QString::fromLatin1(kNameTitle));

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("txtName"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstNames"));
    m_refersTo = new QLineEdit(this);
    m_refersTo->setObjectName(QStringLiteral("txtRefersTo"));
    const RangeRef selection = book.SelectionEx(0);
    m_refersTo->setText(QString::fromStdString("=" + detail::quoteSheetName(book.SheetName(book.Sheet())) + "!" +
                                               rangeRefText(selection, true)));

    m_add = new QPushButton(QStringLiteral("&Add"), this);
    m_add->setObjectName(QStringLiteral("cmdAdd"));
    m_add->setDefault(true);
    m_delete = new QPushButton(QStringLiteral("&Delete"), this);
    m_delete->setObjectName(QStringLiteral("cmdDelete"));
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close->button(QDialogButtonBox::Close)->setAutoDefault(false);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_add, &QPushButton::clicked, this, [this] { addName(); });
    connect(m_delete, &QPushButton::clicked, this, [this] { deleteName(); });
    connect(m_list, &QListWidget::currentTextChanged, this, &DefinedNameDialog::showName);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_delete);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* namesLabel = new QLabel(QStringLiteral("Names in &workbook:"), this);
    namesLabel->setBuddy(m_name);  // the access key goes to the name field
    left->addWidget(namesLabel);
    left->addWidget(m_name);
    left->addWidget(m_list);
    top->addLayout(left, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    auto* refersLabel = new QLabel(QStringLiteral("&Refers to:"), this);
    refersLabel->setBuddy(m_refersTo);
    layout->addWidget(refersLabel);
    layout->addWidget(m_refersTo);
    layout->addWidget(close);
    refresh({});
}

void DefinedNameDialog::refresh(const QString& current)
{
    const QSignalBlocker block(m_list);
    m_list->clear();
    for (const DefinedName& n : m_book.definedNames())
        m_list->addItem(QString::fromStdString(n.name));
    const auto found = m_list->findItems(current, Qt::MatchFixedString);
    if (!found.isEmpty())
        m_list->setCurrentItem(found.front());
    m_delete->setEnabled(m_list->count() > 0);
}

void DefinedNameDialog::showName(const QString& name)
{
    const DefinedName* n = m_book.findDefinedName(name.toStdString());
    if (!n)
        return;
    m_name->setText(QString::fromStdString(n->name));
    m_refersTo->setText(QString::fromStdString("=" + n->refersTo));
}

bool DefinedNameDialog::addName()
{
    const std::string name = m_name->text().trimmed().toStdString();
    try {
        m_book.setDefinedName(name, m_refersTo->text().toStdString());
    } catch (const platform::Error& e) {
        tellRefusal(e, kNameTitle);
        m_name->setFocus();
        return false;
    }
    refresh(QString::fromStdString(name));
    showName(QString::fromStdString(name));
    return true;
}

bool DefinedNameDialog::deleteName()
{
    const std::string name = m_name->text().trimmed().toStdString();
    try {
        m_book.deleteDefinedName(name);
    } catch (const platform::Error& e) {
        tellRefusal(e, kNameTitle);
        return false;
    }
    m_name->clear();
    refresh({});
    return true;
}

// ---- the grid's members that open them ------------------------------------------

void SpreadsheetWidget::InsertDlg()
{
    InsertCellsDialog dialog(m_book, this);
    dialog.exec();
}

void SpreadsheetWidget::DefinedNameDlg()
{
    DefinedNameDialog dialog(m_book, this);
    dialog.exec();
}

} // namespace spreadsheet
