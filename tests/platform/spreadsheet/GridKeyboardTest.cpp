// Typing into the grid as a keyboard does: every key goes to the widget that
// has the focus (the grid, then its in-cell editor, or the formula bar), a
// shifted character comes after a press of Shift itself, and every press is
// preceded by the shortcut-override event that decides between a shortcut
// and the focus widget.

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"
#include "tests/platform/spreadsheet/GridFixture.h"
#include "tests/platform/spreadsheet/ValuePrinter.h"
#include "tests/support/LibreOffice.h"
#include "tests/support/TestSupport.h"

namespace {

using spreadsheet::SpreadsheetWidget;
using spreadsheet::Value;

// The printable characters of a US keyboard that need Shift.
bool needsShift(char c)
{
    return (c >= 'A' && c <= 'Z') || std::string_view("~!@#$%^&*()_+{}|:\"<>?").find(c) != std::string_view::npos;
}

class GridKeyboardTest : public spreadsheet_test::GridFixture {
protected:
    // One character as the keyboard sends it, to whatever has the focus.
    static void type(char c)
    {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, c, needsShift(c) ? Qt::ShiftModifier : Qt::NoModifier);
    }
    // UTF-8 text; a letter past ASCII comes from its own key (Qt names the
    // keys of Latin-1 letters by their capitals).
    static void type(std::string_view text)
    {
        for (const QChar c : QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))) {
            if (c.unicode() < 0x80) {
                type(c.toLatin1());
                continue;
            }
            QWidget* focus = QApplication::focusWidget();
            ASSERT_NE(focus, nullptr);
            QTest::sendKeyEvent(QTest::Click, focus, static_cast<Qt::Key>(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
        }
    }
    static void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, k, mods);
    }

    QLineEdit* formulaBar() const { return widget->findChild<QLineEdit*>(); }
    std::string shown(int row, int col) const { return widget->workbook().cellValue(1, row, col).displayText(); }
};

std::string printableAscii()
{
    std::string all;
    for (char c = ' '; c <= '~'; ++c)
        all += c;
    return all;
}

TEST_F(GridKeyboardTest, EveryPrintableCharacterGoesIntoTheCellOnce)
{
    struct Row {
        const char* name;
        std::string typed;
    };
    const Row rows[] = {
        {"after two plain letters, a shifted one", "abC"},
        {"every printable character after a plain one", "a" + printableAscii()},
        {"every printable character after a shifted one", "Q" + printableAscii()},
        {"a probe name", "1000_at"},
        {"shifted first and last", "_x+"},
    };
    int row = 2;
    for (const Row& r : rows) {
        clickCell(row, 2);
        type(r.typed);
        EXPECT_TRUE(widget->isEditing()) << r.name;
        key(Qt::Key_Return);
        EXPECT_FALSE(widget->isEditing()) << r.name;
        EXPECT_EQ(shown(row, 2), r.typed) << r.name;
        EXPECT_EQ(widget->workbook().activeRow(), row + 1) << r.name << ": Enter moves down once";
        ++row;
    }
}

TEST_F(GridKeyboardTest, EachCharacterStartsAnEditWithOrWithoutShift)
{
    // Letters both ways, then every printable character first in its cell.
    std::string firsts = printableAscii();
    for (char c = 'a'; c <= 'z'; ++c)
        firsts += c;
    int row = 1;
    for (const char c : firsts) {
        if (c == ' ' || c == '=' || c == '\'' || c == '+' || c == '-' || c == '#' || (c >= '0' && c <= '9') ||
            c == '.')
            continue;  // these start numbers, formulas, errors or prefixes: typed with text after below
        clickCell(row, 4);
        type(c);
        type("zz");
        key(Qt::Key_Tab);
        EXPECT_EQ(shown(row, 4), std::string(1, c) + "zz") << "first character '" << c << "'";
        ++row;
    }
}

