// The insert-cells and define-name dialogs of the grid, offscreen: OK and
// Cancel, the refusals' messages through the scripted dialogs.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

#include "tests/platform/spreadsheet/ValuePrinter.h"

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/spreadsheet/InsertDialogs.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "tests/support/ModalDialog.h"

namespace {

using spreadsheet::DefinedNameDialog;
using spreadsheet::InsertCellsDialog;
using spreadsheet::RangeRef;
using spreadsheet::Value;

// A 4 x 4 block of numbers r * 10 + c at A1:D4, B2:C2 selected.
void fillBlock(spreadsheet::Workbook& book)
{
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c)
            book.setCellValue(1, r, c, Value(r * 10.0 + c));
    book.setSelection(2, 2, 2, 3);
}

class InsertDialogs : public ::testing::Test {
protected:
    void SetUp() override { fillBlock(book()); }
    spreadsheet::Workbook& book() { return grid.workbook(); }

    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs scope{boxes};
    spreadsheet::SpreadsheetWidget grid;
};

TEST_F(InsertDialogs, EachChoiceInsertsItsWayAndCancelChangesNothing)
{
    struct Row {
        const char* name;
        std::function<QRadioButton*(InsertCellsDialog&)> choice;
        int row;
        int col;  // where the value of B2 ends up
        int d2Row;  // where the value of D2 ends up
    };
    const Row rows[] = {
        {"shift cells right", [](InsertCellsDialog& d) { return d.shiftRight(); }, 2, 4, 2},
        {"shift cells down (the default)", [](InsertCellsDialog& d) { return d.shiftDown(); }, 3, 2, 2},
        {"entire row", [](InsertCellsDialog& d) { return d.entireRow(); }, 3, 2, 3},
        {"entire column", [](InsertCellsDialog& d) { return d.entireColumn(); }, 2, 4, 2},
    };
    for (const Row& row : rows) {
        spreadsheet::SpreadsheetWidget fresh;
        fillBlock(fresh.workbook());
        bool sawDefault = false;
        testsupport::onModal<InsertCellsDialog>([&](InsertCellsDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Insert");
            sawDefault = d.shiftDown()->isChecked();
            row.choice(d)->setChecked(true);
            d.accept();
        });
        fresh.InsertDlg();
        const spreadsheet::Workbook& wb = fresh.workbook();
        EXPECT_TRUE(sawDefault) << row.name;
        EXPECT_EQ(wb.cellValue(1, row.row, row.col), Value(22.0)) << row.name;
        EXPECT_TRUE(wb.cellValue(1, 2, 2).isEmpty()) << row.name;
        const int d2Col = row.col == 4 ? 6 : 4;
        EXPECT_EQ(wb.cellValue(1, row.d2Row, d2Col), Value(24.0)) << row.name;
    }
    EXPECT_EQ(boxes.calls().size(), 0u);

    book().setChanged(false);
    testsupport::onModal<InsertCellsDialog>([](InsertCellsDialog& d) {
        d.entireRow()->setChecked(true);
        d.reject();
    });
    grid.InsertDlg();
    EXPECT_FALSE(book().isChanged());
}

TEST_F(InsertDialogs, ARefusedInsertionSaysWhyAndChangesNothing)
{
    book().setCellValue(1, 16384, 3, Value("last"));
    book().setChanged(false);
    testsupport::onModal<InsertCellsDialog>([](InsertCellsDialog& d) { d.accept(); });  // shift down over column C
    grid.InsertDlg();
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].title, "Insert");
    EXPECT_NE(boxes.calls()[0].text.find("off the end of the sheet"), std::string::npos) << boxes.calls()[0].text;
    EXPECT_EQ(book().cellValue(1, 16384, 3), Value("last"));
    EXPECT_EQ(book().cellValue(1, 2, 2), Value(22.0));
    EXPECT_FALSE(book().isChanged());
}

TEST_F(InsertDialogs, DefineNameAddsListsAndDeletesNames)
{
    book().setSelection(1, 1, 4, 2);
    testsupport::onModal<DefinedNameDialog>([&](DefinedNameDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Define Name");
        EXPECT_EQ(d.refersTo()->text(), "=Sheet1!$A$1:$B$4") << "the selection, absolute";
        EXPECT_EQ(d.names()->count(), 0);
        d.name()->setText(QStringLiteral("Block"));
        d.addButton()->click();
        d.name()->setText(QStringLiteral("Corner"));
        d.refersTo()->setText(QStringLiteral("$D$4"));
        EXPECT_TRUE(d.addName());
        ASSERT_EQ(d.names()->count(), 2);
        EXPECT_EQ(d.names()->item(0)->text(), "Block");
        EXPECT_EQ(d.refersTo()->text(), "=Sheet1!$D$4");

        d.names()->setCurrentRow(0);  // choosing a name shows it
        EXPECT_EQ(d.name()->text(), "Block");
        EXPECT_EQ(d.refersTo()->text(), "=Sheet1!$A$1:$B$4");
        d.names()->setCurrentRow(1);
        d.deleteButton()->click();
        EXPECT_EQ(d.names()->count(), 1);
    });
    grid.DefinedNameDlg();
    ASSERT_EQ(book().definedNames().size(), 1u);
    EXPECT_EQ(book().definedNames()[0].name, "Block");
    book().setCellFormula(1, 6, 1, "SUM(block)");
    EXPECT_EQ(book().cellValue(1, 6, 1), Value(21.0 + 22 + 31 + 32 + 41 + 42 + 11 + 12));
    EXPECT_EQ(boxes.calls().size(), 0u);
}

