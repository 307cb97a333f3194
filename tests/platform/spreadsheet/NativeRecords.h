#pragma once

// Our workbook files as text in the tests of their records: a workbook as
// written, and record lines with one field changed.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/spreadsheet/FileType.h"
#include "platform/spreadsheet/Workbook.h"
#include "platform/spreadsheet/WorkbookFiles.h"
#include "tests/support/ErrorAssert.h"
#include "tests/support/TestSupport.h"

namespace nativetest {

// The bytes of the workbook written in our own format.
inline std::string written(spreadsheet::Workbook& wb)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("book.vts").string();
    wb.Write(path, static_cast<std::int32_t>(spreadsheet::FileType::Native));
    return testsupport::readFile(path);
}

// The text with the first occurrence of `record` replaced.
inline std::string replaced(std::string text, const std::string& record, const std::string& replacement)
{
    text.replace(text.find(record), record.size(), replacement);
    return text;
}

// The tab-separated record with its field `index` (from 0) set to value.
inline std::string withField(const std::string& record, std::size_t index, const std::string& value)
{
    std::vector<std::string> f;
    for (std::size_t start = 0;;) {
        const std::size_t tab = record.find('\t', start);
        f.push_back(record.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            break;
        start = tab + 1;
    }
    f.at(index) = value;
    std::string out = f[0];
    for (std::size_t i = 1; i < f.size(); ++i)
        out += "\t" + f[i];
    return out;
}

// The workbook read from `bytes` written as the file `name`.
inline spreadsheet::Workbook readBack(const std::string& bytes, const std::string& name = "back.vts")
{
    testsupport::TempDir dir;
    const auto path = dir.file(name);
    testsupport::writeFile(path, bytes);
    spreadsheet::Workbook wb;
    wb.Read(path.string());
    return wb;
}

// The number of the error that reading `bytes`, written as the file `name`,
// into `target` raises; 0 when the read succeeds.
inline std::int32_t readError(spreadsheet::Workbook& target, const std::string& bytes,
                              const std::string& name = "bad.vts")
{
    testsupport::TempDir dir;
    const auto path = dir.file(name);
    testsupport::writeFile(path, bytes);
    return testsupport::errorNumber([&] { target.Read(path.string()); });
}

// A damaged file: what is wrong with it, and its bytes.
struct BadFile {
    const char* name;
    std::string bytes;
};

// Reads each file into a workbook holding "untouched" in cell A1 of sheet 1
// and expects the read refused as an invalid file format; then calls
// check(target, name) to test what the refused read left as it was.
template <class Check>
void expectEachRefused(std::span<const BadFile> files, Check check)
{
    for (const BadFile& file : files) {
        spreadsheet::Workbook target;
        target.setCellValue(1, 1, 1, spreadsheet::Value("untouched"));
        EXPECT_EQ(readError(target, file.bytes), spreadsheet::kInvalidFileFormat) << file.name;
        check(target, file.name);
    }
}

} // namespace nativetest
