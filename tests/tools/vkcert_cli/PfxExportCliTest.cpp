// vkcert-cli pfx-export as scripts run it over the demo tokens: the file holds the key's
// certificate as `export` writes it and the key that belongs to it, goes onto another token
// with pfx-import, and the refusals (a key that may not be exported, not logged in, an
// existing file) exit as documented and leave the old file. The wizard's pages themselves are
// tested with the scripted UI (tests/program/ops).
#include <openssl/pkcs12.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliRun.h"
#include "PfxFixtures.h"
#include "support/TempWorld.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kIvanov = "Velkora USB Reader 0\\Ivanov-2026\\Exchange";
constexpr const char* kPetrova = "Velkora USB Reader 0\\Petrova-signing\\Signature";

class PfxExportCli : public ::testing::Test {
protected:
    clitest::Result Cli(const std::vector<std::string>& args, const std::string& input = "") {
        return clitest::Run(world.Root(), VKCERT_CLI, args, &input);
    }
    fs::path File(const char* name) const { return world.Root() / name; }

    vktest::TempWorld world;
};

// The certificate of a PFX file, and whether the file's key is the certificate's.
std::pair<std::vector<unsigned char>, bool> Opened(const fs::path& file, const char* password) {
    const auto bytes = pfxtest::ReadBytes(file);
    const unsigned char* p = bytes.data();
    PKCS12* p12 = d2i_PKCS12(nullptr, &p, static_cast<long>(bytes.size()));
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    std::pair<std::vector<unsigned char>, bool> opened;
    if (p12 != nullptr && PKCS12_parse(p12, password, &key, &cert, nullptr) == 1 &&
        cert != nullptr) {
        unsigned char* der = nullptr;
        const int length = i2d_X509(cert, &der);
        opened.first.assign(der, der + length);
        OPENSSL_free(der);
        opened.second = key != nullptr && X509_check_private_key(cert, key) == 1;
    }
    EVP_PKEY_free(key);
    X509_free(cert);
    PKCS12_free(p12);
    return opened;
}

TEST_F(PfxExportCli, TheFileHoldsTheKeyWithItsCertificateAndGoesOntoAnotherToken) {
    ASSERT_EQ(clitest::Run(world.Root(), VKTOKEN, {"demo"}).exitCode, 0);
    ASSERT_EQ(Cli({"login", "Velkora USB Reader 0", "--pin-stdin"}, "12345678\n").exitCode, 0);
    const auto r =
        Cli({"pfx-export", kIvanov, File("ivanov").string(), "--password-stdin"}, "s3cret pass\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(Cli({"export", kIvanov, File("ivanov").string()}).exitCode, 0);
    const auto [certificate, keyMatches] = Opened(File("ivanov.pfx"), "s3cret pass");
    EXPECT_EQ(certificate, pfxtest::ReadBytes(File("ivanov.cer")));
    EXPECT_TRUE(keyMatches);

    ASSERT_EQ(Cli({"login", "Velkora USB Reader 1", "--pin-stdin"}, "1111\n").exitCode, 0);
    const auto back = Cli({"pfx-import", File("ivanov.pfx").string(), "Velkora USB Reader 1",
                           "--container", "from Pro", "--password-stdin"},
                          "s3cret pass\n");
    EXPECT_EQ(back.exitCode, 0) << back.err;
    EXPECT_NE(Cli({"list"}).out.find("  from Pro\n    Иванов Иван (Exchange Key, 2048)"),
              std::string::npos);
}

TEST_F(PfxExportCli, RefusalsExitAsDocumentedAndKeepTheOldFile) {
    ASSERT_EQ(clitest::Run(world.Root(), VKTOKEN, {"demo"}).exitCode, 0);
    pfxtest::WriteBytes(File("old.pfx"), {'o', 'l', 'd'});
    const auto args = [&](const char* path, std::vector<std::string> extra = {}) {
        std::vector<std::string> all = {"pfx-export", path, File("old.pfx").string(),
                                        "--password-stdin"};
        all.insert(all.end(), extra.begin(), extra.end());
        return all;
    };
    const auto notLoggedIn = Cli(args(kIvanov, {"--force"}), "pw\n");
    EXPECT_EQ(notLoggedIn.exitCode, 1);
    EXPECT_NE(notLoggedIn.err.find("not logged in"), std::string::npos) << notLoggedIn.err;

    ASSERT_EQ(Cli({"login", "Velkora USB Reader 0", "--pin-stdin"}, "12345678\n").exitCode, 0);
    const auto petrova = Cli(args(kPetrova, {"--force"}), "pw\n");
    EXPECT_EQ(petrova.exitCode, 6);
    EXPECT_NE(petrova.err.find("Error occured while loading key \"Anna Petrova\" info."),
              std::string::npos)
        << petrova.err;
    const auto exists = Cli(args(kIvanov), "pw\n");
    EXPECT_EQ(exists.exitCode, 1);
    EXPECT_NE(exists.err.find("--force"), std::string::npos) << exists.err;
    const auto bytes = pfxtest::ReadBytes(File("old.pfx"));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "old");

    EXPECT_EQ(Cli(args(kIvanov, {"--force"}), "pw\n").exitCode, 0);
    EXPECT_TRUE(Opened(File("old.pfx"), "pw").second);
}

}  // namespace
