#include "program/ui/CMenuItemSwitch.h"

#include <algorithm>

#include "program/app/MenuModel.h"

void CMenuItemSwitch::Attach(CMenu* menu, const std::vector<UINT>& commandIds) {
    m_menu = menu;
    m_commands = std::set<UINT>(commandIds.begin(), commandIds.end());
    m_savedItems.clear();
    if (m_menu == nullptr) {
        return;
    }
    const auto& items = m_menu->Items();
    for (std::size_t position = 0; position < items.size(); ++position) {
        const CMenuItem& item = items[position];
        if (item.popup || item.separator || m_commands.count(item.id) == 0) {
            continue;
        }
        CSavedItem saved;
        saved.text = item.text.substr(0, kTextBufferSize - 1);
        saved.position = position;
        m_savedItems.emplace(item.id, std::move(saved));
    }
}

bool CMenuItemSwitch::Show(UINT commandId) {
    if (m_menu == nullptr || m_commands.count(commandId) == 0) {
        return false;
    }
    auto& items = m_menu->Items();
    const auto isAlternative = [this](const CMenuItem& item) {
        return !item.popup && !item.separator && m_commands.count(item.id) != 0;
    };
    const auto first = std::find_if(items.begin(), items.end(), isAlternative);
    if (first == items.end()) {
        return false;
    }
    const auto saved = m_savedItems.find(commandId);
    if (saved == m_savedItems.end()) {
        // A command whose item was never in the menu has no text to show.
        return false;
    }
    const auto slot = static_cast<std::ptrdiff_t>(first - items.begin());
    for (std::size_t position = items.size(); position-- > 0;) {
        if (isAlternative(items[position])) {
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(position));
        }
    }
    items.insert(items.begin() + slot, CMenuItem::Command(commandId, saved->second.text));
    return true;
}
