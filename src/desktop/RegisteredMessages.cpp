#include "desktop/RegisteredMessages.h"

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/CaseFold.h"

CRegisteredMessages& CRegisteredMessages::Table() {
    // Never destroyed: messages are registered and looked up during static
    // construction and destruction too.
    static auto* table = new CRegisteredMessages();
    return *table;
}

UINT CRegisteredMessages::Register(const std::wstring& name) {
    CRegisteredMessages& table = Table();
    std::lock_guard lock(table.m_lock);
    const std::wstring key = FoldCase(name);
    if (auto it = table.m_numbers.find(key); it != table.m_numbers.end()) {
        return it->second;
    }
    if (table.m_next > kLastRegisteredMessage) {
        return 0;
    }
    const UINT message = table.m_next++;
    table.m_numbers.emplace(key, message);
    table.m_names.emplace(message, name);
    return message;
}

std::wstring CRegisteredMessages::NameOf(UINT message) {
    CRegisteredMessages& table = Table();
    std::lock_guard lock(table.m_lock);
    auto it = table.m_names.find(message);
    return it == table.m_names.end() ? std::wstring() : it->second;
}

UINT RegisterWindowMessageW(LPCWSTR name) {
    if (name == nullptr || *name == L'\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const UINT message = CRegisteredMessages::Register(name);
    if (message == 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return message;
}
