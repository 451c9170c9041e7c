// PKCS #12 through the platform calls: files of openssl, certtool, pk12util and keytool
// unpack, wrong passwords and hostile input are refused, files we pack open with openssl.
// The command-line view of the same files is tested in tests/tools/vkcert_cli.
#include <openssl/pkcs12.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <regex>

#include "HostilePfx.h"
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

using Pkey = vk::crypto::EvpPkeyPtr;
struct StoreCloser {
    void operator()(void* store) const { CertCloseStore(store, 0); }
};
using Store = std::unique_ptr<void, StoreCloser>;

// PFXImportCertStore of the bytes; the last error stays for the caller.
Store Import(std::vector<BYTE> bytes, const wchar_t* password, DWORD flags = CRYPT_EXPORTABLE) {
    CRYPT_DATA_BLOB blob{static_cast<DWORD>(bytes.size()), bytes.data()};
    SetLastError(0);
    return Store(PFXImportCertStore(&blob, password, flags));
}

// The last error PFXVerifyPassword leaves, ERROR_SUCCESS when it succeeds.
DWORD Verify(std::vector<BYTE> bytes, const wchar_t* password) {
    CRYPT_DATA_BLOB blob{static_cast<DWORD>(bytes.size()), bytes.data()};
    SetLastError(0);
    return PFXVerifyPassword(&blob, password, 0) ? ERROR_SUCCESS : GetLastError();
}

// The private key that a certificate's key provider information leads to, or
// null with *error when there is none or it cannot be exported.
Pkey PrivateKeyOf(PCCERT_CONTEXT cert, DWORD* error) {
    HCRYPTPROV prov = 0;
    HCRYPTKEY key = 0;
    DWORD spec = 0, size = 0;
    BOOL callerFree = FALSE;
    Pkey result;
    if (CryptAcquireCertificatePrivateKey(cert, 0, nullptr, &prov, &spec, &callerFree) &&
        CryptGetUserKey(prov, spec, &key) &&
        CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, nullptr, &size)) {
        std::vector<BYTE> blob(size);
        EXPECT_TRUE(CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, blob.data(), &size));
        result = std::move(vk::crypto::ParseRsaKeyBlob(blob.data(), size).value().key);
    }
    *error = GetLastError();
    EXPECT_TRUE(prov == 0 || (callerFree && spec == AT_KEYEXCHANGE));
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

void ExpectUnpacksToItsContents(const PfxCase& c, const wchar_t* password) {
    auto bytes = pfxtest::ReadBytes(c.file);
    CRYPT_DATA_BLOB blob{static_cast<DWORD>(bytes.size()), bytes.data()};
    EXPECT_TRUE(PFXIsPFXBlob(&blob));
    EXPECT_EQ(Verify(bytes, password), ERROR_SUCCESS);
    Store store = Import(bytes, password, CRYPT_EXPORTABLE | CRYPT_MACHINE_KEYSET);
    ASSERT_TRUE(store) << std::hex << GetLastError();
    std::size_t seen = 0;
    for (PCCERT_CONTEXT cert = CertEnumCertificatesInStore(store.get(), nullptr); cert != nullptr;
         cert = CertEnumCertificatesInStore(store.get(), cert), ++seen) {
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
        // The same private key: its blob matches the original's byte for byte.
        Pkey original(pfxtest::LoadKey(expected->second));
        EXPECT_EQ(vk::crypto::RsaToPrivateKeyBlob(key.get(), CALG_RSA_KEYX),
                  vk::crypto::RsaToPrivateKeyBlob(original.get(), CALG_RSA_KEYX));
    }
    EXPECT_EQ(seen, c.contents.size());
}

}  // namespace

