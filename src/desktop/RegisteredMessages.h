// Registered window messages: a name stands for one message number in this
// process, the same for every caller and every letter case. Numbers are this
// process's own; broadcasts carry the name, so another program hears the
// message under its own number for the same name.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "desktop/WindowMessage.h"

class CRegisteredMessages {
public:
    // The number of `name`, registered on first use (0 when the range is full).
    static UINT Register(const std::wstring& name);
    // The name registered under `message`; empty when it is not a registered number.
    static std::wstring NameOf(UINT message);

private:
    static CRegisteredMessages& Table();

    std::mutex m_lock;
    std::map<std::wstring, UINT> m_numbers;  // by case-folded name
    std::map<UINT, std::wstring> m_names;    // as first registered
    UINT m_next = kFirstRegisteredMessage;
};

// The message number of `name`, in 0xC000..0xFFFF; 0 with the last error
// ERROR_INVALID_PARAMETER for a null or empty name, ERROR_NOT_ENOUGH_MEMORY when
// every number is taken. Usable before the Qt application object exists.
UINT RegisterWindowMessageW(LPCWSTR name);
