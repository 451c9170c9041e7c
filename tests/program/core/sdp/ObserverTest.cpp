// Observer messaging: attach, delivery and links ending with either side on one thread; across
// threads (also under ThreadSanitizer) receivers coming and going while another thread sends, both
// sides destroyed at once, handlers serialised by the owner lock, and the re-entrant lock.
#include <gtest/gtest.h>

#include "program/core/sdp/CCriticalSectionLockObj.h"
#include "program/core/sdp/COwnedReceiver.h"
#include "program/core/sdp/CSender.h"
#include "program/core/sdp/MultiThreadedModel.h"
#include "program/core/sdp/SingleThreadedModel.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <latch>
#include <memory>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

using SDP::SOBSERVER::Attach;
using SDP::SOBSERVER::Send;

namespace {
namespace one_thread {

using ST = SDP::STHREADS::SingleThreadedModel<char>;

// Not copyable: delivery is by reference or does not compile.
struct CNumberMsg {
    explicit CNumberMsg(int v) : value(v) {}
    CNumberMsg(const CNumberMsg&) = delete;
    CNumberMsg& operator=(const CNumberMsg&) = delete;
    int value;
};

struct CListener {
    void OnMessage(const CNumberMsg& msg) {
        got.push_back(msg.value);
        if (hook) {
            hook(msg);
        }
    }
    std::vector<int> got;
    std::function<void(const CNumberMsg&)> hook;
};

using Sender = SDP::SOBSERVER::CSender<CNumberMsg, ST>;
using Receiver = SDP::SOBSERVER::COwnedReceiver<CListener, CNumberMsg, ST>;

struct COwnedListener {
    COwnedListener() { receiver.SetOwner(&listener); }
    CListener listener;
    Receiver receiver;
};

TEST(Observer, AttachingTwiceFailsDeliveryIsOnceByReferenceToAnOwnerAndEndsWithEitherSide) {
    Sender first;
    CListener listener;
    Receiver receiver;
    EXPECT_TRUE(Attach(first, receiver));
    EXPECT_FALSE(Attach(first, receiver));
    EXPECT_FALSE(Attach(first, static_cast<Receiver*>(nullptr)));
    Send(first, CNumberMsg(1));  // no owner yet: nothing to call
    receiver.SetOwner(&listener);
    Send(first, CNumberMsg(2));
    receiver.SetOwner(nullptr);
    Send(first, CNumberMsg(3));
    EXPECT_EQ(listener.got, std::vector<int>({2}));

    COwnedListener stays;
    Attach(first, stays.receiver);
    {
        Sender second;
        COwnedListener goes;
        Attach(first, goes.receiver);
        Attach(second, goes.receiver);
        Attach(second, &stays.receiver);
        Send(second, CNumberMsg(1));
        EXPECT_EQ(goes.listener.got, std::vector<int>({1}));
        EXPECT_EQ(first.ReceiverCount(), 3u);
        EXPECT_EQ(stays.receiver.LinkCount(), 2u);
    }
    // Either side destroyed leaves every partner; destroying them later touches nothing of it.
    EXPECT_EQ(first.ReceiverCount(), 2u);
    EXPECT_EQ(stays.receiver.LinkCount(), 1u);
    Send(first, CNumberMsg(2));
    EXPECT_EQ(stays.listener.got, std::vector<int>({1, 2}));
}

TEST(Observer, ReceiverDestroyedDuringDeliveryIsSkippedAndOneRebuiltAtItsAddressWaits) {
    // Slots of one array: the first is called first, the rebuilt one has the victim's address.
    std::optional<COwnedListener> slots[2];
    COwnedListener& killer = slots[0].emplace();
    const COwnedListener* victim = &slots[1].emplace();
    Sender sender;
    Attach(sender, killer.receiver);
    Attach(sender, slots[1]->receiver);

    killer.listener.hook = [&, rebuilt = false](const CNumberMsg&) mutable {
        if (!std::exchange(rebuilt, true)) {
            slots[1].reset();
            Attach(sender, slots[1].emplace().receiver);
        }
    };
    Send(sender, CNumberMsg(1));
    ASSERT_EQ(&*slots[1], victim);
    EXPECT_TRUE(slots[1]->listener.got.empty());
    Send(sender, CNumberMsg(2));
    EXPECT_EQ(slots[1]->listener.got, std::vector<int>({2}));
    EXPECT_EQ(killer.listener.got, std::vector<int>({1, 2}));
}

}  // namespace one_thread

namespace threads {

using MT = SDP::STHREADS::MultiThreadedModel<SDP::STHREADS::WIN::CCriticalSectionLockObj>;
using namespace std::chrono_literals;

struct CReaderMsg {
    int serial;
};

// Counts what arrives, slowly; a call after `closed` is a delivery that outlived the receiver.
struct CSink {
    void OnMessage(const CReaderMsg&) {
        calls.fetch_add(1);
        std::this_thread::sleep_for(20us);
        if (closed.load()) {
            lateCalls.fetch_add(1);
        }
    }
    std::atomic<int> calls{0};
    std::atomic<bool> closed{false};
    static inline std::atomic<int> lateCalls{0};
};

using Sender = SDP::SOBSERVER::CSender<CReaderMsg, MT>;
using Receiver = SDP::SOBSERVER::COwnedReceiver<CSink, CReaderMsg, MT>;

TEST(ObserverThreads, ReceiversComeAndGoWhileAnotherThreadSends) {
    Sender sender;
    CSink steady;
    Receiver steadyReceiver;
    steadyReceiver.SetOwner(&steady);
    Attach(sender, steadyReceiver);

    std::atomic<bool> churnDone{false};
    std::atomic<int> sent{0};
    std::thread sending([&] {
        while (!churnDone.load()) {
            Send(sender, CReaderMsg{sent.load()});
            sent.fetch_add(1);
        }
    });

    std::vector<std::vector<std::unique_ptr<CSink>>> sinks(2);
    {
        std::vector<std::jthread> churn;
        for (int t = 0; t < 2; ++t) {
            churn.emplace_back([&, t] {
                for (int i = 0; i < 300; ++i) {
                    // The sink outlives its receiver, so a late call is counted, not a crash.
                    CSink& sink = *sinks[t].emplace_back(std::make_unique<CSink>());
                    auto receiver = std::make_unique<Receiver>();
                    receiver->SetOwner(&sink);
                    EXPECT_TRUE(Attach(sender, *receiver));
                    std::this_thread::yield();
                    receiver.reset();
                    sink.closed.store(true);
                }
            });
        }
    }
    churnDone.store(true);
    sending.join();

    EXPECT_EQ(steady.calls.load(), sent.load());
    EXPECT_EQ(sender.ReceiverCount(), 1u);
    EXPECT_EQ(CSink::lateCalls.load(), 0);
}

TEST(ObserverThreads, SenderAndReceiverDestroyedAtOnceOnTwoThreads) {
    for (int round = 0; round < 200; ++round) {
        auto sender = std::make_unique<Sender>();
        auto receiver = std::make_unique<Receiver>();
        auto other = std::make_unique<Sender>();
        Attach(*sender, *receiver);
        Attach(*other, *receiver);
        std::latch start(2);
        std::thread a([&] {
            start.arrive_and_wait();
            sender.reset();
        });
        std::thread b([&] {
            start.arrive_and_wait();
            receiver.reset();
        });
        a.join();
        b.join();
        EXPECT_EQ(other->ReceiverCount(), 0u);
    }
}

TEST(ObserverThreads, OwnerLockSerialisesHandlersDestructionWaitsForARunningOneLockReenters) {
    struct COwner {
        void OnMessage(const CReaderMsg& msg) {
            ++count;  // plain int: the owner lock guards it
            if (msg.serial < 0) {
                entered.store(true);
                std::this_thread::sleep_for(50ms);
                finished.store(true);
            }
        }
        int count = 0;
        std::atomic<bool> entered{false}, finished{false};
    } owner;
    auto receiver = std::make_unique<SDP::SOBSERVER::COwnedReceiver<COwner, CReaderMsg, MT>>();
    receiver->SetOwner(&owner);
    Sender first, second;
    Attach(first, *receiver);
    Attach(second, *receiver);
    constexpr int kMessages = 2000;
    {
        std::vector<std::jthread> threads;
        for (Sender* sender : {&first, &second}) {
            threads.emplace_back([sender] {
                for (int i = 0; i < kMessages; ++i) {
                    Send(*sender, CReaderMsg{i});
                }
            });
        }
    }
    EXPECT_EQ(owner.count, 2 * kMessages);

    // A handler running on another thread: the receiver's destructor returns only after it.
    std::thread sending([&] { Send(first, CReaderMsg{-1}); });
    while (!owner.entered.load()) {
        std::this_thread::yield();
    }
    receiver.reset();
    EXPECT_TRUE(owner.finished.load());
    sending.join();
    EXPECT_EQ(first.ReceiverCount(), 0u);

    // The lock re-enters on one thread and excludes others while held once.
    SDP::STHREADS::WIN::CCriticalSectionLockObj lock;
    std::atomic<bool> otherInside{false};
    std::thread other;
    {
        MT::Guard outer(lock);
        { MT::Guard inner(lock); }
        other = std::thread([&] {
            MT::Guard guard(lock);
            otherInside.store(true);
        });
        std::this_thread::sleep_for(30ms);
        EXPECT_FALSE(otherInside.load());
    }
    other.join();
    EXPECT_TRUE(otherInside.load());
}

}  // namespace threads
}  // namespace
