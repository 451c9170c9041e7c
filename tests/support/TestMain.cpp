// main of every test program: runs a registered child when asked to, the tests otherwise.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/ChildProcess.h"

int main(int argc, char** argv) {
    int child = vktest::DispatchChild(argc, argv);
    if (child >= 0) {
        return child;
    }
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
