// vkcert-cli as scripts use it: `pfx` on files of openssl, certtool, pk12util,
// keytool and our own packing gives the certificates and key pairing that
// `openssl pkcs12 -info` shows; exit codes, password input, help and
// messages. What the platform calls unpack is tested in tests/platform/pkcs12.
#include <openssl/pem.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "CliRun.h"
#include "PfxFixtures.h"
#include "platform/cert/pkcs12/Pfx.h"
#include "platform/crypto/KeyBlob.h"
#include "support/TempWorld.h"

namespace {

namespace fs = std::filesystem;
using pfxtest::PfxCase;

using clitest::Result;

class Cli {
public:
    explicit Cli(fs::path dir) : m_dir(std::move(dir)) {}

    // Runs vkcert-cli with args; standard input is stdinText, or /dev/null when none.
    Result Run(const std::vector<std::string>& args, const std::string* stdinText,
               const std::vector<std::string>& env = {}) {
        return clitest::Run(m_dir, VKCERT_CLI, args, stdinText, env);
    }

    Result Pfx(const fs::path& file, const std::string& password) {
        const std::string line = password + "\n";
        return Run({"pfx", file.string(), "--password-stdin"}, &line);
    }

private:
    fs::path m_dir;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// What openssl pkcs12 -info shows of a file: its certificates in order, and
// for each whether a key of the file is its own. Nothing when openssl cannot
// open it.
std::optional<std::vector<std::string>> OpensslView(const PfxCase& c) {
    std::string pem;
    bool ok = pfxtest::Run({"openssl", "pkcs12", "-in", c.file.string(), "-passin",
                            "pass:" + c.password, "-info", "-nodes"},
                           &pem);
    if (!ok) {
        ok = pfxtest::Run({"openssl", "pkcs12", "-legacy", "-in", c.file.string(), "-passin",
                           "pass:" + c.password, "-info", "-nodes"},
                          &pem);
    }
    if (!ok) {
        return std::nullopt;
    }
    std::vector<X509*> certs;
    std::vector<EVP_PKEY*> keys;
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    for (;;) {
        char* name = nullptr;
        char* header = nullptr;
        unsigned char* data = nullptr;
        long len = 0;
        if (PEM_read_bio(bio, &name, &header, &data, &len) != 1) {
            break;
        }
        const unsigned char* p = data;
        if (std::string(name) == "CERTIFICATE") {
            certs.push_back(d2i_X509(nullptr, &p, len));
        } else if (std::string(name) == "PRIVATE KEY") {
            keys.push_back(d2i_AutoPrivateKey(nullptr, &p, len));
        }
        OPENSSL_free(name);
        OPENSSL_free(header);
        OPENSSL_free(data);
    }
    BIO_free(bio);
    std::vector<std::string> view;
    for (X509* cert : certs) {
        unsigned char* der = nullptr;
        const int len = i2d_X509(cert, &der);
        std::string line = pfxtest::Sha1Thumbprint(std::vector<unsigned char>(der, der + len));
        OPENSSL_free(der);
        bool hasKey = false;
        for (EVP_PKEY* key : keys) {
            hasKey = hasKey || EVP_PKEY_eq(X509_get0_pubkey(cert), key) == 1;
        }
        line += hasKey ? "\tkey" : "\t-";
        // The subject's values in order: the simple form of these plain names.
        const X509_NAME* subject = X509_get_subject_name(cert);
        std::string names;
        for (int i = 0; i < X509_NAME_entry_count(subject); ++i) {
            unsigned char* utf8 = nullptr;
            const int n = ASN1_STRING_to_UTF8(
                &utf8, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, i)));
            names += (i == 0 ? "" : ", ") + std::string(reinterpret_cast<char*>(utf8), n);
            OPENSSL_free(utf8);
        }
        view.push_back(line + "\t" + names);
    }
    for (X509* cert : certs)
        X509_free(cert);
    for (EVP_PKEY* key : keys)
        EVP_PKEY_free(key);
    return view;
}

class VkcertCli : public ::testing::Test {
protected:
    vktest::TempWorld world;
    pfxtest::Workshop shop{world.Root() / "pfx"};
    Cli cli{world.Root()};

