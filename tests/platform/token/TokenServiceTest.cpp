// The token service (vktokend, a real process started on demand): logins seen by every process
// of the user and ended by logout, removal, swap and the service's death; private keys that
// never leave it unless exportable and never reach a file; one service for clients that start
// it at once; the folder it trusts; requests it must survive.
#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "StoreFailureOf.h"
#include "platform/crypto/KeyBlob.h"
#include "platform/crypto/SoftwareKey.h"
#include "platform/token/StoreError.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"
#include "platform/token/service/ServiceMessage.h"
#include "platform/token/service/TokenServiceClient.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"

using namespace vkstore;
using namespace vkstore::service;
namespace fs = std::filesystem;

namespace {

constexpr const char* kReader = "Reader 1";

class TokenServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        world.AddReader(kReader);
        TokenRecordData record;
        record.label = "T";
        world.CreateToken(record, "1234", {.log2N = 10, .r = 1});
        world.Insert(kReader, "T");
    }
    void TearDown() override {
        // The service ends once its socket is gone; do not wait for that.
        if (const auto pid = RunningService()) {
            ::kill(static_cast<pid_t>(*pid), SIGTERM);
        }
    }

    TokenAddress Here() {
        const auto state = world.Reader(kReader);
        return {world.Root(), kReader, state->token->uuid, state->insertion};
    }
    std::optional<std::int64_t> RunningService() {
        try {
            Message hello(static_cast<std::uint8_t>(Request::Hello));
            CUnixSocket socket = CUnixSocket::Connect(SocketPath(DefaultServiceFolder()).string());
            if (!socket.IsValid() || !hello.Send(socket, 5000)) {
                return std::nullopt;
            }
            auto answer = Message::Receive(socket, 5000);
            return answer ? std::optional(answer->Number(1)) : std::nullopt;
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }

    vktest::TempWorld temp;
    TokenWorld world;
    TokenServiceClient client;
};

// Every regular file under the folder holding `needle`.
std::vector<fs::path> FilesHolding(const fs::path& root, const std::string& needle) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), {});
            if (bytes.find(needle) != std::string::npos) {
                found.push_back(entry.path());
            }
        }
    }
    return found;
}

}  // namespace

VK_TEST_CHILD(logged_in) {
    TokenWorld world;
    const auto state = world.Reader(kReader);
    return TokenServiceClient().IsLoggedIn(
               {world.Root(), kReader, state->token->uuid, state->insertion})
               ? 0
               : 1;
}

VK_TEST_CHILD(service_pid) {
    TokenWorld world;
    TokenServiceClient().Login(world.Root(), kReader, "1234");
    std::printf("%lld\n", static_cast<long long>(TokenServiceClient().ServiceProcess()));
    return 0;
}

