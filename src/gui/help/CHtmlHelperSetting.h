// The help window's state as the registry keeps it: five REG_DWORD values "left", "top",
// "right", "bottom" and "iNavWidth" under one key (the product key's "\HelpSettings").
#pragma once

#include <cstdint>

#include "program/core/settings/CSetting.h"

namespace SHTMLHelper {

// The window's rectangle in screen coordinates (right and bottom exclusive) and the width of
// its navigation pane.
struct CHelpWindowState {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    std::int32_t navWidth = 0;

    // A rectangle worth restoring: left below right and top below bottom.
    bool HasRect() const { return left < right && top < bottom; }
};

namespace SSaveState {

class CHtmlHelperSetting : public CSetting {
public:
    CHtmlHelperSetting(std::wstring subkey, CHelpWindowState* state, HKEY root = HKEY_CURRENT_USER);

protected:
    // The rectangle is replaced only when all four of its values were read; the width when it
    // was read. True when both were.
    bool LoadValue(HKEY key) override;
    // The four rectangle values in order, stopping at the first failure, then the width.
    bool SaveValue(HKEY key) override;

private:
    CHelpWindowState* m_state;
};

}  // namespace SSaveState
}  // namespace SHTMLHelper
