// Logins held across processes: seen by a second process, ended by logout and
// by the token leaving its reader, refused for a wrong PIN or an empty reader.
// The PIN counter itself is tested in TokenStoreTest.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/token/StoreError.h"
#include "platform/token/TokenLogin.h"
#include "platform/token/TokenWorld.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"

using namespace vkstore;

namespace {

class TokenLoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        world.AddReader("Reader 1");
        TokenRecordData record;
        record.label = "T";
        world.CreateToken(record, "1234", 1000);
        world.Insert("Reader 1", "T");
    }
    vktest::TempWorld temp;
    TokenWorld world;
    TokenLogin login;
};

}  // namespace

VK_TEST_CHILD(login_seen) {
    TokenWorld world;
    return TokenLogin().IsLoggedIn(*world.Reader("Reader 1")) ? 0 : 1;
}

TEST_F(TokenLoginTest, IsSeenByAnotherProcessUntilLogoutOrRemoval) {
    EXPECT_EQ(vktest::ChildProcess("login_seen").Wait(), 1);
    login.Login(world, "Reader 1", "1234");
    EXPECT_EQ(vktest::ChildProcess("login_seen").Wait(), 0);
    struct stat st {};
    ASSERT_EQ(stat(TokenLogin::DefaultFolder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    login.Logout(world.Reader("Reader 1")->token->uuid);
    EXPECT_EQ(vktest::ChildProcess("login_seen").Wait(), 1);

    login.Login(world, "Reader 1", "1234");
    world.Remove("Reader 1");
    world.Insert("Reader 1", "T");
    EXPECT_FALSE(login.IsLoggedIn(*world.Reader("Reader 1")));
}

TEST_F(TokenLoginTest, WrongPinOrEmptyReaderLogsNobodyIn) {
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
