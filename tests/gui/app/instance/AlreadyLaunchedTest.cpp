// The single-instance guard in real processes: one first copy among copies started together or
// after one that ended or was killed, and the name's source. Signalling is the startup tests'.
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "SessionBus.h"
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

// Only decides, holding its guard until told to go (args: hold ms).
VK_TEST_CHILD(decide) {
    SDP::singleton_auto_pointer<CGuard> guard;
    std::cout << (guard->IsAlreadyLaunched() ? "second" : "first") << std::endl;
    usleep(static_cast<useconds_t>(std::stoi(args.at(0)) * 1000));
    return 0;
}

TEST(AlreadyLaunched, OneFirstCopyAmongCopiesAndAfterOnesThatEndedOrDiedTheHolderCountsTheName) {
    vktest::TempWorld world;
    vktest::NoSessionBus noBus;
    std::vector<vktest::ChildProcess> copies;
    for (int i = 0; i < 6; ++i) {
        copies.emplace_back("decide", std::vector<std::string>{"1500"}, true);
    }
    int firsts = 0;
    for (auto& copy : copies) {
        const std::string line = copy.NextLine(20000);
        EXPECT_TRUE(line == "first" || line == "second") << line;
        firsts += line == "first";
    }
    EXPECT_EQ(firsts, 1);
    for (auto& copy : copies) {
        EXPECT_EQ(copy.Wait(), 0);
    }
    {
        vktest::ChildProcess killed("decide", {"60000"}, true);
        EXPECT_EQ(killed.NextLine(20000), "first");
        vktest::ChildProcess beside("decide", {"0"}, true);
        EXPECT_EQ(beside.NextLine(20000), "second");
        killed.Kill(SIGKILL);
        killed.Wait();
    }
    vktest::ChildProcess next("decide", {"0"}, true);
    EXPECT_EQ(next.NextLine(20000), "first");
    EXPECT_EQ(next.Wait(), 0);

    // In this process: the holder of the name counts as launched.
    vktest::QtApp();
    CGuard first;
    EXPECT_FALSE(first.IsAlreadyLaunched());
    EXPECT_EQ(first.SignalFirstCopy(100), InstanceTransport::None) << "a first copy signals no one";
    CGuard again;
    EXPECT_TRUE(again.IsAlreadyLaunched());
    EXPECT_FALSE(again.Listen([] {}));
    EXPECT_NE(first.InstanceMessage(), 0u);
    EXPECT_EQ(again.InstanceMessage(), first.InstanceMessage());

    // The name: the English instance string, else the built-in name.
    SetUiLanguage(LANG_RUSSIAN_ID);
    EXPECT_EQ(CMutextInfo().Name(), LoadLangString(IDS_INSTANCE_NAME, LANG_NEUTRAL_DEFAULT_ID));
    SetResourceModule(std::make_shared<CResFile>());
    EXPECT_EQ(CMutextInfo().Name(), L"Mutex Name is {B284EB2C-2867-46b4-83CB-0E6923B460FB}");
    SetResourceModule(nullptr);
    EXPECT_EQ(CMutextInfo().Name(), CGuard().Name());
}

}  // namespace
