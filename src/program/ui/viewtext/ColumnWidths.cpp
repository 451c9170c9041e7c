#include "program/ui/viewtext/ColumnWidths.h"

#include <cstdint>

namespace viewtext {

SColumnWidths SplitColumnWidths(int clientWidth, int firstWeight, int secondWeight) {
    const std::int64_t width = clientWidth > 0 ? clientWidth : 0;
    if (firstWeight < 0 || secondWeight < 0 || firstWeight + std::int64_t{secondWeight} == 0) {
        return {0, static_cast<int>(width)};
    }
    const std::int64_t sum = std::int64_t{firstWeight} + secondWeight;
    const auto first = static_cast<int>((width * firstWeight + sum / 2) / sum);
    return {first, static_cast<int>(width - first)};
}

}  // namespace viewtext
