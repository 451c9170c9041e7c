// Keeps one slot of a menu showing exactly one command out of a group of alternatives: the
// "Actions" menu of the main frame and the context menus of the tree nodes use it.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

class CMenu;

class CMenuItemSwitch {
public:
    // Menu texts are read into a buffer of this many characters, terminator included.
    static constexpr std::size_t kTextBufferSize = 512;

    // Remembers the menu (which must outlive the switch's use) and saves the text and position of
    // every item whose command is one of `commandIds`.
    void Attach(CMenu* menu, const std::vector<UINT>& commandIds);
    // Leaves only the item of `commandId` in the group's slot, where the first of the group
    // stood; answers whether it did.
    bool Show(UINT commandId);

    CMenu* GetMenu() const { return m_menu; }

private:
    struct CSavedItem {
        std::wstring text;
        std::size_t position = 0;
    };

    CMenu* m_menu = nullptr;
    std::set<UINT> m_commands;
    std::map<UINT, CSavedItem> m_savedItems;
};