TEST_F(InsertDialogs, BadNamesAndTextsAreExplainedAndNotDefined)
{
    struct Row {
        const char* name;
        const char* refersTo;
        const char* says;
    };
    const Row rows[] = {
        {"B2", "=1", "cell reference"},
        {"2nd", "=1", "begin with a letter"},
        {"my name", "=1", "letters, digits"},
        {"", "=1", "Enter a name"},
        {"Good", "", "Enter the reference"},
    };
    testsupport::onModal<DefinedNameDialog>([&](DefinedNameDialog& d) {
        for (const Row& row : rows) {
            d.name()->setText(QString::fromUtf8(row.name));
            d.refersTo()->setText(QString::fromUtf8(row.refersTo));
            EXPECT_FALSE(d.addName()) << row.name;
        }
        d.name()->setText(QStringLiteral("Nothing"));
        EXPECT_FALSE(d.deleteName());
    });
    grid.DefinedNameDlg();
    ASSERT_EQ(boxes.calls().size(), std::size(rows) + 1);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(boxes.calls()[i].title, "Define Name");
        EXPECT_NE(boxes.calls()[i].text.find(rows[i].says), std::string::npos) << boxes.calls()[i].text;
    }
    EXPECT_NE(boxes.calls().back().text.find("No name \"Nothing\""), std::string::npos);
    EXPECT_TRUE(book().definedNames().empty());
}

TEST_F(InsertDialogs, ANameForAMissingSheetOrACellOffTheSheetIsRefusedWhenDefined)
{
    book().setNumSheets(2);
    book().setSheetName(2, "My data");
    const struct {
        const char* refersTo;
        const char* says;  // null: defined
    } rows[] = {
        {"=Sheet9!ZZZ0", "Refers to: there is no sheet named \"Sheet9\" in this workbook."},
        {"='No such'!A1", "Refers to: there is no sheet named \"No such\" in this workbook."},
        {"=Sheet1!ZZZ0", "Refers to: \"ZZZ0\" is not a cell of a sheet, whose columns run from A to IV and rows "
                         "from 1 to 16384."},
        {"=Sheet1!$A$0", "Refers to: \"$A$0\" is not a cell of a sheet, whose columns run from A to IV and rows "
                         "from 1 to 16384."},
        {"=SUM(Sheet1!A1:IW3)", "Refers to: \"IW3\" is not a cell of a sheet, whose columns run from A to IV and "
                                "rows from 1 to 16384."},
        {"='My data'!B16385", "Refers to: \"B16385\" is not a cell of a sheet, whose columns run from A to IV and "
                              "rows from 1 to 16384."},
        {"='My data'!$IV$16384", nullptr},
        {"=SUM(Sheet1!A1:B2)", nullptr},
    };
    int n = 0;
    testsupport::onModal<DefinedNameDialog>([&](DefinedNameDialog& d) {
        for (const auto& row : rows) {
            SCOPED_TRACE(row.refersTo);
            const std::size_t before = boxes.calls().size();
            const QString name = QStringLiteral("Name%1").arg(++n);
            QTest::mouseClick(d.name(), Qt::LeftButton);
            QTest::keyClick(d.name(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(d.name(), name);
            QTest::mouseClick(d.refersTo(), Qt::LeftButton);
            QTest::keyClick(d.refersTo(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(d.refersTo(), QString::fromUtf8(row.refersTo));
            QTest::mouseClick(d.addButton(), Qt::LeftButton);
            if (row.says == nullptr) {
                EXPECT_EQ(boxes.calls().size(), before);
                EXPECT_NE(book().findDefinedName(name.toStdString()), nullptr);
                continue;
            }
            ASSERT_EQ(boxes.calls().size(), before + 1);
            EXPECT_EQ(boxes.last().text, row.says);
            EXPECT_EQ(boxes.last().title, "Define Name");
            EXPECT_EQ(book().findDefinedName(name.toStdString()), nullptr);
        }
    });
    grid.DefinedNameDlg();
    EXPECT_EQ(book().definedNames().size(), 2u);
}

} // namespace

TEST(InsertDialogLabels, AnAccessKeyInALabelLeadsToItsField)
{
    // A label shows "&" literally unless it has a field to lead to.
    spreadsheet::Workbook book;
    DefinedNameDialog names(book);
    InsertCellsDialog cells(book);
    for (QDialog* d : {static_cast<QDialog*>(&names), static_cast<QDialog*>(&cells)})
        for (const QLabel* label : d->findChildren<QLabel*>()) {
            if (label->text().contains(u'&')) {
                EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
            }
        }
}
