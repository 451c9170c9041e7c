// Singletons: the registry's instances, usage counts and the teardown order they impose whatever
// the array order, chains, cycles and concurrent first use (the process registry is torn down with
// the real cache and monitor in the token tests); reference-counted holders, also on threads.
#include <gtest/gtest.h>

#include "program/core/sdp/CSingletonRegistry.h"
#include "program/core/sdp/singleton_auto_pointer.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Registry = SDP::SINGLETON::CSingletonRegistry;

// The registry a test works on and what happened to the stand-in singletons.
struct CWorld {
    Registry* registry = nullptr;
    std::vector<std::string> destroyed;
    std::vector<std::string> faults;
    std::array<int, 8> alive{};
    std::array<int, 8> built{};
    std::array<std::vector<std::function<void()>>, 8> releases;  // what each node gives back
    std::array<std::vector<int>, 8> needs;
};
CWorld* g_world = nullptr;

// A stand-in singleton; its needs are declared after it is registered, in any array order.
template <int N>
struct CNode {
    CNode() {
        ++g_world->alive[N];
        ++g_world->built[N];
    }
    ~CNode() {
        for (int need : g_world->needs[N]) {
            if (g_world->alive[need] == 0) {
                g_world->faults.push_back(std::to_string(N) + " outlived " + std::to_string(need));
            }
        }
        for (auto& release : g_world->releases[N]) {
            release();
        }
        g_world->destroyed.push_back(std::to_string(N));
        --g_world->alive[N];
    }
};

template <int N>
void Make() {
    g_world->registry->Instance<CNode<N>>();
}

template <int From, int To>
void Need() {
    g_world->registry->AddRef<CNode<To>>();
    g_world->needs[From].push_back(To);
    g_world->releases[From].push_back([] { g_world->registry->Release<CNode<To>>(); });
}

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

class SingletonRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        world.registry = &registry;
        g_world = &world;
    }
    void TearDown() override {
        registry.Teardown();
        g_world = nullptr;
    }
    CWorld world;
    Registry registry;
};

}  // namespace

TEST_F(SingletonRegistry, DependentsGoFirstWhateverTheArrayOrder) {
    // Node 1 (the cache) needs node 0 (the monitor); 4 needs 3 needs 2, which takes several
    // passes; 5 needs nobody. Every registration order of the six.
    std::array<int, 6> order{0, 1, 2, 3, 4, 5};
    const std::array create = {&Make<0>, &Make<1>, &Make<2>, &Make<3>, &Make<4>, &Make<5>};
    int permutations = 0;
    do {
        SCOPED_TRACE(::testing::PrintToString(order));
        world = CWorld{};
        world.registry = &registry;
        for (int n : order) {
            create[n]();
        }
        Need<1, 0>();
        Need<4, 3>();
        Need<3, 2>();
        registry.Teardown();
        ASSERT_TRUE(world.faults.empty()) << world.faults.front();
        ASSERT_EQ(world.destroyed.size(), 6u);
        EXPECT_EQ(registry.Size(), 0u);
        EXPECT_EQ(world.built, (std::array<int, 8>{1, 1, 1, 1, 1, 1, 0, 0}));
        ++permutations;
    } while (std::next_permutation(order.begin(), order.end()));
    EXPECT_EQ(permutations, 720);
}

TEST_F(SingletonRegistry, CycleIsDestroyedLastToFirstOnceAndLaterUseBuildsAfresh) {
    Make<0>();
    Make<1>();
    Make<2>();
    Need<0, 1>();
    Need<1, 0>();
    registry.Teardown();
    registry.Teardown();
    // Node 2 is free and goes in the passes; the cycle goes afterwards from the last entry.
    EXPECT_EQ(world.destroyed, std::vector<std::string>({"2", "1", "0"}));
    EXPECT_EQ(registry.Size(), 0u);
    Make<0>();
    EXPECT_EQ(world.built[0], 2);
    registry.Release<CNode<7>>();  // never used: nothing to release
    EXPECT_EQ(registry.Size(), 1u);
}

TEST_F(SingletonRegistry, ConcurrentFirstUseBuildsOneInstance) {
    using T = CCounted<0>;
    std::vector<T*> seen(8, nullptr);
    {
        std::vector<std::jthread> threads;
        for (std::size_t t = 0; t < seen.size(); ++t) {
            threads.emplace_back([&, t] { seen[t] = &registry.Instance<T>(); });
        }
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), seen.front()), 8);
    EXPECT_EQ(T::built.load(), 1);
    EXPECT_EQ(registry.Size(), 1u);
}

TEST(SingletonAutoPointer, HoldersShareOneInstanceThatDiesWithTheLastAlsoOnSeveralThreads) {
    using T = CCounted<1>;
    {
        SDP::singleton_auto_pointer<T> first;
        first->value = 42;
        EXPECT_EQ(SDP::singleton_auto_pointer<T>()->value, 42);
        EXPECT_EQ(SDP::singleton_auto_pointer<T>(first).get(), first.get()) << "a copy shares it";
        EXPECT_EQ(T::destroyed.load(), 0);
    }
    EXPECT_EQ(T::destroyed.load(), 1);
    EXPECT_EQ(SDP::singleton_auto_pointer<T>()->value, 0);
    EXPECT_EQ(T::built.load(), 2);

    // Holders on several threads never build two instances.
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([] {
                for (int i = 0; i < 2000; ++i) {
                    SDP::singleton_auto_pointer<T> holder;
                    EXPECT_EQ(holder->value, 0);  // reached only through a live instance
                }
            });
        }
    }
    EXPECT_EQ(T::maxAlive.load(), 1);
    EXPECT_EQ(T::alive.load(), 0);
    EXPECT_EQ(T::built.load(), T::destroyed.load());
}
