// vktoken as a user runs it: the listing, exit codes and messages, the demo
// world, and what other processes see of its insertions and removals. Store
// internals are tested beside the store.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "platform/crypto/CryptApi.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/middleware/VKAPIi.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"

using namespace std::chrono_literals;

namespace {

struct Run {
    int code;
    std::string out;
};

Run Vktoken(std::vector<std::string> args) {
    args.insert(args.begin(), VKTOKEN);
    auto child = vktest::ChildProcess::Exec(args, true);
    std::string out = child.ReadAll();
    return {child.Wait(), out};
}

struct Events {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<std::pair<unsigned, std::wstring>> seen;
};

long OnEvent(unsigned, unsigned change, long record) {
    const auto* r = VKAPIi_Event_Record(record);
    auto* events = static_cast<Events*>(r->user);
    std::lock_guard lock(events->mutex);
    events->seen.emplace_back(change, r->readerName);
    events->cv.notify_all();
    return 0;
}

}  // namespace

TEST(Vktoken, ListsReadersAndRefusesWhatCannotBeDone) {
    vktest::TempWorld temp;
    EXPECT_EQ(Vktoken({"add-reader", "R one"}).code, 0);
    EXPECT_EQ(Vktoken({"add-reader", "R two"}).code, 0);
    EXPECT_EQ(Vktoken({"make-token", "Alpha", "--pin", "4321", "--type", "0", "--version", "2.3",
                       "--memory", "1023", "--id", "12345678"})
                  .code,
              0);
    EXPECT_EQ(Vktoken({"insert", "R two", "Alpha"}).code, 0);
    EXPECT_EQ(Vktoken({"list"}).out, "R one\t-\nR two\tAlpha\n");

    const std::pair<std::vector<std::string>, int> refused[] = {
        {{"remove", "R one"}, 1},             // an empty reader
        {{"insert", "R two", "Alpha"}, 1},    // an occupied reader
        {{"insert", "R three", "Alpha"}, 1},  // an unknown reader
        {{"insert", "R one", "Beta"}, 1},     // an unknown token
        {{"make-token", "X", "--type", "7"}, 2},
        {{"frobnicate"}, 2}};
    for (const auto& [args, code] : refused) {
        EXPECT_EQ(Vktoken(args).code, code) << args[0];
    }
    EXPECT_EQ(Vktoken({"--help"}).code, 0);

    vkstore::TokenWorld world;
    vkstore::TokenStore store(world.TokenFile(world.FindToken("Alpha")->uuid));
    const auto record = store.Record();
    EXPECT_EQ(record.type, 0);
    EXPECT_EQ(record.versionMajor, 2);
    EXPECT_EQ(record.versionMinor, 3);
    EXPECT_EQ(record.memorySize, 1023u);
    EXPECT_EQ(record.tokenId, 0x12345678u);
    EXPECT_NO_THROW(store.Unlock("4321"));
}

TEST(Vktoken, DemoBuildsItsWorldOnceAndReplacesItOnlyWhenForced) {
    vktest::TempWorld temp;
    auto demo = Vktoken({"demo"});
    ASSERT_EQ(demo.code, 0) << demo.out;
    auto list = Vktoken({"list"}).out;
    EXPECT_EQ(list,
              "Velkora USB Reader 0\tVelkora Pro Demo\n"
              "Velkora USB Reader 1\tVelkora Mini Demo\n"
              "Velkora USB Reader 2\t-\n");
    EXPECT_EQ(Vktoken({"demo"}).code, 1) << "a world that is not empty is kept";
    EXPECT_EQ(Vktoken({"remove", "Velkora USB Reader 0"}).code, 0);
    EXPECT_EQ(Vktoken({"demo", "--force"}).code, 0);
    EXPECT_EQ(Vktoken({"list"}).out, list);

    // The demo tokens serve the provider: a default container with its key and certificate.
    // That no key material is stored in clear is tested with the store.
    HCRYPTPROV prov = 0;
    ASSERT_TRUE(CryptAcquireContextW(&prov, L"\\\\.\\Velkora USB Reader 0\\",
                                     L"Orvel Velkora CSP v1.0", 1, 0));
    HCRYPTKEY key = 0;
    ASSERT_TRUE(CryptGetUserKey(prov, AT_KEYEXCHANGE, &key));
    DWORD size = 0;
    EXPECT_TRUE(CryptGetKeyParam(key, KP_CERTIFICATE, nullptr, &size, 0));
    EXPECT_GT(size, 500u);
    CryptDestroyKey(key);
    CryptReleaseContext(prov, 0);
}

