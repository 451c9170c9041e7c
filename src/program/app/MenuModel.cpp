#include "program/app/MenuModel.h"

#include <utility>

namespace {

// Calls fn on every command item with `id`; answers whether there was one.
template <typename Fn>
bool ForEachCommand(std::vector<CMenuItem>& items, UINT id, Fn fn) {
    bool found = false;
    for (auto& item : items) {
        if (item.popup) {
            found = ForEachCommand(item.submenu.Items(), id, fn) || found;
        } else if (!item.separator && item.id == id) {
            fn(item);
            found = true;
        }
    }
    return found;
}

}  // namespace

CMenu* CMenu::SubMenu(std::size_t pos) {
    return pos < m_items.size() && m_items[pos].popup ? &m_items[pos].submenu : nullptr;
}

const CMenu* CMenu::SubMenu(std::size_t pos) const {
    return pos < m_items.size() && m_items[pos].popup ? &m_items[pos].submenu : nullptr;
}

int CMenu::FindPosition(UINT id) const {
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const auto& item = m_items[i];
        if (!item.popup && !item.separator && item.id == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

const CMenuItem* CMenu::FindCommand(UINT id) const {
    for (const auto& item : m_items) {
        if (item.popup) {
            if (const auto* found = item.submenu.FindCommand(id)) {
                return found;
            }
        } else if (!item.separator && item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

CMenuItem* CMenu::FindCommand(UINT id) {
    return const_cast<CMenuItem*>(std::as_const(*this).FindCommand(id));
}

bool CMenu::EnableCommand(UINT id, bool enable) {
    return ForEachCommand(m_items, id, [enable](CMenuItem& item) {
        item.grayed = !enable;
        item.disabled = false;
    });
}

bool CMenu::CheckCommand(UINT id, bool check) {
    return ForEachCommand(m_items, id, [check](CMenuItem& item) { item.checked = check; });
}

bool CMenu::RemoveCommand(UINT id) {
    bool found = false;
    for (auto it = m_items.begin(); it != m_items.end();) {
        if (it->popup) {
            found = it->submenu.RemoveCommand(id) || found;
            ++it;
        } else if (!it->separator && it->id == id) {
            it = m_items.erase(it);
            found = true;
        } else {
            ++it;
        }
    }
    return found;
}

CMenuItem CMenuItem::Command(UINT id, std::wstring text) {
    CMenuItem item;
    item.id = id;
    item.text = std::move(text);
    return item;
}

CMenuItem CMenuItem::Separator() {
    CMenuItem item;
    item.separator = true;
    return item;
}

CMenuItem CMenuItem::Popup(std::wstring text, CMenu submenu) {
    CMenuItem item;
    item.popup = true;
    item.text = std::move(text);
    item.submenu = std::move(submenu);
    return item;
}
