// The virtual token store, with real processes writing at once or killed in the middle of
// writes. The provider and middleware built on it are tested beside them.
#include <gtest/gtest.h>
#include <openssl/core_names.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <tuple>

#include "StoreFailureOf.h"
#include "platform/crypto/SoftwareKey.h"
#include "platform/token/SqliteDb.h"
#include "platform/token/StoreError.h"
#include "platform/token/TokenKeyWriter.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"

using namespace vkstore;

namespace {

constexpr PinCost kFastPin{.log2N = 10, .r = 1};  // scrypt: tests need no strength

TokenRecordData Record(const std::string& label) {
    return {.tokenId = 0x12345678, .label = label};
}

std::uintmax_t JournalSize(const std::filesystem::path& file) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file.string() + "-wal", error);
    return error ? 0 : size;
}

std::string Contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class TokenStoreTest : public ::testing::Test {
protected:
    vktest::TempWorld world;
    TokenWorld tokens;
};

}  // namespace

TEST_F(TokenStoreTest, ReadersTokensContainersKeysAndPinsRefuseWhatTheyCannotDo) {
    tokens.AddReader("Reader B");
    tokens.AddReader("Reader A");
    tokens.CreateToken(Record("Alpha"), "1234", kFastPin);
    tokens.Insert("Reader A", "Alpha");
    auto readers = tokens.Readers();
    ASSERT_EQ(readers.size(), 2u);
    EXPECT_EQ(readers[0].name, "Reader B");
    EXPECT_FALSE(readers[0].token);
    ASSERT_TRUE(readers[1].token);
    EXPECT_EQ(readers[1].token->label, "Alpha");
    EXPECT_EQ(tokens.Remove("Reader A").label, "Alpha");
    tokens.Insert("Reader A", "Alpha");
    EXPECT_GT(tokens.Reader("Reader A")->insertion, readers[1].insertion)
        << "a new insertion is a new card";

    // Containers are never reused; keys go with them, sealed; wrong PINs count down and lock.
    auto uuid = tokens.CreateToken(Record("T"), "1234", kFastPin, 3);
    TokenStore store(tokens.TokenFile(uuid));
    auto a = store.CreateContainer("a");
    auto b = store.CreateContainer(std::string(255, 'b'));
    store.SetDefault(a, true);
    store.SetDefault(b, true);
    EXPECT_FALSE(store.FindContainer("a")->isDefault);
    EXPECT_TRUE(store.FindContainer(b)->isDefault);
    store.DeleteContainer("a");
    EXPECT_NE(store.CreateContainer("a"), a) << "made again under the same name: a new container";
    EXPECT_FALSE(store.FindContainer(a));

    // Exact reader names; one token in one reader at most; names of bounded length and characters.
    const std::pair<std::function<void()>, StoreFailure> refusals[] = {
        {[&] { tokens.AddReader("Reader A"); }, StoreFailure::Exists},
        {[&] { tokens.Insert("Reader A", "Alpha"); }, StoreFailure::Occupied},
        {[&] { tokens.Insert("Reader B", "Alpha"); }, StoreFailure::Occupied},
        {[&] { tokens.Remove("Reader B"); }, StoreFailure::Empty},
        {[&] { tokens.Insert("Reader C", "Alpha"); }, StoreFailure::NotFound},
        {[&] { tokens.Insert("Reader B", "Nope"); }, StoreFailure::NotFound},
        {[&] { tokens.Remove("reader a"); }, StoreFailure::NotFound},
        {[&] { tokens.AddReader(std::string("bad\nname")); }, StoreFailure::InvalidName},
        {[&] { tokens.CreateToken(Record("Alpha"), "1", kFastPin); }, StoreFailure::Exists},
        {[&] { store.CreateContainer(std::string(256, 'x')); }, StoreFailure::InvalidName},
        {[&] { store.CreateContainer("x\\y"); }, StoreFailure::InvalidName},
        {[&] { store.CreateContainer("a"); }, StoreFailure::Exists},
        {[&] { store.DeleteContainer("zz"); }, StoreFailure::NotFound},
    };
    for (std::size_t i = 0; i < std::size(refusals); ++i) {
        EXPECT_EQ(FailureOf(refusals[i].first), refusals[i].second) << "refusal " << i;
    }

    auto id = store.CreateContainer("c");
    SecretBytes tokenKey = store.Unlock("1234");

    const std::string secret = "PRIVATE-KEY-MATERIAL-0123456789-PRIVATE-KEY-MATERIAL";
    SecretBytes plain(reinterpret_cast<const std::uint8_t*>(secret.data()), secret.size());
    const KeyEntry key{.spec = 1, .publicDer = {1, 2, 3}, .permissions = 0x3B, .certificate = {}};
    store.PutKey(id, key, TokenSecrets::Seal(tokenKey, plain));
    store.SetCertificate(id, 1, {0x30, 0x00});

    auto opened = TokenSecrets::Open(tokenKey, store.SealedPrivateKey(id, 1));
    ASSERT_TRUE(opened);
    EXPECT_EQ(std::string(opened->Data(), opened->Data() + opened->Size()), secret);
    EXPECT_EQ(store.Key(id, 1)->certificate, (Bytes{0x30, 0x00}));
    EXPECT_FALSE(store.Key(id, 2));

    // A real key written as the provider writes it: no file of the world (databases, journals,
    // logins, whatever else lies there) holds its private parts or its PKCS #8 form in clear.
    const auto rsa = vk::crypto::GenerateRsaKey(1024);
    ASSERT_TRUE(rsa);
    WriteTokenKey(store, id, tokenKey, rsa.get(), 2, true);
    std::vector<std::pair<std::string, std::string>> secrets{{"material", "PRIVATE-KEY-MATERIAL"}};
    for (const char* part : {OSSL_PKEY_PARAM_RSA_D, OSSL_PKEY_PARAM_RSA_FACTOR1}) {
        BIGNUM* number = nullptr;
        ASSERT_TRUE(EVP_PKEY_get_bn_param(rsa.get(), part, &number));
        std::string big(static_cast<std::size_t>(BN_num_bytes(number)), '\0');
        BN_bn2bin(number, reinterpret_cast<unsigned char*>(big.data()));
        BN_clear_free(number);
        secrets.emplace_back(part, big);
    }
    unsigned char* der = nullptr;
    const int derSize = i2d_PrivateKey(rsa.get(), &der);  // PKCS #1, inside PKCS #8 as well
    ASSERT_GT(derSize, 0);
    secrets.emplace_back("private key DER", std::string(reinterpret_cast<char*>(der), derSize));
    OPENSSL_clear_free(der, static_cast<std::size_t>(derSize));
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(world.Root())) {
        const std::string bytes = entry.is_regular_file() ? Contents(entry.path()) : "";
        files += entry.is_regular_file();
        for (const auto& [what, secret] : secrets) {
            EXPECT_EQ(bytes.find(secret), std::string::npos) << what << " in " << entry.path();
        }
    }
    EXPECT_GE(files, 2) << "the world and the token file at least";
    ASSERT_TRUE(store.Key(id, 2));
    for (const char* suffix : {"", "-wal"}) {
        EXPECT_EQ(Contents(tokens.TokenFile(uuid).string() + suffix).find("1234"),
                  std::string::npos)
            << "no PIN in clear in " << suffix;
    }

    store.DeleteContainer("c");
    EXPECT_TRUE(store.Keys(id).empty());

    // A changed PIN unlocks the same keys.
    store.ChangePin("1234", "новый PIN");
    EXPECT_EQ(FailureOf([&] { store.Unlock("1234"); }), StoreFailure::PinIncorrect);
    EXPECT_EQ(store.Pin().retriesLeft, 2u);
    const SecretBytes unlocked = store.Unlock("новый PIN");
    EXPECT_TRUE(unlocked.Size() == tokenKey.Size() &&
                std::equal(unlocked.Data(), unlocked.Data() + unlocked.Size(), tokenKey.Data()));
    EXPECT_EQ(store.Pin().retriesLeft, 3u) << "a right PIN restores the counter";

    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(FailureOf([&] { store.Unlock("0000"); }), StoreFailure::PinIncorrect);
    }
    EXPECT_EQ(FailureOf([&] { store.Unlock("0000"); }), StoreFailure::PinLocked);
    EXPECT_EQ(FailureOf([&] { store.Unlock("новый PIN"); }), StoreFailure::PinLocked)
        << "a locked PIN refuses even the right one";
}

