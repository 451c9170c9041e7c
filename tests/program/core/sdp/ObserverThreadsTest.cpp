// Observer messaging across threads with the multi-threaded model: receivers attached and
// destroyed while another thread sends, both sides of a link destroyed at once, and handlers of
// one receiver serialised by its owner lock; and the model's re-entrant lock. Run under
// ThreadSanitizer by the test command.
#include <gtest/gtest.h>

#include "program/core/sdp/CCriticalSectionLockObj.h"
#include "program/core/sdp/COwnedReceiver.h"
#include "program/core/sdp/CSender.h"
#include "program/core/sdp/MultiThreadedModel.h"

#include <atomic>
#include <chrono>
#include <latch>
#include <memory>
#include <thread>
#include <vector>

namespace {

using MT = SDP::STHREADS::MultiThreadedModel<SDP::STHREADS::WIN::CCriticalSectionLockObj>;
using SDP::SOBSERVER::Attach;
using SDP::SOBSERVER::Send;
using namespace std::chrono_literals;

struct CReaderMsg {
    int serial;
};

// Counts what arrives; `closed` is set once its receiver has been destroyed, so a call seen
// after that is a delivery that outlived the receiver.
struct CSink {
    void OnMessage(const CReaderMsg&) {
        calls.fetch_add(1);
        if (slow) {
            std::this_thread::sleep_for(20us);
        }
        if (closed.load()) {
            lateCalls.fetch_add(1);
        }
    }
    bool slow = false;
    std::atomic<int> calls{0};
    std::atomic<bool> closed{false};
    static inline std::atomic<int> lateCalls{0};
};

using Sender = SDP::SOBSERVER::CSender<CReaderMsg, MT>;
using Receiver = SDP::SOBSERVER::COwnedReceiver<CSink, CReaderMsg, MT>;

}  // namespace

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

    constexpr int kThreads = 2;
    constexpr int kRounds = 300;
    std::vector<std::vector<std::unique_ptr<CSink>>> sinks(kThreads);
    std::vector<std::thread> churn;
    churn.reserve(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        churn.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                // The sink outlives its receiver, so a late call is counted, not a crash.
                sinks[t].push_back(std::make_unique<CSink>());
                CSink& sink = *sinks[t].back();
                sink.slow = true;
                auto receiver = std::make_unique<Receiver>();
                receiver->SetOwner(&sink);
                EXPECT_TRUE(Attach(sender, *receiver));
                std::this_thread::yield();
                receiver.reset();
                sink.closed.store(true);
            }
        });
    }
    for (auto& thread : churn) {
        thread.join();
    }
    churnDone.store(true);
    sending.join();

    EXPECT_EQ(steady.calls.load(), sent.load());
    EXPECT_EQ(sender.ReceiverCount(), 1u);
    EXPECT_EQ(CSink::lateCalls.load(), 0);
}

TEST(ObserverThreads, DestroyingAReceiverWaitsForItsHandlerOnAnotherThread) {
    struct CBlockingOwner {
        void OnMessage(const CReaderMsg&) {
            entered.store(true);
            std::this_thread::sleep_for(50ms);
            finished.store(true);
        }
        std::atomic<bool> entered{false};
        std::atomic<bool> finished{false};
    } owner;
    Sender sender;
    auto receiver =
        std::make_unique<SDP::SOBSERVER::COwnedReceiver<CBlockingOwner, CReaderMsg, MT>>();
    receiver->SetOwner(&owner);
    Attach(sender, *receiver);

    std::thread sending([&] { Send(sender, CReaderMsg{1}); });
    while (!owner.entered.load()) {
        std::this_thread::yield();
    }
    // The handler is running on the other thread: the destructor returns only after it.
    receiver.reset();
    EXPECT_TRUE(owner.finished.load());
    sending.join();
    EXPECT_EQ(sender.ReceiverCount(), 0u);
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

TEST(ObserverThreads, OwnerLockSerialisesHandlersOfOneReceiver) {
    struct CCounter {
        void OnMessage(const CReaderMsg&) { ++count; }  // plain int: the owner lock guards it
        int count = 0;
    } counter;
    SDP::SOBSERVER::COwnedReceiver<CCounter, CReaderMsg, MT> receiver;
    receiver.SetOwner(&counter);
    Sender first;
    Sender second;
    Attach(first, receiver);
    Attach(second, receiver);
    constexpr int kMessages = 2000;
    std::vector<std::thread> threads;
    for (Sender* sender : {&first, &second}) {
        threads.emplace_back([sender] {
            for (int i = 0; i < kMessages; ++i) {
                Send(*sender, CReaderMsg{i});
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    receiver.SetOwner(nullptr);
    EXPECT_EQ(counter.count, 2 * kMessages);
}

TEST(CriticalSectionLock, ReentersOnOneThreadAndExcludesOthers) {
    SDP::STHREADS::WIN::CCriticalSectionLockObj lock;
    std::atomic<bool> otherInside{false};
    std::thread other;
    {
        MT::Guard outer(lock);
        MT::Guard inner(lock);  // the same thread again: no deadlock
        other = std::thread([&] {
            MT::Guard guard(lock);
            otherInside.store(true);
        });
        { MT::Guard third(lock); }
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
