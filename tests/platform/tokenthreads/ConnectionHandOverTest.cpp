// Connections to the token store opened on a helper thread and handed over: the next thread to
// read the file takes them, unless the file changed since, and a damaged token does not stop the
// others from being prepared (run under ThreadSanitizer too). The store itself is in
// tests/platform/token.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "platform/token/PreparedConnections.h"
#include "platform/token/SqliteDb.h"
#include "platform/token/StoreError.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"

using namespace vkstore;

namespace {

constexpr PinCost kFastPin{.log2N = 10, .r = 1};  // scrypt: tests need no strength

TokenRecordData Record(const std::string& label) {
    TokenRecordData record;
    record.label = label;
    return record;
}

// Makes a world of two readers with a token in the first, on a thread of its own, so that this
// thread has no connection yet.
std::string MakeWorld() {
    std::string uuid;
    std::thread([&uuid] {
        TokenWorld world;
        world.AddReader("R1");
        world.AddReader("R2");
        uuid = world.CreateToken(Record("T"), "1234", kFastPin);
        world.Insert("R1", "T");
    }).join();
    return uuid;
}

// The connections a helper thread had open for the world and the token when it handed them over.
struct Opened {
    std::weak_ptr<SqliteDb> world;
    std::weak_ptr<SqliteDb> token;
};

Opened PrepareOnAHelperThread(const std::string& uuid) {
    Opened opened;
    std::thread([&opened, &uuid] {
        PrepareConnectionsForAnotherThread();
        TokenWorld world;
        opened.world = ThreadConnection(world.WorldFile(), false);
        opened.token = ThreadConnection(world.TokenFile(uuid), false);
        HandOverThreadConnections();
    }).join();
    return opened;
}

}  // namespace

TEST(ConnectionHandOver, TheNextThreadToReadTakesThePreparedConnections) {
    vktest::TempWorld temp;
    const std::string uuid = MakeWorld();
    const Opened opened = PrepareOnAHelperThread(uuid);
    ASSERT_FALSE(opened.world.expired());

    TokenWorld world;
    EXPECT_EQ(ThreadConnection(world.WorldFile(), false), opened.world.lock());
    EXPECT_EQ(ThreadConnection(world.TokenFile(uuid), false), opened.token.lock());
    ASSERT_EQ(world.Readers().size(), 2u);
    EXPECT_EQ(TokenStore(world.TokenFile(uuid)).Record().label, "T");

    // Taken means gone from the hand-over: another thread opens its own (compared while both
    // are open).
    const SqliteDb* elsewhere = nullptr;
    std::thread([&elsewhere, &world] {
        elsewhere = ThreadConnection(world.WorldFile(), false).get();
    }).join();
    EXPECT_NE(elsewhere, opened.world.lock().get());
}

VK_TEST_CHILD(change_the_world) {
    TokenWorld world;
    world.Remove("R1");
    world.Insert("R2", "T");
    return 0;
}

TEST(ConnectionHandOver, AConnectionToAFileChangedSinceIsNotTaken) {
    vktest::TempWorld temp;
    const std::string uuid = MakeWorld();
    const Opened opened = PrepareOnAHelperThread(uuid);

    vktest::ChildProcess child("change_the_world");
    ASSERT_EQ(child.Wait(), 0);

    TokenWorld world;
    const std::vector<ReaderState> readers = world.Readers();
    EXPECT_TRUE(opened.world.expired()) << "closed, not taken";
    ASSERT_EQ(readers.size(), 2u);
    EXPECT_FALSE(readers[0].token);
    ASSERT_TRUE(readers[1].token);
    EXPECT_EQ(readers[1].token->label, "T");
}

TEST(ConnectionHandOver, ADamagedTokenLeavesTheOthersPreparedAndIsReportedWhereItIsRead) {
    vktest::TempWorld temp;
    std::string good;
    std::string damaged;
    std::thread([&good, &damaged] {
        TokenWorld world;
        world.AddReader("R1");
        world.AddReader("R2");
        damaged = world.CreateToken(Record("D"), "1234", kFastPin);
        good = world.CreateToken(Record("G"), "1234", kFastPin);
        world.Insert("R1", "D");
        world.Insert("R2", "G");
    }).join();
    TokenWorld world;
    const std::filesystem::path file = world.TokenFile(damaged);
    for (const char* suffix : {"-wal", "-shm"}) {
        std::filesystem::remove(file.string() + suffix);
    }
    std::ofstream(file, std::ios::trunc) << "not a database, only text long enough for a header";

    std::weak_ptr<SqliteDb> prepared;
    std::thread([&prepared, &world, &good] {
        EXPECT_NO_THROW(PrepareConnectionsForAnotherThread());
        prepared = ThreadConnection(world.TokenFile(good), false);
        HandOverThreadConnections();
    }).join();

    EXPECT_EQ(ThreadConnection(world.TokenFile(good), false), prepared.lock());
    EXPECT_EQ(TokenStore(world.TokenFile(good)).Record().label, "G");
    EXPECT_THROW(TokenStore store(world.TokenFile(damaged)), StoreError);
}
