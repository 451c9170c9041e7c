// The warm-up of token reading: a damaged token store neither stops it nor the readings after
// it, and the connections it leaves open do not hide what another process changes later.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TokenTestWorld.h"
#include "platform/token/TokenStore.h"
#include "support/ChildProcess.h"
#include "token/ReaderNames.h"
#include "token/STokenRecord.h"
#include "token/TokenReadingWarmUp.h"

namespace {

constexpr std::uint32_t kChangedFreeMemory = 4242;

}  // namespace

TEST(TokenReadingWarmUp, ADamagedTokenStoreLeavesTheOtherTokensReadable) {
    tokentest::TokenTestWorld world;
    world.AddReader("Reader A");
    world.AddReader("Reader B");
    world.AddReader("Reader C");
    world.MakeToken("Alpha", {}, "Reader A");
    world.MakeToken("Beta", {}, "Reader B");
    const auto beta = world.World().FindToken("Beta");
    ASSERT_TRUE(beta);
    const std::filesystem::path file = world.World().TokenFile(beta->uuid);
    std::filesystem::remove(file.string() + "-wal");
    std::filesystem::remove(file.string() + "-shm");
    std::ofstream(file, std::ios::trunc) << "not a database";

    EXPECT_NO_THROW(SVKCERT::WarmUpTokenReading());

    EXPECT_EQ(ReadTokenRecord(L"Reader A").label, L"Alpha");
    EXPECT_TRUE(ReadTokenRecord(L"Reader B").label.empty());
    EXPECT_TRUE(ReadTokenRecord(L"Reader C").label.empty());
}

VK_TEST_CHILD(change_tokens_after_warm_up) {
    vkstore::TokenWorld world;
    world.Remove("Reader A");
    world.Insert("Reader A", "Beta");
    world.AddReader("Reader New");
    const auto alpha = world.FindToken("Alpha");
    vkstore::TokenStore store(world.TokenFile(alpha->uuid));
    vkstore::TokenRecordData record = store.Record();
    record.freeMemory = kChangedFreeMemory;
    store.SetRecord(record);
    world.Insert("Reader B", "Alpha");
    return 0;
}

TEST(TokenReadingWarmUp, ChangesMadeByAnotherProcessAfterwardsAreRead) {
    tokentest::TokenTestWorld world;
    world.AddReader("Reader A");
    world.AddReader("Reader B");
    world.MakeToken("Alpha", {}, "Reader A");
    world.MakeToken("Beta", {});
    SVKCERT::WarmUpTokenReading();
    ASSERT_EQ(ReadTokenRecord(L"Reader A").label, L"Alpha");

    vktest::ChildProcess child("change_tokens_after_warm_up");
    ASSERT_EQ(child.Wait(), 0);

    EXPECT_EQ(SVKCERT::EnumReaderNames(),
              (std::vector<std::wstring>{L"Reader A", L"Reader B", L"Reader New"}));
    EXPECT_EQ(ReadTokenRecord(L"Reader A").label, L"Beta");
    const STokenRecord moved = ReadTokenRecord(L"Reader B");
    EXPECT_EQ(moved.label, L"Alpha");
    EXPECT_EQ(moved.freeMemory, kChangedFreeMemory) << "a record changed in place";
}
