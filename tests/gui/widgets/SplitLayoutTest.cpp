// The splitter's arithmetic without windows: rounded scaling, the first
// shares, proportions from weights, the layout of a list with its detail box,
// panes pinned at the minimum, and the drag of a bar with its clamp. The
// widget that applies it is SimpleSplitterTest's.
#include <gtest/gtest.h>

#include <numeric>

#include "gui/widgets/CSplitLayout.h"

namespace {

constexpr int kMin = 10;
constexpr int kBar = 4;

// The list with detail box: two stacked panes weighted 80 to 10.
CSplitLayout ListAndBox() {
    CSplitLayout layout(2, kMin, kBar);
    const std::int32_t weights[] = {80, 10};
    EXPECT_TRUE(layout.SetProportions(weights));
    return layout;
}

std::int32_t Sum(const std::vector<std::int32_t>& v) {
    return std::accumulate(v.begin(), v.end(), 0);
}

TEST(SplitLayout, ScaleRoundsToNearestAndDoesNotOverflow) {
    EXPECT_EQ(CSplitLayout::Scale(80, 32768, 90), 29127);
    EXPECT_EQ(CSplitLayout::Scale(29127, 400, 32768), 356);
    EXPECT_EQ(CSplitLayout::Scale(5, 1, 2), 3);  // a half goes up
    EXPECT_EQ(CSplitLayout::Scale(7, 1, 3), 2);  // 2.33 goes down
    EXPECT_EQ(CSplitLayout::Scale(8, 1, 3), 3);  // 2.67 goes up
    EXPECT_EQ(CSplitLayout::Scale(32768, 100000, 32768), 100000);
    EXPECT_EQ(CSplitLayout::Scale(12, 34, 0), 0);
}

TEST(SplitLayout, FirstSharesAreEqualAndTheLastTakesTheRest) {
    CSplitLayout two(2, kMin, kBar);
    EXPECT_EQ(two.Proportions(), (std::vector<std::int32_t>{16384, 16384}));
    CSplitLayout three(3, kMin, kBar);
    EXPECT_EQ(three.Proportions(), (std::vector<std::int32_t>{10923, 10923, 10922}));
    CSplitLayout none(0, kMin, kBar);
    EXPECT_EQ(none.PaneCount(), 1);
    EXPECT_EQ(none.Proportions(), (std::vector<std::int32_t>{32768}));
}

TEST(SplitLayout, WeightsSetBeforeAnySizeKeepTheirShares) {
    CSplitLayout layout(2, kMin, kBar);
    layout.Layout(0);
    const std::int32_t weights[] = {80, 10};
    ASSERT_TRUE(layout.SetProportions(weights));
    EXPECT_EQ(layout.Proportions(), (std::vector<std::int32_t>{29127, 3641}));
}

TEST(SplitLayout, WeightsBecomeSharesOf32768) {
    const CSplitLayout layout = ListAndBox();
    EXPECT_EQ(layout.Proportions(), (std::vector<std::int32_t>{29127, 3641}));

    CSplitLayout three(3, kMin, kBar);
    const std::int32_t weights[] = {1, 1, 2};
    ASSERT_TRUE(three.SetProportions(weights));
    EXPECT_EQ(three.Proportions(), (std::vector<std::int32_t>{8192, 8192, 16384}));
    // Rounded shares: the last pane takes what the others leave.
    const std::int32_t even[] = {1, 1, 1};
    ASSERT_TRUE(three.SetProportions(even));
    EXPECT_EQ(three.Proportions(), (std::vector<std::int32_t>{10923, 10923, 10922}));
}

TEST(SplitLayout, WrongWeightsChangeNothing) {
    CSplitLayout layout = ListAndBox();
    const std::int32_t tooMany[] = {1, 2, 3};
    const std::int32_t zero[] = {80, 0};
    const std::int32_t negative[] = {-5, 10};
    EXPECT_FALSE(layout.SetProportions(tooMany));
    EXPECT_FALSE(layout.SetProportions(zero));
    EXPECT_FALSE(layout.SetProportions(negative));
    EXPECT_EQ(layout.Proportions(), (std::vector<std::int32_t>{29127, 3641}));
}

TEST(SplitLayout, ListAndBoxIn404Pixels) {
    CSplitLayout layout = ListAndBox();
    layout.Layout(404);
    EXPECT_EQ(layout.Space(), 400);
    EXPECT_EQ(layout.Positions(), (std::vector<std::int32_t>{0, 360, 408}));
    EXPECT_EQ(layout.PaneStart(0), 0);
    EXPECT_EQ(layout.PaneLength(0), 356);
    EXPECT_EQ(layout.PaneStart(1), 360);
    EXPECT_EQ(layout.PaneLength(1), 44);
    // Nothing fell to the minimum, so the shares stay as set.
    EXPECT_EQ(layout.Proportions(), (std::vector<std::int32_t>{29127, 3641}));
    layout.Layout(804);
    EXPECT_EQ(layout.Proportions(), (std::vector<std::int32_t>{29127, 3641}));
    EXPECT_EQ(layout.PaneLength(0) + kBar + layout.PaneLength(1), 804);
}

TEST(SplitLayout, ABoxThatWouldFallBelowTheMinimumIsPinnedThere) {
    CSplitLayout layout = ListAndBox();
    layout.Layout(54);  // 50 pixels for the panes: the box would get 6
    EXPECT_EQ(layout.PaneLength(1), kMin);
    EXPECT_EQ(layout.PaneLength(0), 40);
    EXPECT_EQ(layout.Positions(), (std::vector<std::int32_t>{0, 44, 58}));
    EXPECT_EQ(layout.Proportions(), (std::vector<std::int32_t>{26214, 6554}));
    EXPECT_EQ(Sum(layout.Proportions()), 32768);
}

TEST(SplitLayout, PinnedPaneLeavesTheOthersTheirRatio) {
    CSplitLayout layout(3, kMin, kBar);
    const std::int32_t weights[] = {1, 50, 49};
    ASSERT_TRUE(layout.SetProportions(weights));
    layout.Layout(204);  // 196 for the panes; the first would get 2
    EXPECT_EQ(layout.PaneLength(0), kMin);
    const int second = layout.PaneLength(1);
    const int third = layout.PaneLength(2);
    EXPECT_EQ(kMin + second + third + 2 * kBar, 204);
    // 50 : 49 of the 186 pixels left, within a pixel of rounding.
    EXPECT_NEAR(second, 186 * 50 / 99.0, 1.0);
    EXPECT_NEAR(third, 186 * 49 / 99.0, 1.0);
}

TEST(SplitLayout, WhenTheMinimumsNeedEverythingPanesGetTheMinimumInOrder) {
    CSplitLayout layout = ListAndBox();
    layout.Layout(20);  // 16 pixels for two panes of at least 10
    EXPECT_EQ(layout.PaneLength(0), kMin);
    EXPECT_EQ(layout.PaneLength(1), 6);
    EXPECT_EQ(layout.Positions().back(), 2 * kBar + 16);
    // The squeeze does not wear the shares down.
    EXPECT_EQ(layout.Proportions(), (std::vector<std::int32_t>{29127, 3641}));
}

TEST(SplitLayout, SqueezedPanesGetTheMinimumWhileAnySpaceIsLeft) {
    CSplitLayout layout(3, kMin, kBar);
    layout.Layout(24);  // 16 pixels for three panes of at least 10
    EXPECT_EQ(layout.PaneLength(0), kMin);
    EXPECT_EQ(layout.PaneLength(1), 6);
    EXPECT_EQ(layout.PaneLength(2), 0);
    EXPECT_EQ(layout.Positions(), (std::vector<std::int32_t>{0, 14, 24, 28}));
}

TEST(SplitLayout, NoSpaceAtAllAndBackAgain) {
    CSplitLayout layout = ListAndBox();
    layout.Layout(2);  // less than the bar
    EXPECT_EQ(layout.Space(), 0);
    EXPECT_EQ(layout.PaneLength(0), 0);
    EXPECT_EQ(layout.PaneLength(1), 0);
    layout.Layout(404);
    EXPECT_EQ(layout.PaneLength(0), 356);
    EXPECT_EQ(layout.PaneLength(1), 44);
}

TEST(SplitLayout, DraggingTheBarIsClampedAndMovesTwoShares) {
    CSplitLayout layout = ListAndBox();
    layout.Layout(404);
    // A press on the bar (pixels 356 to 359) drags bar 1; the cursor keeps its
    // offset from the bar.
    EXPECT_EQ(layout.BeginDrag(358), 1);
    EXPECT_TRUE(layout.IsDragging());
    EXPECT_EQ(layout.TrackerPosition(), 360);
    EXPECT_EQ(layout.MoveDrag(202), 204);
    // Not past the minimum of the next pane: 10 pixels plus the bar above the bottom.
    EXPECT_EQ(layout.MoveDrag(5000), 408 - kBar - kMin);
    // Nor of the previous one.
    EXPECT_EQ(layout.MoveDrag(-300), kBar + kMin);
    EXPECT_EQ(layout.MoveDrag(5000), 394);
    layout.EndDrag();
    EXPECT_FALSE(layout.IsDragging());
    EXPECT_EQ(layout.Positions(), (std::vector<std::int32_t>{0, 394, 408}));
    EXPECT_EQ(layout.PaneLength(0), 390);
    EXPECT_EQ(layout.PaneLength(1), kMin);
    EXPECT_EQ(layout.Proportions(), (std::vector<std::int32_t>{31949, 819}));
    // The shares reproduce the dragged place when laid out again.
    layout.Layout(404);
    EXPECT_EQ(layout.Positions()[1], 394);
}

TEST(SplitLayout, DraggingAMiddleBarLeavesTheOuterShares) {
    CSplitLayout layout(3, kMin, kBar);
    layout.Layout(308);  // 300 for the panes, 100 each
    const std::int32_t first = layout.Proportions()[0];
    const int secondBar = layout.Positions()[2];
    EXPECT_EQ(layout.BeginDrag(secondBar - 1), 2);
    EXPECT_EQ(layout.MoveDrag(0), layout.Positions()[1] + kBar + kMin);
    layout.EndDrag();
    EXPECT_EQ(layout.Proportions()[0], first);
    EXPECT_EQ(layout.PaneLength(1), kMin);
    EXPECT_EQ(layout.PaneLength(0) + layout.PaneLength(1) + layout.PaneLength(2) + 2 * kBar, 308);
}

TEST(SplitLayout, APressBeyondTheLastBarDragsTheLastBar) {
    CSplitLayout layout = ListAndBox();
    layout.Layout(404);
    EXPECT_EQ(layout.BeginDrag(400), 1);
    EXPECT_EQ(layout.MoveDrag(400), 360);  // the press's offset from the bar is kept
    EXPECT_EQ(layout.MoveDrag(430), 390);
    layout.CancelDrag();
    EXPECT_FALSE(layout.IsDragging());
    EXPECT_EQ(layout.Positions()[1], 360);
}

}  // namespace
