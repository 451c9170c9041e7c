// Certificate stores: memory stores (order, dispositions, properties, context
// lifetime, handles) and the user's "MY" store on disk (replacing keeps one
// copy with the newer key provider information, files and their mode, a real
// second process adding and checking, damaged files skipped). Certificate
// decoding is covered in CertMadeTest.cpp.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>

#include "CertTestUtil.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"

namespace {

namespace fs = std::filesystem;
using certtest::ContextPtr;

constexpr DWORD kEnc = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

std::vector<BYTE> QuickCert(const fs::path& dir, const std::string& name) {
    return certtest::MakeCert(dir, name, "ec:prime256v1", "/CN=" + name).der;
}

struct StoreCloser {
    void operator()(void* s) const { CertCloseStore(s, 0); }
};
using StorePtr = std::unique_ptr<void, StoreCloser>;

StorePtr OpenMy() {
    return StorePtr(CertOpenSystemStoreW(0, L"MY"));
}

void SetProvInfo(PCCERT_CONTEXT ctx, const std::wstring& container, DWORD keySpec) {
    std::wstring provider = L"Orvel Velkora CSP v1.0";
    std::wstring name = container;
    CRYPT_KEY_PROV_INFO info{name.data(), provider.data(), 1, 0, 0, nullptr, keySpec};
    ASSERT_TRUE(CertSetCertificateContextProperty(ctx, CERT_KEY_PROV_INFO_PROP_ID, 0, &info));
}

// The container name and key specification of the context's key provider information.
std::pair<std::wstring, DWORD> ProvInfo(PCCERT_CONTEXT ctx) {
    DWORD size = 0;
    if (!CertGetCertificateContextProperty(ctx, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size)) {
        return {L"<none>", 0};
    }
    std::vector<std::max_align_t> buf(size / sizeof(std::max_align_t) + 1);
    EXPECT_TRUE(
        CertGetCertificateContextProperty(ctx, CERT_KEY_PROV_INFO_PROP_ID, buf.data(), &size));
    const auto* info = reinterpret_cast<const CRYPT_KEY_PROV_INFO*>(buf.data());
    EXPECT_STREQ(info->pwszProvName, L"Orvel Velkora CSP v1.0");
    EXPECT_EQ(info->dwProvType, 1u);
    return {info->pwszContainerName, info->dwKeySpec};
}

std::vector<std::wstring> Subjects(HCERTSTORE store) {
    std::vector<std::wstring> out;
    for (PCCERT_CONTEXT c = CertEnumCertificatesInStore(store, nullptr); c;
         c = CertEnumCertificatesInStore(store, c)) {
        out.push_back(certtest::NameString(c->pCertInfo->Subject, CERT_SIMPLE_NAME_STR));
    }
    return out;
}

fs::path MyFolder(const vktest::TempWorld& world) {
    return world.DataHome() / "vkcert" / "certstores" / "MY";
}

TEST(CertMemoryStore, KeepsOrderDispositionsPropertiesAndContexts) {
    vktest::TempWorld world;
    const auto a = QuickCert(world.Root(), "a");
    const auto b = QuickCert(world.Root(), "b");
    StorePtr store(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
    ASSERT_TRUE(store);
    auto ca = certtest::Context(a);
    auto cb = certtest::Context(b);
    SetProvInfo(ca.get(), L"first", AT_KEYEXCHANGE);

    PCCERT_CONTEXT added = nullptr;
    ASSERT_TRUE(
        CertAddCertificateContextToStore(store.get(), cb.get(), CERT_STORE_ADD_NEW, nullptr));
    ASSERT_TRUE(
        CertAddCertificateContextToStore(store.get(), ca.get(), CERT_STORE_ADD_NEW, &added));
    ContextPtr own(added);
    EXPECT_EQ(added->hCertStore, store.get());
    EXPECT_EQ(ProvInfo(added).first, L"first");  // properties travel with the copy
    EXPECT_EQ(Subjects(store.get()), (std::vector<std::wstring>{L"b", L"a"}));

    EXPECT_FALSE(
        CertAddCertificateContextToStore(store.get(), ca.get(), CERT_STORE_ADD_NEW, nullptr));
    EXPECT_EQ(GetLastError(), CRYPT_E_EXISTS);
    SetProvInfo(ca.get(), L"second", AT_SIGNATURE);
    ASSERT_TRUE(CertAddCertificateContextToStore(store.get(), ca.get(),
                                                 CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    EXPECT_EQ(Subjects(store.get()), (std::vector<std::wstring>{L"b", L"a"}));
    ContextPtr found(
        CertFindCertificateInStore(store.get(), kEnc, 0, CERT_FIND_EXISTING, ca.get(), nullptr));
    ASSERT_TRUE(found);
    EXPECT_EQ(ProvInfo(found.get()), std::make_pair(std::wstring(L"second"), DWORD{AT_SIGNATURE}));
    EXPECT_EQ(ProvInfo(added).first, L"first");  // the replaced copy is still a valid context
    ASSERT_TRUE(
        CertAddCertificateContextToStore(store.get(), ca.get(), CERT_STORE_ADD_ALWAYS, nullptr));
    EXPECT_EQ(Subjects(store.get()), (std::vector<std::wstring>{L"b", L"a", L"a"}));

    // Deleting while enumerating leaves the enumeration on its way.
    int deleted = 0;
    for (PCCERT_CONTEXT c = CertEnumCertificatesInStore(store.get(), nullptr); c;) {
        PCCERT_CONTEXT next =
            CertEnumCertificatesInStore(store.get(), CertDuplicateCertificateContext(c));
        EXPECT_TRUE(CertDeleteCertificateFromStore(c));
        ++deleted;
        c = next;
    }
    EXPECT_EQ(deleted, 3);
    EXPECT_TRUE(Subjects(store.get()).empty());
    EXPECT_FALSE(
        CertFindCertificateInStore(store.get(), kEnc, 0, CERT_FIND_EXISTING, ca.get(), nullptr));
    EXPECT_EQ(GetLastError(), CRYPT_E_NOT_FOUND);

    // Contexts outlive their store; a check-close says so.
    ASSERT_TRUE(
        CertAddCertificateContextToStore(store.get(), cb.get(), CERT_STORE_ADD_NEW, &added));
    EXPECT_FALSE(CertCloseStore(store.release(), CERT_CLOSE_STORE_CHECK_FLAG));
    EXPECT_EQ(GetLastError(), CRYPT_E_PENDING_CLOSE);
    EXPECT_EQ(certtest::NameString(added->pCertInfo->Subject, CERT_SIMPLE_NAME_STR), L"b");
    CertFreeCertificateContext(added);
}

TEST(CertMemoryStore, RefusesBadHandlesAndMissingThings) {
    vktest::TempWorld world;
    auto ctx = certtest::Context(QuickCert(world.Root(), "x"));
    int notAStore = 0;
    EXPECT_FALSE(
        CertAddCertificateContextToStore(&notAStore, ctx.get(), CERT_STORE_ADD_NEW, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(CertDeleteCertificateFromStore(nullptr));
    EXPECT_EQ(GetLastError(), CRYPT_E_NOT_FOUND);
    EXPECT_FALSE(CertDeleteCertificateFromStore(CertDuplicateCertificateContext(ctx.get())));
    EXPECT_EQ(GetLastError(), CRYPT_E_NOT_FOUND);  // a context of no store
    DWORD size = 0;
    EXPECT_FALSE(
        CertGetCertificateContextProperty(ctx.get(), CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size));
    EXPECT_EQ(GetLastError(), CRYPT_E_NOT_FOUND);
    ASSERT_TRUE(
        CertGetCertificateContextProperty(ctx.get(), CERT_SHA1_HASH_PROP_ID, nullptr, &size));
    EXPECT_EQ(size, 20u);
    StorePtr store(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
    EXPECT_FALSE(CertAddCertificateContextToStore(store.get(), ctx.get(), 99, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(CertOpenSystemStoreW(0, L"../MY"));
    EXPECT_FALSE(CertOpenSystemStoreW(0, L""));
}

TEST(CertSystemStore, AddingTwiceKeepsOneCopyWithTheNewerKeyProviderInformation) {
    vktest::TempWorld world;
    const auto der = QuickCert(world.Root(), "Registered");
    auto ctx = certtest::Context(der);
    {
        StorePtr my = OpenMy();
        ASSERT_TRUE(my);
        SetProvInfo(ctx.get(), L"old-container", AT_KEYEXCHANGE);
        ASSERT_TRUE(CertAddCertificateContextToStore(my.get(), ctx.get(),
                                                     CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
        SetProvInfo(ctx.get(), L"new-container", AT_SIGNATURE);
        ASSERT_TRUE(CertAddCertificateContextToStore(my.get(), ctx.get(),
                                                     CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
        EXPECT_EQ(Subjects(my.get()).size(), 1u);
    }
    StorePtr my = OpenMy();
    EXPECT_EQ(Subjects(my.get()), std::vector<std::wstring>{L"Registered"});
    ContextPtr found(
        CertFindCertificateInStore(my.get(), kEnc, 0, CERT_FIND_EXISTING, ctx.get(), nullptr));
    ASSERT_TRUE(found);
    EXPECT_EQ(ProvInfo(found.get()),
              std::make_pair(std::wstring(L"new-container"), DWORD{AT_SIGNATURE}));

    // One file, named by the thumbprint, readable by the user only; nothing else left.
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(MyFolder(world))) {
        files.push_back(e.path());
    }
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().string(),
              certtest::Hex(certtest::Hash(ctx.get(), CALG_SHA1), "") + ".cert");
    struct stat st {};
    ASSERT_EQ(::stat(files[0].c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A property set on the store's own context is written through.
    SetProvInfo(found.get(), L"third", AT_KEYEXCHANGE);
    StorePtr again = OpenMy();
    ContextPtr third(
        CertFindCertificateInStore(again.get(), kEnc, 0, CERT_FIND_EXISTING, ctx.get(), nullptr));
    ASSERT_TRUE(third);
    EXPECT_EQ(ProvInfo(third.get()).first, L"third");
}

VK_TEST_CHILD(cert_store_add) {
    // args: certificate file, container name
    std::ifstream in(args.at(0), std::ios::binary);
    std::vector<BYTE> der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto ctx = certtest::Context(der);
    StorePtr my = OpenMy();
    if (!ctx || !my) {
        return 2;
    }
    std::wstring container = Utf8ToWide(args.at(1));
    std::wstring provider = L"Orvel Velkora CSP v1.0";
    CRYPT_KEY_PROV_INFO info{container.data(), provider.data(), 1, 0, 0, nullptr, AT_KEYEXCHANGE};
    if (!CertSetCertificateContextProperty(ctx.get(), CERT_KEY_PROV_INFO_PROP_ID, 0, &info) ||
        !CertAddCertificateContextToStore(my.get(), ctx.get(), CERT_STORE_ADD_REPLACE_EXISTING,
                                          nullptr)) {
        return 3;
    }
    return 0;
}

VK_TEST_CHILD(cert_store_count) {
    StorePtr my = OpenMy();
    return my ? static_cast<int>(Subjects(my.get()).size()) : 100;
}

TEST(CertSystemStore, FindAndDeleteWorkAcrossProcesses) {
    vktest::TempWorld world;
    const auto der = QuickCert(world.Root(), "Shared");
    const auto file = (world.Root() / "Shared.pem.der").string();
    EXPECT_EQ(vktest::ChildProcess("cert_store_add", {file, "Контейнер"}).Wait(), 0);
    EXPECT_EQ(vktest::ChildProcess("cert_store_count").Wait(), 1);

    StorePtr my = OpenMy();
    auto ctx = certtest::Context(der);
    PCCERT_CONTEXT found =
        CertFindCertificateInStore(my.get(), kEnc, 0, CERT_FIND_EXISTING, ctx.get(), nullptr);
    ASSERT_TRUE(found);
    EXPECT_EQ(ProvInfo(found).first, L"Контейнер");
    EXPECT_TRUE(CertDeleteCertificateFromStore(CertDuplicateCertificateContext(found)));
    CertFreeCertificateContext(found);
    EXPECT_EQ(vktest::ChildProcess("cert_store_count").Wait(), 0);
    EXPECT_FALSE(
        CertFindCertificateInStore(my.get(), kEnc, 0, CERT_FIND_EXISTING, ctx.get(), nullptr));
}

TEST(CertSystemStore, DamagedFilesAreSkipped) {
    vktest::TempWorld world;
    const auto good = QuickCert(world.Root(), "Good");
    const auto other = QuickCert(world.Root(), "Other");
    {
        StorePtr my = OpenMy();
        auto g = certtest::Context(good);
        auto o = certtest::Context(other);
        ASSERT_TRUE(
            CertAddCertificateContextToStore(my.get(), g.get(), CERT_STORE_ADD_NEW, nullptr));
        ASSERT_TRUE(
            CertAddCertificateContextToStore(my.get(), o.get(), CERT_STORE_ADD_NEW, nullptr));
    }
    const fs::path folder = MyFolder(world);
    fs::path otherFile;
    for (const auto& e : fs::directory_iterator(folder)) {
        const auto bytes = certtest::ReadFile(e.path());
        if (std::search(bytes.begin(), bytes.end(), other.begin(), other.end()) != bytes.end()) {
            otherFile = e.path();
        }
    }
    ASSERT_FALSE(otherFile.empty());
    // Cut short; garbage under a well-formed name; a good file under another name; a stray file.
    auto bytes = certtest::ReadFile(otherFile);
    std::ofstream(otherFile, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size() / 2));
    std::ofstream(folder / (std::string(40, 'a') + ".cert")) << "VKCS\x01\x00\x00\x00garbage";
    fs::copy_file(
        folder /
            (certtest::Hex(certtest::Hash(certtest::Context(good).get(), CALG_SHA1), "") + ".cert"),
        folder / (std::string(40, 'b') + ".cert"));
    std::ofstream(folder / "notes.txt") << "hello";

    StorePtr my = OpenMy();
    ASSERT_TRUE(my);
    EXPECT_EQ(Subjects(my.get()), std::vector<std::wstring>{L"Good"});
    // The damaged certificate can be registered again over its broken file.
    auto o = certtest::Context(other);
    ASSERT_TRUE(CertAddCertificateContextToStore(my.get(), o.get(), CERT_STORE_ADD_NEW, nullptr));
    EXPECT_EQ(Subjects(OpenMy().get()).size(), 2u);
}

TEST(CertSystemStore, AWriteFailureReachesTheCallerAndChangesNothing) {
    vktest::TempWorld world;
    const auto der = QuickCert(world.Root(), "Unwritable");
    // A plain file where the store's folder belongs: nothing can be written there.
    fs::create_directories(MyFolder(world).parent_path());
    std::ofstream(MyFolder(world)) << "not a folder";
    StorePtr my = OpenMy();
    ASSERT_TRUE(my);
    auto ctx = certtest::Context(der);
    SetLastError(0);
    EXPECT_FALSE(CertAddCertificateContextToStore(my.get(), ctx.get(),
                                                  CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_TRUE(Subjects(my.get()).empty());
    EXPECT_FALSE(
        CertFindCertificateInStore(my.get(), kEnc, 0, CERT_FIND_EXISTING, ctx.get(), nullptr));
}

}  // namespace
