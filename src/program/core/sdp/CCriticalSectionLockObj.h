// The lock of the multi-threaded model: a critical section, so the thread holding it may enter
// it again.
#pragma once

#include "platform/kernel/CriticalSection.h"

namespace SDP::STHREADS::WIN {

class CCriticalSectionLockObj {
public:
    CCriticalSectionLockObj() = default;
    CCriticalSectionLockObj(const CCriticalSectionLockObj&) = delete;
    CCriticalSectionLockObj& operator=(const CCriticalSectionLockObj&) = delete;

    void Lock();
    void Unlock();

    // Standard lock names, for the model's guard and std::condition_variable_any.
    void lock() { Lock(); }
    void unlock() { Unlock(); }

private:
    CCriticalSection m_section;
};

}  // namespace SDP::STHREADS::WIN
