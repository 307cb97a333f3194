#include "app/WindowLayout.h"

#include <gtest/gtest.h>

namespace {

namespace layout = shell::WindowLayout;

bool usable(const QRect& r, QSize area)
{
    return r.width() >= std::min(layout::UsableSize.width(), area.width()) &&
           r.height() >= std::min(layout::UsableSize.height(), area.height());
}

TEST(WindowLayout, CascadeAndNewWindowsStayUsableAndInsideTheArea)
{
    const struct {
        const char* name;
        QSize area;
        int n;
    } rows[] = {
        {"two in a roomy frame", {1200, 800}, 2},
        {"many in a roomy frame", {1200, 800}, 40},
        {"a few in a small frame", {500, 300}, 5},
        {"a frame smaller than usable", {200, 120}, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QRect area(QPoint(0, 0), row.area);
        const auto places = layout::cascade(row.area, row.n, 24);
        ASSERT_EQ(static_cast<int>(places.size()), row.n);
        for (int i = 0; i < row.n; ++i) {
            const QRect& r = places[static_cast<std::size_t>(i)];
            EXPECT_TRUE(usable(r, row.area)) << i;
            EXPECT_TRUE(area.contains(r)) << i;
            const QRect fresh = layout::newWindow(row.area, i, 24);
            EXPECT_TRUE(usable(fresh, row.area)) << i;
            EXPECT_TRUE(area.contains(fresh)) << i;
        }
    }
    // Two windows in a roomy frame: one step apart, the same size, most of
    // the area each.
    const auto two = layout::cascade({1200, 800}, 2, 24);
    EXPECT_EQ(two[0], QRect(0, 0, 1176, 776));
    EXPECT_EQ(two[1], QRect(24, 24, 1176, 776));
    EXPECT_EQ(layout::newWindow({1200, 800}, 0, 24), QRect(0, 0, 900, 600));
    EXPECT_EQ(layout::newWindow({1200, 800}, 1, 24), QRect(24, 24, 900, 600));
}

TEST(WindowLayout, TileCoversTheAreaWithoutOverlap)
{
    const struct {
        const char* name;
        int n;
        std::vector<QRect> want;
    } rows[] = {
        {"one", 1, {{0, 0, 1200, 800}}},
        {"two side by side", 2, {{0, 0, 600, 800}, {600, 0, 600, 800}}},
        {"three: the last row shares its width", 3, {{0, 0, 600, 400}, {600, 0, 600, 400}, {0, 400, 1200, 400}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(layout::tile({1200, 800}, row.n), row.want);
    }
    // Too many for the area: every window keeps a usable size and none
    // overlaps another.
    const auto many = layout::tile({800, 600}, 30);
    for (std::size_t i = 0; i < many.size(); ++i) {
        EXPECT_TRUE(usable(many[i], {800, 600}));
        for (std::size_t j = i + 1; j < many.size(); ++j) {
            EXPECT_FALSE(many[i].intersects(many[j])) << i << " " << j;
        }
    }
    EXPECT_TRUE(layout::tile({800, 600}, 0).empty());
}

} // namespace
