#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "errorlib/MException.h"
#include "errorlib/MRampart.h"
#include "errorlib/MRegistry.h"
#include "platform/registry/MemoryRegistry.h"
#include "tests/errorlib/HandlerFixture.h"
#include "tests/support/ErrorAssert.h"

using namespace rampart;
using errorlib_test::HandlerTest;
namespace reg = platform::registry;

namespace {

std::u32string repeatAlphabet(std::size_t length)
{
    std::u32string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += static_cast<char32_t>('A' + i % 26);
    }
    return text;
}

} // namespace

TEST(HexDump, RowsShowPositionHexAndCharacters)
{
    EXPECT_EQ(HexDumpRow(1, U"ABCDEFGHIJKLMNOPQRST"),
              "            1 +41424344 45464748 494A4B4C 4D4E4F50 51525354+    +ABCDEFGHIJKLMNOPQRST+");
    EXPECT_EQ(HexDumpRow(41, U""), "           29 ++" + std::string(44, ' ') + "    ++");
    // A tab shows as code 127; a character without a single-byte code as "?" (3F).
    EXPECT_EQ(HexDumpRow(21, U"AB\tC\x263A"),
              "           15 +41420943 3F+" + std::string(33, ' ') + "    +AB\x7f" "C\xe2\x98\xba+");
}

TEST(HexDump, LayoutDependsOnLengthAndContent)
{
    EXPECT_EQ(HexDumpLines(U"abcdefghij"), (std::vector<std::string>{"Value   :\"abcdefghij\""}));

    const auto lines45 = HexDumpLines(repeatAlphabet(61));
    ASSERT_EQ(lines45.size(), 1U + 3U + 1U);
    EXPECT_EQ(lines45[0], "Hex Dump:addr +hex_____ ________ ________ ________ ________+    +char________________+");

    struct Row {
        std::size_t length;
        std::size_t lines;
    };
    for (const Row row : {Row{61, 5}, Row{80, 6}, Row{1100, 1 + 25 + 1 + 25 + 1}}) {
        std::u32string text = repeatAlphabet(row.length);
        text[0] = U'\t';  // forces the dump for short texts too
        const auto lines = HexDumpLines(text);
        EXPECT_EQ(lines.size(), row.lines) << row.length;
    }
    std::u32string tab = U"a\tb";
    const auto tabbed = HexDumpLines(tab);
    ASSERT_EQ(tabbed.size(), 2U);
    EXPECT_EQ(tabbed[1].substr(tabbed[1].size() - 5), "+a\x7f" "b+");

    const auto big = HexDumpLines(repeatAlphabet(1100));
    EXPECT_EQ(big[26], "\r\n          ... 5 Rows Omitted\r\n");
    EXPECT_EQ(big[27].substr(0, 13), PadLeft("259", 13));  // row 31 starts at 601 = 0x259
    EXPECT_EQ(big.back().substr(0, 13), PadLeft("44D", 13));
}

TEST(EstablishPath, CreatesMissingLevelsAndCompletesThePath)
{
    testsupport::TempDir dir;
    std::string path = "  " + dir.path().string() + "/a/b ";
    EstablishPath(path);
    EXPECT_EQ(path, dir.path().string() + "/a/b/");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "a" / "b"));
    EstablishPath(path);  // an existing folder is fine

    std::string relative = "rel/x";
    EXPECT_EQ(testsupport::errorNumber([&] { EstablishPath(relative); }), 75);
    std::string tiny = "a";
    EXPECT_EQ(testsupport::errorNumber([&] { EstablishPath(tiny); }), 75);
    testsupport::writeFile(dir.path() / "file", "");
    std::string underFile = dir.path().string() + "/file/sub";
    EXPECT_NE(testsupport::errorNumber([&] { EstablishPath(underFile); }), 0);
}

TEST(ReportTexts, NamesPadsAndDatePatterns)
{
    EXPECT_EQ(BoundaryName(4), "rmpBoundaryActiveX");
    EXPECT_EQ(BoundaryName(7), "7 (Unknown)");
    EXPECT_EQ(SeverityName(1), "rmpSeverityCosmetic");
    EXPECT_EQ(SeverityName(0), "0 (Unknown)");
    EXPECT_EQ(PadRight("abc", 2), "abc");
    EXPECT_EQ(PadRight("abc", 5), "abc  ");
    EXPECT_EQ(PadLeft("abc", 5), "  abc");
    std::string text = std::string("a\x01") + "b\x1f";
    EXPECT_TRUE(ReplaceControlChars(text, '?'));
    EXPECT_EQ(text, std::string("a?b\x1f"));
    EXPECT_EQ(NonNegativeOr(-1, 7), 7);
    EXPECT_EQ(NonNegativeOr(0, 7), 0);
    const DateTime when{2001, 2, 3, 4, 5, 6};
    EXPECT_EQ(FormatDatePattern(when, "yyyy/mm/dd hh:nn:ss"), "2001/02/03 04:05:06");
    EXPECT_EQ(FormatDatePattern(when, "hh:mm"), "04:05");
    EXPECT_EQ(FormatDatePattern(when, "_yyyymmdd"), "_20010203");
    EXPECT_EQ(SerialSeconds({1970, 1, 2, 0, 0, 1}), 86401);
}

