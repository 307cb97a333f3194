// The engine's C interface, called through the shared library as a program
// loads it.

#include "engines/Export.h"

#include "tests/engines/cap/CapTestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>

using namespace captest;

namespace {

using CapMain = int32_t(TALLOWIN_CALL*)(const char*, int32_t, const char*, int32_t, int32_t, int32_t, int32_t,
                                        int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, float, int32_t,
                                        float, char*, char*, int32_t*, char*);
using CapMainSized = int32_t(TALLOWIN_CALL*)(const char*, int32_t, const char*, int32_t, int32_t, int32_t, int32_t,
                                             int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, float,
                                             int32_t, float, char*, int32_t, char*, int32_t, int32_t*, char*, int32_t,
                                             int32_t*, int32_t*);

class CapExports : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_library = dlopen(TALLOWIN_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_library, nullptr) << dlerror();
        m_main = reinterpret_cast<CapMain>(dlsym(m_library, "capMainDll"));
        m_sized = reinterpret_cast<CapMainSized>(dlsym(m_library, "capMainDll_sized"));
        ASSERT_NE(m_main, nullptr);
        ASSERT_NE(m_sized, nullptr);
    }
    void TearDown() override
    {
        if (m_library != nullptr)
            dlclose(m_library);
    }

    int32_t callMain(const FragmentTexts& t, char* consensus, char* report, int32_t* contigs, char* messages,
                     int32_t gapOpen = 6)
    {
        const tallowin::cap::Parameters p = typicalParameters();
        return m_main(t.sequences.c_str(), static_cast<int32_t>(t.sequences.size()), t.names.c_str(),
                      static_cast<int32_t>(t.names.size()), t.count, p.clearStart, p.clearEnd, gapOpen, p.gapExtend,
                      p.match, p.mismatch, p.endMismatch, p.endGapExtend, p.minOverlap, p.minIdentity, p.minEndScore,
                      p.filterRate, consensus, report, contigs, messages);
    }

    int32_t callSized(const FragmentTexts& t, char* consensus, int32_t consensusCapacity, char* report,
                      int32_t reportCapacity, int32_t* contigs, char* messages, int32_t messagesCapacity,
                      int32_t* consensusNeeded, int32_t* reportNeeded)
    {
        const tallowin::cap::Parameters p = typicalParameters();
        return m_sized(t.sequences.c_str(), 0, t.names.c_str(), 0, t.count, p.clearStart, p.clearEnd, p.gapOpen,
                       p.gapExtend, p.match, p.mismatch, p.endMismatch, p.endGapExtend, p.minOverlap, p.minIdentity,
                       p.minEndScore, p.filterRate, consensus, consensusCapacity, report, reportCapacity, contigs,
                       messages, messagesCapacity, consensusNeeded, reportNeeded);
    }

    void* m_library = nullptr;
    CapMain m_main = nullptr;
    CapMainSized m_sized = nullptr;
};

FragmentTexts twoOverlapping(std::string& source)
{
    std::mt19937 rng(31);
    source = randomRna(rng, 160);
    FragmentTexts t;
    t.add("left", source.substr(0, 100));
    t.add("right", reverseComplement(source.substr(60)));
    return t;
}

} // namespace

TEST_F(CapExports, MainExportTerminatesItsTextsAndLeavesTheInputAlone)
{
    std::string source;
    const FragmentTexts t = twoOverlapping(source);
    const FragmentTexts before = t;
    std::string consensus(400, ' ');
    std::string report(4000, ' ');
    std::string messages(200, 'x');
    int32_t contigs = -1;
    ASSERT_EQ(callMain(t, consensus.data(), report.data(), &contigs, messages.data()), 1);
    EXPECT_EQ(contigs, 1);
    EXPECT_STREQ(consensus.c_str(), (";" + source).c_str());
    EXPECT_EQ(consensus[source.size() + 1], '\0');
    EXPECT_EQ(std::string(report.c_str()).rfind("\nContig 1\n", 0), 0u);
    EXPECT_STREQ(messages.c_str(), "");
    EXPECT_EQ(t.sequences, before.sequences);
    EXPECT_EQ(t.names, before.names);
}

