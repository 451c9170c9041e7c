// The base of the four real node kinds: the frame facade and the node's place in the tree view.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "program/tree/ITreeItemInfo.h"
#include "program/ui/CFrameFacade.h"

class CMenu;

namespace STreeItemInfo {

class CItemInfoDefault : public ITreeItemInfo {
public:
    explicit CItemInfoDefault(CFrameFacadePtr facade);

    bool IsBold() override { return false; }
    bool IsEmpty() const override { return false; }
    void SetTreeItem(const void* tree, const void* item) override;
    bool EnumChilds(std::vector<ITreeItemInfoPtr>& out) override;

    const CFrameFacadePtr& GetFacade() const { return m_facade; }
    // The facade, or one without a frame when the node was given none.
    const CFrameFacade& Facade() const;
    const void* GetTree() const { return m_tree; }
    const void* GetItem() const { return m_item; }

protected:
    // Sends CItemChildsEnumingMsg code 1 with the node when made and code 2 when it goes, so the
    // feedback of an enumeration always ends, whatever leaves it.
    class CEnumingScope {
    public:
        explicit CEnumingScope(CItemInfoDefault& node);
        ~CEnumingScope();
        CEnumingScope(const CEnumingScope&) = delete;
        CEnumingScope& operator=(const CEnumingScope&) = delete;

    private:
        CItemInfoDefault& m_node;
    };

    // Sends CItemChildsEnumingMsg with the code and this node through the frame's hub.
    void SendEnuming(DWORD code);
    // Loads the context menu resource in the current language, lets `adjust` edit its first
    // submenu, enables the commands that are not the node's own as the frame enables them on
    // its menus, tracks the submenu at the point through the UI seam and routes the chosen
    // command through the frame. False when the menu cannot be loaded.
    bool TrackContextMenu(UINT menuId, int screenX, int screenY,
                          const std::function<void(CMenu&)>& adjust = {});

private:
    CFrameFacadePtr m_facade;
    const void* m_tree = nullptr;
    const void* m_item = nullptr;
};

}  // namespace STreeItemInfo