TEST_F(Pkcs12, FilesOfOtherToolsUnpackWrongPasswordsFailAndHostileInputFailsCleanly) {
    // Every file of other tools, and MAC-less files whose certificates are encrypted.
    auto cases = shop.All();
    const std::vector<std::string> encrypted{"-nomac", "-certpbe", "AES-256-CBC"};
    cases.push_back(shop.Openssl("openssl-nomac-certs-encrypted", pfxtest::kCyrillic, encrypted));
    cases.push_back(shop.OpensslCertsOnly("openssl-nomac-certs-only", "certs", encrypted));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        if (!c.contents.empty()) {  // keytool files: below
            ExpectUnpacksToItsContents(c, Utf8ToWide(c.password).c_str());
        }
        if (!c.contents.empty() && c.password.empty()) {
            ExpectUnpacksToItsContents(c, nullptr);  // no password at all is the empty one too
        }
        // Wrong passwords, letter case included; a file neither encrypted nor MAC'd opens.
        const auto bytes = pfxtest::ReadBytes(c.file);
        std::string upper = c.password;
        std::ranges::transform(upper, upper.begin(), ::toupper);
        const std::wstring wrong = c.password.empty()    ? L"not empty"
                                   : upper != c.password ? Utf8ToWide(upper)
                                                         : L"wrong" + Utf8ToWide(c.password);
        const bool open = c.label == "openssl-plain";
        EXPECT_EQ(Verify(bytes, wrong.c_str()), open ? ERROR_SUCCESS : ERROR_INVALID_PASSWORD);
        EXPECT_EQ(Import(bytes, wrong.c_str()) != nullptr, open);
        EXPECT_EQ(GetLastError(), open ? ERROR_SUCCESS : ERROR_INVALID_PASSWORD);
    }
    // keytool's files: certificates and keys counted, each key paired by its public key.
    const std::tuple<std::size_t, std::size_t> counts[] = {{1, 1}, {2, 2}, {1, 0}, {1, 1}};
    const auto keytool = pfxtest::KeytoolCases();
    for (std::size_t i = 0; i < keytool.size(); ++i) {
        SCOPED_TRACE(keytool[i].label);
        Store store =
            Import(pfxtest::ReadBytes(keytool[i].file), Utf8ToWide(keytool[i].password).c_str());
        ASSERT_TRUE(store) << std::hex << GetLastError();
        std::size_t certs = 0;
        std::size_t keys = 0;
        DWORD error = 0;
        for (PCCERT_CONTEXT cert = CertEnumCertificatesInStore(store.get(), nullptr);
             cert != nullptr; cert = CertEnumCertificatesInStore(store.get(), cert), ++certs) {
            if (Pkey key = PrivateKeyOf(cert, &error)) {
                ++keys;
                const unsigned char* p = cert->pbCertEncoded;
                X509* x509 = d2i_X509(nullptr, &p, cert->cbCertEncoded);
                EXPECT_EQ(X509_check_private_key(x509, key.get()), 1);
                X509_free(x509);
            }
        }
        EXPECT_EQ(std::make_tuple(certs, keys), counts[i]);
    }

    // Hostile input and unbearable key derivations fail cleanly.
    const PfxCase good = shop.Openssl("damage-source", "secret");
    const auto original = pfxtest::ReadBytes(good.file);
    std::vector<std::vector<BYTE>> hostile = {
        {},
        {0x30},
        {0x30, 0x80},
        {0x30, 0x84, 0xFF, 0xFF, 0xFF, 0xFF},
        pfxtest::ReadBytes(shop.leafCert),
        pfxtest::CertDer(shop.leafCert),
        std::vector<BYTE>(2000),
    };
    std::mt19937 random(12345);
    std::generate(hostile.back().begin(), hostile.back().end(), [&] { return random(); });
    for (std::size_t cut = 1; cut < original.size(); cut += 53) {
        hostile.emplace_back(original.begin(), original.begin() + static_cast<long>(cut));
    }
    for (auto& bytes : hostile) {
        CRYPT_DATA_BLOB blob{static_cast<DWORD>(bytes.size()), bytes.data()};
        SetLastError(0);
        EXPECT_FALSE(PFXIsPFXBlob(&blob));
        EXPECT_EQ(GetLastError(), CRYPT_E_BAD_ENCODE);
        EXPECT_FALSE(Import(bytes, L"secret"));
        EXPECT_EQ(GetLastError(), CRYPT_E_BAD_ENCODE);
    }
    // Changed bytes inside a well-formed file: refused, whatever the reason given.
    for (std::size_t at = 0; at < original.size(); at += 31) {
        auto bytes = original;
        bytes[at] ^= 0x5A;
        if (!Import(bytes, L"secret")) {
            const DWORD e = GetLastError();
            EXPECT_TRUE(e == CRYPT_E_BAD_ENCODE || e == ERROR_INVALID_PASSWORD) << std::hex << e;
        }
    }
    EXPECT_FALSE(PFXIsPFXBlob(nullptr) || PFXImportCertStore(nullptr, L"", 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(Import(original, L"secret", 0x80000000));
    EXPECT_EQ(GetLastError(), NTE_BAD_FLAGS);

    // Every iteration count 65536 (02 03 01 00 00) becomes 8388607: refused, not run.
    auto costly =
        pfxtest::ReadBytes(shop.Openssl("costly", "pw", {"-nomac", "-iter", "65536"}).file);
    const BYTE iter[] = {0x02, 0x03, 0x01, 0x00, 0x00};
    std::size_t patched = 0;
    for (auto at = costly.begin();
         (at = std::search(at, costly.end(), iter, iter + 5)) != costly.end(); ++patched) {
        std::copy_n("\x02\x03\x7F\xFF\xFF", 5, at);
    }
    ASSERT_EQ(patched, 2u);
    EXPECT_FALSE(Import(costly, L"pw", 0));
    EXPECT_EQ(GetLastError(), CRYPT_E_BAD_ENCODE);
}

TEST_F(Pkcs12, ImportedKeysHonourExportableLiveInMemoryAndEitherEmptyPasswordFormOpens) {
    Store store =
        Import(pfxtest::ReadBytes(shop.OpensslChain("chain").file), L"chain", CRYPT_MACHINE_KEYSET);
    ASSERT_TRUE(store);
    const auto leafDer = pfxtest::CertDer(shop.leafCert);
    PCCERT_CONTEXT leaf = CertCreateCertificateContext(X509_ASN_ENCODING, leafDer.data(),
                                                       static_cast<DWORD>(leafDer.size()));
    PCCERT_CONTEXT found = CertFindCertificateInStore(store.get(), X509_ASN_ENCODING, 0,
                                                      CERT_FIND_EXISTING, leaf, nullptr);
    CertFreeCertificateContext(leaf);
    ASSERT_NE(found, nullptr);
    DWORD size = 0;
    ASSERT_TRUE(
        CertGetCertificateContextProperty(found, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size));
    std::vector<std::max_align_t> buffer(size / sizeof(std::max_align_t) + 1);
    ASSERT_TRUE(
        CertGetCertificateContextProperty(found, CERT_KEY_PROV_INFO_PROP_ID, buffer.data(), &size));
    const auto* info = reinterpret_cast<const CRYPT_KEY_PROV_INFO*>(buffer.data());
    const std::wstring container = info->pwszContainerName;
    EXPECT_EQ(std::wstring(info->pwszProvName), MS_ENHANCED_PROV_W);
    EXPECT_EQ(info->dwProvType, PROV_RSA_FULL);
    EXPECT_EQ(info->dwKeySpec, AT_KEYEXCHANGE);
    EXPECT_TRUE(std::regex_match(
        container,
        std::wregex(L"[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}")));

    // Not exportable without CRYPT_EXPORTABLE; deleting the key set leaves no reachable key.
    DWORD error = 0;
    EXPECT_FALSE(PrivateKeyOf(found, &error));
    EXPECT_EQ(error, NTE_BAD_KEY_STATE);
    HCRYPTPROV none = 0;
    ASSERT_TRUE(CryptAcquireContextW(&none, container.c_str(), MS_STRONG_PROV_W, PROV_RSA_FULL,
                                     CRYPT_DELETEKEYSET));
    EXPECT_FALSE(PrivateKeyOf(found, &error));
    EXPECT_EQ(error, NTE_BAD_KEYSET);
    CertFreeCertificateContext(found);

    // The empty password taken in one form for the MAC and the other for the contents.
    Pkey key(pfxtest::LoadKey(shop.leafKey));
    const unsigned char* p = leafDer.data();
    X509* cert = d2i_X509(nullptr, &p, static_cast<long>(leafDer.size()));
    // PKCS #12 key derivation (3DES): there the two forms give different keys.
    PKCS12* p12 =
        PKCS12_create("", "mixed", key.get(), cert, nullptr, NID_pbe_WithSHA1And3_Key_TripleDES_CBC,
                      NID_pbe_WithSHA1And3_Key_TripleDES_CBC, 0, 0, 0);
    ASSERT_NE(p12, nullptr);
    // Contents under the empty string, the MAC under no password at all.
    ASSERT_EQ(PKCS12_set_mac(p12, nullptr, 0, nullptr, 0, 2048, EVP_sha256()), 1);
    const std::vector<BYTE> bytes = hostilepfx::Encode(p12);
    PKCS12_free(p12);
    X509_free(cert);
    Store mixed = Import(bytes, L"");
    ASSERT_TRUE(mixed) << std::hex << GetLastError();
    EXPECT_EQ(CertificatesOf(mixed.get()), std::vector<std::vector<BYTE>>{leafDer});
    for (const auto& e : fs::recursive_directory_iterator(world.Root())) {
        const auto folder = e.path().parent_path().filename();
        EXPECT_FALSE(e.is_regular_file() && folder != "pfx" && folder != "nss")
            << e.path() << ": no key may reach the disk";
    }
}

namespace {

// Packs the store with the two-call pattern; empty on failure (last error set).
std::vector<BYTE> Pack(HCERTSTORE store, const wchar_t* password, DWORD flags) {
    CRYPT_DATA_BLOB blob{0, nullptr};
    std::vector<BYTE> bytes;
    for (int call = 0; call < 2; ++call) {
        if (!PFXExportCertStoreEx(store, &blob, password, nullptr, flags)) {
            return {};
        }
        bytes.resize(blob.cbData);
        blob.pbData = bytes.data();
    }
    return bytes;
}

constexpr DWORD kReportAll =
    EXPORT_PRIVATE_KEYS | REPORT_NO_PRIVATE_KEY | REPORT_NOT_ABLE_TO_EXPORT_PRIVATE_KEY;

}  // namespace

TEST_F(Pkcs12, PackedFilesOpenWithOpensslAndPackingReportsKeysItCannotExportAndShortBuffers) {
    const auto leafDer = pfxtest::CertDer(shop.leafCert);
    Pkey leafKey(pfxtest::LoadKey(shop.leafKey));
    for (const std::string& password : {std::string("secret"), pfxtest::kCyrillic, std::string()}) {
        SCOPED_TRACE(password);
        Store source = Import(pfxtest::ReadBytes(shop.Openssl("source", "pw").file), L"pw");
        const auto bytes = Pack(source.get(), Utf8ToWide(password).c_str(), kReportAll);
        ASSERT_FALSE(bytes.empty()) << std::hex << GetLastError();
        const fs::path file = world.Root() / "packed.pfx";
        pfxtest::WriteBytes(file, bytes);
        const fs::path pem = world.Root() / "unpacked.pem";
        std::string info;
        ASSERT_TRUE(pfxtest::Run({"sh", "-c",
                                  "openssl pkcs12 -in \"$1\" -passin \"pass:$2\" -info -nodes "
                                  "-out \"$3\" 2>&1",
                                  "sh", file.string(), password, pem.string()},
                                 &info));
        EXPECT_EQ(pfxtest::CertDer(pem), leafDer);
        Pkey key(pfxtest::LoadKey(pem));
        ASSERT_TRUE(key);
        EXPECT_EQ(vk::crypto::RsaToPrivateKeyBlob(key.get(), CALG_RSA_KEYX),
                  vk::crypto::RsaToPrivateKeyBlob(leafKey.get(), CALG_RSA_KEYX));
        for (const char* part :
             {"MAC: sha256", "Shrouded Keybag: PBES2, PBKDF2, AES-256-CBC",
              "PKCS7 Encrypted data: PBES2, PBKDF2, AES-256-CBC", "PRF hmacWithSHA256"}) {
            EXPECT_NE(info.find(part), std::string::npos) << part << " in " << info;
        }
        Store again = Import(bytes, Utf8ToWide(password).c_str());
        ASSERT_TRUE(again);
        EXPECT_EQ(CertificatesOf(again.get()), std::vector<std::vector<BYTE>>{leafDer});
    }

    // The leaf's key not exportable: reported, or left out without the report flag.
    Store locked = Import(pfxtest::ReadBytes(shop.Openssl("locked", "pw").file), L"pw", 0);
    ASSERT_TRUE(locked);
    SetLastError(0);
    EXPECT_TRUE(Pack(locked.get(), L"pw", kReportAll).empty());
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY_STATE);
    Store alone = Import(Pack(locked.get(), L"pw", EXPORT_PRIVATE_KEYS), L"pw");
    ASSERT_TRUE(alone);
    PCCERT_CONTEXT only = CertEnumCertificatesInStore(alone.get(), nullptr);
    ASSERT_NE(only, nullptr);
    DWORD error = 0;
    EXPECT_FALSE(PrivateKeyOf(only, &error));
    EXPECT_EQ(error, CRYPT_E_NO_KEY_PROPERTY);
    CertFreeCertificateContext(only);

    // The CA certificate has no key: reported, or packed without one.
    Store chain = Import(pfxtest::ReadBytes(shop.OpensslChain("chain").file), L"chain");
    ASSERT_TRUE(chain);
    SetLastError(0);
    EXPECT_TRUE(Pack(chain.get(), L"pw", EXPORT_PRIVATE_KEYS | REPORT_NO_PRIVATE_KEY).empty());
    EXPECT_EQ(GetLastError(), NTE_NO_KEY);
    Store store = Import(Pack(chain.get(), L"pw", EXPORT_PRIVATE_KEYS), L"pw");
    ASSERT_TRUE(store);
    EXPECT_EQ(CertificatesOf(store.get()).size(), 2u);

    CRYPT_DATA_BLOB sizing{0, nullptr};
    ASSERT_TRUE(PFXExportCertStoreEx(chain.get(), &sizing, L"pw", nullptr, EXPORT_PRIVATE_KEYS));
    std::vector<BYTE> small(sizing.cbData - 1);
    CRYPT_DATA_BLOB shortBlob{static_cast<DWORD>(small.size()), small.data()};
    EXPECT_FALSE(
        PFXExportCertStoreEx(chain.get(), &shortBlob, L"pw", nullptr, EXPORT_PRIVATE_KEYS));
    EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
    EXPECT_EQ(shortBlob.cbData, sizing.cbData);
    EXPECT_FALSE(PFXExportCertStoreEx(nullptr, &sizing, L"pw", nullptr, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}