TEST_F(CapExports, MainExportReturnsFailureOnBadInput)
{
    std::string source;
    const FragmentTexts t = twoOverlapping(source);
    std::string consensus(400, ' ');
    std::string report(4000, ' ');
    std::string messages(200, ' ');
    int32_t contigs = 7;
    EXPECT_EQ(callMain(t, consensus.data(), report.data(), &contigs, messages.data(), -1), 0);
    EXPECT_EQ(contigs, 0);
    EXPECT_STREQ(messages.c_str(), "The gap-open and gap-extend penalties are nonnegative integers\n");
    EXPECT_STREQ(consensus.c_str(), "");
    EXPECT_STREQ(report.c_str(), "");

    const tallowin::cap::Parameters p = typicalParameters();
    EXPECT_EQ(m_main(nullptr, 0, nullptr, 0, 2, p.clearStart, p.clearEnd, p.gapOpen, p.gapExtend, p.match,
                     p.mismatch, p.endMismatch, p.endGapExtend, p.minOverlap, p.minIdentity, p.minEndScore,
                     p.filterRate, consensus.data(), report.data(), &contigs, messages.data()),
              0);
    EXPECT_STREQ(messages.c_str(), "The sequence and name texts are required\n");
}

TEST_F(CapExports, SizedExportNeverWritesPastItsBuffers)
{
    std::string source;
    const FragmentTexts t = twoOverlapping(source);
    int32_t contigs = -1;
    int32_t consensusNeeded = 0;
    int32_t reportNeeded = 0;
    char messages[100];

    // Large enough: the whole texts, result 1.
    std::string consensus(400, '#');
    std::string report(4000, '#');
    ASSERT_EQ(callSized(t, consensus.data(), 400, report.data(), 4000, &contigs, messages, sizeof messages,
                        &consensusNeeded, &reportNeeded),
              1);
    EXPECT_EQ(consensusNeeded, static_cast<int32_t>(source.size()) + 2);
    const std::string fullReport = report.c_str();
    EXPECT_EQ(reportNeeded, static_cast<int32_t>(fullReport.size()) + 1);

    // Too small: what fits, terminated, guard bytes untouched, result 0.
    for (const int32_t capacity : {1, 10, 60}) {
        std::string small(static_cast<std::size_t>(capacity) + 8, '#');
        std::string smallReport(static_cast<std::size_t>(capacity) + 8, '#');
        EXPECT_EQ(callSized(t, small.data(), capacity, smallReport.data(), capacity, &contigs, messages,
                            sizeof messages, &consensusNeeded, &reportNeeded),
                  0);
        EXPECT_EQ(small.substr(static_cast<std::size_t>(capacity)), std::string(8, '#'));
        EXPECT_EQ(smallReport.substr(static_cast<std::size_t>(capacity)), std::string(8, '#'));
        EXPECT_EQ(std::string(small.c_str()), (";" + source).substr(0, static_cast<std::size_t>(capacity) - 1));
        EXPECT_EQ(std::string(smallReport.c_str()), fullReport.substr(0, static_cast<std::size_t>(capacity) - 1));
        EXPECT_STREQ(messages, "The output buffer is too small.\n");
        EXPECT_EQ(reportNeeded, static_cast<int32_t>(fullReport.size()) + 1);
    }

    // A tiny message buffer is cut, not overrun.
    char tinyMessages[6];
    std::memset(tinyMessages, '#', sizeof tinyMessages);
    std::string consensus2(400, '#');
    std::string report2(4000, '#');
    FragmentTexts none;
    none.count = 1;
    EXPECT_EQ(callSized(none, consensus2.data(), 400, report2.data(), 4000, &contigs, tinyMessages, 4, nullptr,
                        nullptr),
              0);
    EXPECT_STREQ(tinyMessages, "The");
    EXPECT_EQ(tinyMessages[4], '#');
}