TEST_F(GridKeyboardTest, AFormulaTypedKeyByKeyGivesItsValue)
{
    auto& wb = widget->workbook();
    wb.setCellValue(1, 2, 2, Value(10.5));
    wb.setCellValue(1, 2, 3, Value(4.57677));
    clickCell(2, 4);
    type("=B2+C2");
    key(Qt::Key_Return);
    EXPECT_EQ(wb.cellFormula(1, 2, 4), "B2+C2");
    EXPECT_EQ(wb.cellValue(1, 2, 4), Value(15.07677));

    clickCell(3, 4);
    type("=SUM(B2:C2)*2");
    key(Qt::Key_Return);
    EXPECT_EQ(wb.cellValue(1, 3, 4), Value(30.15354));
}

TEST_F(GridKeyboardTest, EveryPrintableCharacterGoesIntoTheFormulaBarOnce)
{
    clickCell(3, 3);
    QLineEdit* bar = formulaBar();
    ASSERT_NE(bar, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton);
    ASSERT_TRUE(bar->hasFocus());
    const std::string typed = "b" + printableAscii();
    type(typed);
    EXPECT_EQ(bar->text().toStdString(), typed);
    key(Qt::Key_Return);
    EXPECT_EQ(shown(3, 3), typed);

    // From an open in-cell edit into the bar and on.
    clickCell(4, 3);
    type("Ab");
    QTest::mouseClick(bar, Qt::LeftButton);
    QTest::keyClick(bar, Qt::Key_End);
    type("C_+");
    key(Qt::Key_Return);
    EXPECT_EQ(shown(4, 3), "AbC_+");
}

TEST_F(GridKeyboardTest, KeysTheEditorDoesNotTakeLeaveItsTextAlone)
{
    clickCell(2, 2);
    type("ab");
    ASSERT_TRUE(widget->isEditing());
    const Qt::Key keys[] = {Qt::Key_Shift,  Qt::Key_Control, Qt::Key_Alt,      Qt::Key_Meta,     Qt::Key_CapsLock,
                            Qt::Key_F1,     Qt::Key_F2,      Qt::Key_F5,       Qt::Key_F12,
                            Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Pause,   Qt::Key_Print,    Qt::Key_Menu};
    const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier,
                                          Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier};
    for (const Qt::Key k : keys)
        for (const Qt::KeyboardModifiers m : mods)
            key(k, m);
    EXPECT_TRUE(widget->isEditing());
    type("C");
    key(Qt::Key_Return);
    EXPECT_EQ(shown(2, 2), "abC");
}

TEST_F(GridKeyboardTest, AKeyGivenToTheGridDuringAnEditGoesToTheEditorOnce)
{
    clickCell(2, 2);
    type("ab");
    // The focus moves to the sheet without ending the edit (as a pop-up's going does).
    surface->parentWidget()->setFocus(Qt::PopupFocusReason);
    ASSERT_TRUE(widget->isEditing());
    ASSERT_EQ(QApplication::focusWidget(), surface->parentWidget());
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    for (const char c : std::string_view("C_+x"))
        QTest::keyClick(QApplication::focusWidget(), c, needsShift(c) ? Qt::ShiftModifier : Qt::NoModifier);
    key(Qt::Key_F5, Qt::ShiftModifier);
    key(Qt::Key_Return);
    EXPECT_EQ(shown(2, 2), "abC_+x");
}

