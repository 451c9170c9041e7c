// vkcert-cli pfx as scripts use it: on files of openssl, certtool, pk12util and keytool it gives
// the certificates and key pairing that `openssl pkcs12 -info` shows; exit codes, password
// input, help and messages in the locale's language. What the platform calls unpack, and our
// own packing, are tested in tests/platform/pkcs12.
#include <openssl/pem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "CliRun.h"
#include "PfxFixtures.h"
#include "support/TempWorld.h"

namespace {

namespace fs = std::filesystem;
using clitest::Lines;
using clitest::Result;
using pfxtest::PfxCase;

// What openssl pkcs12 -info shows of a file: for each certificate in order its thumbprint,
// whether a key of the file is its own, and its subject's values. Nothing when openssl cannot
// open it.
std::optional<std::vector<std::string>> OpensslView(const PfxCase& c) {
    std::vector<std::string> argv = {"openssl",       "pkcs12",  "-in",
                                     c.file.string(), "-passin", "pass:" + c.password,
                                     "-info",         "-nodes"};
    std::string pem;
    if (!pfxtest::Run(argv, &pem)) {
        argv.insert(argv.begin() + 2, "-legacy");
        if (!pfxtest::Run(argv, &pem)) {
            return std::nullopt;
        }
    }
    std::vector<X509*> certs;
    std::vector<EVP_PKEY*> keys;
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    while (X509* cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr)) {
        certs.push_back(cert);
    }
    BIO_reset(bio);
    while (EVP_PKEY* key = PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr)) {
        keys.push_back(key);
    }
    std::vector<std::string> view;
    for (X509* cert : certs) {
        unsigned char* der = nullptr;
        const int len = i2d_X509(cert, &der);
        const bool hasKey = std::ranges::any_of(
            keys, [&](EVP_PKEY* key) { return EVP_PKEY_eq(X509_get0_pubkey(cert), key) == 1; });
        // The subject's values in order: the simple form of these plain names.
        BIO* name = BIO_new(BIO_s_mem());
        X509_NAME_print_ex(name, X509_get_subject_name(cert), 0,
                           XN_FLAG_SEP_CPLUS_SPC | XN_FLAG_FN_NONE | ASN1_STRFLGS_UTF8_CONVERT);
        char* text = nullptr;
        const long size = BIO_get_mem_data(name, &text);
        view.push_back(pfxtest::Sha1Thumbprint({der, der + len}) + (hasKey ? "\tkey\t" : "\t-\t") +
                       std::string(text, static_cast<std::size_t>(size)));
        BIO_free(name);
        OPENSSL_free(der);
        X509_free(cert);
    }
    std::ranges::for_each(keys, EVP_PKEY_free);
    BIO_free(bio);
    return view;
}

class VkcertCli : public ::testing::Test {
protected:
    Result Run(const std::vector<std::string>& args, const std::string* input = nullptr,
               const std::vector<std::string>& env = {}) {
        return clitest::Run(world.Root(), VKCERT_CLI, args, input, env);
    }
    Result Pfx(const fs::path& file, const std::string& password) {
        const std::string line = password + "\n";
        return Run({"pfx", file.string(), "--password-stdin"}, &line);
    }

    vktest::TempWorld world;
    pfxtest::Workshop shop{world.Root() / "pfx"};
};

}  // namespace

TEST_F(VkcertCli, PfxListsWhatOpensslShowsForFilesOfEveryTool) {
    std::size_t withKeys = 0;
    std::size_t multiple = 0;
    for (const auto& c : shop.All()) {
        SCOPED_TRACE(c.label);
        const auto expected = OpensslView(c);
        ASSERT_TRUE(expected) << "openssl cannot open it";
        const Result r = Pfx(c.file, c.password);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(Lines(r.out), *expected);
        for (const auto& line : *expected) {
            withKeys += line.find("\tkey\t") != std::string::npos ? 1 : 0;
        }
        multiple += expected->size() > 1 ? 1 : 0;
    }
    // The walk covered keys, chains and files of several certificates.
    EXPECT_GE(withKeys, 14u);
    EXPECT_GE(multiple, 3u);
}

