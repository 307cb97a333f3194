#include "platform/spreadsheet/WorkbookOptionsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QVBoxLayout>

#include "platform/spreadsheet/Workbook.h"

namespace spreadsheet {

WorkbookOptionsDialog::WorkbookOptionsDialog(Workbook& book, std::int32_t pages, QWidget* parent)
    : QDialog(parent), m_book(book)
{
    setObjectName(QStringLiteral("OptionsDlg"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    const WorkbookOptions& options = book.options();
    auto* layout = new QVBoxLayout(this);

    auto* calculation = new QGroupBox(QStringLiteral("Calculation"), this);
    calculation->setObjectName(QStringLiteral("pageCalculation"));
    auto* calcLayout = new QVBoxLayout(calculation);
    m_autoRecalc = new QCheckBox(QStringLiteral("&Automatic recalculation"), calculation);
    m_autoRecalc->setObjectName(QStringLiteral("chkAutoRecalc"));
    m_autoRecalc->setChecked(options.autoRecalc);
    calcLayout->addWidget(m_autoRecalc);
    calculation->setVisible((pages & PageCalculation) != 0);
    layout->addWidget(calculation);

    auto* view = new QGroupBox(QStringLiteral("View"), this);
    view->setObjectName(QStringLiteral("pageView"));
    auto* viewLayout = new QVBoxLayout(view);
    m_gridLines = new QCheckBox(QStringLiteral("&Grid lines"), view);
    m_gridLines->setObjectName(QStringLiteral("chkGridLines"));
    m_gridLines->setChecked(options.showGridLines);
    m_rowHeading = new QCheckBox(QStringLiteral("&Row headings"), view);
    m_rowHeading->setObjectName(QStringLiteral("chkRowHeading"));
    m_rowHeading->setChecked(options.showRowHeading);
    m_colHeading = new QCheckBox(QStringLiteral("&Column headings"), view);
    m_colHeading->setObjectName(QStringLiteral("chkColHeading"));
    m_colHeading->setChecked(options.showColHeading);
    for (QCheckBox* box : {m_gridLines, m_rowHeading, m_colHeading}) {
        viewLayout->addWidget(box);
    }
    view->setVisible((pages & PageView) != 0);
    layout->addWidget(view);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void WorkbookOptionsDialog::accept()
{
    WorkbookOptions options = m_book.options();
    options.autoRecalc = m_autoRecalc->isChecked();
    options.showGridLines = m_gridLines->isChecked();
    options.showRowHeading = m_rowHeading->isChecked();
    options.showColHeading = m_colHeading->isChecked();
    m_book.setOptions(options);
    QDialog::accept();
}

} // namespace spreadsheet