// Text and empty cells that a reference brings in stay out of AVERAGE, MIN
// and MAX, a text given to them directly is refused; text functions count characters, never bytes; NOW is a date
// serial of the 1900 date system. The grid and a text save show the same.
TEST_F(GridKeyboardTest, TypedFormulasGiveWhatSpreadsheetsGive)
{
    const char* const data[] = {"4", "9", "2", "abc", "\u00c5ngstr\u00f6m \u00b5g/ml"};
    struct Row {
        const char* formula;
        const char* shown;
    };
    const Row rows[] = {
        {"=AVERAGE(A1:A4)", "5"},
        {"=MIN(A1,A4)", "4"},
        {"=MAX(-3,A4)", "-3"},
        {"=MAX(A1:A6)", "9"},                 // a range, with text and an empty cell in it
        {"=AVERAGE(A1:A3,A6)+MIN(A2:A9)", "7"},
        {"=SUM(A1:A4)", "15"},
        {"=LEN(\"\u00c5ngstr\u00f6m \u00b5g/ml\")", "14"},
        {"=LEFT(A5,1)", "\u00c5"},
        {"=LEFT(A5,LEN(A5)-3)&\"|\"", "\u00c5ngstr\u00f6m \u00b5g|"},
        {"=AVERAGE(A4:A6)", "#DIV/0!"},       // no number at all
        {"=LEFT(A5,-1)", "#VALUE!"},
        {"=SQRT(A1)", "#NAME?"},              // not evaluated: NOW below stays a number
        {"=MIN(A1:A3,B10)", "#DIV/0!"},        // an error a reference brings in is carried
        {"=MAX(\"12\",A1)", "#VALUE!"},        // a text given directly, even one of a number
    };
    for (std::size_t r = 0; r < std::size(data); ++r) {
        clickCell(static_cast<int>(r) + 1, 1);
        type(data[r]);
        key(Qt::Key_Return);
    }
    for (std::size_t r = 0; r < std::size(rows); ++r) {
        clickCell(static_cast<int>(r) + 1, 2);
        type(rows[r].formula);
        key(Qt::Key_Return);
        EXPECT_EQ(shown(static_cast<int>(r) + 1, 2), rows[r].shown) << rows[r].formula;
    }
    clickCell(1, 3);
    type("=NOW()");
    key(Qt::Key_Return);
    const double serialNow = 25569.0 + static_cast<double>(std::time(nullptr)) / 86400.0;
    EXPECT_NEAR(widget->workbook().cellValue(1, 1, 3).number(), serialNow, 1.0) << "the local time of day";

    testsupport::TempDir dir;
    const auto path = dir.file("formulas.txt");
    widget->workbook().Write(path.string(), static_cast<std::int32_t>(spreadsheet::FileType::Text));
    const std::vector<std::string> lines = testsupport::crlfLines(testsupport::readFile(path));
    ASSERT_EQ(lines.size(), std::size(rows));
    for (std::size_t r = 0; r < std::size(rows); ++r) {
        const std::string line = (r < std::size(data) ? data[r] : "") + std::string("\t") + rows[r].shown + "\t";
        EXPECT_EQ(lines[r].substr(0, line.size()), line) << rows[r].formula;
    }
    EXPECT_NEAR(std::strtod(lines[0].substr(lines[0].rfind('\t') + 1).c_str(), nullptr), serialNow, 1.0);

    spreadsheet::Workbook back;
    back.Read(path.string());
    EXPECT_EQ(back.cellValue(1, 5, 1), Value(data[4])) << "read back as UTF-8";
    EXPECT_EQ(back.cellValue(1, 8, 2), Value("\u00c5"));
}