VK_TEST_CHILD(store_writer) {
    TokenWorld tokens;
    auto uuid = tokens.FindToken("T")->uuid;
    TokenStore store(tokens.TokenFile(uuid));
    const int count = std::stoi(args.at(1));
    for (int i = 0; i < count; ++i) {
        store.CreateContainer(args.at(0) + std::to_string(i));
        if (count > 1000) {  // the endless writer flips an insertion too
            if (tokens.Reader("R")->token) {
                tokens.Remove("R");
            } else {
                tokens.Insert("R", "T");
            }
        }
    }
    return 0;
}

TEST_F(TokenStoreTest, FilesArePrivateCommitsLeaveNoJournalWritersLoseNothingAndDamageFails) {
    tokens.AddReader("R");
    const auto uuid = tokens.CreateToken(Record("T"), "1234", kFastPin);
    tokens.Insert("R", "T");
    EXPECT_EQ(JournalSize(tokens.WorldFile()), 0u);
    EXPECT_EQ(JournalSize(tokens.TokenFile(uuid)), 0u);

    // The main files alone, without journal or index, hold everything.
    const std::filesystem::path copy = world.Root() / "copy";
    std::filesystem::create_directories(copy);
    std::filesystem::copy_file(tokens.WorldFile(), copy / "world.db");
    std::filesystem::copy_file(tokens.TokenFile(uuid), copy / tokens.TokenFile(uuid).filename());
    TokenWorld copied(copy);
    ASSERT_EQ(copied.Readers().size(), 1u);
    ASSERT_TRUE(copied.Readers().front().token);
    EXPECT_EQ(copied.Readers().front().token->label, "T");
    EXPECT_EQ(TokenStore(copied.TokenFile(uuid)).Record().label, "T");

    // A reader in the way delays emptying the journal, but not the commit.
    {
        SqliteDb other(tokens.WorldFile(), false);
        SqliteStatement reading = other.Prepare("SELECT name FROM sqlite_master");
        ASSERT_TRUE(reading.Step());  // a read transaction stays open until the statement goes
        tokens.AddReader("R2");
        EXPECT_GT(JournalSize(tokens.WorldFile()), 0u);
    }
    tokens.AddReader("R3");
    EXPECT_EQ(JournalSize(tokens.WorldFile()), 0u);
    ASSERT_EQ(tokens.Readers().size(), 3u);
    EXPECT_EQ(tokens.Readers()[1].name, "R2");

    for (const auto& [file, mode] :
         {std::pair(tokens.WorldFile(), 0600u), std::pair(tokens.TokenFile(uuid), 0600u),
          std::pair(tokens.Root(), 0700u)}) {
        struct stat st {};
        EXPECT_EQ(stat(file.c_str(), &st) == 0 ? st.st_mode & 0777 : 0, mode) << file;
    }

    // Two writers lose nothing; a writer killed midway leaves everything readable.
    vktest::ChildProcess a("store_writer", {"a", "60"});
    vktest::ChildProcess b("store_writer", {"b", "60"});
    EXPECT_EQ(a.Wait(), 0);
    EXPECT_EQ(b.Wait(), 0);
    EXPECT_EQ(TokenStore(tokens.TokenFile(uuid)).Containers().size(), 120u);

    for (int round = 0; round < 3; ++round) {
        vktest::ChildProcess writer("store_writer", {"k" + std::to_string(round) + "-", "100000"});
        usleep(150000 + 50000 * round);
        writer.Kill(SIGKILL);
        EXPECT_EQ(writer.Wait(), 128 + SIGKILL);
        TokenWorld after;
        ASSERT_EQ(after.Readers().size(), 3u);
        TokenStore store(after.TokenFile(uuid));
        EXPECT_EQ(store.Record().label, "T");
        auto check = store.CreateContainer("after-" + std::to_string(round));
        EXPECT_TRUE(store.FindContainer(check));
    }

    for (const char* suffix : {"-wal", "-shm"}) {
        std::filesystem::remove(tokens.TokenFile(uuid).string() + suffix);
    }
    std::ofstream(tokens.TokenFile(uuid), std::ios::binary | std::ios::trunc)
        << "this is not a database, only some text long enough to look like a header..";
    EXPECT_EQ(FailureOf([&] { TokenStore store(tokens.TokenFile(uuid)); }), StoreFailure::Damaged);
}