TEST_F(TokenServiceTest, ALoginIsSeenByEveryProcessUntilLogoutRemovalOrSwapAndLeavesNoFile) {
    EXPECT_EQ(vktest::ChildProcess("logged_in").Wait(), 1);
    EXPECT_FALSE(RunningService()) << "asking the state starts no service";

    client.Login(world.Root(), kReader, "1234");
    EXPECT_EQ(vktest::ChildProcess("logged_in").Wait(), 0);
    struct stat st {};
    ASSERT_EQ(stat(DefaultServiceFolder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // Nothing but the store, the socket and the lock.
    for (const auto& entry : fs::recursive_directory_iterator(temp.Root())) {
        const std::string name = entry.path().filename().string();
        const bool known = entry.is_directory() || name == "world.db" || name.ends_with(".db") ||
                           name.ends_with("-wal") || name.ends_with("-shm") ||
                           name == "tokend.socket" || name == "tokend.lock";
        EXPECT_TRUE(known) << entry.path();
        if (name == "tokend.lock") {
            EXPECT_EQ(entry.file_size(), 0u);
        }
    }

    client.Logout(world.Root(), Here().uuid);
    EXPECT_EQ(vktest::ChildProcess("logged_in").Wait(), 1);

    // The service watches the world: a token out and back in is logged out.
    client.Login(world.Root(), kReader, "1234");
    const TokenAddress before = Here();
    world.Remove(kReader);
    world.Insert(kReader, "T");
    EXPECT_FALSE(client.IsLoggedIn(Here()));
    // A login on the new insertion made before the service sees the change outlives it.
    client.Login(world.Root(), kReader, "1234");
    for (int i = 0; i < 500 && client.IsLoggedIn(before); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(client.IsLoggedIn(before)) << "the old insertion's login was not wiped";
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_TRUE(client.IsLoggedIn(Here()));
    client.Logout(world.Root(), Here().uuid);

    EXPECT_EQ(FailureOf([&] { client.Login(world.Root(), kReader, "9999"); }),
              StoreFailure::PinIncorrect);
    EXPECT_FALSE(client.IsLoggedIn(Here()));
    world.AddReader("Empty");
    EXPECT_EQ(FailureOf([&] { client.Login(world.Root(), "Empty", "1234"); }), StoreFailure::Empty);
}

TEST_F(TokenServiceTest, ANonExportableKeyNeverLeavesTheServiceAndNoFileHoldsAnyKey) {
    const std::int64_t container = TokenStore(world.TokenFile(Here().uuid)).CreateContainer("c");
    auto key = vk::crypto::GenerateRsaKey(1024);
    ASSERT_TRUE(key);
    const auto blob = vk::crypto::RsaToPrivateKeyBlob(key.get(), CALG_RSA_SIGN);
    ASSERT_TRUE(blob);
    const KeyAddress signing{Here(), container, 2}, exchange{Here(), container, 1};

    EXPECT_EQ(FailureOf([&] {
                  client.ImportKey(signing, blob->data(), static_cast<DWORD>(blob->size()), false);
              }),
              StoreFailure::NotLoggedIn);
    client.Login(world.Root(), kReader, "1234");
    client.ImportKey(signing, blob->data(), static_cast<DWORD>(blob->size()), false);
    client.ImportKey(exchange, blob->data(), static_cast<DWORD>(blob->size()), true);

    EXPECT_EQ(FailureOf([&] { client.ExportKey(signing); }), StoreFailure::NotExportable);
    const SecretBytes exported = client.ExportKey(exchange);
    ASSERT_EQ(exported.Size(), blob->size());
    // Only the algorithm in the header differs: the key is the same.
    EXPECT_TRUE(std::equal(blob->begin() + 8, blob->end(), exported.Data() + 8));

    BIGNUM* d = nullptr;
    ASSERT_EQ(EVP_PKEY_get_bn_param(key.get(), OSSL_PKEY_PARAM_RSA_D, &d), 1);
    std::string big(static_cast<std::size_t>(BN_num_bytes(d)), '\0');
    BN_bn2bin(d, reinterpret_cast<unsigned char*>(big.data()));
    BN_free(d);
    const std::string little(big.rbegin(), big.rend());
    EXPECT_EQ(FilesHolding(temp.Root(), big), std::vector<fs::path>{});
    EXPECT_EQ(FilesHolding(temp.Root(), little), std::vector<fs::path>{});
}

TEST_F(TokenServiceTest, AKilledServiceEndsEveryLoginAndTheNextLoginStartsANewOne) {
    client.Login(world.Root(), kReader, "1234");
    const std::int64_t first = client.ServiceProcess();
    ASSERT_EQ(::kill(static_cast<pid_t>(first), SIGKILL), 0);
    for (int i = 0; i < 500 && ::kill(static_cast<pid_t>(first), 0) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(client.IsLoggedIn(Here()));
    EXPECT_EQ(FailureOf([&] { client.ExportKey({Here(), 1, 1}); }), StoreFailure::NotLoggedIn);
    EXPECT_EQ(TokenStore(world.TokenFile(Here().uuid)).Pin().retriesLeft,
              TokenStore(world.TokenFile(Here().uuid)).Pin().maxRetries);

    client.Login(world.Root(), kReader, "1234");
    EXPECT_NE(client.ServiceProcess(), first);
    EXPECT_TRUE(client.IsLoggedIn(Here()));
}

TEST_F(TokenServiceTest, ClientsStartingTheServiceAtOnceEndWithOne) {
    std::vector<vktest::ChildProcess> clients;
    for (int i = 0; i < 3; ++i) {
        clients.emplace_back("service_pid", std::vector<std::string>{}, true);
    }
    std::vector<std::string> pids;
    for (auto& child : clients) {
        pids.push_back(child.NextLine(30000));
        EXPECT_EQ(child.Wait(), 0);
    }
    EXPECT_FALSE(pids[0].empty());
    EXPECT_EQ(std::count(pids.begin(), pids.end(), pids[0]), 3);
}

TEST_F(TokenServiceTest, TheServiceSurvivesBrokenRequestsAndTrustsOnlyAPrivateFolder) {
    client.Login(world.Root(), kReader, "1234");
    // Oversized, another version, fields that do not tile, no fields, an unknown request, and
    // (once for each worker) a field whose length wraps around with its own four bytes.
    const std::string wraps("\x06\0\0\0\x01\x05\xfc\xff\xff\xff", 10);
    for (const std::string& junk :
         {std::string("\xff\xff\xff\x7f\x01\x01", 6), std::string("\x02\0\0\0\x09\x01", 6),
          std::string("\x08\0\0\0\x01\x05\x09\0\0\0ab", 12), std::string("\x02\0\0\0\x01\x02", 6),
          std::string("\x02\0\0\0\x01\x63", 6), wraps, wraps, wraps, wraps}) {
        CUnixSocket socket = CUnixSocket::Connect(SocketPath(DefaultServiceFolder()).string());
        ASSERT_TRUE(socket.SendAll(junk, 5000));
        Message::Receive(socket, 5000);
    }
    EXPECT_TRUE(client.IsLoggedIn(Here())) << "the service lives on";

    const fs::path open = temp.Root() / "open", linked = temp.Root() / "linked";
    fs::create_directory(open);
    fs::permissions(open, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    fs::create_directory_symlink(DefaultServiceFolder(), linked);
    for (const auto& folder : {open, linked}) {
        EXPECT_EQ(FailureOf([&] { OpenServiceFolder(folder); }), StoreFailure::NoService) << folder;
    }
    EXPECT_EQ(FailureOf([&] { TokenServiceClient(open).Login(world.Root(), kReader, "1234"); }),
              StoreFailure::NoService);
    EXPECT_FALSE(fs::exists(open / "tokend.socket"));
}