    // Two certificates, each with its key, packed by PFXExportCertStoreEx.
    PfxCase OurTwoKeys() {
        HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
        std::vector<std::wstring> containers;
        for (auto [certPem, keyPem] :
             {std::pair{shop.leafCert, shop.leafKey}, std::pair{shop.leaf2Cert, shop.leaf2Key}}) {
            EVP_PKEY* key = pfxtest::LoadKey(keyPem);
            auto blob = vk::crypto::RsaToPrivateKeyBlob(key, CALG_RSA_KEYX);
            EVP_PKEY_free(key);
            containers.push_back(L"cli-two-" + std::to_wstring(containers.size()));
            HCRYPTPROV prov = 0;
            HCRYPTKEY hKey = 0;
            EXPECT_TRUE(CryptAcquireContextW(&prov, containers.back().c_str(), MS_STRONG_PROV_W,
                                             PROV_RSA_FULL, CRYPT_NEWKEYSET));
            EXPECT_TRUE(CryptImportKey(prov, blob->data(), static_cast<DWORD>(blob->size()), 0,
                                       CRYPT_EXPORTABLE, &hKey));
            CryptDestroyKey(hKey);
            CryptReleaseContext(prov, 0);
            const auto der = pfxtest::CertDer(certPem);
            PCCERT_CONTEXT cert =
                CertCreateCertificateContext(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, der.data(),
                                             static_cast<DWORD>(der.size()));
            std::wstring provider = MS_STRONG_PROV_W;
            CRYPT_KEY_PROV_INFO info{};
            info.pwszContainerName = containers.back().data();
            info.pwszProvName = provider.data();
            info.dwProvType = PROV_RSA_FULL;
            info.dwKeySpec = AT_KEYEXCHANGE;
            EXPECT_TRUE(
                CertSetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, 0, &info));
            EXPECT_TRUE(
                CertAddCertificateContextToStore(store, cert, CERT_STORE_ADD_ALWAYS, nullptr));
            CertFreeCertificateContext(cert);
        }
        CRYPT_DATA_BLOB blob{0, nullptr};
        EXPECT_TRUE(PFXExportCertStoreEx(store, &blob, L"два ключа", nullptr, EXPORT_PRIVATE_KEYS));
        std::vector<BYTE> bytes(blob.cbData);
        blob.pbData = bytes.data();
        EXPECT_TRUE(PFXExportCertStoreEx(store, &blob, L"два ключа", nullptr, EXPORT_PRIVATE_KEYS));
        CertCloseStore(store, 0);
        PfxCase c{"ours-two-keys", world.Root() / "ours-two-keys.pfx", "два ключа", {}};
        std::ofstream(c.file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), blob.cbData);
        return c;
    }
};

}  // namespace

TEST_F(VkcertCli, PfxListsWhatOpensslShowsForFilesOfEveryTool) {
    auto cases = shop.All();
    cases.push_back(OurTwoKeys());
    std::size_t withKeys = 0;
    std::size_t multiple = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const auto expected = OpensslView(c);
        ASSERT_TRUE(expected) << "openssl cannot open it";
        const Result r = cli.Pfx(c.file, c.password);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(Lines(r.out), *expected);
        for (const auto& line : *expected) {
            withKeys += line.find("\tkey\t") != std::string::npos ? 1 : 0;
        }
        multiple += expected->size() > 1 ? 1 : 0;
    }
    // The walk covered keys, chains and files of several certificates.
    EXPECT_GE(withKeys, 15u);
    EXPECT_GE(multiple, 3u);
}

