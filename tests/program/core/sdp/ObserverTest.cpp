// Observer messaging on one thread: attach, delivery, and the links that end when either side
// is destroyed. Delivery across threads is in ObserverThreadsTest.cpp.
#include <gtest/gtest.h>

#include "program/core/sdp/COwnedReceiver.h"
#include "program/core/sdp/CSender.h"
#include "program/core/sdp/SingleThreadedModel.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

using ST = SDP::STHREADS::SingleThreadedModel<char>;
using SDP::SOBSERVER::Attach;
using SDP::SOBSERVER::Send;

// Not copyable: a delivery that copied the message would not compile.
struct CNumberMsg {
    explicit CNumberMsg(int v) : value(v) {}
    CNumberMsg(const CNumberMsg&) = delete;
    CNumberMsg& operator=(const CNumberMsg&) = delete;
    int value;
};

struct CListener {
    void OnMessage(const CNumberMsg& msg) {
        got.push_back(msg.value);
        lastAddress = &msg;
        if (hook) {
            hook(msg);
        }
    }
    std::vector<int> got;
    const CNumberMsg* lastAddress = nullptr;
    std::function<void(const CNumberMsg&)> hook;
};

using Sender = SDP::SOBSERVER::CSender<CNumberMsg, ST>;
using Receiver = SDP::SOBSERVER::COwnedReceiver<CListener, CNumberMsg, ST>;

struct COwnedListener {
    COwnedListener() { receiver.SetOwner(&listener); }
    CListener listener;
    Receiver receiver;
};

}  // namespace

TEST(Observer, AttachingTwiceReportsFalseAndDeliversOnceByReferenceToAnOwnerOnly) {
    Sender sender;
    CListener listener;
    Receiver receiver;
    EXPECT_TRUE(Attach(sender, receiver));
    EXPECT_FALSE(Attach(sender, receiver));
    EXPECT_FALSE(Attach(sender, static_cast<Receiver*>(nullptr)));
    EXPECT_EQ(sender.ReceiverCount(), 1u);
    EXPECT_EQ(receiver.LinkCount(), 1u);
    Send(sender, CNumberMsg(1));  // no owner yet: nothing to call
    receiver.SetOwner(&listener);
    CNumberMsg msg(2);
    Send(sender, msg);
    EXPECT_EQ(listener.lastAddress, &msg);
    receiver.SetOwner(nullptr);
    Send(sender, CNumberMsg(3));
    EXPECT_EQ(listener.got, std::vector<int>({2}));
}

TEST(Observer, EitherSideDestroyedLeavesEveryPartner) {
    Sender first;
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
        EXPECT_EQ(first.ReceiverCount(), 2u);
        EXPECT_EQ(stays.receiver.LinkCount(), 2u);
    }
    // Neither side names a destroyed partner; destroying them later touches nothing of it.
    EXPECT_EQ(first.ReceiverCount(), 1u);
    EXPECT_EQ(stays.receiver.LinkCount(), 1u);
    Send(first, CNumberMsg(2));
    EXPECT_EQ(stays.listener.got, std::vector<int>({1, 2}));
}

TEST(Observer, ReceiverDestroyedByAnEarlierHandlerIsSkipped) {
    Sender sender;
    auto a = std::make_unique<COwnedListener>();
    auto b = std::make_unique<COwnedListener>();
    Attach(sender, a->receiver);
    Attach(sender, b->receiver);
    // Whichever is called first destroys the other, which the copy of the set still names.
    int calls = 0;
    a->listener.hook = [&](const CNumberMsg&) {
        ++calls;
        b.reset();
    };
    b->listener.hook = [&](const CNumberMsg&) {
        ++calls;
        a.reset();
    };
    Send(sender, CNumberMsg(1));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(sender.ReceiverCount(), 1u);
}

TEST(Observer, ReceiverAttachedDuringDeliveryWaitsForTheNextMessageEvenAtAnOldAddress) {
    // Two slots of one array, so the first is called first (the set is ordered by address),
    // and a receiver rebuilt in the second slot has the address of the one destroyed there.
    std::optional<COwnedListener> slots[2];
    COwnedListener& killer = slots[0].emplace();
    const COwnedListener* victim = &slots[1].emplace();
    Sender sender;
    Attach(sender, killer.receiver);
    Attach(sender, slots[1]->receiver);

    bool rebuilt = false;
    killer.listener.hook = [&](const CNumberMsg&) {
        if (!rebuilt) {
            slots[1].reset();
            Attach(sender, slots[1].emplace().receiver);
            rebuilt = true;
        }
    };
    Send(sender, CNumberMsg(1));
    ASSERT_TRUE(rebuilt);
    ASSERT_EQ(&*slots[1], victim);
    EXPECT_TRUE(slots[1]->listener.got.empty());
    Send(sender, CNumberMsg(2));
    EXPECT_EQ(slots[1]->listener.got, std::vector<int>({2}));
    EXPECT_EQ(killer.listener.got, std::vector<int>({1, 2}));
}
