// Shows a system cursor through the UI seam and puts the one shown before back.
#pragma once

#include "platform/WinTypes.h"

namespace STreeItemInfo::UI {

class CCursorSwitch {
public:
    explicit CCursorSwitch(UINT cursorId, bool restoreOnDestruction = false)
        : m_cursor(cursorId), m_restoreOnDestruction(restoreOnDestruction) {}
    ~CCursorSwitch();
    CCursorSwitch(const CCursorSwitch&) = delete;
    CCursorSwitch& operator=(const CCursorSwitch&) = delete;

    // Each answers whether it changed anything.
    bool On();
    bool Off();
    bool IsOn() const { return m_on; }

private:
    UINT m_cursor;
    UINT m_previous = 0;
    bool m_on = false;
    bool m_restoreOnDestruction;
};

}  // namespace STreeItemInfo::UI
