#include "program/tree/CCursorSwitch.h"

#include "program/ui/IUserInterface.h"

namespace STreeItemInfo::UI {

CCursorSwitch::~CCursorSwitch() {
    if (m_restoreOnDestruction) {
        Off();
    }
}

bool CCursorSwitch::On() {
    if (m_on) {
        return false;
    }
    m_previous = GetUserInterface().SetCursor(m_cursor);
    m_on = true;
    return true;
}

bool CCursorSwitch::Off() {
    if (!m_on) {
        return false;
    }
    GetUserInterface().SetCursor(m_previous);
    m_on = false;
    return true;
}

}  // namespace STreeItemInfo::UI