// What is typed into a cell formatted as Text ("@") stays the text typed, a
// formula too: the text and HTML writers write it as typed, our own type and
// both .xls types read it back as text, and LibreOffice reads our .xls cells
// as texts (its CSV quotes texts alone). The same typing into a General cell
// gives numbers, logicals, errors and formulas.
TEST_F(GridKeyboardTest, EntriesTypedIntoTextCellsStayTheTextTyped)
{
    struct Row {
        const char* typed;
        Value general;           // what the same typing gives in column A (General)
        const char* officeShows; // LibreOffice's CSV field for column A
    };
    const Row rows[] = {
        {"0042", Value(42), "42"},
        {"1e5", Value(1e5), "100000"},
        {"3/4", Value("3/4"), "\"3/4\""},
        {"-7", Value(-7), "-7"},
        {"0.10", Value(0.1), "0.1"},
        // LibreOffice reads a logical and an error as the formulas TRUE() and
        // NA(), and its CSV gives the one as 1 and quotes the other's text.
        {"TRUE", Value::logical(true), "1"},
        {"#N/A", Value::error(spreadsheet::CellError::NA), "\"#N/A\""},
        {"=1+2", Value(3), "3"},
        // The apostrophe makes a text of what follows it; a Text cell keeps it.
        {"'12", Value("12"), "\"12\""},
        {"'=1+2", Value("=1+2"), "\"=1+2\""},
    };
    auto& wb = widget->workbook();
    wb.setSelection(1, 2, 20, 2);
    wb.setNumberFormat("@");
    for (std::size_t r = 0; r < std::size(rows); ++r) {
        for (const int col : {1, 2}) {
            clickCell(static_cast<int>(r) + 1, col);
            type(rows[r].typed);
            key(Qt::Key_Return);
        }
    }
    auto expectRows = [&](const spreadsheet::Workbook& book, const char* what) {
        for (std::size_t r = 0; r < std::size(rows); ++r) {
            const auto row = static_cast<std::int32_t>(r) + 1;
            EXPECT_EQ(book.cellValue(1, row, 1), rows[r].general) << what << ": " << rows[r].typed;
            EXPECT_EQ(book.cellValue(1, row, 2), Value(rows[r].typed)) << what << ": " << rows[r].typed;
            EXPECT_EQ(book.cellFormula(1, row, 2), "") << what << ": " << rows[r].typed;
        }
    };
    expectRows(wb, "typed");
    // The formula bar and F2 show the apostrophe again where the text typed
    // without it would read otherwise, and Return gives the same cell.
    const struct {
        std::int32_t row, col;
        const char* shown;
    } shown[] = {{1, 1, "42"}, {3, 1, "3/4"}, {9, 1, "'12"}, {10, 1, "'=1+2"}, {9, 2, "'12"}};
    for (const auto& c : shown) {
        const Value before = wb.cellValue(1, c.row, c.col);
        EXPECT_EQ(wb.cellEntryText(1, c.row, c.col), c.shown);
        clickCell(c.row, c.col);
        key(Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text().toStdString(), c.shown);
        key(Qt::Key_Return);
        EXPECT_EQ(wb.cellValue(1, c.row, c.col), before) << c.shown;
    }
    wb.setCellValue(1, 20, 1, Value("TRUE"));
    EXPECT_EQ(wb.cellEntryText(1, 20, 1), "'TRUE");
    wb.setCellValue(1, 20, 1, Value("'a"));
    EXPECT_EQ(wb.cellEntryText(1, 20, 1), "''a");
    wb.enterCell(1, 20, 1, wb.cellEntryText(1, 20, 1));
    EXPECT_EQ(wb.cellValue(1, 20, 1), Value("'a"));
    wb.clearRange(1, spreadsheet::RangeRef{20, 1, 20, 1});
    wb.setSelection(20, 2, 20, 2);
    wb.setClip("007");
    EXPECT_EQ(wb.cellValue(1, 20, 2), Value("007")) << "pasted text";
    wb.clearRange(1, spreadsheet::RangeRef{20, 2, 20, 2});

    testsupport::TempDir dir;
    const auto text = dir.file("ids.txt");
    wb.Write(text.string(), static_cast<std::int32_t>(spreadsheet::FileType::Text));
    const std::vector<std::string> lines = testsupport::crlfLines(testsupport::readFile(text));
    ASSERT_EQ(lines.size(), std::size(rows));
    for (std::size_t r = 0; r < std::size(rows); ++r)
        EXPECT_EQ(lines[r], rows[r].general.displayText() + "\t" + rows[r].typed);
    const auto page = dir.file("ids.htm");
    wb.Write(page.string(), static_cast<std::int32_t>(spreadsheet::FileType::HtmlDataOnly));
    EXPECT_NE(testsupport::readFile(page).find("<td align=\"right\">42</td><td>0042</td>"), std::string::npos);

    const std::optional<std::filesystem::path> soffice = testsupport::sofficePath();
    struct Saved {
        spreadsheet::FileType type;
        std::string name;
    };
    for (const auto& [type, name] : {Saved{spreadsheet::FileType::Native, "ids.vts"},
                                     Saved{spreadsheet::FileType::Excel97, "biff8.xls"},
                                     Saved{spreadsheet::FileType::Excel5, "biff5.xls"}}) {
        SCOPED_TRACE(name);
        const auto path = dir.file(name);
        wb.Write(path.string(), static_cast<std::int32_t>(type));
        spreadsheet::Workbook back;
        EXPECT_EQ(back.Read(path.string()), static_cast<std::int32_t>(type));
        expectRows(back, name.c_str());
        EXPECT_EQ(back.sheetFormat(1).format(1, 2).numberFormat, "@");
        if (type == spreadsheet::FileType::Native)
            continue;
        if (!soffice) {
            std::cout << "soffice is not installed: the .xls was not read by LibreOffice\n";
            continue;
        }
        const auto out = dir.file("csv");
        testsupport::OfficeRun run;
        run.program = *soffice;
        run.profile = dir.file("lo");
        // Tab, double quote, UTF-8, every text cell quoted, cells as shown.
        run.args = {"--convert-to", "csv:Text - txt - csv (StarCalc):9,34,76,1,,0,true,true,true", "--outdir",
                    out.string(), path.string()};
        const auto csv = out / std::filesystem::path(name).replace_extension(".csv");
        run.done = [&csv] { return std::filesystem::exists(csv); };
        ASSERT_TRUE(testsupport::runOffice(run));
        std::string expected;
        for (const Row& row : rows)
            expected += row.officeShows + std::string("\t\"") + row.typed + "\"\n";
        EXPECT_EQ(testsupport::readFile(csv), expected);
    }
}

} // namespace

