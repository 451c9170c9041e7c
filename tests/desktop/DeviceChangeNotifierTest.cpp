// Device changes by this process or another reach the window thread once per burst, each reader
// named once; nothing without a change or after Stop; a notifier may go while changes are due.
#include <gtest/gtest.h>

#include <QApplication>
#include <QThread>
#include <memory>
#include <vector>

#include "SessionBus.h"
#include "desktop/DeviceChangeNotifier.h"
#include "platform/token/TokenWorld.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

namespace {

struct Notification {
    UINT event;
    QStringList readers;
    bool onMainThread;
};

VK_TEST_CHILD(insert_token) {
    vkstore::TokenWorld().Insert(args.at(0), args.at(1));
    return 0;
}

class DeviceChange : public ::testing::Test {
protected:
    void SetUp() override {
        vktest::QtApp();
        for (const char* reader : {"Reader A", "Reader B", "Reader C"}) {
            m_store.AddReader(reader);
        }
        for (const char* label : {"Token 1", "Token 2", "Token 3", "Token 4"}) {
            vkstore::TokenRecordData record;
            record.label = label;
            m_store.CreateToken(record, "1234", {.log2N = 10, .r = 1}, 3);
        }
        m_store.Insert("Reader B", "Token 2");
        m_store.Insert("Reader C", "Token 3");
    }

    // A notifier that records what it emits; burst window `mergeMs`.
    std::unique_ptr<CDeviceChangeNotifier> Start(int mergeMs) {
        auto notifier = std::make_unique<CDeviceChangeNotifier>(nullptr, m_store.Root(), mergeMs);
        QObject::connect(
            notifier.get(), &CDeviceChangeNotifier::DeviceChange, notifier.get(),
            [this](UINT event, const QStringList& readers) {
                m_seen.push_back({event, readers, QThread::currentThread() == qApp->thread()});
            });
        EXPECT_TRUE(notifier->Start());
        return notifier;
    }

    vktest::TempWorld m_world;
    vkstore::TokenWorld m_store;
    std::vector<Notification> m_seen;
};

TEST_F(DeviceChange, ABurstByAnotherProcessAndThisOneMakesOneNotificationWithEachReaderOnce) {
    auto notifier = Start(1500);
    vktest::ChildProcess child("insert_token", {"Reader A", "Token 1"});  // inserted
    ASSERT_EQ(child.Wait(), 0);
    m_store.Remove("Reader B");  // removed
    m_store.Remove("Reader C");  // swapped: out, then another in
    m_store.Insert("Reader C", "Token 4");
    ASSERT_TRUE(vktest::SpinUntil([&] { return !m_seen.empty(); }));
    vktest::SpinFor(300);
    ASSERT_EQ(m_seen.size(), 1u);
    EXPECT_EQ(m_seen[0].event, DBT_DEVNODES_CHANGED);
    EXPECT_EQ(m_seen[0].readers, (QStringList{"Reader A", "Reader B", "Reader C"}));
    EXPECT_TRUE(m_seen[0].onMainThread);
    // The next change makes the next notification.
    m_store.Remove("Reader A");
    ASSERT_TRUE(vktest::SpinUntil([&] { return m_seen.size() == 2; }));
    EXPECT_EQ(m_seen[1].readers, QStringList{"Reader A"});
}

TEST_F(DeviceChange, NothingWithoutAChangeOrAfterStop) {
    auto notifier = Start(1000);
    m_store.AddReader("Reader D");  // readers without tokens carry no device
    vktest::SpinFor(1500);          // longer than the watcher's own rescan
    EXPECT_TRUE(m_seen.empty());

    // A change seen just before Stop is dropped with it.
    m_store.Insert("Reader A", "Token 1");
    vktest::SpinFor(300);  // seen by the watcher, not yet notified
    notifier->Stop();
    m_store.Remove("Reader B");
    vktest::SpinFor(1500);
    EXPECT_TRUE(m_seen.empty());

    // Started again, it takes the present state as its starting point.
    ASSERT_TRUE(notifier->Start());
    EXPECT_FALSE(notifier->Start()) << "runs already";
    vktest::SpinFor(300);
    EXPECT_TRUE(m_seen.empty());
    m_store.Remove("Reader C");
    ASSERT_TRUE(vktest::SpinUntil([&] { return !m_seen.empty(); }));
    EXPECT_EQ(m_seen[0].readers, QStringList{"Reader C"});
}

TEST_F(DeviceChange, ANotifierMayGoWhileChangesAreOnTheirWay) {
    for (int round = 0; round < 5; ++round) {
        auto notifier = Start(10);
        m_store.Insert("Reader A", "Token 1");
        vktest::SpinFor(round * 10);
        notifier.reset();
        m_store.Remove("Reader A");
    }
    vktest::SpinFor(100);
    // Whatever was notified came before the notifier went and named the reader.
    for (const Notification& n : m_seen) {
        EXPECT_EQ(n.readers, QStringList{"Reader A"});
    }
}

}  // namespace
