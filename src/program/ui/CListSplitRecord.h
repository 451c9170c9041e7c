// The main frame's record of the last split between a list and its detail box: the two pane
// proportions (units of 1/32768) and whether a list has stored them yet. Lists created later
// open with the same split, for the rest of the run.
#pragma once

#include <cstdint>

struct CListSplitRecord {
    std::int32_t first = 0;
    std::int32_t second = 0;
    bool valid = false;
};
