#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/errorlib/HandlerFixture.h"

using namespace rampart;
using errorlib_test::HandlerTest;

namespace {

class TraceClient : public IErrorClient {
public:
    void TraceString(std::string& Line, std::int16_t& Action) override
    {
        if (Line.find("hidden") != std::string::npos) {
            Action = 2;
        }
    }
    void EndApplication() override { ++ends; }
    int ends = 0;
};

} // namespace

TEST_F(HandlerTest, NestedProceduresTraceSevenIndentedLinesToTheFile)
{
    handler().SetTraceFile("Quorin.trc");
    initialize();
    handler().SetTrace(true);
    handler().TraceEnter("A", "P");
    handler().TraceEnter("B", "Q");
    handler().TraceExit("B", "Q");
    handler().TraceExit("A", "P");
    const std::string expected = "A..\r\n=>..P\r\n    |B..\r\n    |=>..Q\r\n    |<=..Q\r\nA\r\n<=..P\r\n";
    EXPECT_EQ(testsupport::readFile(m_dir.path() / "Quorin.trc"), expected);
    EXPECT_EQ(ui().traceLines.size(), 7U);
    EXPECT_TRUE(ui().viewerVisible);

    handler().SetTrace(false);
    EXPECT_FALSE(ui().viewerVisible);
    handler().TraceEnter("C", "R");
    EXPECT_EQ(testsupport::readFile(m_dir.path() / "Quorin.trc"), expected);
    // A direct TraceString still reaches the file with tracing off.
    handler().TraceString("direct");
    EXPECT_EQ(testsupport::readFile(m_dir.path() / "Quorin.trc"), expected + "direct\r\n");
    EXPECT_EQ(ui().traceLines.size(), 7U);
}

TEST_F(HandlerTest, TraceDepthResetsAfter256LevelsAndNeverGoesNegative)
{
    handler().SetTraceFile("deep.trc");
    initialize();
    handler().SetTrace(true);
    for (int i = 0; i < 257; ++i) {
        handler().TraceEnter("M", "P" + std::to_string(i));
    }
    const auto& lines = ui().traceLines;
    ASSERT_EQ(lines.size(), 1U + 256U + 2U);
    EXPECT_EQ(lines[256], RepeatText("    |", 255) + "=>..P255");
    EXPECT_EQ(lines[257], ">>>>Trace Depth over 256 - Reseting");
    EXPECT_EQ(lines[258], "=>..P256");
    handler().TraceExit("M", "P256");
    handler().TraceExit("M", "P255");
    EXPECT_EQ(ui().traceLines[259], "<=..P256");
    EXPECT_EQ(ui().traceLines[260], "<=..P255");
}

TEST_F(HandlerTest, WithoutProcedureTracingOnlyModuleLinesAppear)
{
    initialize();
    handler().SetTrace(true);
    handler().SetTraceProcedures(false);
    handler().TraceEnter("A", "P");
    handler().TraceEnter("A", "Q");
    handler().TraceEnter("B", "R");
    handler().TraceExit("B", "R");
    handler().TraceExit("A", "P");
    EXPECT_EQ(ui().traceLines, (std::vector<std::string>{"A..", "B..", "A"}));
}

TEST_F(HandlerTest, TraceCallbackCancelKeepsTheLineOutOfTheFileButNotOutOfTheViewer)
{
    handler().SetTraceFile("c.trc");
    initialize();
    handler().SetErrorClient(std::make_shared<TraceClient>());
    handler().SetTrace(true);
    handler().TraceString("hidden line");
    handler().TraceString("shown line");
    EXPECT_EQ(testsupport::readFile(m_dir.path() / "c.trc"), "shown line\r\n");
    EXPECT_EQ(ui().traceLines, (std::vector<std::string>{"hidden line", "shown line"}));
}

TEST_F(HandlerTest, LogFileNameSplicesTheDateStampAtTheFirstDot)
{
    struct Row {
        const char* logFile;
        const char* pattern;
        const char* expected;
    };
    const std::vector<Row> rows = {
        {"MyApp.log", "_yyyymmdd", "MyApp_20011231.log"},
        {"a.b.log", "_yyyymmdd", "a_20011231.b.log"},
        {"x.log", "", "x.log"},
        {"x.log", "_hhmm", "x_2359.log"},
    };
    initialize(false);
    for (const Row& row : rows) {
        handler().SetLogFile(row.logFile);
        handler().SetPeriodicLogFileFormat(row.pattern);
        EXPECT_EQ(handler().LogFileName(), m_logDir + row.expected) << row.logFile << " " << row.pattern;
    }
    handler().SetLogFile("MyApp.log");
    handler().SetPeriodicLogFileFormat("_yyyymmdd");
    handler().LogString("dated");
    EXPECT_EQ(testsupport::readFile(m_dir.path() / "MyApp_20011231.log"), "dated\r\n");
}

TEST_F(HandlerTest, APeriodicPatternThatWouldMakeAFolderIsRefused)
{
    try {
        handler().SetPeriodicLogFileFormat("_yyyy/mm/dd");
        FAIL() << "no error raised";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 5);
    }
    EXPECT_EQ(handler().PeriodicLogFileFormat(), "_yyyymmdd");
}

