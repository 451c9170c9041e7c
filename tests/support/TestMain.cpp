// main of every test program: runs a registered child when asked to, the tests otherwise.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/ChildProcess.h"

#include <cstdlib>

int main(int argc, char** argv) {
    // The same conditions on every machine; a test may still override them.
    setenv("LC_ALL", "C.UTF-8", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TZ", "UTC", 0);
    int child = vktest::DispatchChild(argc, argv);
    if (child >= 0) {
        return child;
    }
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
