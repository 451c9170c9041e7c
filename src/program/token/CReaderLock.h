// A scoped lock per reader, shared by every process of the user: the named mutex
// "{F98D3F9D-3128-4990-86C1-D6C53B40B391}" followed by the reader name. Construction waits
// until the lock is owned; destruction gives it back.
#pragma once

#include <string>
#include <string_view>

#include "platform/WinTypes.h"

inline constexpr const wchar_t* kReaderLockPrefix = L"{F98D3F9D-3128-4990-86C1-D6C53B40B391}";

class CReaderLock {
public:
    explicit CReaderLock(std::wstring_view readerName);
    ~CReaderLock();
    CReaderLock(const CReaderLock&) = delete;
    CReaderLock& operator=(const CReaderLock&) = delete;

    // False when the mutex could not be made or waited for (the operation then runs unlocked,
    // as it would on a platform without named mutexes).
    bool Owns() const { return m_owned; }

    static std::wstring MutexName(std::wstring_view readerName);

private:
    HANDLE m_handle = nullptr;
    bool m_owned = false;
};
