#include "program/tree/CItemInfoDefault.h"

#include "program/app/LangResource.h"
#include "program/tree/CTreeMessageHub.h"
#include "program/tree/NodeCommandRules.h"
#include "program/ui/IUserInterface.h"

namespace STreeItemInfo {

CItemInfoDefault::CItemInfoDefault(CFrameFacadePtr facade) : m_facade(std::move(facade)) {}

const CFrameFacade& CItemInfoDefault::Facade() const {
    static const CFrameFacade kNoFrame;
    return m_facade != nullptr ? *m_facade : kNoFrame;
}

void CItemInfoDefault::SetTreeItem(const void* tree, const void* item) {
    m_tree = tree;
    m_item = item;
}

bool CItemInfoDefault::EnumChilds(std::vector<ITreeItemInfoPtr>&) {
    return true;
}

void CItemInfoDefault::SendEnuming(DWORD code) {
    if (CTreeMessageHub* hub = Facade().MessageHub()) {
        hub->itemChildsEnuming.Send(CItemChildsEnumingMsg{code, this});
    }
}

CItemInfoDefault::CEnumingScope::CEnumingScope(CItemInfoDefault& node) : m_node(node) {
    m_node.SendEnuming(1);
}

CItemInfoDefault::CEnumingScope::~CEnumingScope() {
    try {
        m_node.SendEnuming(2);
    } catch (...) {
        // A receiver's failure must not escape a destructor.
    }
}

bool CItemInfoDefault::TrackContextMenu(UINT menuId, int screenX, int screenY,
                                        const std::function<void(CMenu&)>& adjust) {
    std::optional<CMenu> menu = LoadLangMenu(menuId);
    if (!menu) {
        return false;
    }
    CMenu* popup = menu->SubMenu(0);
    if (popup == nullptr) {
        return false;
    }
    if (adjust) {
        adjust(*popup);
    }
    for (CMenuItem& item : popup->Items()) {
        if (!item.popup && !item.separator && item.id != 0 && !IsNodeCommand(item.id)) {
            popup->EnableCommand(item.id, Facade().IsCommandEnabled(item.id));
        }
    }
    const UINT chosen = GetUserInterface().TrackPopupMenu(*popup, screenX, screenY);
    if (chosen != 0) {
        Facade().RouteCommand(chosen);
    }
    return true;
}

}  // namespace STreeItemInfo
