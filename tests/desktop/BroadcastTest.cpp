// Broadcasts of registered messages inside the program (any thread, right receivers only) and, on
// a bus of the test's own, between real processes; the numbers are RegisteredMessagesTest's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QThread>
#include <atomic>
#include <iostream>
#include <thread>
#include <vector>

#include "SessionBus.h"
#include "desktop/BroadcastReceiver.h"
#include "desktop/MessageBroadcast.h"
#include "desktop/RegisteredMessages.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

namespace {

constexpr const wchar_t* kLoginName =
    L"{D1C07249-B709-4da6-8ED2-239F3920DB01} Velkora Login/Logout message";

struct Heard {
    WPARAM wParam;
    LPARAM lParam;
    bool onMainThread = true;
    bool operator==(const Heard&) const = default;
};

struct Recorder {
    explicit Recorder(UINT message) : receiver(message) {
        QObject::connect(&receiver, &CBroadcastReceiver::Received, &receiver,
                         [this](WPARAM w, LPARAM l) {
                             heard.push_back({w, l, QThread::currentThread() == qApp->thread()});
                         });
    }
    CBroadcastReceiver receiver;
    std::vector<Heard> heard;
};

class Broadcast : public ::testing::Test {
protected:
    vktest::TempWorld m_world;
};

class BroadcastWithoutBus : public Broadcast {
protected:
    void SetUp() override { vktest::QtApp(); }
    vktest::NoSessionBus m_noBus;
};

TEST_F(BroadcastWithoutBus, ReachesOwnReceiversOfThatMessageOnTheWindowThreadAfterThePosting) {
    ASSERT_FALSE(QDBusConnection::sessionBus().isConnected());
    const UINT login = RegisterWindowMessageW(kLoginName);
    Recorder loginRecorder(login);
    Recorder secondLoginRecorder(login);
    Recorder otherRecorder(RegisterWindowMessageW(L"another message"));
    // Only the broadcast window is accepted.
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(PostMessageW(nullptr, login, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(std::uintptr_t{0x1234}), login, 0, 0));

    ASSERT_TRUE(PostMessageW(HWND_BROADCAST, login, 0, 0));
    EXPECT_EQ(loginRecorder.heard.size(), 0u) << "posted, not sent";
    std::atomic<BOOL> posted{FALSE};
    std::thread([&] {
        posted = PostMessageW(HWND_BROADCAST, login, 0xFFFFFFFFFFFFFFFFu, -42);
    }).join();
    ASSERT_TRUE(posted.load());
    ASSERT_TRUE(vktest::SpinUntil([&] { return loginRecorder.heard.size() == 2; }));
    vktest::SpinFor(100);
    const std::vector<Heard> both{{0, 0}, {0xFFFFFFFFFFFFFFFFu, -42}};
    EXPECT_EQ(loginRecorder.heard, both);
    EXPECT_EQ(secondLoginRecorder.heard, both);
    EXPECT_TRUE(otherRecorder.heard.empty());
}

// A program without a Qt application object has no event loop to post into.
VK_TEST_CHILD(post_without_application) {
    SetLastError(ERROR_SUCCESS);
    const BOOL posted = PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(kLoginName), 0, 0);
    return posted || GetLastError() != ERROR_NOT_SUPPORTED ? 1 : 0;
}

TEST_F(Broadcast, PostingBeforeTheApplicationExistsFails) {
    vktest::ChildProcess child("post_without_application");
    EXPECT_EQ(child.Wait(), 0);
}

// Listens for the login message, with other names registered first so that
// its number differs from the parent's; prints what it hears.
VK_TEST_CHILD(broadcast_listener) {
    vktest::QtApp();
    for (int i = 0; i < 5; ++i) {
        RegisterWindowMessageW((L"child's own " + std::to_wstring(i)).c_str());
    }
    const UINT login = RegisterWindowMessageW(kLoginName);
    Recorder recorder(login);
    std::cout << "ready " << login << std::endl;
    vktest::SpinUntil([&] { return recorder.heard.size() >= std::stoul(args.at(0)); });
    vktest::SpinFor(300);  // anything more would show here
    for (const Heard& h : recorder.heard) {
        std::cout << "heard " << h.wParam << " " << h.lParam << std::endl;
    }
    std::cout << "done" << std::endl;
    return 0;
}