TEST_F(VkcertCli, WrongPasswordsDamagedFilesAndOtherFailuresHaveTheirExitCodes) {
    const PfxCase good = shop.Openssl("cli-damaged", "pw");
    const fs::path damaged = world.Root() / "damaged.p12";
    fs::copy_file(good.file, damaged);
    fs::resize_file(damaged, fs::file_size(damaged) / 2);
    const fs::path empty = world.Root() / "empty.p12";
    std::ofstream{empty};
    const fs::path missing = world.Root() / "missing.p12";
    const std::string file = good.file.string();
    // Files whose password "pw" is not.
    const PfxCase wrong[] = {shop.Openssl("cli-wrong", "right"),
                             shop.Openssl("cli-wrong-nomac", "right", {"-nomac"}),
                             shop.Certtool("cli-wrong-certtool", pfxtest::kCyrillic)};
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"pfx", wrong[0].file.string(), "--password-stdin"}, 2},
        {{"pfx", wrong[1].file.string(), "--password-stdin"}, 2},
        {{"pfx", wrong[2].file.string(), "--password-stdin"}, 2},
        {{"pfx", damaged.string(), "--password-stdin"}, 3},
        {{"pfx", shop.leafCert.string(), "--password-stdin"}, 3},  // PEM is no PKCS #12 file
        {{"pfx", empty.string(), "--password-stdin"}, 3},
        {{"pfx", missing.string(), "--password-stdin"}, 1},
        {{"pfx", world.Root().string(), "--password-stdin"}, 1},  // a folder
        {{"pfx"}, 1},
        {{"pfx", file, file, "--password-stdin"}, 1},
        {{"pfx", file, "--password=pw"}, 1},  // the password never comes from the command line
        {{"frobnicate"}, 1},
        {{}, 1}};
    const std::string password = "pw\n";
    for (const auto& [args, code] : cases) {
        const Result r = Run(args, &password);
        EXPECT_EQ(r.exitCode, code) << args.size() << " " << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(code == 1 ? !r.err.empty() : Lines(r.err).size() == 1) << r.err;
    }
    EXPECT_NE(Pfx(missing, "pw").err.find("missing.p12"), std::string::npos);
}

TEST_F(VkcertCli, PasswordComesFromTheFirstLineOfStandardInputOrTheTerminal) {
    const PfxCase c = shop.Openssl("cli-input", pfxtest::kLong32);
    const PfxCase empty = shop.Certtool("cli-empty", "");
    const std::pair<std::string, const PfxCase*> good[] = {
        {c.password + "\r\n", &c}, {c.password + "\nsecond line\n", &c},
        {c.password, &c},          {"\n", &empty},
        {"\r\n", &empty},          {"", &empty}};
    for (const auto& [input, file] : good) {
        const Result r = Run({"pfx", file->file.string(), "--password-stdin"}, &input);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(Lines(r.out), *OpensslView(*file));
    }
    // A space at the end is part of the password.
    const std::string spaced = c.password + " \n";
    EXPECT_EQ(Run({"pfx", c.file.string(), "--password-stdin"}, &spaced).exitCode, 2);

    // Without --password-stdin the terminal is asked; there is none here.
    const Result r = Run({"pfx", c.file.string()}, &spaced);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Lines(r.err).size(), 1u);
    EXPECT_NE(r.err.find("--password-stdin"), std::string::npos);
}

TEST_F(VkcertCli, HelpAndMessagesInTheLocaleLanguage) {
    const std::string help = Run({"--help"}).out;
    for (const char* command : {"pfx", "list", "cert"}) {
        EXPECT_NE(help.find(std::string("  ") + command), std::string::npos) << command;
        EXPECT_EQ(Run({command, "--help"}).exitCode, 0) << command;
    }
    EXPECT_NE(Run({"pfx", "--help"}, nullptr, {"LC_ALL=ru_RU.UTF-8"}).out.find("Использование"),
              std::string::npos);
    const std::string err =
        Run({"pfx", "missing-file"}, nullptr, {"LC_ALL=", "LC_MESSAGES=", "LANG=ru_RU.UTF-8"}).err;
    EXPECT_NE(err.find("не удаётся прочитать"), std::string::npos) << err;
}