// A cell far longer than 32,767 characters (a text file's, a long paste) is
// edited whole: F2 and Return keep it, what is typed goes to its end, in
// the cell and in the formula bar, and a long paste or replacement is not cut.
TEST_F(GridKeyboardTest, ACellOfAMegabyteIsEditedWhole)
{
    std::string megabyte;
    for (int i = 0; megabyte.size() < (1u << 20); ++i)
        megabyte += "gene" + std::to_string(i) + ' ';
    megabyte += "end";
    auto& wb = widget->workbook();
    const auto cell = [&](int row) { return wb.cellValue(1, row, 2).displayText(); };
    const auto editWith = [&](int row, const std::function<void()>& keys) {
        wb.setCellEntry(1, row, 2, megabyte);
        clickCell(row, 2);
        keys();
    };
    const struct {
        const char* name;
        std::function<void()> keys;
        std::string after;
    } rows[] = {
        {"F2 and Return",
         [&] {
             key(Qt::Key_F2);
             key(Qt::Key_Return);
         },
         megabyte},
        {"F2, typing at the end, Tab",
         [&] {
             key(Qt::Key_F2);
             key(Qt::Key_End);
             type("_x+");
             key(Qt::Key_Tab);
         },
         megabyte + "_x+"},
        {"the formula bar, typing at the end, Return",
         [&] {
             QTest::mouseClick(formulaBar(), Qt::LeftButton);
             QTest::keyClick(formulaBar(), Qt::Key_End);
             type("Q");
             key(Qt::Key_Return);
         },
         megabyte + "Q"},
        {"a paste into an in-cell edit",
         [&] {
             QApplication::clipboard()->setText(QString::fromStdString(megabyte));
             key(Qt::Key_F2);
             key(Qt::Key_End);
             key(Qt::Key_V, Qt::ControlModifier);
             key(Qt::Key_Return);
         },
         megabyte + megabyte},
    };
    int row = 2;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        editWith(row, r.keys);
        EXPECT_FALSE(widget->isEditing());
        const std::string now = cell(row);
        EXPECT_EQ(now.size(), r.after.size());
        EXPECT_TRUE(now == r.after) << "the text changed within";
        ++row;
    }

    // Replace All with a replacement of 40,000 characters puts it all in.
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs scoped(boxes);
    wb.setCellEntry(1, row, 2, "probe");
    QDialog* replace = widget->ReplaceDlg();
    ASSERT_NE(replace, nullptr);
    replace->findChild<QLineEdit*>(QStringLiteral("findWhat"))->setText(QStringLiteral("probe"));
    const std::string with = megabyte.substr(0, 40000);
    replace->findChild<QLineEdit*>(QStringLiteral("replaceWith"))->setText(QString::fromStdString(with));
    replace->findChild<QPushButton*>(QStringLiteral("replaceAll"))->click();
    EXPECT_EQ(boxes.last().text, "Replaced in 1 cell.");
    EXPECT_TRUE(cell(row) == with) << cell(row).size();
    replace->close();
}
