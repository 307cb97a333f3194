#include "platform/runtime/PrintLine.h"

#include <gtest/gtest.h>

using platform::rt::PrintLine;

TEST(PrintLine, CommaMovesToTheNextFourteenColumnZone)
{
    PrintLine p;
    p.item("a").zone().item("b").zone().item("c").endLine();
    EXPECT_EQ(p.text(), "a" + std::string(13, ' ') + "b" + std::string(13, ' ') + "c\r\n");
}

TEST(PrintLine, AFullZoneMovesToTheZoneAfter)
{
    PrintLine p;
    p.item(std::string(14, 'x')).zone().item("y");
    EXPECT_EQ(p.text(), std::string(14, 'x') + std::string(14, ' ') + "y");
}

TEST(PrintLine, NumbersCarrySignBlankAndTrailingBlank)
{
    PrintLine p;
    p.item(5.0).item(-2.0).item(0.5).endLine();
    EXPECT_EQ(p.text(), " 5 -2  .5 \r\n");
}

TEST(PrintLine, TabMovesToColumnOrToANewLine)
{
    PrintLine p;
    p.item("abc").tab(6).item("d").tab(2).item("e");
    EXPECT_EQ(p.text(), "abc  d\r\n e");
    EXPECT_EQ(p.column(), 3);
}
