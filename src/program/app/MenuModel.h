// A menu as plain data: the items of one level, each a command, a separator or
// a submenu, with its text and states. Parsed from menu templates and edited
// headless (items enabled, checked, removed, put back) before a GUI builds it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

struct CMenuItem;

class CMenu {
public:
    std::vector<CMenuItem>& Items() { return m_items; }
    const std::vector<CMenuItem>& Items() const { return m_items; }
    std::size_t Count() const;
    bool IsEmpty() const;

    // The submenu at `pos` of this level, or null when that item has none.
    CMenu* SubMenu(std::size_t pos);
    const CMenu* SubMenu(std::size_t pos) const;
    // Position on this level of the first item with command `id`, or -1.
    int FindPosition(UINT id) const;
    // The first item with command `id`, searched depth first through submenus.
    CMenuItem* FindCommand(UINT id);
    const CMenuItem* FindCommand(UINT id) const;

    // These change every item with command `id` at any depth and answer
    // whether there was one.
    bool EnableCommand(UINT id, bool enable);
    bool CheckCommand(UINT id, bool check);
    bool RemoveCommand(UINT id);

private:
    std::vector<CMenuItem> m_items;
};

struct CMenuItem {
    UINT id = 0;
    // Text with '&' before the mnemonic and an optional "\t" and shortcut hint.
    std::wstring text;
    bool popup = false;
    bool separator = false;
    bool grayed = false;
    bool disabled = false;  // inactive, but not drawn gray
    bool checked = false;
    bool rightAligned = false;  // MF_HELP: put at the right end of a menu bar
    bool breakBefore = false;   // MF_MENUBREAK / MF_MENUBARBREAK: starts a new column
    CMenu submenu;

    bool IsEnabled() const { return !grayed && !disabled; }

    static CMenuItem Command(UINT id, std::wstring text);
    static CMenuItem Separator();
    static CMenuItem Popup(std::wstring text, CMenu submenu);
};

inline std::size_t CMenu::Count() const {
    return m_items.size();
}
inline bool CMenu::IsEmpty() const {
    return m_items.empty();
}
