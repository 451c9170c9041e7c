// The program as a user starts it: it stops cleanly with its settings saved, runs beside another
// session's copy, and a second copy brings the first one back after the pause.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <iostream>

#include "ProgramRun.h"
#include "desktop/InstanceListener.h"
#include "desktop/SessionBus.h"
#include "gui/app/CMutextInfo.h"
#include "gui/app/CvkCertApp.h"
#include "gui/app/STools/CAlreadyLaunched.h"
#include "gui/ui/frame/CMainFrame.h"
#include "program/core/sdp/CSingletonRegistry.h"
#include "program/core/sdp/singleton_auto_pointer.h"

using namespace startuptest;

// A first copy made of the program's own start-up, minimised once it runs; it says "ready", then
// "restored <ms after the signal>" when something brought its window back (or ends on a timeout).
VK_TEST_CHILD(first_copy) {
    // What the program's static objects do: the guard lives as long as the process.
    SDP::singleton_auto_pointer<STools::CAlreadyLaunched<CMutextInfo>> guard;
    int argc = 1;
    char name[] = "vkcert";
    char* argv[] = {name, nullptr};
    CvkCertApp app;
    if (!app.InitInstance(argc, argv)) {
        return 3;
    }
    CMainFrame* frame = app.MainFrame();
    frame->showMinimized();
    QApplication::processEvents();
    QElapsedTimer signalled;
    QObject::connect(qApp->findChild<CInstanceListener*>(), &CInstanceListener::Activated,
                     [&signalled] { signalled.start(); });
    std::cout << (frame->isMinimized() ? "ready" : "not minimised") << std::endl;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [frame, &signalled] {
        if (!frame->isMinimized() && frame->isVisible()) {
            std::cout << "restored " << (signalled.isValid() ? signalled.elapsed() : -1)
                      << std::endl;
            QApplication::quit();
        }
    });
    poll.start(20);
    QTimer::singleShot(20000, [] { QApplication::quit(); });
    QApplication::exec();
    app.ExitInstance();
    SDP::SINGLETON::Teardown();
    return 0;
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Vktoken({"demo"}), 0); }

    vktest::TempWorld m_world;
};

TEST_F(Startup, TheProgramRunsBesideACopyOfAnotherSessionAndStopsCleanlyAtTheSessionsRequest) {
    vktest::NoSessionBus noBus;
    vktest::ChildProcess program = vktest::ChildProcess::Exec({VKCERT});
    ASSERT_TRUE(WaitUntilRunning(m_world, program));
    int code = -1;
    {
        // The instance name is per user: another runtime folder is another user's session.
        vktest::TempWorld other;
        ASSERT_EQ(Vktoken({"demo"}), 0);
        vktest::ChildProcess second = vktest::ChildProcess::Exec({VKCERT});
        EXPECT_TRUE(WaitUntilRunning(other, second));
        EXPECT_FALSE(second.WaitFor(500, &code)) << "the copy of another session ended";
        second.Kill(SIGTERM);
        EXPECT_TRUE(second.WaitFor(20000, &code));
    }
    EXPECT_EQ(UserHive(m_world).find("WindowPlacement"), std::string::npos);
    program.Kill(SIGTERM);
    ASSERT_TRUE(program.WaitFor(20000, &code));
    EXPECT_EQ(code, 0);
    // The close went the way of the window's close button: the layout was saved.
    const std::string hive = UserHive(m_world);
    EXPECT_NE(hive.find("\"WindowPlacement\""), std::string::npos) << hive;
    EXPECT_NE(hive.find("\"StatusBarVisible\"=\"Y\""), std::string::npos) << hive;
}

// Over the socket; the bus is the signal's other way, the same for the program
// (InstanceSignalTest).
TEST_F(Startup, ASecondCopyEndsAndBringsTheFirstBackAfterThePause) {
    vktest::NoSessionBus noBus;
    vktest::ChildProcess first("first_copy", {}, true);
    ASSERT_EQ(first.NextLine(30000), "ready");

    vktest::ChildProcess second = vktest::ChildProcess::Exec({VKCERT});
    int code = -1;
    ASSERT_TRUE(second.WaitFor(20000, &code)) << "the second copy keeps running";
    EXPECT_EQ(code, 1);  // the exit of a second copy

    const std::string line = first.NextLine(20000);
    ASSERT_TRUE(line.starts_with("restored ")) << line;
    // No sooner than the pause (less what a coarse timer may fire early).
    EXPECT_GE(std::stoi(line.substr(9)), STools::kBringToFrontDelayMs * 9 / 10) << line;
    EXPECT_EQ(first.Wait(), 0);
}