TEST_F(VkcertCli, WrongPasswordsDamagedFilesAndOtherFailuresHaveTheirExitCodes) {
    for (const auto& c :
         {shop.Openssl("cli-wrong", "right"), shop.Openssl("cli-wrong-nomac", "right", {"-nomac"}),
          shop.Certtool("cli-wrong-certtool", pfxtest::kCyrillic)}) {
        SCOPED_TRACE(c.label);
        const Result r = cli.Pfx(c.file, "Right");
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
        EXPECT_FALSE(pfxtest::Run({"openssl", "pkcs12", "-in", c.file.string(), "-passin",
                                   "pass:Right", "-info", "-nodes"}));
    }

    const PfxCase good = shop.Openssl("cli-damaged", "pw");
    std::ifstream in(good.file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const fs::path damaged = world.Root() / "damaged.p12";
    std::ofstream(damaged, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    Result r = cli.Pfx(damaged, "pw");
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(Lines(r.err).size(), 1u);
    EXPECT_FALSE(pfxtest::Run(
        {"openssl", "pkcs12", "-in", damaged.string(), "-passin", "pass:pw", "-info", "-nodes"}));
    r = cli.Pfx(shop.leafCert, "pw");
    EXPECT_EQ(r.exitCode, 3) << "a PEM certificate is no PKCS #12 file";
    const fs::path empty = world.Root() / "empty.p12";
    std::ofstream(empty).close();
    EXPECT_EQ(cli.Pfx(empty, "").exitCode, 3);

    r = cli.Pfx(world.Root() / "missing.p12", "pw");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(Lines(r.err).size(), 1u);
    EXPECT_NE(r.err.find("missing.p12"), std::string::npos);
    EXPECT_EQ(cli.Pfx(world.Root(), "pw").exitCode, 1) << "a folder";
    EXPECT_EQ(cli.Run({"pfx"}, nullptr).exitCode, 1);
    EXPECT_EQ(cli.Run({"pfx", good.file.string(), good.file.string(), "--password-stdin"}, nullptr)
                  .exitCode,
              1);
    // The password never comes from the command line.
    r = cli.Run({"pfx", good.file.string(), "--password=pw"}, nullptr);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(cli.Run({"frobnicate"}, nullptr).exitCode, 1);
    EXPECT_EQ(cli.Run({}, nullptr).exitCode, 1);
}

TEST_F(VkcertCli, PasswordComesFromTheFirstLineOfStandardInputOrTheTerminal) {
    const PfxCase c = shop.Openssl("cli-input", pfxtest::kLong32);
    const auto expected = OpensslView(c);
    ASSERT_TRUE(expected);
    for (const std::string& input :
         {c.password + "\r\n", c.password + "\n", c.password + "\nsecond line\n", c.password}) {
        const Result r = cli.Run({"pfx", c.file.string(), "--password-stdin"}, &input);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(Lines(r.out), *expected);
    }
    // A space at the end is part of the password.
    const std::string spaced = c.password + " \n";
    EXPECT_EQ(cli.Run({"pfx", c.file.string(), "--password-stdin"}, &spaced).exitCode, 2);

    // An empty line, or no input at all, is the empty password.
    const PfxCase emptyPfx = shop.Certtool("cli-empty", "");
    for (const std::string& input : {std::string("\n"), std::string("\r\n"), std::string()}) {
        const Result r = cli.Run({"pfx", emptyPfx.file.string(), "--password-stdin"}, &input);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(Lines(r.out).size(), 1u);
    }

    // Without --password-stdin the terminal is asked; there is none here.
    const std::string line = c.password + "\n";
    const Result r = cli.Run({"pfx", c.file.string()}, &line);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Lines(r.err).size(), 1u);
    EXPECT_NE(r.err.find("--password-stdin"), std::string::npos);
}

TEST_F(VkcertCli, HelpExplainsTheCommandsInTheLocaleLanguage) {
    Result r = cli.Run({"--help"}, nullptr);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("pfx"), std::string::npos);
    r = cli.Run({"pfx", "--help"}, nullptr);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    for (const char* word : {"Usage: vkcert-cli pfx FILE [--password-stdin]", "--password-stdin",
                             "SHA-1", "key", "UTF-8", "  2  wrong password", "  3  the file"}) {
        EXPECT_NE(r.out.find(word), std::string::npos) << word;
    }
    r = cli.Run({"pfx", "--help"}, nullptr, {"LC_ALL=ru_RU.UTF-8"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("Использование: vkcert-cli pfx"), std::string::npos);
    r = cli.Run({"pfx", "missing-file"}, nullptr, {"LC_ALL=", "LC_MESSAGES=", "LANG=ru_RU.UTF-8"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("не удаётся прочитать"), std::string::npos) << r.err;
}
