// Registered window messages: one number per name whatever the case, failures, a full table and
// threads at once. Their broadcasts inside the program (any thread, right receivers only) and, on
// a bus of the test's own, between real processes, vkcert-cli's login and logout among them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QThread>
#include <atomic>
#include <iostream>
#include <set>
#include <string>
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

// Fills the table of a fresh process: every number once, then no more.
VK_TEST_CHILD(fill_message_table) {
    std::set<UINT> numbers;
    const UINT first = RegisterWindowMessageW(L"first");
    for (UINT i = 0; i < 0x4000 - 1; ++i) {
        const UINT n = RegisterWindowMessageW((L"name " + std::to_wstring(i)).c_str());
        if (n < kFirstRegisteredMessage || n > kLastRegisteredMessage || n == first ||
            !numbers.insert(n).second) {
            return 2;
        }
    }
    SetLastError(ERROR_SUCCESS);
    const bool full =
        RegisterWindowMessageW(L"one too many") == 0 && GetLastError() == ERROR_NOT_ENOUGH_MEMORY;
    // Names registered before keep their numbers.
    return full && RegisterWindowMessageW(L"FIRST") == first && RegisterWindowMessageW(L"name 17")
               ? 0
               : 3;
}

TEST(RegisteredMessages, OneNumberPerNameWhateverTheCaseNoneWhenFullThreadsRegisteringAgree) {
    const UINT login = RegisterWindowMessageW(kLoginName);
    EXPECT_EQ(RegisterWindowMessageW(kLoginName), login);
    EXPECT_EQ(RegisterWindowMessageW(
                  L"{d1c07249-b709-4DA6-8ed2-239f3920db01} VELKORA LOGIN/LOGOUT MESSAGE"),
              login);
    EXPECT_EQ(RegisterWindowMessageW(L"Сообщение входа"),
              RegisterWindowMessageW(L"СООБЩЕНИЕ ВХОДА"));

    // The name is kept as first spelled.
    EXPECT_EQ(CRegisteredMessages::NameOf(login), kLoginName);
    EXPECT_EQ(CRegisteredMessages::NameOf(kLastRegisteredMessage), L"");
    // Null and empty names are refused.
    for (const wchar_t* name : {static_cast<const wchar_t*>(nullptr), L""}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(RegisterWindowMessageW(name), 0u);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }

    vktest::ChildProcess child("fill_message_table");
    EXPECT_EQ(child.Wait(), 0);

    // Eight threads, every other one spelling the names in upper case.
    std::vector<std::vector<UINT>> seen(8, std::vector<UINT>(200));
    std::vector<std::jthread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, &seen] {
            for (int i = 0; i < 200; ++i) {
                const auto name = (t % 2 ? L"THREADED " : L"threaded ") + std::to_wstring(i);
                seen[t][i] = RegisterWindowMessageW(name.c_str());
            }
        });
    }
    threads.clear();  // joined
    EXPECT_EQ(std::set<UINT>(seen[0].begin(), seen[0].end()).size(), 200u);
    EXPECT_EQ(seen, decltype(seen)(8, seen[0]));
}

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

VK_TEST_CHILD(post_without_application) {
    SetLastError(ERROR_SUCCESS);
    const BOOL posted = PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(kLoginName), 0, 0);
    return posted || GetLastError() != ERROR_NOT_SUPPORTED ? 1 : 0;
}

TEST(BroadcastWithoutBus, ReachesOwnReceiversOfThatMessageOnTheWindowThreadAfterThePosting) {
    vktest::TempWorld world;
    vktest::NoSessionBus noBus;
    vktest::QtApp();
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

    // A program without a Qt application object has no event loop to post into.
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
    return 0;
}

// Sends signals of the broadcast interface that are not postings, then posts and ends at once.
VK_TEST_CHILD(foreign_signals) {
    vktest::QtApp();
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto signal = [] {
        return QDBusMessage::createSignal(QStringLiteral("/org/vkcert/Broadcast"),
                                          QStringLiteral("org.vkcert.Broadcast"),
                                          QStringLiteral("Message"));
    };
    bus.send(signal());  // without arguments
    bus.send(signal() << QString::fromStdWString(kLoginName) << QStringLiteral("x") << 1 << 2);
    // A registered number from another program's table, without its name.
    bus.send(signal() << QString() << uint(0xC000) << qulonglong(1) << qlonglong(1));
    return PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(kLoginName), 9, -9) ? 0 : 1;
}

