// Two list columns sharing the list's client width by weights.
#pragma once

namespace viewtext {

struct SColumnWidths {
    int first = 0;
    int second = 0;
};

// The first column gets width * weight / (sum of weights), rounded to nearest;
// the second the rest. A negative width counts as 0; a negative weight, or
// two zero weights, give the first column nothing and the second all.
SColumnWidths SplitColumnWidths(int clientWidth, int firstWeight, int secondWeight);

}  // namespace viewtext
