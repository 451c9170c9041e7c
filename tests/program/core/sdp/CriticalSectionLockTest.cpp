// The lock of the multi-threaded model: the holder may enter again, other threads wait until
// every entry has been left.
#include <gtest/gtest.h>

#include "program/core/sdp/CCriticalSectionLockObj.h"
#include "program/core/sdp/MultiThreadedModel.h"

#include <atomic>
#include <chrono>
#include <thread>

using Lock = SDP::STHREADS::WIN::CCriticalSectionLockObj;
using Model = SDP::STHREADS::MultiThreadedModel<Lock>;

TEST(CriticalSectionLock, ReentersOnOneThreadAndExcludesOthers) {
    Lock lock;
    std::atomic<bool> otherInside{false};
    std::thread other;
    {
        Model::Guard outer(lock);
        Model::Guard inner(lock);  // the same thread again: no deadlock
        other = std::thread([&] {
            Model::Guard guard(lock);
            otherInside.store(true);
        });
        { Model::Guard third(lock); }
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_FALSE(otherInside.load());  // still held once
    }
    other.join();
    EXPECT_TRUE(otherInside.load());

    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EXPECT_TRUE(TryEnterCriticalSection(&section));
    std::thread probe([&] { EXPECT_FALSE(TryEnterCriticalSection(&section)); });
    probe.join();
    LeaveCriticalSection(&section);
    LeaveCriticalSection(&section);
    DeleteCriticalSection(&section);
}
