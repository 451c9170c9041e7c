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

    EXPECT_EQ(Vktoken({"remove", "R one"}).code, 1) << "empty reader";
    EXPECT_EQ(Vktoken({"insert", "R two", "Alpha"}).code, 1) << "occupied reader";
    EXPECT_EQ(Vktoken({"insert", "R three", "Alpha"}).code, 1) << "unknown reader";
    EXPECT_EQ(Vktoken({"insert", "R one", "Beta"}).code, 1) << "unknown token";
    EXPECT_EQ(Vktoken({"make-token", "X", "--type", "7"}).code, 2) << "a type out of range";
    EXPECT_EQ(Vktoken({"frobnicate"}).code, 2);
    auto help = Vktoken({"--help"});
    EXPECT_EQ(help.code, 0);
    for (const char* command : {"list", "insert", "remove", "make-token", "add-container",
                                "import-pfx", "change-pin", "demo"}) {
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    }

    vkstore::TokenWorld world;
    vkstore::TokenStore store(world.TokenFile(world.FindToken("Alpha")->uuid));
    auto record = store.Record();
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

    // The demo tokens serve the provider: containers, a default one, keys and certificates.
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

    // No private key material in clear: the exported private blob's primes
    // appear nowhere in the store's files.
    HCRYPTPROV verify = 0;
    ASSERT_TRUE(
        CryptAcquireContextW(&verify, nullptr, L"Orvel Velkora CSP v1.0", 1, CRYPT_VERIFYCONTEXT));
    ASSERT_TRUE(CryptSetProvParam(verify, 0x10007,
                                  reinterpret_cast<const BYTE*>("Velkora USB Reader 0"), 0));
    ASSERT_TRUE(CryptSetProvParam(verify, PP_KEYEXCHANGE_PIN,
                                  reinterpret_cast<const BYTE*>("12345678"), 0));
    ASSERT_TRUE(CryptAcquireContextW(&prov, L"\\\\.\\Velkora USB Reader 0\\Ivanov-2026",
                                     L"Orvel Velkora CSP v1.0", 1, 0));
    ASSERT_TRUE(CryptGetUserKey(prov, AT_KEYEXCHANGE, &key));
    ASSERT_TRUE(CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, nullptr, &size));
    std::vector<BYTE> blob(size);
    ASSERT_TRUE(CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, blob.data(), &size));
    const std::size_t modulus = 256, half = 128;
    const std::string prime1(blob.begin() + 20 + modulus, blob.begin() + 20 + modulus + half);
    const std::string privateExponent(blob.end() - modulus, blob.end());
    for (const auto& entry :
         std::filesystem::directory_iterator(vkstore::TokenWorld::DefaultRoot())) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        if (entry.path().filename() == "demo-ca.key") {
            continue;  // the demo authority's own key, not a token's
        }
        EXPECT_EQ(bytes.find(prime1.substr(0, 32)), std::string::npos) << entry.path();
        EXPECT_EQ(bytes.find(privateExponent.substr(0, 32)), std::string::npos) << entry.path();
    }
    CryptSetProvParam(verify, PP_KEYEXCHANGE_PIN, nullptr, 0);
    CryptDestroyKey(key);
    CryptReleaseContext(prov, 0);
    CryptReleaseContext(verify, 0);
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
