// How a control of a resizable form follows the form's growth: four edge
// percentages (0 to 100) of the growth by which its left, right, top and
// bottom edges move, and the placement of a reference rectangle for a growth.
#pragma once

#include <cstdint>

struct CEdgeRect {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive
    int bottom = 0;  // exclusive

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const CEdgeRect&) const = default;
};

struct CSizingAnchors {
    // Registration modes, one for each direction.
    enum Mode : int {
        kKeep = 0,     // keeps position and size
        kStretch = 1,  // stretches with the view
        kMove = 2,     // moves with the right or bottom edge
        kCentre = 3,   // moves by half the growth
    };

    std::uint8_t left = 0;
    std::uint8_t right = 0;
    std::uint8_t top = 0;
    std::uint8_t bottom = 0;

    // The percentages of a horizontal and a vertical mode; an unknown mode
    // counts as kKeep.
    static CSizingAnchors FromModes(int horizontalMode, int verticalMode);
    // Percentages above 100 count as 100.
    static CSizingAnchors FromPercents(int left, int right, int top, int bottom);

    bool IsNull() const { return left == 0 && right == 0 && top == 0 && bottom == 0; }

    // Each edge moves by the growth times its percentage / 100, truncated.
    CEdgeRect Place(const CEdgeRect& reference, int dx, int dy) const;
};