TEST(BroadcastOnBus, EveryProgramHearsEveryPostingUnderItsOwnNumberButNoForeignSignal) {
    vktest::TempWorld world;
    vktest::SessionBus bus;
    vktest::QtApp();
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
    vktest::ChildProcess first("broadcast_listener", {"2"}, true);
    vktest::ChildProcess second("broadcast_listener", {"2"}, true);
    const UINT login = RegisterWindowMessageW(kLoginName);
    for (vktest::ChildProcess* listener : {&first, &second}) {
        // Ready, under a number of its own.
        const std::string ready = listener->NextLine();
        ASSERT_TRUE(ready.starts_with("ready ") && ready != "ready " + std::to_string(login))
            << ready;
    }
    Recorder own(login);
    Recorder other(RegisterWindowMessageW(L"not the login message"));
    ASSERT_TRUE(PostMessageW(HWND_BROADCAST, login, 1, 0));
    vktest::ChildProcess foreign("foreign_signals");
    ASSERT_EQ(foreign.Wait(), 0);
    // Each listener hears every posting in the order they were posted, the foreign signals not.
    const std::string all = "heard 1 0\nheard 9 -9\n";
    EXPECT_EQ(first.ReadAll(), all);
    EXPECT_EQ(second.ReadAll(), all);
    // So does the test, its own posting once, on the window thread.
    ASSERT_TRUE(vktest::SpinUntil([&] { return own.heard.size() == 2; }));
    vktest::SpinFor(200);
    EXPECT_EQ(own.heard, (std::vector<Heard>{{1, 0}, {9, -9}}));
    EXPECT_TRUE(other.heard.empty());
}

// Runs a program of the build with `input` on its standard input; answers its exit code.
int RunTool(const std::vector<std::string>& argv, const std::string& input = "") {
    std::vector<std::string> sh = {"sh", "-c", "printf %s \"$0\" | exec \"$@\"", input};
    sh.insert(sh.end(), argv.begin(), argv.end());
    auto child = vktest::ChildProcess::Exec(sh, true);
    child.ReadAll();
    return child.Wait();
}

// vkcert-cli, a program without Qt, posts the login message after its login and its logout; a bus
// that does not answer leaves nobody to tell and is no failure.
TEST(BroadcastOnBus, VkcertCliLoginAndLogoutAreHeardAsTheLoginMessage) {
    vktest::TempWorld world;
    vktest::SessionBus bus;
    vktest::QtApp();
    RegisterWindowMessageW(L"registered before the login message");  // a number of our own
    Recorder login(RegisterWindowMessageW(kLoginName));
    Recorder other(RegisterWindowMessageW(L"not the login message"));
    ASSERT_EQ(RunTool({VKTOKEN, "demo"}), 0);
    const std::string reader = "Velkora USB Reader 0";
    ASSERT_EQ(RunTool({VKCERT_CLI, "login", reader, "--pin-stdin"}, "12345678\n"), 0);
    ASSERT_TRUE(vktest::SpinUntil([&] { return login.heard.size() == 1; }));
    ASSERT_EQ(RunTool({VKCERT_CLI, "logout", reader}), 0);
    ASSERT_TRUE(vktest::SpinUntil([&] { return login.heard.size() == 2; }));
    vktest::SpinFor(200);
    EXPECT_EQ(login.heard, (std::vector<Heard>{{0, 0}, {0, 0}}));
    EXPECT_TRUE(other.heard.empty());

    const std::string noBus =
        "DBUS_SESSION_BUS_ADDRESS=unix:path=" + world.Root().string() + "/none";
    EXPECT_EQ(RunTool({"env", noBus, VKCERT_CLI, "login", reader, "--pin-stdin"}, "12345678\n"), 0);
    EXPECT_EQ(RunTool({"env", noBus, VKCERT_CLI, "logout", reader}), 0);
    vktest::SpinFor(200);
    EXPECT_EQ(login.heard.size(), 2u);
}

}  // namespace
