// The arithmetic of CSimpleSplitter, without windows: pane proportions in
// units of 1/32768 of the space left for the panes, the pixel positions laid
// out from them with a pinned minimum pane size, and the drag of a bar with
// its clamped tracker. The widget feeds it client sizes and mouse
// coordinates along the split direction and moves its panes where it says.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

class CSplitLayout {
public:
    static constexpr std::int32_t kWhole = 32768;

    // a * b / c rounded to the nearest integer (for positive values), computed
    // wide so that large pixel sizes cannot overflow; 0 when c is 0.
    static std::int32_t Scale(std::int32_t a, std::int32_t b, std::int32_t c);

    // Every pane but the last gets (32768 + N / 2) / N, the last the rest.
    // A pane count below 1 counts as 1; negative sizes as 0.
    CSplitLayout(int paneCount, int minPane, int barWidth);

    int PaneCount() const { return static_cast<int>(m_proportions.size()); }
    int MinPane() const { return m_minPane; }
    int BarWidth() const { return m_barWidth; }

    // N positive weights: each pane but the last gets its share of 32768, the
    // last what remains; then lays out again for the last client extent, if
    // one was given yet.
    // Answers false (nothing changes) for a wrong count or a weight below 1.
    bool SetProportions(std::span<const std::int32_t> weights);
    const std::vector<std::int32_t>& Proportions() const { return m_proportions; }

    // Lays out for a client extent along the split direction: pins panes that
    // fall to the minimum (changing their proportions), then sets positions.
    // An extent too small for every pane's minimum leaves the proportions as
    // they are.
    void Layout(int clientExtent);
    // N + 1 values: the start of each pane and the end.
    const std::vector<std::int32_t>& Positions() const { return m_positions; }
    bool HasExtent() const { return m_clientExtent >= 0; }
    // The space left for the panes: client extent minus the bars, never below 0.
    int Space() const { return m_space; }
    // Pane i runs from its position to the next position minus the bar width.
    int PaneStart(int i) const;
    int PaneLength(int i) const;

    // Dragging a bar. Begin answers the index k of the bar being dragged (the
    // bar just before position k); Move answers the clamped tracker position;
    // End moves position k there and recomputes the two neighbouring
    // proportions; the others stay.
    int BeginDrag(int coordinate);
    int MoveDrag(int coordinate);
    void EndDrag();
    void CancelDrag();
    bool IsDragging() const { return m_dragBar > 0; }
    int DragBar() const { return m_dragBar; }
    int TrackerPosition() const { return m_trackerPos; }

private:
    void Pin(std::vector<std::int32_t>& proportions) const;
    bool PinPass(std::vector<std::int32_t>& proportions) const;
    void PinAll(std::vector<std::int32_t>& proportions) const;
    void SetPositions(const std::vector<std::int32_t>& proportions);
    int PaneSize(std::int32_t proportion) const;

    int m_minPane;
    int m_barWidth;
    int m_clientExtent = -1;  // none given yet
    int m_space = 0;
    std::vector<std::int32_t> m_proportions;
    std::vector<std::int32_t> m_positions;
    int m_dragBar = 0;
    int m_trackerPos = 0;
    int m_dragOffset = 0;
};
