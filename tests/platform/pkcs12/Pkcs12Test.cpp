// PKCS #12 through the platform calls: files of openssl (current, legacy, no
// MAC, chains, certificates only), certtool, pk12util and keytool unpack to
// their certificates and keys with empty, Cyrillic and 32-character
// passwords; wrong passwords give ERROR_INVALID_PASSWORD; hostile input fails
// cleanly; files we pack open with openssl. The command-line view of the same
// files is tested in tests/tools/vkcert_cli.
#include <openssl/pem.h>
#include <openssl/pkcs12.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>

#include "PfxFixtures.h"
#include "platform/cert/pkcs12/Pfx.h"
#include "platform/crypto/KeyBlob.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"
#include "support/TempWorld.h"

namespace {

using pfxtest::PfxCase;
namespace fs = std::filesystem;

struct PkeyFree {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;

std::vector<BYTE> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::vector<BYTE>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

CRYPT_DATA_BLOB Blob(std::vector<BYTE>& bytes) {
    return CRYPT_DATA_BLOB{static_cast<DWORD>(bytes.size()), bytes.data()};
}

struct StoreCloser {
    void operator()(void* store) const { CertCloseStore(store, 0); }
};
using Store = std::unique_ptr<void, StoreCloser>;

// The private key that a certificate's key provider information leads to, or
// null when there is none or it cannot be exported.
Pkey PrivateKeyOf(PCCERT_CONTEXT cert, DWORD* error = nullptr) {
    HCRYPTPROV prov = 0;
    DWORD spec = 0;
    BOOL callerFree = FALSE;
    if (!CryptAcquireCertificatePrivateKey(cert, 0, nullptr, &prov, &spec, &callerFree)) {
        if (error)
            *error = GetLastError();
        return nullptr;
    }
    EXPECT_TRUE(callerFree);
    EXPECT_EQ(spec, AT_KEYEXCHANGE);
    Pkey result;
    HCRYPTKEY key = 0;
    DWORD size = 0;
    if (CryptGetUserKey(prov, spec, &key) &&
        CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, nullptr, &size)) {
        std::vector<BYTE> blob(size);
        if (CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, blob.data(), &size)) {
            auto parsed = vk::crypto::ParseRsaKeyBlob(blob.data(), size);
            if (parsed) {
                result.reset(parsed->key.release());
            }
        }
    }
    if (error)
        *error = GetLastError();
    if (key)
        CryptDestroyKey(key);
    CryptReleaseContext(prov, 0);
    return result;
}

std::vector<std::vector<BYTE>> CertificatesOf(HCERTSTORE store) {
    std::vector<std::vector<BYTE>> out;
    for (PCCERT_CONTEXT c = CertEnumCertificatesInStore(store, nullptr); c != nullptr;
         c = CertEnumCertificatesInStore(store, c)) {
        out.emplace_back(c->pbCertEncoded, c->pbCertEncoded + c->cbCertEncoded);
    }
    return out;
}

class Pkcs12 : public ::testing::Test {
protected:
    vktest::TempWorld world;
    pfxtest::Workshop shop{world.Root() / "pfx"};
};

void ExpectUnpacksToItsContents(const PfxCase& c, const wchar_t* passwordArg) {
    SCOPED_TRACE(c.label);
    auto bytes = ReadAll(c.file);
    ASSERT_FALSE(bytes.empty());
    CRYPT_DATA_BLOB blob = Blob(bytes);
    EXPECT_TRUE(PFXIsPFXBlob(&blob));
    EXPECT_TRUE(PFXVerifyPassword(&blob, passwordArg, 0)) << std::hex << GetLastError();
    Store store(PFXImportCertStore(&blob, passwordArg, CRYPT_EXPORTABLE | CRYPT_MACHINE_KEYSET));
    ASSERT_TRUE(store) << std::hex << GetLastError();
    std::size_t seen = 0;
    for (PCCERT_CONTEXT cert = CertEnumCertificatesInStore(store.get(), nullptr); cert != nullptr;
         cert = CertEnumCertificatesInStore(store.get(), cert)) {
        ++seen;
        const std::vector<unsigned char> der(cert->pbCertEncoded,
                                             cert->pbCertEncoded + cert->cbCertEncoded);
        auto expected = std::find_if(c.contents.begin(), c.contents.end(), [&](const auto& e) {
            return pfxtest::CertDer(e.first) == der;
        });
        ASSERT_NE(expected, c.contents.end()) << "a certificate the file was not made of";
        DWORD error = 0;
        Pkey key = PrivateKeyOf(cert, &error);
        if (expected->second.empty()) {
            EXPECT_FALSE(key);
            EXPECT_EQ(error, CRYPT_E_NO_KEY_PROPERTY);
            continue;
        }
        ASSERT_TRUE(key) << std::hex << error;
        Pkey original(pfxtest::LoadKey(expected->second));
        ASSERT_TRUE(original);
        // The same private key: its blob matches the original's byte for byte.
        EXPECT_EQ(*vk::crypto::RsaToPrivateKeyBlob(key.get(), CALG_RSA_KEYX),
                  *vk::crypto::RsaToPrivateKeyBlob(original.get(), CALG_RSA_KEYX));
    }
    EXPECT_EQ(seen, c.contents.size());
}

}  // namespace

