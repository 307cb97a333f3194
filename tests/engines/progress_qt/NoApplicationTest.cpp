// Without a Qt application the factory makes no window, and engines run
// without one.

#include "engines/progress_qt/QtProgress.h"

#include "engines/map/MapExports.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <string>

TEST(QtProgressWithoutApplication, MakesNoWindowAndTheEngineStillRuns)
{
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_EQ(tallowin::createQtProgress(nullptr), nullptr);

    tallowin::installQtProgress(tallowin_set_progress_factory);
    std::string messages(4096, ' '), output(64, ' ');
    int32_t order[2] = {-1, -1};
    EXPECT_EQ(mapMainDll("a b", 3, "ACGT ACGT", 9, 2, 10, -5, 10, 10, 4, 0, "", 0, nullptr, messages.data(),
                         output.data(), order),
              1);
    EXPECT_STREQ(output.c_str(), "ACGT;ACGT;");
    tallowin_set_progress_factory(nullptr, nullptr);
}