TEST(Vktoken, InsertionsAndRemovalsReachTheReaderMonitorOnce) {
    vktest::TempWorld temp;
    ASSERT_EQ(Vktoken({"add-reader", "Reader X"}).code, 0);
    ASSERT_EQ(Vktoken({"make-token", "T", "--pin", "1"}).code, 0);
    Events events;
    VKAPIi_Context context;
    ASSERT_TRUE(context.Start_Readers_State_Monitor(&OnEvent, &events));
    auto waitFor = [&](std::size_t count) {
        std::unique_lock lock(events.mutex);
        return events.cv.wait_for(lock, 2s, [&] { return events.seen.size() >= count; });
    };
    ASSERT_EQ(Vktoken({"insert", "Reader X", "T"}).code, 0);
    ASSERT_TRUE(waitFor(1));
    ASSERT_EQ(Vktoken({"remove", "Reader X"}).code, 0);
    ASSERT_TRUE(waitFor(2));
    std::this_thread::sleep_for(1200ms);
    context.Stop_Readers_State_Monitor();
    ASSERT_EQ(Vktoken({"insert", "Reader X", "T"}).code, 0);
    std::this_thread::sleep_for(300ms);
    std::lock_guard lock(events.mutex);
    ASSERT_EQ(events.seen.size(), 2u);
    EXPECT_EQ(events.seen[0], std::make_pair(1u, std::wstring(L"Reader X")));
    EXPECT_EQ(events.seen[1], std::make_pair(2u, std::wstring(L"Reader X")));
}

TEST(Vktoken, KilledMidWriteLeavesEveryTokenReadable) {
    vktest::TempWorld temp;
    ASSERT_EQ(Vktoken({"demo"}).code, 0);
    for (int round = 0; round < 3; ++round) {
        auto child = vktest::ChildProcess::Exec({VKTOKEN, "add-container", "Velkora Pro Demo",
                                                 "k" + std::to_string(round), "--pin", "12345678",
                                                 "--keys", "both", "--bits", "4096"});
        std::this_thread::sleep_for(std::chrono::milliseconds(300 + 400 * round));
        child.Kill(SIGKILL);
        child.Wait();
        vkstore::TokenWorld world;
        for (const auto& token : world.Tokens()) {
            vkstore::TokenStore store(world.TokenFile(token.uuid));
            EXPECT_FALSE(store.Record().label.empty());
            for (const auto& container : store.Containers()) {
                EXPECT_NO_THROW(store.Keys(container.id));
            }
        }
        EXPECT_EQ(Vktoken({"list"}).code, 0);
    }
}

TEST(Vktoken, ImportsTheKeyAndCertificateOfAPfxFile) {
    vktest::TempWorld temp;
    const auto dir = temp.Root();
    const std::string key = (dir / "k.pem").string(), cert = (dir / "c.pem").string(),
                      pfx = (dir / "p.pfx").string();
    ASSERT_EQ(vktest::ChildProcess::Exec(
                  {"openssl", "req", "-x509", "-newkey", "rsa:1024", "-nodes", "-keyout", key,
                   "-out", cert, "-subj", "/CN=Imported", "-days", "10"},
                  true)
                  .Wait(),
              0);
    ASSERT_EQ(vktest::ChildProcess::Exec({"openssl", "pkcs12", "-export", "-inkey", key, "-in",
                                          cert, "-out", pfx, "-passout", "pass:secret"},
                                         true)
                  .Wait(),
              0);
    ASSERT_EQ(Vktoken({"add-reader", "R"}).code, 0);
    ASSERT_EQ(Vktoken({"make-token", "T", "--pin", "1"}).code, 0);
    ASSERT_EQ(Vktoken({"insert", "R", "T"}).code, 0);
    EXPECT_EQ(Vktoken({"import-pfx", "T", "imp", pfx, "--pin", "1", "--password", "wrong"}).code,
              1);
    ASSERT_EQ(Vktoken({"import-pfx", "T", "imp", pfx, "--pin", "1", "--password", "secret",
                       "--spec", "signature"})
                  .code,
              0);
    EXPECT_NE(Vktoken({"show", "T"}).out.find("key\tsignature\t1024\tnot-exportable\tcertificate"),
              std::string::npos);

    HCRYPTPROV prov = 0;
    ASSERT_TRUE(CryptAcquireContextW(&prov, L"\\\\.\\R\\imp", L"Orvel Velkora CSP v1.0", 1, 0));
    HCRYPTKEY handle = 0;
    ASSERT_TRUE(CryptGetUserKey(prov, AT_SIGNATURE, &handle));
    DWORD size = 0;
    ASSERT_TRUE(CryptGetKeyParam(handle, KP_CERTIFICATE, nullptr, &size, 0));
    std::vector<BYTE> der(size);
    ASSERT_TRUE(CryptGetKeyParam(handle, KP_CERTIFICATE, der.data(), &size, 0));
    auto x = vktest::ChildProcess::Exec(
        {"openssl", "x509", "-in", cert, "-outform", "DER", "-out", (dir / "c.der").string()},
        true);
    ASSERT_EQ(x.Wait(), 0);
    std::ifstream derIn(dir / "c.der", std::ios::binary);
    std::vector<BYTE> expected((std::istreambuf_iterator<char>(derIn)), {});
    EXPECT_EQ(der, expected);
    CryptDestroyKey(handle);
    CryptReleaseContext(prov, 0);
}
