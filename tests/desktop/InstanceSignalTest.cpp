// The single-instance signal between real processes, over the bus and over the socket, and what
// it does with missing, starting, killed and foreign peers; the guard is tests/gui/app/instance's.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <future>
#include <iostream>

#include "SessionBus.h"
#include "desktop/InstanceAddress.h"
#include "desktop/InstanceListener.h"
#include "desktop/InstanceSignal.h"
#include "platform/kernel/UnixSocket.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

namespace {

const std::wstring kName = L"vkCert Instance ID {5336E4D5-7B99-4f83-9D26-BF2107E155A0}";

// The first copy: listens, says how, and counts the copies that signal it
// until it has heard the number it was given (args: count [delay before listening, ms]).
VK_TEST_CHILD(first_copy) {
    vktest::QtApp();
    if (args.size() > 1) {
        std::cout << "starting" << std::endl;
        vktest::SpinFor(std::stoi(args[1]));
    }
    CInstanceListener listener(kName);
    int heard = 0;
    QObject::connect(&listener, &CInstanceListener::Activated, [&heard] { ++heard; });
    if (!listener.Listen()) {
        std::cout << "cannot listen" << std::endl;
        return 1;
    }
    std::cout << "listening dbus=" << listener.ListensOnDBus()
              << " socket=" << listener.ListensOnSocket() << std::endl;
    vktest::SpinUntil([&] { return heard >= std::stoi(args.at(0)); }, 20000);
    vktest::SpinFor(200);
    std::cout << "activated " << heard << std::endl;
    return 0;
}

// A first copy that listens, as `listening` says, waiting for `count` signals.
vktest::ChildProcess FirstCopy(const char* listening, const char* count = "1") {
    vktest::ChildProcess first("first_copy", {count}, true);
    EXPECT_EQ(first.NextLine(20000), listening);
    vktest::QtApp();
    return first;
}

class InstanceSignalOnBus : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(m_bus.Address().empty()); }
    vktest::TempWorld m_world;
    vktest::SessionBus m_bus;
};

TEST_F(InstanceSignalOnBus, WaitsForAStartingFirstCopyReachesItOverTheBusNotCopiesOfAnotherName) {
    vktest::ChildProcess first("first_copy", {"2", "700"}, true);
    EXPECT_EQ(first.NextLine(20000), "starting");
    vktest::QtApp();
    // The first copy may start listening between the two tries of one round.
    const InstanceTransport how = CInstanceSignal::Send(kName, 10000);
    EXPECT_TRUE(how == InstanceTransport::DBus || how == InstanceTransport::LocalSocket);
    EXPECT_EQ(first.NextLine(20000), "listening dbus=1 socket=1");
    EXPECT_EQ(CInstanceSignal::Send(kName + L" (other)", 300), InstanceTransport::None);
    EXPECT_EQ(CInstanceSignal::Send(kName), InstanceTransport::DBus);
    EXPECT_EQ(first.NextLine(20000), "activated 2");
    EXPECT_EQ(first.Wait(), 0);
}

TEST_F(InstanceSignalOnBus, ACopyWithoutBusReachesTheFirstCopyOverTheSocket) {
    vktest::ChildProcess first = FirstCopy("listening dbus=1 socket=1");
    vktest::NoSessionBus noBus;
    ASSERT_FALSE(QDBusConnection::sessionBus().isConnected());
    EXPECT_EQ(CInstanceSignal::Send(kName), InstanceTransport::LocalSocket);
    EXPECT_EQ(first.NextLine(20000), "activated 1");
}

TEST(InstanceSignalWithoutBus,
     ReachesTheFirstCopyOverTheSocketButConnectionsOfOthersActivateNothing) {
    vktest::TempWorld world;
    vktest::NoSessionBus noBus;
    const QString socket = CInstanceAddress(kName).SocketPath();
    EXPECT_TRUE(socket.startsWith(QString::fromStdString(world.RuntimeDir().string()) + "/"))
        << socket.toStdString();
    {
        vktest::ChildProcess killed = FirstCopy("listening dbus=0 socket=1");
        killed.Kill(SIGKILL);
        killed.Wait();
    }
    ASSERT_TRUE(QFileInfo::exists(socket)) << "a killed copy leaves its socket";
    // Nobody listening is reported after the timeout, not before.
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(CInstanceSignal::Send(kName, 500), InstanceTransport::None);
    EXPECT_GE(timer.elapsed(), 400) << "gave up before the first copy had its time";

    vktest::ChildProcess first = FirstCopy("listening dbus=0 socket=1", "2");
    EXPECT_EQ(CInstanceSignal::Send(kName), InstanceTransport::LocalSocket);
    EXPECT_EQ(CInstanceSignal::Send(kName), InstanceTransport::LocalSocket);
    EXPECT_EQ(first.NextLine(20000), "activated 2");
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_FALSE(QFileInfo::exists(socket)) << "the first copy takes its socket with it";

    // Listening here, connections that are not starting copies activate nothing.
    CInstanceListener listener(kName);
    int activated = 0;
    QObject::connect(&listener, &CInstanceListener::Activated, [&activated] { ++activated; });
    ASSERT_TRUE(listener.Listen());
    EXPECT_FALSE(listener.ListensOnDBus());

    // A wrong line, and a long line without an end: both are dropped unanswered.
    for (const std::string& junk : {std::string("hello\n"), std::string(4096, 'a')}) {
        const CUnixSocket client = CUnixSocket::Connect(QFile::encodeName(socket).toStdString());
        ASSERT_TRUE(client.IsValid());
        client.SendAll(junk, 1000);  // the long one may be cut off by the drop
        std::string answer;
        EXPECT_TRUE(vktest::SpinUntil(
            [&] { return client.ReceiveAvailable(answer, 64) == CUnixSocket::Received::Closed; },
            5000))
            << "not dropped: " << junk.substr(0, 10);
        EXPECT_EQ(answer, "");
    }
    EXPECT_EQ(activated, 0);

    // A starting copy still gets through, from a thread of its own.
    auto sent = std::async(std::launch::async, [] { return CInstanceSignal::Send(kName); });
    ASSERT_TRUE(vktest::SpinUntil(
        [&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(sent.get(), InstanceTransport::LocalSocket);
    EXPECT_EQ(activated, 1);
}

}  // namespace
