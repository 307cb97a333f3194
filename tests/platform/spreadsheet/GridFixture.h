#pragma once

// A shown, active SpreadsheetWidget for the tests that drive it as a user
// does: keys go to the widget with the focus, clicks land on cells.

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "platform/spreadsheet/SpreadsheetWidget.h"

namespace spreadsheet_test {

class GridFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        widget = std::make_unique<spreadsheet::SpreadsheetWidget>();
        widget->resize(900, 700);
        widget->show();
        widget->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(widget.get()));
        surface = widget->gridSurface();
    }

    void clickCell(int row, int col)
    {
        QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, widget->cellRect(row, col).center());
    }

    std::unique_ptr<spreadsheet::SpreadsheetWidget> widget;
    QWidget* surface = nullptr;
};

} // namespace spreadsheet_test
