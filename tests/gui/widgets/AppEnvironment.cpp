// Every widget test needs the application object before its first widget.
#include <gtest/gtest.h>

#include "support/gui/QtApp.h"

namespace {

class AppEnvironment : public testing::Environment {
public:
    void SetUp() override { vktest::QtApp(); }
};

[[maybe_unused]] testing::Environment* const kAppEnvironment =
    testing::AddGlobalTestEnvironment(new AppEnvironment);

}  // namespace
