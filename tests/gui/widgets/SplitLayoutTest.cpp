// The splitter's arithmetic without windows, the one place it is tested: scaling, shares, pinned
// and squeezed layouts, the clamped drag. The widgets tests check only that they follow it.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "gui/widgets/CSplitLayout.h"

namespace {

using Ints = std::vector<std::int32_t>;

constexpr int kMin = 10;
constexpr int kBar = 4;

CSplitLayout ListAndBox() {
    CSplitLayout layout(2, kMin, kBar);
    const std::int32_t weights[] = {80, 10};
    EXPECT_TRUE(layout.SetProportions(weights));
    return layout;
}

Ints Lengths(const CSplitLayout& layout) {
    Ints out(layout.PaneCount());
    std::ranges::generate(out, [&, i = 0]() mutable { return layout.PaneLength(i++); });
    return out;
}

TEST(SplitLayout, ScaleSharesAndLayoutsThatPinSqueezeAndKeepTheShares) {
    EXPECT_EQ(CSplitLayout::Scale(5, 1, 2), 3);  // a half goes up
    EXPECT_EQ(CSplitLayout::Scale(7, 1, 3), 2);  // 2.33 goes down
    EXPECT_EQ(CSplitLayout::Scale(8, 1, 3), 3);  // 2.67 goes up
    EXPECT_EQ(CSplitLayout::Scale(32768, 100000, 32768), 100000);
    EXPECT_EQ(CSplitLayout::Scale(12, 34, 0), 0);

    // Panes, weights (none: the first shares), shares.
    const std::tuple<int, Ints, Ints> cases[] = {
        {2, {}, {16384, 16384}},
        {3, {}, {10923, 10923, 10922}},  // the last pane takes what the others leave
        {0, {}, {32768}},
        {3, {1, 1, 2}, {8192, 8192, 16384}},
        {3, {1, 1, 1}, {10923, 10923, 10922}},
    };
    for (const auto& [panes, weights, shares] : cases) {
        CSplitLayout layout(panes, kMin, kBar);
        layout.Layout(0);  // weights set before any real size keep their shares
        if (!weights.empty()) {
            ASSERT_TRUE(layout.SetProportions(weights));
        }
        EXPECT_EQ(layout.Proportions(), shares) << panes << " panes";
    }
    // Wrong weights change nothing.
    CSplitLayout layout = ListAndBox();
    for (const Ints& wrong : {Ints{1, 2, 3}, Ints{80, 0}, Ints{-5, 10}}) {
        EXPECT_FALSE(layout.SetProportions(wrong));
    }
    EXPECT_EQ(layout.Proportions(), (Ints{29127, 3641}));

    // Extent, positions, lengths, shares.
    const std::tuple<int, Ints, Ints, Ints> layouts[] = {
        {404, {0, 360, 408}, {356, 44}, {29127, 3641}},
        {804, {0, 715, 808}, {711, 89}, {29127, 3641}},
        // 50 pixels for the panes: the box would get 6 and is pinned at the minimum.
        {54, {0, 44, 58}, {40, kMin}, {26214, 6554}},
        // The minimums need everything: panes get the minimum in order, shares stay.
        {20, {0, 14, 24}, {kMin, 6}, {29127, 3641}},
        // Less than the bar.
        {2, {0, 4, 8}, {0, 0}, {29127, 3641}},
    };
    for (const auto& [extent, positions, lengths, shares] : layouts) {
        CSplitLayout layout = ListAndBox();
        layout.Layout(extent);
        EXPECT_EQ(layout.Positions(), positions) << extent;
        EXPECT_EQ(Lengths(layout), lengths) << extent;
        EXPECT_EQ(layout.Proportions(), shares) << extent;
        EXPECT_EQ(layout.Space(), std::max(0, extent - kBar)) << extent;
        // And back again: a squeeze does not wear the shares down (a pin moves them).
        layout.Layout(404);
        EXPECT_EQ(Lengths(layout), (extent == 54 ? Ints{320, 80} : Ints{356, 44})) << extent;
    }

    CSplitLayout squeezed(3, kMin, kBar);
    squeezed.Layout(24);  // 16 pixels for three panes of at least 10
    EXPECT_EQ(Lengths(squeezed), (Ints{kMin, 6, 0}));
    EXPECT_EQ(squeezed.Positions(), (Ints{0, 14, 24, 28}));

    // A pinned pane leaves the others their ratio: 50 : 49 of the 186 pixels left.
    CSplitLayout pinned(3, kMin, kBar);
    const std::int32_t weights[] = {1, 50, 49};
    ASSERT_TRUE(pinned.SetProportions(weights));
    pinned.Layout(204);
    EXPECT_EQ(pinned.PaneLength(0), kMin);
    EXPECT_NEAR(pinned.PaneLength(1), 186 * 50 / 99.0, 1.0);
    EXPECT_EQ(kMin + pinned.PaneLength(1) + pinned.PaneLength(2) + 2 * kBar, 204);
}

TEST(SplitLayout, DraggingABarIsClampedAndMovesTheTwoSharesBesideIt) {
    CSplitLayout layout = ListAndBox();
    layout.Layout(404);
    // A press on the bar (pixels 356 to 359) drags bar 1; the cursor keeps its offset.
    EXPECT_EQ(layout.BeginDrag(358), 1);
    EXPECT_TRUE(layout.IsDragging());
    EXPECT_EQ(layout.TrackerPosition(), 360);
    EXPECT_EQ(layout.MoveDrag(202), 204);
    // Not past the minimum of the next pane, nor of the previous one.
    EXPECT_EQ(layout.MoveDrag(5000), 408 - kBar - kMin);
    EXPECT_EQ(layout.MoveDrag(-300), kBar + kMin);
    EXPECT_EQ(layout.MoveDrag(5000), 394);
    layout.EndDrag();
    EXPECT_FALSE(layout.IsDragging());
    EXPECT_EQ(layout.Positions(), (Ints{0, 394, 408}));
    EXPECT_EQ(Lengths(layout), (Ints{390, kMin}));
    EXPECT_EQ(layout.Proportions(), (Ints{31949, 819}));
    // The shares reproduce the dragged place when laid out again.
    layout.Layout(404);
    EXPECT_EQ(layout.Positions()[1], 394);

    // A press beyond the last bar drags the last bar; a cancelled drag moves nothing.
    CSplitLayout other = ListAndBox();
    other.Layout(404);
    EXPECT_EQ(other.BeginDrag(400), 1);
    EXPECT_EQ(other.MoveDrag(400), 360);
    EXPECT_EQ(other.MoveDrag(430), 390);
    other.CancelDrag();
    EXPECT_FALSE(other.IsDragging());
    EXPECT_EQ(other.Positions()[1], 360);

    // Dragging a middle bar leaves the outer shares.
    CSplitLayout three(3, kMin, kBar);
    three.Layout(308);  // 300 for the panes, 100 each
    const std::int32_t first = three.Proportions()[0];
    EXPECT_EQ(three.BeginDrag(three.Positions()[2] - 1), 2);
    EXPECT_EQ(three.MoveDrag(0), three.Positions()[1] + kBar + kMin);
    three.EndDrag();
    EXPECT_EQ(three.Proportions()[0], first);
    EXPECT_EQ(three.PaneLength(1), kMin);
    EXPECT_EQ(three.PaneLength(0) + three.PaneLength(1) + three.PaneLength(2) + 2 * kBar, 308);
}

}  // namespace
