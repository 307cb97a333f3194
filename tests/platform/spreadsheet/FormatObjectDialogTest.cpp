// The format dialog of the selected drawing objects: what it offers for
// one or several objects, what OK writes and what Cancel leaves.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/spreadsheet/FormatObjectDialog.h"
#include "platform/spreadsheet/SpreadsheetWidget.h"
#include "platform/spreadsheet/Workbook.h"

namespace {

using spreadsheet::DrawingObject;
using spreadsheet::FormatObjectDialog;
using spreadsheet::ObjectKind;
using spreadsheet::Workbook;

std::int32_t add(Workbook& book, ObjectKind kind, double lineWidth = 0.75)
{
    DrawingObject o;
    o.kind = kind;
    o.from = {1, 1, 0, 0};
    o.to = {4, 3, 5, 5};
    o.style.lineWidth = lineWidth;
    if (kind == ObjectKind::Polygon)
        o.points = {{0, 0}, {1, 1}};
    if (kind == ObjectKind::DropDown) {
        o.items = {"red", "green", "blue"};
        o.chosenItem = 3;
    }
    return book.addObject(1, o);
}

std::vector<std::string> tabs(const FormatObjectDialog& d)
{
    std::vector<std::string> out;
    for (int i = 0; i < d.pages()->count(); ++i)
        out.push_back(d.pages()->tabText(i).toStdString());
    return out;
}

void select(Workbook& book, const std::vector<std::int32_t>& ids)
{
    book.deselectObjects();
    for (std::int32_t id : ids)
        book.selectObject(id, true);
}

TEST(FormatObjectDialog, OffersTheSettingsTheSelectedObjectsHaveInCommon)
{
    Workbook book;
    const std::int32_t line = add(book, ObjectKind::Line);
    const std::int32_t rect = add(book, ObjectKind::Rectangle);
    const std::int32_t oval = add(book, ObjectKind::Oval);
    const std::int32_t check = add(book, ObjectKind::CheckBox);
    const std::int32_t list = add(book, ObjectKind::DropDown);
    const std::int32_t button = add(book, ObjectKind::Button);
    using Tabs = std::vector<std::string>;
    struct Case {
        const char* name;
        std::vector<std::int32_t> selected;
        std::int32_t pages;
        Tabs tabs;
    };
    const Case cases[] = {
        {"a line", {line}, 0x7FFFFFFF, {"Line", "Name"}},
        {"a rectangle", {rect}, 0x7FFFFFFF, {"Line", "Fill", "Text", "Name"}},
        {"a check box", {check}, 0x7FFFFFFF, {"Text", "Control", "Name"}},
        {"a drop-down list", {list}, 0x7FFFFFFF, {"Control", "Name"}},
        {"rectangle and oval", {rect, oval}, 0x7FFFFFFF, {"Line", "Fill", "Text"}},
        {"line and rectangle", {line, rect}, 0x7FFFFFFF, {"Line"}},
        {"button and check box", {button, check}, 0x7FFFFFFF, {"Text"}},
        {"only the fill page asked", {rect}, FormatObjectDialog::PageFill, {"Fill"}},
        {"a page the object lacks", {line}, FormatObjectDialog::PageFill, {}},
        {"nothing selected", {}, 0x7FFFFFFF, {}},
    };
    for (const Case& c : cases) {
        select(book, c.selected);
        FormatObjectDialog d(book, c.pages);
        EXPECT_EQ(tabs(d), c.tabs) << c.name;
        EXPECT_EQ(d.hasPages(), !c.tabs.empty()) << c.name;
    }
    // Arrow heads only when every object is a line.
    select(book, {line});
    EXPECT_TRUE(FormatObjectDialog(book, 0x7FFFFFFF).arrowAtEnd()->isEnabled());
    select(book, {line, oval});
    EXPECT_FALSE(FormatObjectDialog(book, 0x7FFFFFFF).arrowAtEnd()->isEnabled());
}

TEST(FormatObjectDialog, OkWritesWhatChangedAndCancelNothing)
{
    Workbook book;
    const std::int32_t rect = add(book, ObjectKind::Rectangle);
    select(book, {rect});
    const DrawingObject before = book.object(1, rect);
    {
        FormatObjectDialog d(book, 0x7FFFFFFF);
        d.text()->setText(QStringLiteral("changed"));
        d.lineWidth()->setValue(3);
        d.reject();
    }
    EXPECT_EQ(book.object(1, rect), before);

    FormatObjectDialog d(book, 0x7FFFFFFF);
    EXPECT_EQ(d.name()->text(), QStringLiteral("Rectangle 1"));
    d.lineColor()->setCurrentIndex(d.lineColor()->findText(QStringLiteral("Red")));
    d.lineWidth()->setValue(2.5);
    d.lineStyle()->setCurrentIndex(1);
    d.filled()->setChecked(false);
    d.text()->setText(QStringLiteral("Peak"));
    d.name()->setText(QStringLiteral("Peak box"));
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    const DrawingObject& o = book.object(1, rect);
    EXPECT_EQ(o.style.lineColor, 0xFF0000u);
    EXPECT_EQ(o.style.lineWidth, 2.5);
    EXPECT_EQ(o.style.lineStyle, 1);
    EXPECT_FALSE(o.style.filled);
    EXPECT_EQ(o.style.fillColor, before.style.fillColor);
    EXPECT_EQ(o.text, "Peak");
    EXPECT_EQ(o.name, "Peak box");
    EXPECT_EQ(o.from, before.from);
}

TEST(FormatObjectDialog, SeveralObjectsKeepWhatTheUserDidNotTouch)
{
    Workbook book;
    const std::int32_t thin = add(book, ObjectKind::Oval, 0.5);
    const std::int32_t thick = add(book, ObjectKind::Rectangle, 4);
    const std::int32_t other = add(book, ObjectKind::Oval);
    select(book, {thin, thick});
    FormatObjectDialog d(book, 0x7FFFFFFF);
    EXPECT_EQ(d.lineWidth()->value(), 0.5);  // the first object shows
    d.fillColor()->setCurrentIndex(d.fillColor()->findText(QStringLiteral("Light Blue")));
    d.accept();
    EXPECT_EQ(book.object(1, thin).style.fillColor, 0xCCE5FFu);
    EXPECT_EQ(book.object(1, thick).style.fillColor, 0xCCE5FFu);
    EXPECT_EQ(book.object(1, thin).style.lineWidth, 0.5);
    EXPECT_EQ(book.object(1, thick).style.lineWidth, 4);
    EXPECT_EQ(book.object(1, other).style.fillColor, 0xFFFFFFu);  // not selected
}

TEST(FormatObjectDialog, ControlsAndTheirListsStayConsistent)
{
    Workbook book;
    const std::int32_t check = add(book, ObjectKind::CheckBox);
    const std::int32_t list = add(book, ObjectKind::DropDown);
    select(book, {check});
    {
        FormatObjectDialog d(book, 0x7FFFFFFF);
        EXPECT_FALSE(d.items()->isEnabled());
        d.checkState()->setCurrentIndex(1);
        d.accept();
    }
    EXPECT_EQ(book.object(1, check).checkState, 1);

    select(book, {list});
    FormatObjectDialog d(book, 0x7FFFFFFF);
    EXPECT_EQ(d.chosenItem()->value(), 3);
    // Fewer items: the chosen one cannot point past the list; blank lines are no items.
    d.items()->setPlainText(QStringLiteral("low\n\nhigh\n"));
    EXPECT_EQ(d.chosenItem()->value(), 2);
    d.accept();
    const DrawingObject& o = book.object(1, list);
    EXPECT_EQ(o.items, (std::vector<std::string>{"low", "high"}));
    EXPECT_EQ(o.chosenItem, 2);
}

TEST(FormatObjectDialog, AnEmptyNameIsRefused)
{
    Workbook book;
    const std::int32_t id = add(book, ObjectKind::Arc);
    select(book, {id});
    FormatObjectDialog d(book, 0x7FFFFFFF);
    d.name()->setText(QStringLiteral("  "));
    d.lineWidth()->setValue(1.5);
    d.accept();
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_EQ(book.object(1, id).name, "Arc 1");
    EXPECT_EQ(book.object(1, id).style.lineWidth, 0.75);
}

TEST(FormatObjectDialog, TheSheetOpensItOnlyWithSomethingToShow)
{
    spreadsheet::SpreadsheetWidget widget;
    Workbook& book = widget.workbook();
    const std::int32_t line = add(book, ObjectKind::Line);
    int opened = 0;
    const auto answer = [&opened](bool ok) {
        QTimer::singleShot(0, [&opened, ok] {
            auto* d = qobject_cast<FormatObjectDialog*>(QApplication::activeModalWidget());
            if (!d)
                return;
            ++opened;
            d->arrowAtEnd()->setChecked(true);
            if (ok)
                d->accept();
            else
                d->reject();
        });
    };
    // Nothing selected, or no page that the line has: nothing opens.
    answer(true);
    widget.FormatObjectDlg(0x7FFFFFFF);
    QApplication::processEvents();
    book.selectObject(line, false);
    answer(true);
    widget.FormatObjectDlg(FormatObjectDialog::PageText);
    QApplication::processEvents();
    EXPECT_EQ(opened, 0);

    answer(false);
    widget.FormatObjectDlg(0x7FFFFFFF);
    EXPECT_FALSE(book.object(1, line).style.arrowAtEnd);
    answer(true);
    widget.FormatObjectDlg(0x7FFFFFFF);
    EXPECT_TRUE(book.object(1, line).style.arrowAtEnd);
    EXPECT_EQ(opened, 2);
}

} // namespace