TEST_F(Pkcs12, FilesOfOtherToolsUnpackToTheirCertificatesAndKeys) {
    for (const auto& c : shop.All()) {
        if (c.contents.empty()) {
            continue;  // keytool files: next test
        }
        const std::wstring password = Utf8ToWide(c.password);
        ExpectUnpacksToItsContents(c, password.c_str());
        if (c.password.empty()) {
            // No password at all means the empty one too.
            ExpectUnpacksToItsContents(c, nullptr);
        }
    }
}

TEST_F(Pkcs12, KeytoolFilesUnpackWithTheirKeysPairedByPublicKey) {
    struct Expect {
        const char* label;
        std::size_t certs;
        std::size_t keys;
    };
    const Expect expects[] = {{"keytool-one-key", 1, 1},
                              {"keytool-two-keys", 2, 2},
                              {"keytool-certs-only", 1, 0},
                              {"keytool-legacy", 1, 1}};
    const auto cases = pfxtest::KeytoolCases();
    for (const auto& e : expects) {
        SCOPED_TRACE(e.label);
        auto c =
            std::find_if(cases.begin(), cases.end(), [&](auto& x) { return x.label == e.label; });
        ASSERT_NE(c, cases.end());
        auto bytes = ReadAll(c->file);
        CRYPT_DATA_BLOB blob = Blob(bytes);
        const std::wstring password = Utf8ToWide(c->password);
        Store store(PFXImportCertStore(&blob, password.c_str(), CRYPT_EXPORTABLE));
        ASSERT_TRUE(store) << std::hex << GetLastError();
        std::size_t certs = 0;
        std::size_t keys = 0;
        for (PCCERT_CONTEXT cert = CertEnumCertificatesInStore(store.get(), nullptr);
             cert != nullptr; cert = CertEnumCertificatesInStore(store.get(), cert)) {
            ++certs;
            Pkey key = PrivateKeyOf(cert);
            if (key) {
                ++keys;
                const unsigned char* p = cert->pbCertEncoded;
                X509* x509 = d2i_X509(nullptr, &p, cert->cbCertEncoded);
                EXPECT_EQ(X509_check_private_key(x509, key.get()), 1);
                X509_free(x509);
            }
        }
        EXPECT_EQ(certs, e.certs);
        EXPECT_EQ(keys, e.keys);
    }
}

TEST_F(Pkcs12, WrongPasswordsGiveInvalidPassword) {
    for (const auto& c : shop.All()) {
        SCOPED_TRACE(c.label);
        auto bytes = ReadAll(c.file);
        CRYPT_DATA_BLOB blob = Blob(bytes);
        const std::wstring wrong =
            c.password.empty() ? L"not empty" : L"wrong" + Utf8ToWide(c.password);
        SetLastError(0);
        const BOOL verified = PFXVerifyPassword(&blob, wrong.c_str(), 0);
        SetLastError(0);
        Store store(PFXImportCertStore(&blob, wrong.c_str(), CRYPT_EXPORTABLE));
        if (c.label == "openssl-plain") {
            // Neither encrypted nor protected by a MAC: any password opens it.
            EXPECT_TRUE(verified);
            EXPECT_TRUE(store);
            continue;
        }
        EXPECT_FALSE(verified);
        EXPECT_FALSE(store);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PASSWORD);
        // Letter case matters.
        if (c.password == pfxtest::kLong32) {
            std::string upper = c.password;
            std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
            EXPECT_FALSE(PFXVerifyPassword(&blob, Utf8ToWide(upper).c_str(), 0));
            EXPECT_EQ(GetLastError(), ERROR_INVALID_PASSWORD);
        }
    }
}

