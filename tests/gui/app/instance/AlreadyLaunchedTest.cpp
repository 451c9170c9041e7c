// The single-instance guard of vkCert, with its own instance name, in real processes: a second
// copy learns it before any Qt object exists, signals the first copy and ends; the first copy's
// minimised window is restored and made active no sooner than the pause after the signal.
// Copies started together, copies after one that ended or was killed, and the instance name's
// source. How the signal travels (bus or socket) is left to the desktop tests, the real
// program's second copy to tests/gui/app/startup.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "SessionBus.h"
#include "desktop/BringWindowsToFront.h"
#include "gui/app/CMutextInfo.h"
#include "gui/app/STools/CAlreadyLaunched.h"
#include "program/app/LangResource.h"
#include "program/app/ResFile.h"
#include "program/app/ResourceModule.h"
#include "program/app/UiLanguage.h"
#include "program/core/sdp/singleton_auto_pointer.h"
#include "res/resource.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"
#include "support/gui/QtApp.h"

namespace {

using CGuard = STools::CAlreadyLaunched<CMutextInfo>;

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A copy of the program as it starts: the guard first, the Qt application
// object after it. A second copy signals and ends with 1; the first copy shows
// its main window minimised, listens, and reports its window once brought forward.
VK_TEST_CHILD(copy) {
    SDP::singleton_auto_pointer<CGuard> guard;
    const bool second = guard->IsAlreadyLaunched();
    vktest::QtApp();
    if (second) {
        std::cout << "second" << std::endl;
        std::cout << "signalling at " << NowMs() << std::endl;
        const InstanceTransport how = guard->SignalFirstCopy();
        std::cout << "signalled " << static_cast<int>(how) << " listens " << guard->Listen([] {})
                  << std::endl;
        return 1;
    }
    QMainWindow window;
    window.setWindowTitle("vkCert");
    window.show();
    window.setWindowState(Qt::WindowMinimized);
    long long broughtAt = 0;
    if (!guard->Listen([&broughtAt] {
            BringWindowsToFront();
            broughtAt = NowMs();
        })) {
        return 2;
    }
    std::cout << "first signal=" << static_cast<int>(guard->SignalFirstCopy()) << std::endl;
    vktest::SpinUntil([&] { return broughtAt != 0; }, 20000);
    vktest::SpinUntil([&] { return QApplication::activeWindow() == &window; }, 3000);
    std::cout << "front at " << broughtAt << " minimized=" << window.isMinimized()
              << " active=" << (QApplication::activeWindow() == &window) << std::endl;
    return 0;
}

// Only decides, holding its guard until told to go (args: hold ms).
VK_TEST_CHILD(decide) {
    SDP::singleton_auto_pointer<CGuard> guard;
    std::cout << (guard->IsAlreadyLaunched() ? "second" : "first") << std::endl;
    usleep(static_cast<useconds_t>(std::stoi(args.at(0)) * 1000));
    return 0;
}

class AlreadyLaunched : public ::testing::Test {
protected:
    static std::string Line(vktest::ChildProcess& child) {
        std::string line;
        EXPECT_TRUE(child.ReadLine(line, 20000));
        return line;
    }

    static long long TimeAfter(const std::string& line, const std::string& prefix) {
        EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;
        return std::stoll(line.substr(prefix.size()));
    }

    vktest::TempWorld m_world;
};

TEST_F(AlreadyLaunched, ASecondCopySignalsAndEndsAndTheFirstComesForwardAfterThePause) {
    vktest::NoSessionBus noBus;
    vktest::ChildProcess first("copy", {}, true);
    EXPECT_EQ(Line(first), "first signal=0");
    vktest::ChildProcess second("copy", {}, true);
    EXPECT_EQ(Line(second), "second");
    const long long signalledAt = TimeAfter(Line(second), "signalling at ");
    EXPECT_EQ(Line(second),
              "signalled " + std::to_string(int(InstanceTransport::LocalSocket)) + " listens 0")
        << "a second copy does not listen";
    EXPECT_EQ(second.Wait(), 1);

    const std::string front = Line(first);
    const long long frontAt = TimeAfter(front.substr(0, front.find(" minimized")), "front at ");
    EXPECT_GE(frontAt - signalledAt, STools::kBringToFrontDelayMs)
        << "the first copy waits before it comes forward";
    EXPECT_NE(front.find(" minimized=0 active=1"), std::string::npos) << front;
    EXPECT_EQ(first.Wait(), 0);
}

TEST_F(AlreadyLaunched, OfCopiesStartedTogetherExactlyOneIsFirst) {
    vktest::NoSessionBus noBus;
    std::vector<vktest::ChildProcess> copies;
    for (int i = 0; i < 6; ++i) {
        copies.emplace_back("decide", std::vector<std::string>{"1500"}, true);
    }
    int firsts = 0;
    for (auto& copy : copies) {
        const std::string line = Line(copy);
        EXPECT_TRUE(line == "first" || line == "second") << line;
        firsts += line == "first";
    }
    EXPECT_EQ(firsts, 1);
}

TEST_F(AlreadyLaunched, ACopyAfterOneThatEndedOrWasKilledIsFirst) {
    vktest::NoSessionBus noBus;
    {
        vktest::ChildProcess ended("decide", {"0"}, true);
        EXPECT_EQ(Line(ended), "first");
        EXPECT_EQ(ended.Wait(), 0);
    }
    {
        vktest::ChildProcess killed("decide", {"60000"}, true);
        EXPECT_EQ(Line(killed), "first");
        vktest::ChildProcess beside("decide", {"0"}, true);
        EXPECT_EQ(Line(beside), "second");
        killed.Kill(SIGKILL);
        killed.Wait();
    }
    vktest::ChildProcess next("decide", {"0"}, true);
    EXPECT_EQ(Line(next), "first");
}

TEST_F(AlreadyLaunched, TheProcessThatHoldsTheNameCountsAsLaunched) {
    vktest::NoSessionBus noBus;
    vktest::QtApp();
    CGuard first;
    EXPECT_FALSE(first.IsAlreadyLaunched());
    EXPECT_EQ(first.SignalFirstCopy(100), InstanceTransport::None) << "a first copy signals no one";
    CGuard again;
    EXPECT_TRUE(again.IsAlreadyLaunched());
    EXPECT_FALSE(again.Listen([] {}));
    EXPECT_NE(first.InstanceMessage(), 0u);
    EXPECT_EQ(again.InstanceMessage(), first.InstanceMessage());
}

TEST(MutextInfo, NameIsTheEnglishInstanceStringElseTheBuiltInName) {
    vktest::TempWorld world;
    SetUiLanguage(LANG_RUSSIAN_ID);
    EXPECT_EQ(CMutextInfo().Name(), LoadLangString(IDS_INSTANCE_NAME, LANG_NEUTRAL_DEFAULT_ID));
    SetResourceModule(std::make_shared<CResFile>());
    EXPECT_EQ(CMutextInfo().Name(), L"Mutex Name is {B284EB2C-2867-46b4-83CB-0E6923B460FB}");
    SetResourceModule(nullptr);
    EXPECT_EQ(CMutextInfo().Name(), CGuard().Name());
}

}  // namespace
