// The whole program under AddressSanitizer and UndefinedBehaviorSanitizer: started on the demo
// tokens, a token moved, ended as a session ends it; the static objects go without a report.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ProgramRun.h"

using namespace startuptest;

TEST(StartupUnderSanitizers, StartAndExitAreClean) {
    vktest::TempWorld world;
    ASSERT_EQ(Vktoken({"demo"}), 0);
    setenv("LSAN_OPTIONS", "suppressions=" LSAN_SUPPRESSIONS, 1);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    vktest::ChildProcess program = vktest::ChildProcess::Exec({VKCERT});
    ASSERT_TRUE(WaitUntilRunning(world, program, 120000));
    // Time to fill the tree and to read the tokens, while a token moves underneath.
    std::this_thread::sleep_for(std::chrono::milliseconds(3000));
    ASSERT_EQ(Vktoken({"remove", "Velkora USB Reader 1"}), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    program.Kill(SIGTERM);
    int code = -1;
    ASSERT_TRUE(program.WaitFor(120000, &code));
    // Any sanitizer report ends the program with a non-zero code.
    EXPECT_EQ(code, 0);
    EXPECT_NE(UserHive(world).find("\"WindowPlacement\""), std::string::npos);
}
