#include "sequence/editor/CSpliter.h"

#include <gtest/gtest.h>

namespace {

using sequence::editor::CSpliter;
using sequence::editor::SplitControl;

struct FakeControl final : SplitControl {
    FakeControl(int l, int t, int w, int h) : l(l), t(t), w(w), h(h) {}
    std::int32_t left() const override { return l; }
    std::int32_t top() const override { return t; }
    std::int32_t width() const override { return w; }
    std::int32_t height() const override { return h; }
    void move(std::int32_t nl, std::int32_t nt, std::int32_t nw, std::int32_t nh) override
    {
        l = nl, t = nt, w = nw, h = nh;
    }
    void setPointer(int shape) override { pointer = shape; }
    int l, t, w, h;
    int pointer = 0;
};

struct Editor {
    FakeControl left{30, 30, 1970, 5000};
    FakeControl right{2030, 30, 6970, 5000};
    FakeControl form{0, 0, 8000, 6000};
    FakeControl slider{2030, 5010, 6970, 300};
    CSpliter bar;
    Editor()
    {
        bar.setLeftPane(&left);
        bar.setRightPane(&right);
        bar.setHostForm(&form);
        bar.setBarWidth(30);
        bar.setMargin(30);
    }
};

TEST(CSpliter, PointerTurnsNearTheGapOnly)
{
    struct Case {
        double x, y;
        int formPointer;
    } cases[] = {
        {1850, 100, CSpliter::kSizeWE}, {1800, 100, CSpliter::kArrow}, {2229, 100, CSpliter::kSizeWE},
        {2230, 100, CSpliter::kArrow},  {1900, 30, CSpliter::kArrow},  {1900, 5029, CSpliter::kSizeWE},
        {1900, 5030, CSpliter::kArrow},
    };
    for (const auto& c : cases) {
        Editor e;
        e.bar.MouseMove(c.x, c.y, &e.slider);
        EXPECT_EQ(e.form.pointer, c.formPointer) << c.x << "," << c.y;
        EXPECT_EQ(e.left.w, 1970) << "moving without a drag moves nothing";
    }
}

TEST(CSpliter, DragMovesTheGapWithinThePanes)
{
    Editor e;
    e.bar.MouseDown();
    e.bar.MouseMove(1900, 100, &e.slider);
    EXPECT_EQ(e.left.w, 1870);
    EXPECT_EQ(e.right.l, 1930);
    EXPECT_EQ(e.right.l + e.right.w, 9000);
    EXPECT_EQ(e.slider.l, 1930);
    EXPECT_EQ(e.slider.w, e.right.w);
    // Step by step to 3000, staying on the bar.
    for (int x = 1950; x <= 3000; x += 50)
        e.bar.MouseMove(x, 100, &e.slider);
    EXPECT_EQ(e.left.w, 3000 - 30);
    EXPECT_EQ(e.right.l, 3030);
    EXPECT_EQ(e.right.l + e.right.w, 9000);
    e.bar.MouseUp();
    e.bar.MouseMove(3100, 100, &e.slider);
    EXPECT_EQ(e.left.w, 2970) << "released: no more dragging";
    EXPECT_FALSE(e.bar.isDragging());
}

TEST(CSpliter, DragBeyondThePanesMovesNothing)
{
    Editor e;
    e.bar.setHotZone(100000);
    e.bar.MouseDown();
    for (double x : {9001.0, 29.0, -50.0}) {
        e.bar.MouseMove(x, 100, &e.slider);
        EXPECT_EQ(e.left.w, 1970) << x;
        EXPECT_EQ(e.right.l, 2030) << x;
    }
}

TEST(CSpliter, ResizeLaysOutPanesAndScrollControls)
{
    FakeControl left{0, 0, 2000, 100}, right{0, 0, 100, 100}, form{0, 0, 8000, 6000};
    FakeControl status{0, 0, 8000, 300}, vbar{0, 0, 255, 100}, slider{0, 0, 100, 300};
    CSpliter bar;
    bar.setLeftPane(&left);
    bar.setRightPane(&right);
    bar.setHostForm(&form);
    bar.setBarWidth(30);
    bar.setMargin(30);
    bar.FrmResize(&status, &vbar, &slider);
    EXPECT_EQ(left.h, 5640);
    EXPECT_EQ(right.h, 5640);
    EXPECT_EQ(left.t, 30);
    EXPECT_EQ(right.t, 30);
    EXPECT_EQ(left.l, 29);
    EXPECT_EQ(left.w, 2000);
    EXPECT_EQ(right.l, 2060);
    EXPECT_EQ(right.w, 5656);
    EXPECT_EQ(vbar.l, 7716);
    EXPECT_EQ(vbar.h, 5640);
    EXPECT_EQ(slider.t, 5650);
    EXPECT_EQ(slider.l, 2060);
    EXPECT_EQ(slider.w, 5656);
}

TEST(CSpliter, MarginIsKeptAsSixteenBits)
{
    CSpliter bar;
    EXPECT_EQ(bar.BarWidth(), 5);
    EXPECT_EQ(bar.Margin(), 5);
    EXPECT_EQ(bar.HotZone(), 200);
    bar.setMargin(65536 + 30);
    EXPECT_EQ(bar.Margin(), 30);
}

} // namespace
