// Critical sections: re-entrant locks of one process, shaped as the platform offers them.
#pragma once

#include "platform/WinTypes.h"

#include <mutex>
#include <optional>

// Holds nothing usable until InitializeCriticalSection and after DeleteCriticalSection.
struct CRITICAL_SECTION {
    std::optional<std::recursive_mutex> mutex;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
// Blocks until the section is free or already held by the calling thread; each enter needs a leave.
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);

// A critical section initialised on construction and deleted on destruction. It meets the
// standard Lockable requirements, so std::lock_guard and std::unique_lock take it.
class CCriticalSection {
public:
    CCriticalSection();
    ~CCriticalSection();
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Enter();
    bool TryEnter();
    void Leave();

    void lock() { Enter(); }
    bool try_lock() { return TryEnter(); }
    void unlock() { Leave(); }

private:
    CRITICAL_SECTION m_section;
};
