#include "gui/widgets/CSplitLayout.h"

#include <algorithm>

std::int32_t CSplitLayout::Scale(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c == 0) {
        return 0;
    }
    const std::int64_t wide = (static_cast<std::int64_t>(a) * b + c / 2) / c;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(wide, INT32_MIN, INT32_MAX));
}

CSplitLayout::CSplitLayout(int paneCount, int minPane, int barWidth)
    : m_minPane(std::max(minPane, 0)), m_barWidth(std::max(barWidth, 0)) {
    const int n = std::max(paneCount, 1);
    const std::int32_t each = (kWhole + n / 2) / n;
    m_proportions.assign(n, each);
    m_proportions.back() = kWhole - each * (n - 1);
    m_positions.assign(n + 1, 0);
}

bool CSplitLayout::SetProportions(std::span<const std::int32_t> weights) {
    if (static_cast<int>(weights.size()) != PaneCount()) {
        return false;
    }
    std::int64_t total = 0;
    for (std::int32_t w : weights) {
        if (w < 1) {
            return false;
        }
        total += w;
    }
    if (total > INT32_MAX) {
        return false;
    }
    std::int32_t assigned = 0;
    for (int i = 0; i + 1 < PaneCount(); ++i) {
        m_proportions[i] = Scale(weights[i], kWhole, static_cast<std::int32_t>(total));
        assigned += m_proportions[i];
    }
    m_proportions.back() = kWhole - assigned;
    if (HasExtent()) {
        Layout(m_clientExtent);
    }
    return true;
}

int CSplitLayout::PaneSize(std::int32_t proportion) const {
    return Scale(proportion, m_space, kWhole);
}

void CSplitLayout::Layout(int clientExtent) {
    m_clientExtent = std::max(clientExtent, 0);
    m_space = std::max(m_clientExtent - (PaneCount() - 1) * m_barWidth, 0);
    if (m_space >= PaneCount() * m_minPane) {
        Pin(m_proportions);
        SetPositions(m_proportions);
        return;
    }
    // Too small for every pane's minimum (a splitter not sized yet, or squeezed
    // shut): laid out from a copy, so that the shares come back with the space.
    std::vector<std::int32_t> squeezed = m_proportions;
    Pin(squeezed);
    SetPositions(squeezed);
}

void CSplitLayout::Pin(std::vector<std::int32_t>& proportions) const {
    // Each pass pins at least one more pane or changes nothing, so N + 1
    // passes always reach the end; the bound only guards against rounding.
    for (int pass = 0; pass <= PaneCount() && PinPass(proportions); ++pass) {
    }
}

// One pass: panes at or below the minimum are pinned there; the others share
// what the pinned ones leave, in their present ratio. Answers whether a pinned
// pane's proportion changed (another pass is needed).
bool CSplitLayout::PinPass(std::vector<std::int32_t>& proportions) const {
    const std::int32_t minProportion =
        m_minPane <= m_space ? Scale(m_minPane, kWhole, m_space) : kWhole;
    std::int32_t rest = kWhole;
    std::int32_t flexible = kWhole;
    bool changed = false;
    for (std::int32_t& p : proportions) {
        const int size = PaneSize(p);
        if (size > m_minPane) {
            continue;
        }
        flexible -= p;
        if (size < m_minPane && p != minProportion) {
            p = minProportion;
            changed = true;
        }
        rest -= p;
    }
    if (rest < 1) {
        PinAll(proportions);
        return false;
    }
    if (rest == kWhole || flexible <= 0) {
        return changed;
    }
    for (std::int32_t& p : proportions) {
        if (PaneSize(p) != m_minPane) {
            p = Scale(p, rest, flexible);
        }
    }
    return changed;
}

// The pinned panes need everything: each gets the minimum while any is left.
void CSplitLayout::PinAll(std::vector<std::int32_t>& proportions) const {
    const std::int32_t minProportion = m_space == 0 ? 0 : Scale(m_minPane, kWhole, m_space);
    std::int32_t unassigned = kWhole;
    for (std::int32_t& p : proportions) {
        p = std::min(minProportion, unassigned);
        unassigned -= p;
    }
}

void CSplitLayout::SetPositions(const std::vector<std::int32_t>& proportions) {
    const int n = PaneCount();
    m_positions[0] = 0;
    for (int i = 0; i + 1 < n; ++i) {
        m_positions[i + 1] = m_positions[i] + PaneSize(proportions[i]) + m_barWidth;
    }
    m_positions[n] = n * m_barWidth + m_space;
}

int CSplitLayout::PaneStart(int i) const {
    return m_positions[i];
}

int CSplitLayout::PaneLength(int i) const {
    return std::max(m_positions[i + 1] - m_barWidth - m_positions[i], 0);
}

int CSplitLayout::BeginDrag(int coordinate) {
    const int n = PaneCount();
    if (n < 2) {
        return 0;
    }
    int k = 1;
    while (k < n && m_positions[k] < coordinate) {
        ++k;
    }
    // A press beyond the last bar belongs to no bar of its own: the last one.
    k = std::min(k, n - 1);
    m_dragBar = k;
    m_trackerPos = m_positions[k];
    m_dragOffset = coordinate - m_positions[k];
    return k;
}

int CSplitLayout::MoveDrag(int coordinate) {
    if (!IsDragging()) {
        return m_trackerPos;
    }
    const int k = m_dragBar;
    const int upper = m_positions[k + 1] - m_barWidth - m_minPane;
    const int lower = m_positions[k - 1] + m_barWidth + m_minPane;
    int t = coordinate - m_dragOffset;
    if (t > upper) {
        t = upper;
    } else if (t < lower) {
        t = lower;
    }
    m_trackerPos = t;
    return t;
}

void CSplitLayout::EndDrag() {
    if (!IsDragging()) {
        return;
    }
    const int k = m_dragBar;
    m_positions[k] = m_trackerPos;
    // Panes already squeezed below a bar's width leave no room to drag into.
    const int before = std::max(m_positions[k] - m_positions[k - 1] - m_barWidth, 0);
    const int after = std::max(m_positions[k + 1] - m_positions[k] - m_barWidth, 0);
    m_proportions[k - 1] = Scale(before, kWhole, m_space);
    m_proportions[k] = Scale(after, kWhole, m_space);
    m_dragBar = 0;
}

void CSplitLayout::CancelDrag() {
    m_dragBar = 0;
}