VK_TEST_CHILD(broadcast_poster) {
    vktest::QtApp();
    return PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(kLoginName), 5, -6) ? 0 : 1;
}

// Sends signals of the broadcast interface that are not postings.
VK_TEST_CHILD(foreign_signals) {
    vktest::QtApp();
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString path = QStringLiteral("/org/vkcert/Broadcast");
    const QString iface = QStringLiteral("org.vkcert.Broadcast");
    QDBusMessage noArgs = QDBusMessage::createSignal(path, iface, QStringLiteral("Message"));
    QDBusMessage wrongTypes = QDBusMessage::createSignal(path, iface, QStringLiteral("Message"));
    wrongTypes << QString::fromStdWString(kLoginName) << QStringLiteral("x") << 1 << 2;
    // A registered number from another program's table, without its name.
    QDBusMessage bareNumber = QDBusMessage::createSignal(path, iface, QStringLiteral("Message"));
    bareNumber << QString() << uint(0xC000) << qulonglong(1) << qlonglong(1);
    for (const QDBusMessage& m : {noArgs, wrongTypes, bareNumber}) {
        bus.send(m);
    }
    // Then a real one, so the listener knows when the others have passed.
    return PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(kLoginName), 9, 9) ? 0 : 1;
}

class BroadcastOnBus : public Broadcast {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_bus.Address().empty());
        vktest::QtApp();
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
    }

    vktest::ChildProcess StartListener() {
        vktest::ChildProcess child("broadcast_listener", {"3"}, true);
        std::string line;
        EXPECT_TRUE(child.ReadLine(line));
        EXPECT_EQ(line.rfind("ready ", 0), 0u) << line;
        m_childNumber = static_cast<UINT>(std::stoul(line.substr(6)));
        return child;
    }

    static std::vector<std::string> HeardBy(vktest::ChildProcess& child) {
        std::vector<std::string> heard;
        std::string line;
        while (child.ReadLine(line) && line != "done") {
            heard.push_back(line);
        }
        return heard;
    }

    vktest::SessionBus m_bus;
    UINT m_childNumber = 0;
};

TEST_F(BroadcastOnBus, EveryProgramHearsEveryPostingUnderItsOwnNumberButNoForeignSignal) {
    vktest::ChildProcess first = StartListener();
    vktest::ChildProcess second = StartListener();
    const UINT login = RegisterWindowMessageW(kLoginName);
    ASSERT_NE(login, m_childNumber) << "the test needs numbers that differ";
    Recorder own(login);
    Recorder other(RegisterWindowMessageW(L"not the login message"));
    ASSERT_TRUE(PostMessageW(HWND_BROADCAST, login, 1, 0));
    // A poster that ends at once.
    vktest::ChildProcess poster("broadcast_poster");
    ASSERT_EQ(poster.Wait(), 0);
    vktest::ChildProcess foreign("foreign_signals");
    ASSERT_EQ(foreign.Wait(), 0);
    // Each listener hears every posting in the order they were posted, the foreign signals not.
    const std::vector<std::string> all{"heard 1 0", "heard 5 -6", "heard 9 9"};
    EXPECT_EQ(HeardBy(first), all);
    EXPECT_EQ(HeardBy(second), all);
    // So does the test, its own posting once, on the window thread.
    ASSERT_TRUE(vktest::SpinUntil([&] { return own.heard.size() == 3; }));
    vktest::SpinFor(200);
    EXPECT_EQ(own.heard, (std::vector<Heard>{{1, 0}, {5, -6}, {9, 9}}));
    EXPECT_TRUE(other.heard.empty());
}

}  // namespace
