#include "engines/progress_qt/QtProgress.h"

#include "engines/map/MapExports.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include <memory>

namespace {

int gCreated = 0;

tallowin::EngineProgress* countingFactory(void* user)
{
    auto* p = tallowin::createQtProgress(user);
    if (p != nullptr)
        ++gCreated;
    return p;
}

TEST(QtProgress, ShowsTheEngineConversationAndGoesWithTheCall)
{
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    std::unique_ptr<tallowin::EngineProgress> made(tallowin::createQtProgress(nullptr));
    ASSERT_NE(made, nullptr);
    auto* dialog = dynamic_cast<tallowin::QtProgress*>(made.get());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Running......");
    EXPECT_EQ(dialog->textLabel()->text(), "Running...");
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->parentWidget(), nullptr);

    made->open();
    EXPECT_TRUE(dialog->isVisible());
    made->setCaption("Multiple Alignment");
    made->setText("Running...\n\nAllocating memory.\n");
    made->setRange(0, 45);
    made->setPosition(17);
    EXPECT_EQ(dialog->windowTitle(), "Multiple Alignment");
    EXPECT_EQ(dialog->textLabel()->text(), "Running...\n\nAllocating memory.\n");
    EXPECT_EQ(dialog->bar()->minimum(), 0);
    EXPECT_EQ(dialog->bar()->maximum(), 45);
    EXPECT_EQ(dialog->bar()->value(), 17);
    made->close();
    EXPECT_FALSE(dialog->isVisible());
    made.reset();

    // Installed into the engine library, an engine run gets its window.
    tallowin::installQtProgress(tallowin_set_progress_factory);
    tallowin_set_progress_factory(&countingFactory, nullptr);
    std::string messages(4096, ' '), output(64, ' ');
    int32_t order[2] = {-1, -1};
    EXPECT_EQ(mapMainDll("a b", 3, "ACGT ACGA", 9, 2, 10, -5, 10, 10, 4, 0, "", 0, nullptr, messages.data(),
                         output.data(), order),
              1);
    EXPECT_EQ(gCreated, 1);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()) << "the window must be gone after the call";
    tallowin_set_progress_factory(nullptr, nullptr);
}

} // namespace
