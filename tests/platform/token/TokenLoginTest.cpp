// Logins held across processes: seen by a second process, ended by logout and
// by the token leaving its reader, never stored in the token store.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/token/StoreError.h"
#include "platform/token/TokenLogin.h"
#include "platform/token/TokenWorld.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"

using namespace vkstore;

namespace {

void MakeToken(TokenWorld& world) {
    world.AddReader("Reader 1");
    TokenRecordData record;
    record.label = "T";
    world.CreateToken(record, "1234", 1000);
    world.Insert("Reader 1", "T");
}

}  // namespace

VK_TEST_CHILD(login_seen) {
    TokenWorld world;
    TokenLogin login;
    return login.IsLoggedIn(*world.Reader("Reader 1")) ? 0 : 1;
}

TEST(TokenLogin, IsSeenByAnotherProcessUntilLogout) {
    vktest::TempWorld temp;
    TokenWorld world;
    MakeToken(world);
    TokenLogin login;
    EXPECT_EQ(vktest::ChildProcess("login_seen").Wait(), 1);

    login.Login(world, "Reader 1", "1234");
    EXPECT_EQ(vktest::ChildProcess("login_seen").Wait(), 0);
    struct stat st {};
    ASSERT_EQ(stat(TokenLogin::DefaultFolder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    login.Logout(world.Reader("Reader 1")->token->uuid);
    EXPECT_EQ(vktest::ChildProcess("login_seen").Wait(), 1);
}

TEST(TokenLogin, EndsWhenTheTokenLeavesItsReader) {
    vktest::TempWorld temp;
    TokenWorld world;
    MakeToken(world);
    TokenLogin login;
    login.Login(world, "Reader 1", "1234");
    world.Remove("Reader 1");
    world.Insert("Reader 1", "T");
    EXPECT_FALSE(login.IsLoggedIn(*world.Reader("Reader 1")));
}

TEST(TokenLogin, WrongPinLogsNobodyIn) {
    vktest::TempWorld temp;
    TokenWorld world;
    MakeToken(world);
    TokenLogin login;
    EXPECT_THROW(login.Login(world, "Reader 1", "9999"), StoreError);
    EXPECT_FALSE(login.IsLoggedIn(*world.Reader("Reader 1")));
    world.AddReader("Empty");
    try {
        login.Login(world, "Empty", "1234");
        ADD_FAILURE() << "logged in to an empty reader";
    } catch (const StoreError& e) {
        EXPECT_EQ(e.Failure(), StoreFailure::Empty);
    }
}
