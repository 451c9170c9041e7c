#include "gui/widgets/CSizingAnchors.h"

#include <algorithm>

namespace {

std::uint8_t ModePercent(int mode, bool farEdge) {
    switch (mode) {
        case CSizingAnchors::kStretch:
            return farEdge ? 100 : 0;
        case CSizingAnchors::kMove:
            return 100;
        case CSizingAnchors::kCentre:
            return 50;
        default:
            return 0;
    }
}

std::uint8_t Percent(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 100));
}

int Moved(int edge, int growth, std::uint8_t percent) {
    return percent == 0 ? edge : edge + growth * percent / 100;
}

}  // namespace

CSizingAnchors CSizingAnchors::FromModes(int horizontalMode, int verticalMode) {
    CSizingAnchors a;
    a.left = ModePercent(horizontalMode, false);
    a.right = ModePercent(horizontalMode, true);
    a.top = ModePercent(verticalMode, false);
    a.bottom = ModePercent(verticalMode, true);
    return a;
}

CSizingAnchors CSizingAnchors::FromPercents(int left, int right, int top, int bottom) {
    return {Percent(left), Percent(right), Percent(top), Percent(bottom)};
}

CEdgeRect CSizingAnchors::Place(const CEdgeRect& reference, int dx, int dy) const {
    return {Moved(reference.left, dx, left), Moved(reference.top, dy, top),
            Moved(reference.right, dx, right), Moved(reference.bottom, dy, bottom)};
}
