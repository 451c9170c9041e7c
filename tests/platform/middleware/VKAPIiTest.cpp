// The middleware over virtual tokens: readers and their events. The token record's fields are
// read through the program in tests/program/token.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/middleware/VKAPIi.h"
#include "platform/token/TokenWorld.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"

using namespace std::chrono_literals;

namespace {

struct Event {
    unsigned change;
    std::wstring reader;
    std::thread::id thread;
};

struct Recorder {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Event> events;

    bool WaitFor(std::size_t count, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, limit, [&] { return events.size() >= count; });
    }
};

long RecordEvent(unsigned event, unsigned change, long record) {
    if (event != 1) {
        return 50;
    }
    const auto* r = VKAPIi_Event_Record(record);
    auto* recorder = static_cast<Recorder*>(r->user);
    std::lock_guard lock(recorder->mutex);
    recorder->events.push_back({change, r->readerName, std::this_thread::get_id()});
    recorder->changed.notify_all();
    return 0;
}

// Two readers, the first holding the token "Pro", in a temporary world.
class VKAPIi : public ::testing::Test {
protected:
    void SetUp() override {
        vkstore::TokenWorld world;
        world.AddReader("Velkora Reader 0");
        world.AddReader("Velkora Reader 1 \u0416");
        world.CreateToken({.label = "Pro"}, "1234", {.log2N = 10, .r = 1});
        world.Insert("Velkora Reader 0", "Pro");
    }
    vktest::TempWorld temp;
    Recorder recorder;
    VKAPIi_Context context;
};

}  // namespace

VK_TEST_CHILD(move_token) {
    vkstore::TokenWorld world;
    if (args.at(0) == "remove") {
        world.Remove(args.at(1));
    } else {
        world.Insert(args.at(1), args.at(2));
    }
    return 0;
}

TEST_F(VKAPIi, ListsOpensAndWatchesReadersChangedByAnotherProcess) {
    context.Init(0);
    VKLibT_Array<VKLib_String, 4> readers;
    ASSERT_TRUE(context.Enum_Readers(readers));
    ASSERT_EQ(readers.Get_Count(), 2u);
    EXPECT_STREQ(readers[1].Get_Buffer(0), L"Velkora Reader 1 \u0416");

    VKAPIi_Velkora_SCard* card = nullptr;
    EXPECT_FALSE(context.Open_Reader(L"Velkora Reader 1 \u0416", 2, &card)) << "empty reader";
    EXPECT_FALSE(context.Open_Reader(L"velkora reader 0", 2, &card)) << "names are exact";
    ASSERT_TRUE(context.Open_Reader(L"Velkora Reader 0", 2, &card));
    VKLib_String label;
    ASSERT_TRUE(card->Get_Token_Label(label));
    EXPECT_STREQ(label.Get_Buffer(0), L"Pro");
    EXPECT_TRUE(context.Close_Reader(&card, 0));
    EXPECT_EQ(card, nullptr);

    // Reader events from another process arrive once, on the middleware's own thread.
    ASSERT_TRUE(context.Start_Readers_State_Monitor(&RecordEvent, &recorder));

    ASSERT_EQ(vktest::ChildProcess("move_token", {"remove", "Velkora Reader 0"}).Wait(), 0);
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(recorder.WaitFor(1, 1s)) << "a removal arrives within a second";
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);

    ASSERT_EQ(
        vktest::ChildProcess("move_token", {"insert", "Velkora Reader 1 \u0416", "Pro"}).Wait(), 0);
    ASSERT_TRUE(recorder.WaitFor(2, 1s));
    std::this_thread::sleep_for(1200ms);  // one full rescan: nothing is reported twice

    context.Stop_Readers_State_Monitor();
    ASSERT_EQ(vktest::ChildProcess("move_token", {"remove", "Velkora Reader 1 \u0416"}).Wait(), 0);
    std::this_thread::sleep_for(1200ms);

    std::lock_guard lock(recorder.mutex);
    ASSERT_EQ(recorder.events.size(), 2u) << "nothing arrives after the monitor stops";
    EXPECT_EQ(recorder.events[0].change, 2u);
    EXPECT_EQ(recorder.events[0].reader, L"Velkora Reader 0");
    EXPECT_EQ(recorder.events[1].change, 1u);
    EXPECT_EQ(recorder.events[1].reader, L"Velkora Reader 1 \u0416");
    EXPECT_NE(recorder.events[0].thread, std::this_thread::get_id());
}

TEST_F(VKAPIi, ASwapInOneReaderIsARemovalThenAnInsertion) {
    ASSERT_TRUE(context.Start_Readers_State_Monitor(&RecordEvent, &recorder));
    {
        vkstore::TokenWorld world;
        world.CreateToken({.label = "Other"}, "1", {.log2N = 10, .r = 1});
        // Both steps land before the watcher looks: it still sees the swap.
        world.Remove("Velkora Reader 0");
        world.Insert("Velkora Reader 0", "Other");
    }
    ASSERT_TRUE(recorder.WaitFor(2, 2s));
    context.Free();
    std::lock_guard lock(recorder.mutex);
    ASSERT_EQ(recorder.events.size(), 2u);
    EXPECT_EQ(recorder.events[0].change, 2u);
    EXPECT_EQ(recorder.events[1].change, 1u);
}