TEST_F(HandlerTest, ReadOnlyLogAndTraceFilesAreMadeWritable)
{
    testsupport::writeFile(m_dir.path() / "Quorin.log", "old\r\n");
    testsupport::writeFile(m_dir.path() / "ro.trc", "");
    ::chmod((m_dir.path() / "Quorin.log").c_str(), 0444);
    ::chmod((m_dir.path() / "ro.trc").c_str(), 0444);
    handler().SetTraceFile("ro.trc");
    initialize();
    handler().LogString("new");
    handler().TraceString("t");
    EXPECT_EQ(log(), "old\r\nnew\r\n");
    EXPECT_EQ(testsupport::readFile(m_dir.path() / "ro.trc"), "t\r\n");
    struct stat st {};
    ASSERT_EQ(::stat((m_dir.path() / "Quorin.log").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IWUSR, 0U);
}

TEST_F(HandlerTest, AnUnwritableLogShowsItsBoxAndEndsTheApplicationOnlyOnce)
{
    initialize();
    auto client = std::make_shared<TraceClient>();
    handler().SetErrorClient(client);
    // A file where the log folder should be: every write fails.
    std::filesystem::remove(m_dir.path() / "Quorin.log");
    std::filesystem::create_directory(m_dir.path() / "Quorin.log");
    handler().LogString("one");
    handler().LogString("two");
    ui().dialogAnswers = {{2, ""}};
    EXPECT_EQ(handler().HandleError(ErrObject(5, "", "x"), "M", "P", "", rmpBoundaryNone, rmpSeverityNormal,
                                    rmpRetryLine),
              2);
    ASSERT_EQ(ui().boxes.size(), 1U);
    EXPECT_EQ(ui().boxes[0].prompt.rfind("Rampart is unable to access the Log File for this Application or System\r\n"
                                         "\r\nError=75\r\n",
                                         0),
              0U)
        << ui().boxes[0].prompt;
    EXPECT_EQ(client->ends, 1);
}

TEST_F(HandlerTest, TraceFileIsClosedWhenTheHandlerEnds)
{
    handler().SetTraceFile("end.trc");
    initialize();
    handler().TraceString("last words");
    m_handler.reset();
    EXPECT_EQ(testsupport::readFile(m_dir.path() / "end.trc"), "last words\r\n");
    // No descriptor of the file stays open in this process.
    int open = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        const auto target = std::filesystem::read_symlink(entry.path(), ec);
        open += !ec && target == m_dir.path() / "end.trc";
    }
    EXPECT_EQ(open, 0);
}

TEST_F(HandlerTest, ScriptedScenarioWritesLogAndTraceByteForByte)
{
    handler().SetTraceFile("Quorin.trc");
    initialize();
    handler().SetTrace(true);
    ui().dialogAnswers = {{2, ""}};

    handler().TraceEnter("MMain", "Main");
    handler().TraceEnter("MFile", "Load");
    EXPECT_EQ(handler().HandleError(ErrObject(53, "", "File not found", 0, 120), "MFile", "Load", "book.txt",
                                    rmpBoundaryNone, rmpSeverityNormal, rmpRetryLine),
              2);
    std::int32_t raised = 0;
    try {
        handler().PropagateError(rmpBoundaryNone);
    } catch (const platform::Error& e) {
        raised = e.number();
    }
    handler().TraceExit("MFile", "Load");
    EXPECT_EQ(handler().HandleError(ErrObject(raised, "Rampart", "Collapsing Call Stack"), "MMain", "Main", "",
                                    rmpBoundaryVB, rmpSeverityNormal, rmpRetryLine),
              2);
    handler().TraceExit("MMain", "Main");

    EXPECT_EQ(log(),
              "Rampart Error Report\t\t2001/12/31 23:59:58\r\n"
              "\r\n"
              "Component        = Quorin\r\n"
              "Module           = MFile\r\n"
              "Procedure        = Load\r\n"
              "Context          = book.txt\r\n"
              "Boundary         = rmpBoundaryNone\r\n"
              "Severity         = rmpSeverityNormal\r\n"
              "Erl              = 120\r\n"
              "Err.Number       = 53\r\n"
              "Err.Description  = File not found\r\n"
              "Err.Source       = Quorin\r\n"
              "Description      = Unexpected Error\r\n"
              "Suggestion       = \r\n"
              "Notes            = \r\n"
              "\r\n"
              "\r\n\r\n\r\n"
              "Rampart Collapsing Call Stack\t\t2001/12/31 23:59:58\r\n"
              "\r\n"
              "Component        = Quorin\r\n"
              "Module           = MMain\r\n"
              "Procedure        = Main\r\n"
              "Context          = \r\n"
              "Boundary         = rmpBoundaryVB\r\n"
              "Severity         = rmpSeverityNormal\r\n"
              "Erl              = 0\r\n"
              "\r\n"
              "\r\n");
    EXPECT_EQ(testsupport::readFile(m_dir.path() / "Quorin.trc"),
              "MMain..\r\n=>..Main\r\n    |MFile..\r\n    |=>..Load\r\n    |<=..Load\r\nMMain\r\n<=..Main\r\n");
}
