// Defined names: what a name may be, names in formulas (any letter case),
// names following inserted and deleted lines and renamed or deleted sheets,
// renaming and deleting names, and the names in the native file.

#include <functional>

#include <gtest/gtest.h>

#include "tests/platform/spreadsheet/ValuePrinter.h"

#include "platform/spreadsheet/WorkbookFiles.h"
#include "platform/spreadsheet/Workbook.h"
#include "tests/support/ErrorAssert.h"
#include "tests/platform/spreadsheet/NativeRecords.h"
#include "tests/support/TestSupport.h"

namespace {

using spreadsheet::CellError;
using spreadsheet::DefinedName;
using spreadsheet::Value;
using spreadsheet::Workbook;

// Column A 1..10 on Sheet1.
Workbook numbersBook()
{
    Workbook wb;
    for (int r = 1; r <= 10; ++r)
        wb.setCellValue(1, r, 1, Value(static_cast<double>(r)));
    return wb;
}

TEST(DefinedNames, WhatANameMayBe)
{
    struct Row {
        const char* name;
        bool valid;
    };
    const Row rows[] = {
        {"Data", true},       {"_total", true},   {"rate.2", true},      {"x", true},
        {"Gene_List.v2", true}, {"IW3", true},    {"ABC1", true},        // past the last column: no reference
        {"", false},          {"1data", false},   {".data", false},      {"my data", false},
        {"a-b", false},       {"A1", false},      {"iv3", false},        {"Q4", false},
        {"$A$1", false},      {"SUM", false},     {"true", false},       {"Data!", false},
        {"M\xC3\xBCller", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(spreadsheet::definedNameProblem(row.name).empty(), row.valid) << row.name;
    EXPECT_TRUE(spreadsheet::definedNameProblem(std::string(255, 'n')).empty());
    EXPECT_FALSE(spreadsheet::definedNameProblem(std::string(256, 'n')).empty());

    Workbook wb;
    std::string description;
    EXPECT_EQ(testsupport::errorNumber([&] { wb.setDefinedName("A1", "Sheet1!$B$1"); }, nullptr, &description), 380);
    EXPECT_NE(description.find("cell reference"), std::string::npos) << description;
    EXPECT_EQ(testsupport::errorNumber([&] { wb.setDefinedName("Data", "  "); }), 380);
    EXPECT_EQ(testsupport::errorNumber([&] { wb.setDefinedName("Data", "=Sheet9!$A$1"); }), 380) << "no such sheet";
    EXPECT_TRUE(wb.definedNames().empty());
}

TEST(DefinedNames, FormulasUseNamesInAnyCase)
{
    Workbook wb = numbersBook();
    wb.setDefinedName("Data", "=Sheet1!$A$1:$A$10");
    EXPECT_EQ(testsupport::errorNumber([&] { wb.setDefinedName("Rate", "0.5"); }), 380) << "a worksheet function";
    wb.setDefinedName("half", "0.5");
    wb.setDefinedName("Scaled", "half*Sheet1!$A$10");  // a name using another name
    wb.setCellFormula(1, 1, 3, "SUM(Data)");
    wb.setCellFormula(1, 2, 3, "sum(DATA)*HALF");
    wb.setCellFormula(1, 3, 3, "Scaled+1");
    wb.setCellFormula(1, 4, 3, "\"Data\"");  // a text is not a name
    wb.setCellFormula(1, 5, 3, "Unknown+1");
    EXPECT_EQ(wb.cellValue(1, 1, 3), Value(55.0));
    EXPECT_EQ(wb.cellValue(1, 2, 3), Value(27.5));
    EXPECT_EQ(wb.cellValue(1, 3, 3), Value(6.0));
    EXPECT_EQ(wb.cellValue(1, 4, 3), Value("Data"));
    EXPECT_EQ(wb.cellValue(1, 5, 3), Value::error(CellError::Name));
    EXPECT_EQ(wb.cellFormula(1, 2, 3), "SUM(DATA)*HALF") << "the formula keeps the user's spelling";

    // Redefining a name in another case keeps one name with the new text.
    wb.setDefinedName("DATA", "Sheet1!$A$1:$A$2");
    ASSERT_EQ(wb.findDefinedName("data"), &wb.definedNames()[0]);
    EXPECT_EQ(wb.definedNames()[0], (DefinedName{"DATA", "Sheet1!$A$1:$A$2"}));
    EXPECT_EQ(wb.cellValue(1, 1, 3), Value(3.0));
}

TEST(DefinedNames, ReferencesWithoutASheetNameTheActiveSheet)
{
    Workbook wb = numbersBook();
    wb.setNumSheets(2);
    wb.setSheetName(2, "Other sheet");
    wb.setCellValue(2, 1, 1, Value(100));
    wb.setSheet(2);
    wb.setDefinedName("First", "$A$1");
    EXPECT_EQ(wb.findDefinedName("First")->refersTo, "'Other sheet'!$A$1");
    wb.setCellFormula(1, 1, 2, "First");
    EXPECT_EQ(wb.cellValue(1, 1, 2), Value(100.0)) << "from Sheet1 too";
}

TEST(DefinedNames, NamesThatReferToThemselvesGiveNameErrorsInsteadOfACrash)
{
    Workbook wb;
    wb.setDefinedName("Loop", "Loop+1");
    wb.setDefinedName("Ping", "Pong*2");
    wb.setDefinedName("Pong", "PING+1");
    wb.setDefinedName("UsesLoop", "Ping+1");
    wb.setDefinedName("Fine", "2");
    wb.setCellFormula(1, 1, 1, "Loop");
    wb.setCellFormula(1, 2, 1, "Pong");
    wb.setCellFormula(1, 3, 1, "UsesLoop");
    wb.setCellFormula(1, 4, 1, "Fine*3");
    EXPECT_EQ(wb.cellValue(1, 1, 1), Value::error(CellError::Name));
    EXPECT_EQ(wb.cellValue(1, 2, 1), Value::error(CellError::Name));
    EXPECT_EQ(wb.cellValue(1, 3, 1), Value::error(CellError::Name));
    EXPECT_EQ(wb.cellValue(1, 4, 1), Value(6.0));
}

TEST(DefinedNames, NamesFollowInsertedAndDeletedLinesAndSheets)
{
    Workbook wb = numbersBook();
    wb.setNumSheets(2);
    wb.setDefinedName("Data", "Sheet1!$A$2:$A$10");
    wb.setDefinedName("Corner", "Sheet1!$A$1");
    wb.setDefinedName("Elsewhere", "Sheet2!$A$2");
    wb.setCellFormula(2, 1, 3, "SUM(Data)");

    struct Step {
        const char* name;
        std::function<void(Workbook&)> act;
        const char* data;
        const char* corner;
        double sum;
    };
    const Step steps[] = {
        {"rows inserted inside the range", [](Workbook& b) { b.insertRows(1, 5, 2); }, "Sheet1!$A$2:$A$12",
         "Sheet1!$A$1", 54},
        {"a column inserted before it", [](Workbook& b) { b.insertCols(1, 1, 1); }, "Sheet1!$B$2:$B$12",
         "Sheet1!$B$1", 54},
        {"rows deleted from it", [](Workbook& b) { b.deleteRows(1, 2, 3); }, "Sheet1!$B$2:$B$9", "Sheet1!$B$1", 45},
        {"cells shifted down in its column",
         [](Workbook& b) {
             b.setSheet(1);
             b.setSelection(1, 2, 1, 2);
             b.EditInsert(2);
         },
         "Sheet1!$B$3:$B$10", "Sheet1!$B$2", 45},
        {"the sheet renamed", [](Workbook& b) { b.setSheetName(1, "Raw data"); }, "'Raw data'!$B$3:$B$10",
         "'Raw data'!$B$2", 45},
    };
    for (const Step& step : steps) {
        step.act(wb);
        EXPECT_EQ(wb.findDefinedName("Data")->refersTo, step.data) << step.name;
        EXPECT_EQ(wb.findDefinedName("Corner")->refersTo, step.corner) << step.name;
        EXPECT_EQ(wb.findDefinedName("Elsewhere")->refersTo, "Sheet2!$A$2") << step.name;
        EXPECT_EQ(wb.cellValue(2, 1, 3), Value(step.sum)) << step.name;
    }
    wb.deleteRows(1, 2, 1);  // the corner's row
    EXPECT_EQ(wb.findDefinedName("Corner")->refersTo, "#REF!");
    wb.setSheet(1);
    wb.EditDeleteSheets();
    EXPECT_EQ(wb.findDefinedName("Data")->refersTo, "#REF!");
    EXPECT_EQ(wb.findDefinedName("Elsewhere")->refersTo, "Sheet2!$A$2");
}

TEST(DefinedNames, RenamingRewritesItsUsersAndDeletingLeavesNameErrors)
{
    Workbook wb = numbersBook();
    wb.setDefinedName("Data", "Sheet1!$A$1:$A$10");
    wb.setDefinedName("Twice", "SUM(data)*2");
    wb.setCellFormula(1, 1, 2, "SUM(Data)+\"Data\"&0");
    wb.setCellFormula(1, 2, 2, "Twice");
    wb.setCellFormula(1, 3, 2, "MetaData+1");  // a word that only contains the name

    wb.renameDefinedName("DATA", "Values");
    EXPECT_EQ(wb.cellFormula(1, 1, 2), "SUM(Values)+\"Data\"&0");
    EXPECT_EQ(wb.findDefinedName("Twice")->refersTo, "SUM(Values)*2");
    EXPECT_EQ(wb.cellFormula(1, 3, 2), "MetaData+1");
    EXPECT_EQ(wb.cellValue(1, 2, 2), Value(110.0));
    EXPECT_EQ(wb.findDefinedName("Data"), nullptr);

    EXPECT_EQ(testsupport::errorNumber([&] { wb.renameDefinedName("Values", "twice"); }), 380) << "taken";
    EXPECT_EQ(testsupport::errorNumber([&] { wb.renameDefinedName("Values", "B2"); }), 380);
    EXPECT_EQ(testsupport::errorNumber([&] { wb.renameDefinedName("Nothing", "Other"); }), 9);
    wb.renameDefinedName("Values", "VALUES");  // its own name in another case
    EXPECT_EQ(wb.definedNames()[0].name, "VALUES");

    wb.deleteDefinedName("values");
    EXPECT_EQ(wb.cellValue(1, 2, 2), Value::error(CellError::Name));
    EXPECT_EQ(wb.cellFormula(1, 1, 2), "SUM(VALUES)+\"Data\"&0") << "the formula stays as written";
    EXPECT_EQ(testsupport::errorNumber([&] { wb.deleteDefinedName("values"); }), 9);
    wb.setDefinedName("Values", "Sheet1!$A$1");
    EXPECT_EQ(wb.cellValue(1, 2, 2), Value(2.0)) << "defined again, the formulas find it";
}

TEST(DefinedNames, RenamingLeavesErrorValuesSpelledLikeTheName)
{
    Workbook wb = numbersBook();
    wb.setDefinedName("Div", "Sheet1!$A$1");
    wb.setCellFormula(1, 1, 2, "IF(Div>0,Div,#DIV/0!)");
    wb.renameDefinedName("Div", "Ratio");
    EXPECT_EQ(wb.cellFormula(1, 1, 2), "IF(Ratio>0,Ratio,#DIV/0!)");
}

TEST(DefinedNames, NativeFileKeepsNamesAndRefusesBadRecords)
{
    testsupport::TempDir dir;
    Workbook wb = numbersBook();
    wb.setDefinedName("Data", "Sheet1!$A$1:$A$10");
    wb.setDefinedName("Label", "\"a\\b\"");
    wb.setCellFormula(1, 1, 2, "SUM(Data)");
    const std::string path = dir.file("names.vts").string();
    wb.Write(path, static_cast<std::int32_t>(spreadsheet::FileType::Native));
    const std::string bytes = testsupport::readFile(path);
    EXPECT_EQ(bytes.substr(0, 20), "TESSARAY WORKBOOK\t3\n");
    EXPECT_NE(bytes.find("endsheet\nname\tData\tSheet1!$A$1:$A$10\nname\tLabel\t\"a\\\\b\"\nend\t"), std::string::npos);

    Workbook back;
    back.Read(path);
    EXPECT_EQ(back.definedNames(), wb.definedNames());
    EXPECT_EQ(back.cellValue(1, 1, 2), Value(55.0));
    Workbook plain;
    plain.Write(dir.file("plain.vts").string(), static_cast<std::int32_t>(spreadsheet::FileType::Native));
    back.Read(dir.file("plain.vts").string());
    EXPECT_TRUE(back.definedNames().empty()) << "reading replaces the names";

    struct Row {
        const char* name;
        std::string from;
        std::string to;
    };
    const Row rows[] = {
        {"an invalid name", "name\tData\t", "name\tA1\t"},
        {"an empty text", "name\tData\tSheet1!$A$1:$A$10", "name\tData\t"},
        {"a name twice", "name\tLabel\t", "name\tDATA\t"},
        {"a missing field", "name\tData\tSheet1!$A$1:$A$10", "name\tData"},
        {"names in a version 2 file", "TESSARAY WORKBOOK\t3", "TESSARAY WORKBOOK\t2"},
        {"a name inside a sheet", "endsheet\nname\tData\tSheet1!$A$1:$A$10\n", "name\tData\tSheet1!$A$1:$A$10\nendsheet\n"},
    };
    for (const Row& row : rows) {
        std::string bad = bytes;
        const auto at = bad.find(row.from);
        ASSERT_NE(at, std::string::npos) << row.name;
        bad.replace(at, row.from.size(), row.to);
        Workbook target;
        target.setDefinedName("Kept", "1");
        EXPECT_EQ(nativetest::readError(target, bad), spreadsheet::kInvalidFileFormat) << row.name;
        EXPECT_NE(target.findDefinedName("Kept"), nullptr) << row.name;
    }
}

} // namespace
