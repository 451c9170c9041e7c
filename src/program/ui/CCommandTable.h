// Commands by id: whether each is enabled or checked, and what it does.
#pragma once

#include <functional>
#include <initializer_list>
#include <map>

#include "platform/WinTypes.h"

class CCommandTable {
public:
    using Action = std::function<void()>;
    using Test = std::function<bool()>;

    // Without `enabled` the command is always enabled; without `checked` never checked.
    void Add(std::initializer_list<UINT> ids, const Action& run, const Test& enabled = {},
             const Test& checked = {});

    // An id without an entry is enabled, and does nothing, unless it is 0.
    bool IsEnabled(UINT id) const;
    bool IsChecked(UINT id) const;
    // Runs the command when it is enabled.
    void Run(UINT id) const;

private:
    struct Command {
        Action run;
        Test enabled;
        Test checked;
    };
    const Command* Find(UINT id) const;

    std::map<UINT, Command> m_commands;
};