// A token an earlier vkCert made (PBKDF2 PIN record, PIN 1234, one key in old-key) counts wrong
// PINs as before; its next right PIN makes the record again under scrypt at the default cost,
// under which the old PIN opens the same key.
TEST_F(TokenStoreTest, ATokenMadeBeforeScryptIsRewrappedAtItsNextRightPinWithItsKeys) {
    const auto file = world.Root() / "old.db";
    std::filesystem::copy_file(vktest::TestDataDir() / "pbkdf2-token.db", file);
    TokenStore store(file);
    EXPECT_EQ(FailureOf([&] { store.Unlock("0000"); }), StoreFailure::PinIncorrect);
    EXPECT_EQ(store.Pin().retriesLeft, 4u);
    const auto id = store.FindContainer("old-key").value().id;
    const SecretBytes key = store.Unlock("1234");
    SqliteDb db(file, false);
    auto row = db.Prepare("SELECT kdf, scrypt_log2n, scrypt_r, scrypt_p, retries_left FROM pin");
    ASSERT_TRUE(row.Step());
    EXPECT_EQ(std::tuple(row.Text(0), row.Int(1), row.Int(2), row.Int(3), row.Int(4)),
              std::tuple("scrypt", 16, 8, 1, 5));
    for (const SecretBytes& opener : {key, store.Unlock("1234")}) {
        EXPECT_TRUE(TokenSecrets::Open(opener, store.SealedPrivateKey(id, 1)));
    }
}