TEST(Exceptions, NamesAndInnermostCode)
{
    EXPECT_STREQ(ExceptionName(0xC0000005), "EXCEPTION_ACCESS_VIOLATION");
    EXPECT_STREQ(ExceptionName(0xC000013A), "EXCEPTION_CONTROL_C_EXIT");
    EXPECT_STREQ(ExceptionName(0xE06D7363), "Exception Code");
    const ExceptionInfo inner{0xC0000094, nullptr};
    const ExceptionInfo outer{0xC0000005, &inner};
    EXPECT_EQ(InnermostExceptionCode(&outer), 0xC0000094U);
    ExceptionInfo loop{0x80000003, nullptr};
    loop.nested = &loop;  // a cyclic chain ends after 16 records
    EXPECT_EQ(InnermostExceptionCode(&loop), 0x80000003U);
    EXPECT_EQ(InnermostExceptionCode(nullptr), 0U);
}

TEST_F(HandlerTest, HandledExceptionIsRaisedNamedAndReportedWithItsCode)
{
    initialize();
    const ExceptionInfo inner{0xC0000005, nullptr};
    const ExceptionInfo outer{0x80000001, &inner};
    std::string description;
    EXPECT_EQ(testsupport::errorNumber([&] { (void)handler().HandleException(&outer); }, nullptr, &description), 32008);
    EXPECT_EQ(description, "EXCEPTION_ACCESS_VIOLATION");
    EXPECT_EQ(handler().LastExceptionCode(), static_cast<std::int32_t>(0xC0000005u));
    EXPECT_EQ(handler().LastExceptionDescription(), "EXCEPTION_ACCESS_VIOLATION");
    ui().dialogAnswers = {{3, ""}};
    handler().HandleError(ErrObject(32008, "Rampart6", "EXCEPTION_ACCESS_VIOLATION"), "MMain", "Main", "",
                          rmpBoundaryNone, rmpSeverityFatal, rmpRetryNone);
    EXPECT_NE(log().find("Exception Code   = &HC0000005\r\nException Id     = EXCEPTION_ACCESS_VIOLATION\r\n"
                         "Source           = Rampart6\r\n\r\nDescription      = "),
              std::string::npos);
    EXPECT_EQ(handler().LastExceptionCode(), 0);
}

TEST_F(HandlerTest, ApiErrorsRaiseByReturnKindAndPrintTheirBlock)
{
    initialize();
    handler().HandleAPIError(ErrObject(0, "", "", ENOENT), rmpAPIBool, 1);
    std::string description;
    EXPECT_EQ(testsupport::errorNumber([&] { handler().HandleAPIError(ErrObject(0, "", "", ENOENT), rmpAPIBool, 0); },
                           nullptr, &description),
              32009);
    EXPECT_EQ(description, std::strerror(ENOENT));
    EXPECT_EQ(testsupport::errorNumber([&] { handler().HandleAPIError(ErrObject(0, "", "", 0), rmpAPILong, ENOENT); },
                           nullptr, &description),
              32009);
    EXPECT_EQ(description, std::strerror(ENOENT));
    EXPECT_EQ(testsupport::errorNumber([&] { handler().HandleAPIError(ErrObject(0, "", "", EACCES), rmbAPIVoid, 0); }), 32009);
    EXPECT_EQ(handler().LastAPIError(), EACCES);
    ui().dialogAnswers = {{2, ""}};
    handler().HandleError(ErrObject(32009, "Quorin", std::strerror(EACCES)), "M", "P", "", rmpBoundaryNone,
                          rmpSeverityNormal, rmpRetryLine);
    EXPECT_NE(log().find("API Return Value = 0\r\nErr.LastDllError = " + std::to_string(EACCES) +
                         "\r\nFormatMessage    = " + std::strerror(EACCES) + "\r\n\r\n"),
              std::string::npos);

    handler().CacheAPIError(ErrObject(0, "", "", EACCES), rmpAPIHandle, 0);  // never raises
    EXPECT_EQ(testsupport::errorNumber([&] { handler().CheckLastAPIError(ENOENT); }), 1);
    EXPECT_EQ(testsupport::errorNumber([&] { handler().CheckLastAPIError(ENOENT, EACCES); }), 0);
    EXPECT_EQ(testsupport::errorNumber([&] { handler().CheckAPIReturnValue(5); }), 0);  // cached return value 0
}

