// Shows a text in the main window's status bar, and a wait cursor, while it lives.
#pragma once

#include <string>

#include "program/ui/CFrameFacade.h"
#include "program/ui/IUserInterface.h"

namespace SVKCERT {

class CStatusText {
public:
    CStatusText(const CFrameFacade& facade, const std::wstring& text, bool waitCursor = false)
        : m_facade(facade),
          m_previousCursor(waitCursor ? GetUserInterface().SetCursor(IDC_WAIT) : 0) {
        m_facade.SetStatusMessage(text);
    }
    ~CStatusText() {
        m_facade.SetStatusMessage();
        if (m_previousCursor != 0) {
            GetUserInterface().SetCursor(m_previousCursor);
        }
    }
    CStatusText(const CStatusText&) = delete;
    CStatusText& operator=(const CStatusText&) = delete;

private:
    const CFrameFacade& m_facade;
    UINT m_previousCursor;
};

}  // namespace SVKCERT
