#include "program/ui/CCommandTable.h"

void CCommandTable::Add(std::initializer_list<UINT> ids, const Action& run, const Test& enabled,
                        const Test& checked) {
    for (const UINT id : ids) {
        m_commands[id] = Command{run, enabled, checked};
    }
}

const CCommandTable::Command* CCommandTable::Find(UINT id) const {
    const auto found = m_commands.find(id);
    return found != m_commands.end() ? &found->second : nullptr;
}

bool CCommandTable::IsEnabled(UINT id) const {
    const Command* command = Find(id);
    if (command == nullptr) {
        return id != 0;
    }
    return !command->enabled || command->enabled();
}

bool CCommandTable::IsChecked(UINT id) const {
    const Command* command = Find(id);
    return command != nullptr && command->checked && command->checked();
}

void CCommandTable::Run(UINT id) const {
    const Command* command = Find(id);
    if (command != nullptr && command->run && IsEnabled(id)) {
        command->run();
    }
}