TEST_F(HandlerTest, InlineErrorsAreCachedAndCheckedAgainstTheExpectedNumbers)
{
    initialize();
    handler().CacheInlineError(ErrObject(0, "", ""));
    EXPECT_EQ(testsupport::errorNumber([&] { handler().CheckInlineError(52); }), 0);
    handler().CacheInlineError(ErrObject(static_cast<std::int32_t>(0x80040035u), "Rampart", "File not found", 0, 12));
    EXPECT_EQ(handler().InlineError(), 53);
    EXPECT_EQ(handler().InlineErrorSource(), "Quorin");
    EXPECT_EQ(testsupport::errorNumber([&] { handler().CheckInlineError(1, 2, 3, 4, 53); }), 0);
    EXPECT_EQ(testsupport::errorNumber([&] { handler().CheckInlineError(52); }), 53);
    ui().dialogAnswers = {{2, ""}};
    handler().HandleError(ErrObject(53, "", "File not found"), "M", "P", "", rmpBoundaryNone, rmpSeverityNormal,
                          rmpRetryLine);
    ASSERT_EQ(ui().dialogs.size(), 1U);
    EXPECT_FALSE(ui().dialogs[0].retryAllowed);
    EXPECT_NE(log().find("Erl              = 12\r\n"), std::string::npos);
}

TEST_F(HandlerTest, LogDataWritesEachItemWithItsType)
{
    initialize();
    const std::vector<Variant> items = {
        Variant("abc"),
        Variant(std::int32_t{42}),
        Variant(Nothing{}),
        Variant(ByteArray{0, {0x41, 0x00}}),
        Variant(VariantArray{"String", 0, {Variant("x"), Variant("y")}}),
        Variant(VariantArray{"Double", 1, {Variant(1.5), Variant(2.0)}}),
        Variant(Null{}),
    };
    handler().LogData(items);
    const std::string expected =
        "Item    :1\r\nType    :String\r\n"
        "Value   :\"abc\"\r\n"
        "Item    :2\r\nType    :Long\r\n"
        "Value   :42\r\n"
        "Item    :3\r\nType    :Nothing\r\n"
        "Value   :Nothing\r\n"
        "Item    :4\r\nType    :Byte()\r\n"
        "Hex Dump:addr +hex_____ ________ ________ ________ ________+    +char________________+\r\n" +
        HexDumpRow(1, std::u32string(U"A\0", 2)) +
        "\r\n"
        "Item    :5\r\nType    :String()\r\nValue    \r\n"
        "Value   :\"x\"\r\n"
        "Value   :\"y\"\r\n"
        "Item    :6\r\nType    :Double()\r\nValue    \r\n"
        "     (1):1.5\r\n"
        "     (2):2\r\n"
        "Item    :7\r\nType    :Null\r\n"
        "Value   :##Failed to Read Value##\r\n";
    EXPECT_EQ(log(), expected);
}

TEST(MRegistry, ReadersFollowTheValueTypes)
{
    reg::MemoryRegistry memory;
    const reg::ScopedRegistry scope(memory);
    const auto key = MRegistry::OpenRegKey(reg::Hive::CurrentUser, "Software\\T", reg::KeyRead | reg::KeyWrite);
    EXPECT_FALSE(MRegistry::RegValueExists(key, "missing"));
    EXPECT_EQ(MRegistry::GetRegLong(key, "missing", 7), 7);
    EXPECT_EQ(MRegistry::GetRegString(key, "missing", "dflt"), "dflt");
    EXPECT_EQ(testsupport::errorNumber([&] { (void)MRegistry::IsRegValueClear(key, "missing"); }), 2);

    MRegistry::SetRegString(key, "empty", "");
    EXPECT_EQ(MRegistry::GetRegString(key, "empty", "dflt"), "");
    EXPECT_EQ(MRegistry::GetRegLong(key, "empty", 9), 9);
    for (const auto& [value, clear] : std::vector<std::pair<std::int32_t, bool>>{{0, true}, {1, false}, {-1, false}}) {
        MRegistry::SetRegLong(key, "flag", value);
        EXPECT_EQ(MRegistry::IsRegValueClear(key, "flag"), clear) << value;
        EXPECT_EQ(MRegistry::GetRegLong(key, "flag", 99), value);
    }
    const auto readOnly = MRegistry::OpenRegKey(reg::Hive::CurrentUser, "Software\\T", reg::KeyRead);
    EXPECT_EQ(testsupport::errorNumber([&] { MRegistry::SetRegLong(readOnly, "flag", 1); }), 5);
}
