// File names chosen to save under get the extension of the chosen filter.

#include "platform/dialogs/Dialogs.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/dialogs/CommonDialog.h"
#include "platform/dialogs/ScriptedDialogs.h"

namespace {

constexpr const char* kFilter = "Excel 97/2000 (*.xls)|*.xls|Native (*.vts)|*.vts;*.vt|All Files (*.*)|*.*|";

TEST(Dialogs, FilterExtensionIsTheFirstPatternOfTheEntry)
{
    struct Row {
        const char* filter;
        int index;
        const char* extension;
    } rows[] = {
        {kFilter, 1, "xls"},
        {kFilter, 2, "vts"},
        {kFilter, 3, ""},  // *.* names no format
        {kFilter, 4, ""},
        {kFilter, 0, ""},
        {"BMP Files (*.bmp)|*.bmp|", 1, "bmp"},
        {"GenBank (*.GB)|*.GB", 1, "GB"},
        {"Any (*)|*", 1, ""},
        {"Trees (*.dn?)|*.dn?", 1, ""},
        {"", 1, ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(platform::FilterExtension(r.filter, r.index), r.extension) << r.filter << " #" << r.index;
    }
}

TEST(Dialogs, WithExtensionAddsOneOnlyToANameWithout)
{
    struct Row {
        const char* path;
        const char* extension;
        const char* expected;
    } rows[] = {
        {"/out/graph", "bmp", "/out/graph.bmp"},
        {"/out/graph.", "bmp", "/out/graph.bmp"},
        {"/out/graph.png", "bmp", "/out/graph.png"},  // typed: kept
        {"/out.d/graph", "bmp", "/out.d/graph.bmp"},   // a dot in a folder does not count
        {"/out/.hidden", "txt", "/out/.hidden.txt"},   // nor a leading dot
        {"/out/graph", "", "/out/graph"},
        {"/out/", "bmp", "/out/"},
        {"graph", "emf", "graph.emf"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(platform::WithExtension(r.path, r.extension), r.expected) << r.path;
    }
}

TEST(Dialogs, SavedNamesGetTheChosenFiltersExtensionOpenedNamesDoNot)
{
    platform::ScriptedDialogs boxes;
    platform::ScopedDialogs scope(boxes);
    platform::FileDialogRequest save;
    save.save = true;
    save.filter = kFilter;
    save.defaultExt = "txt";

    boxes.choose("/out/book", 2);
    EXPECT_EQ(platform::dialogs().FileDialog(save)->path, "/out/book.vts");
    boxes.choose("/out/book", 1);
    EXPECT_EQ(platform::dialogs().FileDialog(save)->path, "/out/book.xls");
    boxes.choose("/out/book", 3);  // all files: the caller's default extension
    EXPECT_EQ(platform::dialogs().FileDialog(save)->path, "/out/book.txt");
    boxes.choose("/out/book.csv", 1);
    EXPECT_EQ(platform::dialogs().FileDialog(save)->path, "/out/book.csv");
    boxes.cancelFile();
    EXPECT_FALSE(platform::dialogs().FileDialog(save).has_value());

    platform::FileDialogRequest open = save;
    open.save = false;
    boxes.choose("/in/book", 1);
    EXPECT_EQ(platform::dialogs().FileDialog(open)->path, "/in/book");

    // The windows' common dialog control goes the same way.
    platform::CommonDialog control;
    control.Filter = "BMP Files (*.bmp)|*.bmp|";
    boxes.choose("/out/graph", 1);
    control.ShowSave();
    EXPECT_EQ(control.FileName, "/out/graph.bmp");
}

} // namespace
