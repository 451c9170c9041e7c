// Reference-counted singleton holders: sharing, destruction with the last holder, recreation,
// and holders made and dropped on several threads at once.
#include <gtest/gtest.h>

#include "program/core/sdp/singleton_auto_pointer.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

namespace {

template <int Tag>
struct CCounted {
    CCounted() {
        ++built;
        std::this_thread::yield();  // widens the window a racy holder would lose in
        int now = ++alive;
        int seen = maxAlive.load();
        while (now > seen && !maxAlive.compare_exchange_weak(seen, now)) {
        }
    }
    ~CCounted() {
        --alive;
        ++destroyed;
    }
    int value = 0;
    static inline std::atomic<int> built{0};
    static inline std::atomic<int> destroyed{0};
    static inline std::atomic<int> alive{0};
    static inline std::atomic<int> maxAlive{0};
};

}  // namespace

TEST(SingletonAutoPointer, HoldersShareOneInstanceThatDiesWithTheLastAndIsBuiltAfresh) {
    using T = CCounted<1>;
    {
        SDP::singleton_auto_pointer<T> first;
        std::optional<SDP::singleton_auto_pointer<T>> second(std::in_place);
        first->value = 42;
        EXPECT_EQ((*second)->value, 42);
        second.reset();
        EXPECT_EQ(T::destroyed.load(), 0);
        EXPECT_EQ(SDP::singleton_auto_pointer<T>(first).get(), first.get()) << "a copy shares it";
    }
    EXPECT_EQ(T::destroyed.load(), 1);
    EXPECT_EQ(SDP::singleton_auto_pointer<T>()->value, 0);
    EXPECT_EQ(T::built.load(), 2);
}

TEST(SingletonAutoPointer, HoldersOnSeveralThreadsNeverBuildTwoInstances) {
    using T = CCounted<2>;
    std::vector<std::thread> threads;
    threads.reserve(4);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 2000; ++i) {
                SDP::singleton_auto_pointer<T> holder;
                EXPECT_EQ(holder->value, 0);  // reached only through a live instance
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(T::maxAlive.load(), 1);
    EXPECT_EQ(T::alive.load(), 0);
    EXPECT_EQ(T::built.load(), T::destroyed.load());
}