TEST_F(Pkcs12, InputThatIsNotPkcs12OrIsDamagedFailsCleanly) {
    const PfxCase good = shop.Openssl("damage-source", "secret");
    const auto original = ReadAll(good.file);
    std::vector<std::vector<BYTE>> hostile = {
        {},
        {0x30},
        {0x30, 0x80},
        {0x30, 0x84, 0xFF, 0xFF, 0xFF, 0xFF},
        ReadAll(shop.leafCert),
        pfxtest::CertDer(shop.leafCert),
    };
    std::mt19937 random(12345);
    std::vector<BYTE> noise(2000);
    for (auto& b : noise) {
        b = static_cast<BYTE>(random());
    }
    hostile.push_back(noise);
    for (std::size_t cut = 1; cut < original.size(); cut += 53) {
        hostile.emplace_back(original.begin(), original.begin() + static_cast<long>(cut));
    }
    std::size_t badEncode = 0;
    for (auto& bytes : hostile) {
        CRYPT_DATA_BLOB blob = Blob(bytes);
        SetLastError(0);
        EXPECT_FALSE(PFXIsPFXBlob(&blob));
        EXPECT_EQ(GetLastError(), CRYPT_E_BAD_ENCODE);
        SetLastError(0);
        Store store(PFXImportCertStore(&blob, L"secret", 0));
        EXPECT_FALSE(store);
        EXPECT_EQ(GetLastError(), CRYPT_E_BAD_ENCODE);
        badEncode += GetLastError() == CRYPT_E_BAD_ENCODE ? 1 : 0;
    }
    EXPECT_EQ(badEncode, hostile.size());
    // Changed bytes inside a well-formed file: refused, whatever the reason given.
    for (std::size_t at = 0; at < original.size(); at += 31) {
        auto bytes = original;
        bytes[at] ^= 0x5A;
        CRYPT_DATA_BLOB blob = Blob(bytes);
        SetLastError(0);
        Store store(PFXImportCertStore(&blob, L"secret", 0));
        if (!store) {
            const DWORD e = GetLastError();
            EXPECT_TRUE(e == CRYPT_E_BAD_ENCODE || e == ERROR_INVALID_PASSWORD) << std::hex << e;
        }
    }
    EXPECT_FALSE(PFXIsPFXBlob(nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(PFXImportCertStore(nullptr, L"", 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    auto bytes = original;
    CRYPT_DATA_BLOB blob = Blob(bytes);
    EXPECT_FALSE(PFXImportCertStore(&blob, L"secret", 0x80000000));
    EXPECT_EQ(GetLastError(), NTE_BAD_FLAGS);
}

TEST_F(Pkcs12, ImportedKeysHonourExportableAndLiveInMemoryKeySets) {
    const PfxCase c = shop.OpensslChain("chain");
    auto bytes = ReadAll(c.file);
    CRYPT_DATA_BLOB blob = Blob(bytes);
    Store store(PFXImportCertStore(&blob, L"chain", CRYPT_MACHINE_KEYSET));
    ASSERT_TRUE(store);
    PCCERT_CONTEXT leaf = nullptr;
    for (PCCERT_CONTEXT cert = CertEnumCertificatesInStore(store.get(), nullptr); cert != nullptr;
         cert = CertEnumCertificatesInStore(store.get(), cert)) {
        DWORD size = 0;
        if (CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size)) {
            leaf = CertDuplicateCertificateContext(cert);
        }
    }
    ASSERT_NE(leaf, nullptr);
    DWORD size = 0;
    ASSERT_TRUE(
        CertGetCertificateContextProperty(leaf, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size));
    std::vector<std::max_align_t> buffer(size / sizeof(std::max_align_t) + 1);
    ASSERT_TRUE(
        CertGetCertificateContextProperty(leaf, CERT_KEY_PROV_INFO_PROP_ID, buffer.data(), &size));
    const auto* info = reinterpret_cast<const CRYPT_KEY_PROV_INFO*>(buffer.data());
    const std::wstring container = info->pwszContainerName;
    EXPECT_EQ(std::wstring(info->pwszProvName), MS_ENHANCED_PROV_W);
    EXPECT_EQ(info->dwProvType, PROV_RSA_FULL);
    EXPECT_EQ(info->dwKeySpec, AT_KEYEXCHANGE);
    ASSERT_EQ(container.size(), 36u);
    for (std::size_t i : {8u, 13u, 18u, 23u}) {
        EXPECT_EQ(container[i], L'-');
    }
    EXPECT_EQ(container[14], L'4');

    // Not exportable without CRYPT_EXPORTABLE.
    DWORD error = 0;
    EXPECT_FALSE(PrivateKeyOf(leaf, &error));
    EXPECT_EQ(error, NTE_BAD_KEY_STATE);

    // Deleting the key set leaves the certificate without a reachable key.
    HCRYPTPROV none = 0;
    ASSERT_TRUE(CryptAcquireContextW(&none, container.c_str(), MS_STRONG_PROV_W, PROV_RSA_FULL,
                                     CRYPT_DELETEKEYSET));
    EXPECT_FALSE(PrivateKeyOf(leaf, &error));
    EXPECT_EQ(error, NTE_BAD_KEYSET);
    CertFreeCertificateContext(leaf);

    std::size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(world.Root())) {
        files += e.is_regular_file() && e.path().parent_path().filename() != "pfx" &&
                         e.path().parent_path().filename() != "nss"
                     ? 1
                     : 0;
    }
    EXPECT_EQ(files, 0u) << "no key reached the disk";
}

TEST_F(Pkcs12, EmptyPasswordTakenInOneFormForTheMacAndTheOtherForTheContents) {
    Pkey key(pfxtest::LoadKey(shop.leafKey));
    const auto der = pfxtest::CertDer(shop.leafCert);
    const unsigned char* p = der.data();
    X509* cert = d2i_X509(nullptr, &p, static_cast<long>(der.size()));
    // PKCS #12 key derivation (3DES): there the two forms give different keys.
    PKCS12* p12 =
        PKCS12_create("", "mixed", key.get(), cert, nullptr, NID_pbe_WithSHA1And3_Key_TripleDES_CBC,
                      NID_pbe_WithSHA1And3_Key_TripleDES_CBC, 0, 0, 0);
    ASSERT_NE(p12, nullptr);
    // Contents under the empty string, the MAC under no password at all.
    ASSERT_EQ(PKCS12_set_mac(p12, nullptr, 0, nullptr, 0, 2048, EVP_sha256()), 1);
    unsigned char* out = nullptr;
    const int len = i2d_PKCS12(p12, &out);
    std::vector<BYTE> bytes(out, out + len);
    OPENSSL_free(out);
    PKCS12_free(p12);
    X509_free(cert);
    CRYPT_DATA_BLOB blob = Blob(bytes);
    Store store(PFXImportCertStore(&blob, L"", CRYPT_EXPORTABLE));
    ASSERT_TRUE(store) << std::hex << GetLastError();
    EXPECT_EQ(CertificatesOf(store.get()), std::vector<std::vector<BYTE>>{der});
}

TEST_F(Pkcs12, KeyDerivationsOfUnbearableCostAreRefusedNotRun) {
    const PfxCase c = shop.Openssl("costly", "pw", {"-nomac", "-iter", "65536"});
    auto bytes = ReadAll(c.file);
    // Every iteration count 65536 (02 03 01 00 00) becomes 8388607.
    std::size_t patched = 0;
    for (std::size_t i = 0; i + 5 <= bytes.size(); ++i) {
        if (bytes[i] == 0x02 && bytes[i + 1] == 0x03 && bytes[i + 2] == 0x01 && bytes[i + 3] == 0 &&
            bytes[i + 4] == 0) {
            bytes[i + 2] = 0x7F;
            bytes[i + 3] = 0xFF;
            bytes[i + 4] = 0xFF;
            ++patched;
        }
    }
    ASSERT_EQ(patched, 2u);
    CRYPT_DATA_BLOB blob = Blob(bytes);
    SetLastError(0);
    EXPECT_FALSE(PFXImportCertStore(&blob, L"pw", 0));
    EXPECT_EQ(GetLastError(), CRYPT_E_BAD_ENCODE);
}

namespace {

// A memory store with the leaf (its key imported into a software key set)
// and, when asked, the CA certificate without a key. Deletes the key set.
class ExportSetup {
public:
    ExportSetup(const pfxtest::Workshop& shop, bool exportable, bool withCa)
        : m_container(L"export-" + std::to_wstring(++s_counter)) {
        m_store.reset(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
        Pkey key(pfxtest::LoadKey(shop.leafKey));
        auto priv = vk::crypto::RsaToPrivateKeyBlob(key.get(), CALG_RSA_KEYX);
        HCRYPTPROV prov = 0;
        EXPECT_TRUE(CryptAcquireContextW(&prov, m_container.c_str(), MS_ENHANCED_PROV_W,
                                         PROV_RSA_FULL, CRYPT_NEWKEYSET));
        HCRYPTKEY hKey = 0;
        EXPECT_TRUE(CryptImportKey(prov, priv->data(), static_cast<DWORD>(priv->size()), 0,
                                   exportable ? CRYPT_EXPORTABLE : 0, &hKey));
        CryptDestroyKey(hKey);
        CryptReleaseContext(prov, 0);
        const auto der = pfxtest::CertDer(shop.leafCert);
        PCCERT_CONTEXT cert = CertCreateCertificateContext(
            X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
        std::wstring provider = MS_ENHANCED_PROV_W;
        CRYPT_KEY_PROV_INFO info{};
        info.pwszContainerName = m_container.data();
        info.pwszProvName = provider.data();
        info.dwProvType = PROV_RSA_FULL;
        info.dwFlags = 1;
        info.dwKeySpec = AT_KEYEXCHANGE;
        EXPECT_TRUE(CertSetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, 0, &info));
        EXPECT_TRUE(CertAddCertificateContextToStore(m_store.get(), cert,
                                                     CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
        CertFreeCertificateContext(cert);
        if (withCa) {
            const auto ca = pfxtest::CertDer(shop.caCert);
            EXPECT_TRUE(CertAddEncodedCertificateToStore(m_store.get(), X509_ASN_ENCODING,
                                                         ca.data(), static_cast<DWORD>(ca.size()),
                                                         CERT_STORE_ADD_ALWAYS, nullptr));
        }
    }
    ~ExportSetup() {
        HCRYPTPROV none = 0;
        CryptAcquireContextW(&none, m_container.c_str(), MS_ENHANCED_PROV_W, PROV_RSA_FULL,
                             CRYPT_DELETEKEYSET);
    }
    HCERTSTORE Get() const { return m_store.get(); }

    // Packs with the two-call pattern; empty on failure (last error set).
    std::vector<BYTE> Pack(const wchar_t* password, DWORD flags) const {
        CRYPT_DATA_BLOB blob{0, nullptr};
        if (!PFXExportCertStoreEx(Get(), &blob, password, nullptr, flags)) {
            return {};
        }
        std::vector<BYTE> bytes(blob.cbData);
        blob.pbData = bytes.data();
        if (!PFXExportCertStoreEx(Get(), &blob, password, nullptr, flags)) {
            return {};
        }
        bytes.resize(blob.cbData);
        return bytes;
    }

private:
    static inline int s_counter = 0;
    std::wstring m_container;
    Store m_store;
};

}  // namespace

TEST_F(Pkcs12, PackedFilesOpenWithOpensslAndGiveBackCertificateAndKey) {
    const auto leafDer = pfxtest::CertDer(shop.leafCert);
    Pkey leafKey(pfxtest::LoadKey(shop.leafKey));
    for (const std::string& password : {std::string("secret"), pfxtest::kCyrillic, std::string()}) {
        SCOPED_TRACE(password);
        ExportSetup setup(shop, true, false);
        const auto bytes =
            setup.Pack(Utf8ToWide(password).c_str(), EXPORT_PRIVATE_KEYS | REPORT_NO_PRIVATE_KEY |
                                                         REPORT_NOT_ABLE_TO_EXPORT_PRIVATE_KEY);
        ASSERT_FALSE(bytes.empty()) << std::hex << GetLastError();
        const fs::path file = world.Root() / "packed.pfx";
        WriteAll(file, bytes);
        const fs::path pem = world.Root() / "unpacked.pem";
        ASSERT_TRUE(pfxtest::Run({"openssl", "pkcs12", "-in", file.string(), "-passin",
                                  "pass:" + password, "-nodes", "-out", pem.string()}));
        std::FILE* f = std::fopen(pem.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        X509* cert = PEM_read_X509(f, nullptr, nullptr, nullptr);
        std::rewind(f);
        Pkey key(PEM_read_PrivateKey(f, nullptr, nullptr, nullptr));
        std::fclose(f);
        ASSERT_NE(cert, nullptr);
        ASSERT_TRUE(key);
        unsigned char* der = nullptr;
        const int len = i2d_X509(cert, &der);
        EXPECT_EQ(std::vector<unsigned char>(der, der + len), leafDer);
        OPENSSL_free(der);
        X509_free(cert);
        EXPECT_EQ(EVP_PKEY_eq(key.get(), leafKey.get()), 1);
        EXPECT_EQ(*vk::crypto::RsaToPrivateKeyBlob(key.get(), CALG_RSA_KEYX),
                  *vk::crypto::RsaToPrivateKeyBlob(leafKey.get(), CALG_RSA_KEYX));

        std::string info;
        ASSERT_TRUE(pfxtest::Run(
            {"sh", "-c", "openssl pkcs12 -in \"$1\" -passin \"pass:$2\" -info -noout 2>&1", "sh",
             file.string(), password},
            &info));
        EXPECT_NE(info.find("MAC: sha256"), std::string::npos) << info;
        EXPECT_NE(info.find("Shrouded Keybag: PBES2, PBKDF2, AES-256-CBC"), std::string::npos);
        EXPECT_NE(info.find("PKCS7 Encrypted data: PBES2, PBKDF2, AES-256-CBC"), std::string::npos);
        EXPECT_NE(info.find("PRF hmacWithSHA256"), std::string::npos);
        auto copy = bytes;
        CRYPT_DATA_BLOB blob = Blob(copy);
        Store again(PFXImportCertStore(&blob, Utf8ToWide(password).c_str(), CRYPT_EXPORTABLE));
        ASSERT_TRUE(again);
        EXPECT_EQ(CertificatesOf(again.get()), std::vector<std::vector<BYTE>>{leafDer});
    }
}

TEST_F(Pkcs12, PackingReportsKeysItCannotExportAndShortBuffers) {
    {
        ExportSetup setup(shop, false, false);
        SetLastError(0);
        EXPECT_TRUE(setup
                        .Pack(L"pw", EXPORT_PRIVATE_KEYS | REPORT_NO_PRIVATE_KEY |
                                         REPORT_NOT_ABLE_TO_EXPORT_PRIVATE_KEY)
                        .empty());
        EXPECT_EQ(GetLastError(), NTE_BAD_KEY_STATE);
        // Without the report flag the certificate goes alone.
        auto bytes = setup.Pack(L"pw", EXPORT_PRIVATE_KEYS);
        ASSERT_FALSE(bytes.empty());
        CRYPT_DATA_BLOB blob = Blob(bytes);
        Store store(PFXImportCertStore(&blob, L"pw", CRYPT_EXPORTABLE));
        ASSERT_TRUE(store);
        PCCERT_CONTEXT only = CertEnumCertificatesInStore(store.get(), nullptr);
        ASSERT_NE(only, nullptr);
        DWORD error = 0;
        EXPECT_FALSE(PrivateKeyOf(only, &error));
        EXPECT_EQ(error, CRYPT_E_NO_KEY_PROPERTY);
        CertFreeCertificateContext(only);
    }
    ExportSetup setup(shop, true, true);
    SetLastError(0);
    EXPECT_TRUE(setup.Pack(L"pw", EXPORT_PRIVATE_KEYS | REPORT_NO_PRIVATE_KEY).empty());
    EXPECT_EQ(GetLastError(), NTE_NO_KEY);
    auto bytes = setup.Pack(L"pw", EXPORT_PRIVATE_KEYS);
    ASSERT_FALSE(bytes.empty());
    CRYPT_DATA_BLOB blob = Blob(bytes);
    Store store(PFXImportCertStore(&blob, L"pw", CRYPT_EXPORTABLE));
    ASSERT_TRUE(store);
    EXPECT_EQ(CertificatesOf(store.get()).size(), 2u);

    CRYPT_DATA_BLOB sizing{0, nullptr};
    ASSERT_TRUE(PFXExportCertStoreEx(setup.Get(), &sizing, L"pw", nullptr, EXPORT_PRIVATE_KEYS));
    std::vector<BYTE> small(sizing.cbData - 1);
    CRYPT_DATA_BLOB shortBlob{static_cast<DWORD>(small.size()), small.data()};
    EXPECT_FALSE(
        PFXExportCertStoreEx(setup.Get(), &shortBlob, L"pw", nullptr, EXPORT_PRIVATE_KEYS));
    EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
    EXPECT_EQ(shortBlob.cbData, sizing.cbData);
    EXPECT_FALSE(PFXExportCertStoreEx(nullptr, &sizing, L"pw", nullptr, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}
