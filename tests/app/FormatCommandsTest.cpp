// The Format menu, the formatting toolbar and the font boxes through the real
// main window and a document window on the offscreen platform; the control's
// modal dialogs are answered by a timer.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/errors/Guard.h"
#include "platform/spreadsheet/FormatDialogs.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "shell/core/mQuorin.h"
#include "app/FormatCommands.h"
#include "app/MainFrame.h"
#include "app/frmMDIChild.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/TestSupport.h"

using platform::Answer;
using spreadsheet::HAlign;

namespace {

class FormatWindow : public shelltest::BookWindowFixture {
protected:
    [[nodiscard]] QAction* button(const char* key) const
    {
        return shell::FormatCommands::of(*frame)->button(QString::fromLatin1(key));
    }
    // Runs `act` on the modal dialog that the next command opens, then OK.
    template <class Dialog>
    void onDialog(std::function<void(Dialog&)> act)
    {
        testsupport::onModal<Dialog>(std::move(act), testsupport::ThenPress::Ok);
    }
    void openFormatMenu() { shell::FormatCommands::of(*frame)->mnuFormat_Open(); }
    [[nodiscard]] spreadsheet::Workbook& book() const { return child->workbook(); }
};

TEST_F(FormatWindow, StyleButtonsToggleFromTheModel)
{
    book().setSelectionRef("B2:C3");
    button("Bold")->trigger();
    EXPECT_TRUE(book().cellFormat(1, 3, 3).bold);
    EXPECT_TRUE(button("Bold")->isChecked());
    button("Bold")->trigger();
    EXPECT_FALSE(book().cellFormat(1, 3, 3).bold);
    EXPECT_FALSE(button("Bold")->isChecked());

    button("Center")->trigger();
    EXPECT_EQ(book().hAlign(), HAlign::Center);
    EXPECT_TRUE(button("Center")->isChecked());
    EXPECT_FALSE(button("Align Left")->isChecked());
    button("Align Right")->trigger();
    EXPECT_EQ(book().hAlign(), HAlign::Right);
    EXPECT_FALSE(button("Center")->isChecked());
    button("Align Right")->trigger();
    EXPECT_EQ(book().hAlign(), HAlign::General);
    EXPECT_FALSE(button("Align Right")->isChecked());
    EXPECT_TRUE(reported.empty());
}

TEST_F(FormatWindow, ToolbarAndFontBoxesFollowTheActiveCell)
{
    book().setSelectionRef("D4");
    book().formatSelection([](spreadsheet::CellFormat& f) {
        f.fontName = "monospace";  // a family the offscreen platform lists
        f.fontSize = 12;
        f.bold = true;
        f.hAlign = HAlign::Center;
    });
    QComboBox* names = frame->cboFontName();
    const int listed = names->findText(QStringLiteral("monospace"), Qt::MatchFixedString);
    book().setSelectionRef("A1");
    book().setSelectionRef("D4");
    EXPECT_TRUE(button("Bold")->isChecked());
    EXPECT_TRUE(button("Center")->isChecked());
    EXPECT_FALSE(button("Italic")->isChecked());
    EXPECT_FALSE(button("Align Left")->isChecked());
    if (listed >= 0) {
        EXPECT_EQ(names->currentIndex(), listed);
        EXPECT_EQ(frame->cboFontSize()->currentText(), QStringLiteral("12"));  // points, not twentieths
    }
    book().formatSelection([](spreadsheet::CellFormat& f) { f.fontName = "No Such Font Family"; });
    book().setSelectionRef("A1");
    book().setSelectionRef("D4");
    EXPECT_EQ(names->currentIndex(), -1);
    EXPECT_TRUE(frame->cboFontSize()->currentText().isEmpty());

    // The size box sets the selection's size in points.
    frame->cboFontSize()->setEditText(QStringLiteral("14"));
    frame->cboFontSize_Click();
    EXPECT_EQ(book().cellFormat(1, 4, 4).fontSize, 14);
}

TEST_F(FormatWindow, FontNameBoxShowsTheNameTheWorkbookKeepsAndSetsTheChosenFont)
{
    frame->Form_Load();  // fills the font list
    frame->show();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QComboBox* names = frame->cboFontName();
    // The faces workbooks name are listed by those names, drawn by the
    // Liberation faces of the same metrics.
    for (const char* face : {"Arial", "Times New Roman", "Courier New"})
        EXPECT_GE(names->findText(QString::fromLatin1(face)), 0) << face;

    book().setSelectionRef("B2");
    book().setSelectionRef("A1");
    EXPECT_EQ(names->currentText(), QStringLiteral("Arial"));
    EXPECT_EQ(frame->cboFontSize()->currentText(), QStringLiteral("10"));

    // Typed in any case, with the keyboard, on the selection B2:C3.
    book().setSelectionRef("B2:C3");
    QTest::mouseClick(names->lineEdit(), Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), names);
    QTest::keyClick(names, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(names, QStringLiteral("times new roman"));
    QTest::keyClick(names, Qt::Key_Return);
    for (const auto& [row, col] : {std::pair{2, 2}, std::pair{3, 3}})
        EXPECT_EQ(book().cellFormat(1, row, col).fontName, "Times New Roman");
    EXPECT_EQ(book().cellFormat(1, 4, 4).fontName, "Arial");
    EXPECT_NE(QApplication::focusWidget(), names) << "the sheet has the focus back";

    // Chosen from the list.
    book().setSelectionRef("D4");
    names->setCurrentIndex(names->findText(QStringLiteral("Courier New")));
    emit names->activated(names->currentIndex());
    EXPECT_EQ(book().cellFormat(1, 4, 4).fontName, "Courier New");

    // A name that is no font of the list changes nothing.
    book().setSelectionRef("E5");
    QTest::mouseClick(names->lineEdit(), Qt::LeftButton);
    QTest::keyClick(names, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(names, QStringLiteral("Ariel"));
    QTest::keyClick(names, Qt::Key_Return);
    EXPECT_EQ(book().cellFormat(1, 5, 5).fontName, "Arial");

    book().setSelectionRef("C3");
    EXPECT_EQ(names->currentText(), QStringLiteral("Times New Roman"));
    if (const char* shot = std::getenv("TESSARAY_SCREENSHOT_FONTBOX")) {
        book().setCellValue(1, 3, 3, spreadsheet::Value("1000_at"));
        frame->resize(frame->width(), 420);
        QApplication::processEvents();
        EXPECT_TRUE(frame->grab().save(QString::fromLocal8Bit(shot)));
    }
}

TEST_F(FormatWindow, FreezePanesFollowsTheSelectionAndTheMenuCaption)
{
    QAction* freeze = frame->action(QStringLiteral("mnuFormatFreezePanes"));
    book().setSelectionRef("C5");
    openFormatMenu();
    EXPECT_EQ(freeze->text(), QStringLiteral("&Freeze Panes"));
    trigger("mnuFormatFreezePanes");
    EXPECT_EQ(book().freeze(), (spreadsheet::SheetFormat::Freeze{1, 4, 1, 2}));
    openFormatMenu();
    EXPECT_EQ(freeze->text(), QStringLiteral("Un&freeze Panes"));
    trigger("mnuFormatFreezePanes");
    EXPECT_EQ(book().freeze().rows, 0);
    EXPECT_EQ(book().freeze().cols, 0);

    book().setSelectionRef("B2:D9");
    trigger("mnuFormatFreezePanes");
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.last().text, "Cannot fix cells or freeze panes based on the current selection.");
    EXPECT_EQ(book().freeze().rows, 0);

    // No drawing objects: the object items stay off, the cell items on.
    openFormatMenu();
    EXPECT_FALSE(frame->action(QStringLiteral("mnuFormatObject"))->isEnabled());
    EXPECT_TRUE(frame->action(QStringLiteral("mnuFormatCells"))->isEnabled());
}

TEST_F(FormatWindow, HideAutoFitAndProtectionActOnTheFirstRange)
{
    book().setCellValue(1, 1, 2, spreadsheet::Value("a label of twenty-two"));
    book().setSelectionRef("B1:C2");
    book().addSelection({1, 6, 1, 6});
    trigger("mnuFormatColumnHide");
    EXPECT_TRUE(book().sheetFormat(1).isColHidden(2));
    EXPECT_TRUE(book().sheetFormat(1).isColHidden(3));
    EXPECT_FALSE(book().sheetFormat(1).isColHidden(6));
    trigger("mnuFormatColumnUnhide");
    EXPECT_FALSE(book().sheetFormat(1).isColHidden(2));
    trigger("mnuFormatRowHide");
    EXPECT_TRUE(book().sheetFormat(1).isRowHidden(2));
    trigger("mnuFormatRowUnhide");
    EXPECT_FALSE(book().sheetFormat(1).isRowHidden(2));
    trigger("mnuFormatColumnAutoFit");
    EXPECT_EQ(book().sheetFormat(1).colWidth(2), 22);

    QAction* protection = frame->action(QStringLiteral("mnuFormatSheetProtection"));
    trigger("mnuFormatSheetProtection");
    EXPECT_TRUE(book().EnableProtection());
    EXPECT_TRUE(protection->isChecked());
    // Another workbook without protection: the menu shows its own state.
    frame->NewDocument();
    openFormatMenu();
    EXPECT_FALSE(protection->isChecked());
}

TEST_F(FormatWindow, EachDialogChangesTheModel)
{
    book().setCellValue(1, 2, 2, spreadsheet::Value(-0.43355390196735));
    book().setSelectionRef("B2:C3");
    book().setFontItalic(true);
    book().setActiveCell(2, 2);
    book().setCellValue(1, 3, 3, spreadsheet::Value(1.0));
    // C3 already bold: the dialog's untouched boxes must not undo that.
    book().setSelectionRef("C3");
    book().setFontBold(true);
    book().setSelectionRef("B2:C3");

    onDialog<spreadsheet::FormatCellsDialog>([](spreadsheet::FormatCellsDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Format Cells"));
        EXPECT_EQ(d.pages()->count(), 6);
        EXPECT_TRUE(d.italic()->isChecked());
        d.numberCode()->setText(QStringLiteral("0.000"));
        EXPECT_EQ(d.sample()->text(), QStringLiteral("Sample: -0.434"));
        d.hAlign()->setCurrentIndex(3);
        d.wrap()->setChecked(true);
        d.fontSize()->setValue(14);
        d.underline()->setChecked(true);
        d.border(3)->setCurrentIndex(2);
        d.fill()->setCurrentIndex(d.fill()->findText(QStringLiteral("Light Yellow")));
        d.locked()->setChecked(false);
    });
    trigger("mnuFormatCells");
    for (auto [r, c] : {std::pair{2, 2}, {3, 3}}) {
        const auto& f = book().cellFormat(1, r, c);
        EXPECT_EQ(f.numberFormat, "0.000");
        EXPECT_EQ(f.hAlign, HAlign::Right);
        EXPECT_TRUE(f.wrap && f.underline && f.italic && !f.locked);
        EXPECT_EQ(f.fontSize, 14);
        EXPECT_EQ(f.borderBottom, spreadsheet::BorderStyle::Medium);
        EXPECT_EQ(f.fill, 0xFFFFCCu);
    }
    EXPECT_FALSE(book().cellFormat(1, 2, 2).bold);
    EXPECT_TRUE(book().cellFormat(1, 3, 3).bold);
    EXPECT_TRUE(button("Align Right")->isChecked());  // synced after the dialog

    using Size = spreadsheet::LineSizeDialog;
    onDialog<Size>([](Size& d) { d.size()->setValue(30); });
    trigger("mnuFormatRowHeight");
    EXPECT_EQ(book().sheetFormat(1).rowHeight(3), 30);
    onDialog<Size>([](Size& d) { d.size()->setValue(15.5); });
    trigger("mnuFormatColumnWidth");
    EXPECT_EQ(book().sheetFormat(1).colWidth(2), 15.5);
    EXPECT_EQ(book().sheetFormat(1).colWidth(3), 15.5);
    onDialog<Size>([](Size& d) { d.size()->setValue(20); });
    trigger("mnuFormatRowDefaultHgt");
    EXPECT_EQ(book().sheetFormat(1).rowHeight(9), 20);
    onDialog<Size>([](Size& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Default Column Width"));
        d.size()->setValue(12);
    });
    trigger("mnuFormatColumnDefaultWdt");
    EXPECT_EQ(book().sheetFormat(1).colWidth(9), 12);
    EXPECT_EQ(book().sheetFormat(1).colWidth(2), 15.5);

    onDialog<spreadsheet::FormatSheetDialog>([](spreadsheet::FormatSheetDialog& d) {
        d.name()->setText(QStringLiteral("Expression"));
        d.protect()->setChecked(true);
    });
    trigger("mnuFormatSheetProperties");
    EXPECT_EQ(book().SheetName(1), "Expression");
    EXPECT_TRUE(book().EnableProtection());

    onDialog<spreadsheet::DefaultFontDialog>([](spreadsheet::DefaultFontDialog& d) {
        d.fontName()->setEditText(QStringLiteral("Courier New"));
        d.fontSize()->setValue(11);
    });
    trigger("mnuFormatDefaultFont");
    EXPECT_EQ(book().cellFormat(1, 20, 20).fontName, "Courier New");
    EXPECT_EQ(book().cellFormat(1, 20, 20).fontSize, 11);
    EXPECT_EQ(book().cellFormat(1, 2, 2).fontSize, 14);  // formatted cells keep their own

    book().setSelectionRef("D10");
    trigger("mnuFormatPrintArea");
    EXPECT_EQ(book().sheetFormat(1).printArea, (spreadsheet::RangeRef{10, 4, 10, 4}));
    EXPECT_TRUE(reported.empty());
}

TEST_F(FormatWindow, CopyCellFormatThenPasteFormatsCopiesTheLookOnly)
{
    book().setCellValue(1, 1, 1, spreadsheet::Value(1.23456));
    book().setSelectionRef("A1");
    book().setFontBold(true);
    book().setNumberFormat("0.00");
    trigger("mnuEditCopyCellFormat");
    book().setCellValue(1, 5, 5, spreadsheet::Value(7.0));
    book().setSelectionRef("E5");
    trigger("mnuEditPasteFormat");
    EXPECT_TRUE(book().cellFormat(1, 5, 5).bold);
    EXPECT_EQ(book().cellFormat(1, 5, 5).numberFormat, "0.00");
    EXPECT_EQ(book().cellValue(1, 5, 5).number(), 7.0);
    // Paste values brings no formats; paste all brings both.
    book().setSelectionRef("G7");
    trigger("mnuEditPasteValue");
    EXPECT_FALSE(book().cellFormat(1, 7, 7).bold);
    book().setSelectionRef("H8");
    trigger("mnuEditPasteAll");
    EXPECT_TRUE(book().cellFormat(1, 8, 8).bold);
    EXPECT_EQ(book().cellValue(1, 8, 8).number(), 1.23456);
}

// ---- pictures -----------------------------------------------------------------------

TEST_F(FormatWindow, ScreenshotOfAFormattedSheetAndTheFormatCellsDialog)
{
    const char* shot = std::getenv("TESSARAY_SCREENSHOT");
    if (!shot)
        GTEST_SKIP() << "set TESSARAY_SCREENSHOT to a PNG path to take the picture";
    spreadsheet::Workbook& wb = book();
    const char* names[] = {"YAL001C", "YAL002W", "YAL003W", "YAL004C", "YAL005C", "YAL006C", "YAL007C"};
    wb.setCellValue(1, 1, 1, spreadsheet::Value("Gene"));
    for (int c = 0; c < 5; ++c)
        wb.setCellValue(1, 1, c + 2, spreadsheet::Value(std::to_string(c * 2) + "h"));
    wb.setCellValue(1, 1, 7, spreadsheet::Value("Share"));
    wb.setCellValue(1, 1, 8, spreadsheet::Value("Measured"));
    for (int r = 0; r < 7; ++r) {
        wb.setCellValue(1, r + 2, 1, spreadsheet::Value(names[r]));
        for (int c = 0; c < 5; ++c)
            wb.setCellValue(1, r + 2, c + 2, spreadsheet::Value(((r * 7 + c * 3) % 11) / 4.0 - 1.0 - 0.0133539 * r));
        wb.setCellValue(1, r + 2, 7, spreadsheet::Value((r + 1) / 9.0));
        wb.setCellValue(1, r + 2, 8, spreadsheet::Value(45291.0 + r * 3));
    }
    wb.setCellValue(1, 9, 1, spreadsheet::Value("Total"));
    wb.setCellValue(1, 9, 2, spreadsheet::Value(1234567.891));
    wb.setSelectionRef("A1:H1");
    wb.formatSelection([](spreadsheet::CellFormat& f) {
        f.bold = true;
        f.hAlign = HAlign::Center;
        f.fill = 0xCCE5FF;
        f.borderBottom = spreadsheet::BorderStyle::Medium;
    });
    wb.setSelectionRef("A2:A9");
    wb.formatSelection([](spreadsheet::CellFormat& f) { f.italic = true; });
    wb.setSelectionRef("B2:F8");
    wb.setNumberFormat("0.00");
    wb.setSelectionRef("G2:G8");
    wb.setNumberFormat("0.0%");
    wb.setSelectionRef("H2:H8");
    wb.setNumberFormat("d-mmm-yyyy");
    wb.setSelectionRef("B9");
    wb.setNumberFormat("#,##0.00");
    wb.formatSelection([](spreadsheet::CellFormat& f) {
        f.bold = true;
        f.fontColor = 0x800000;
        f.borderTop = spreadsheet::BorderStyle::Thin;
    });
    wb.SetColWidth(1, 1, 11);
    wb.SetColWidth(8, 8, 13);
    wb.SetRowHeight(1, 1, 20);
    wb.setSelectionRef("B3");
    const QString base = saveMaximisedShot(*child, QSize(1100, 560), shot);
    ASSERT_FALSE(base.isEmpty());
    onDialog<spreadsheet::FormatCellsDialog>([base](spreadsheet::FormatCellsDialog& d) {
        d.numberList()->setCurrentRow(2);
        QApplication::processEvents();
        EXPECT_TRUE(d.grab().save(base + QStringLiteral("-FormatCellsDlg.png")));
        d.pages()->setCurrentIndex(2);
        QApplication::processEvents();
        EXPECT_TRUE(d.grab().save(base + QStringLiteral("-FormatCellsDlg-font.png")));
    });
    trigger("mnuFormatCells");
}

TEST_F(FormatWindow, SheetPropertiesRefusesNamesThatWorkbookFilesCannotKeep)
{
    const std::string characters = "A sheet name cannot hold any of the characters / \\ ? * [ ] :";
    const struct {
        const char* name;
        QString typed;
        std::string says;
    } rows[] = {
        {"reserved characters", QStringLiteral("a/b?c*[d]:e"), characters},
        {"a backslash", QStringLiteral("a\\b"), characters},
        {"a closing bracket alone", QStringLiteral("data]"), characters},
        {"empty", QString(), "Enter a name for the sheet."},
        {"only blanks", QStringLiteral("   "), "Enter a name for the sheet."},
        {"32 characters", QString(32, QLatin1Char('x')), "A sheet name can be at most 31 characters long."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.clear();
        bool stayed = false;
        onDialog<spreadsheet::FormatSheetDialog>([&](spreadsheet::FormatSheetDialog& d) {
            QTest::keyClick(d.name(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(d.name(), Qt::Key_Delete);
            QTest::keyClicks(d.name(), row.typed);
            d.protect()->setChecked(true);
            QTest::keyClick(d.name(), Qt::Key_Return);
            stayed = d.isVisible();
            d.reject();
        });
        trigger("mnuFormatSheetProperties");
        EXPECT_TRUE(stayed) << "the dialog stays open for another name";
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.last().text, row.says);
        EXPECT_EQ(boxes.last().title, "Sheet Properties");
        EXPECT_EQ(book().SheetName(1), "Sheet1");
        EXPECT_FALSE(book().EnableProtection()) << "nothing of the dialog is kept";
    }
    // 31 characters are taken, counted as characters and not as bytes.
    const QString longest = QStringLiteral("Größenverteilung der Expression");
    ASSERT_EQ(longest.size(), 31);
    boxes.clear();
    onDialog<spreadsheet::FormatSheetDialog>([&](spreadsheet::FormatSheetDialog& d) {
        QTest::keyClick(d.name(), Qt::Key_A, Qt::ControlModifier);
        // Key events that carry their text, as a keyboard layout with these
        // letters sends them.
        for (const QChar c : longest)
            QTest::sendKeyEvent(QTest::Click, d.name(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::keyClick(d.name(), Qt::Key_Return);
    });
    trigger("mnuFormatSheetProperties");
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_EQ(book().SheetName(1), longest.toStdString());
    EXPECT_TRUE(reported.empty());
}

} // namespace
