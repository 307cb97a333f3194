#include "sequence/SegmentInput.h"

#include <gtest/gtest.h>

namespace {

namespace si = sequence::SegmentInput;

struct Case {
    const char* name;
    const char* typed;
    std::int32_t length;
    bool ok;
    std::int32_t first, last;
};

void check(const char* what, si::Reading (*read)(std::string_view, std::int32_t), std::initializer_list<Case> cases)
{
    for (const Case& c : cases) {
        const si::Reading r = read(c.typed, c.length);
        EXPECT_EQ(r.ok(), c.ok) << what << ": " << c.name << " " << r.refusal;
        if (c.ok) {
            EXPECT_EQ(r.first, c.first) << what << ": " << c.name;
            EXPECT_EQ(r.last, c.last) << what << ": " << c.name;
        } else {
            EXPECT_NE(r.refusal.find(std::string("\"") + c.typed + "\" is not accepted."), std::string::npos)
                << what << ": " << c.name << " " << r.refusal;
        }
    }
}

TEST(SegmentInput, BeginningCountIsAWholeNumberBelowTheLength)
{
    check("beginning", si::BeginningCount,
          {
              {"plain", "11", 300, true, 11, 11},
              {"blanks around", "  11 ", 300, true, 11, 11},
              {"largest", "299", 300, true, 299, 299},
              {"the whole length", "300", 300, false, 0, 0},
              {"zero", "0", 300, false, 0, 0},
              {"negative", "-5", 300, false, 0, 0},
              {"decimal", "11.5", 300, false, 0, 0},
              {"letter for a digit", "1O", 300, false, 0, 0},
              {"two numbers", "11 23", 300, false, 0, 0},
              {"too many digits", "1234567890", 300, false, 0, 0},
              {"one site long", "1", 1, false, 0, 0},
          });
    EXPECT_EQ(si::BeginningCount("x", 16).refusal,
              "Number of beginning sites to delete: a whole number from 1 to 15 (the sequences are 16 sites long). "
              "\"x\" is not accepted.");
}

TEST(SegmentInput, InternalSitesAreAnOrderedPairBelowTheLength)
{
    check("internal", si::InternalSites,
          {
              {"pair", "11, 23", 300, true, 11, 23},
              {"no blank", "11,23", 300, true, 11, 23},
              {"one site", "40", 300, true, 40, 40},
              {"equal ends", "40, 40", 300, true, 40, 40},
              {"last allowed", "1, 299", 300, true, 1, 299},
              {"blank for the comma", "11 23", 300, false, 0, 0},
              {"reversed", "23, 11", 300, false, 0, 0},
              {"past the end", "11, 300", 300, false, 0, 0},
              {"zero first", "0, 5", 300, false, 0, 0},
              {"missing second", "11,", 300, false, 0, 0},
              {"three numbers", "1, 2, 3", 300, false, 0, 0},
              {"semicolon", "11; 23", 300, false, 0, 0},
          });
}

TEST(SegmentInput, EndingStartIsAWholeNumberUpToTheLength)
{
    check("ending", si::EndingStart,
          {
              {"first site", "1", 300, true, 1, 1},
              {"last site", "300", 300, true, 300, 300},
              {"past the end", "301", 300, false, 0, 0},
              {"words", "from 50", 300, false, 0, 0},
              {"empty set", "1", 0, false, 0, 0},
          });
}

} // namespace
