// Certificate stores in memory and the user's "MY" store on disk, shared with a real second
// process, with damaged and unwritable store files. Decoding is covered in CertMadeTest.cpp.
#include <gtest/gtest.h>
#include <sys/stat.h>

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

struct StoreCloser {
    void operator()(void* s) const { CertCloseStore(s, 0); }
};
using StorePtr = std::unique_ptr<void, StoreCloser>;

StorePtr OpenMy() {
    return StorePtr(CertOpenSystemStoreW(0, L"MY"));
}

std::vector<BYTE> QuickCert(const fs::path& dir, const std::string& name) {
    return certtest::MakeCert(dir, name, "ec:prime256v1", "/CN=" + name).der;
}

BOOL Add(HCERTSTORE store, PCCERT_CONTEXT ctx, DWORD disposition, PCCERT_CONTEXT* added = nullptr) {
    return CertAddCertificateContextToStore(store, ctx, disposition, added);
}

ContextPtr Find(HCERTSTORE store, PCCERT_CONTEXT ctx) {
    return ContextPtr(CertFindCertificateInStore(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
                                                 CERT_FIND_EXISTING, ctx, nullptr));
}

BOOL SetProvInfo(PCCERT_CONTEXT ctx, std::wstring container, DWORD keySpec) {
    std::wstring provider = L"Orvel Velkora CSP v1.0";
    CRYPT_KEY_PROV_INFO info{container.data(), provider.data(), 1, 0, 0, nullptr, keySpec};
    return CertSetCertificateContextProperty(ctx, CERT_KEY_PROV_INFO_PROP_ID, 0, &info);
}

// Container name and key specification of the key provider information SetProvInfo wrote.
std::pair<std::wstring, DWORD> ProvInfo(PCCERT_CONTEXT ctx) {
    std::vector<std::max_align_t> buf(64);
    DWORD size = sizeof(std::max_align_t) * buf.size();
    if (!ctx ||
        !CertGetCertificateContextProperty(ctx, CERT_KEY_PROV_INFO_PROP_ID, buf.data(), &size)) {
        return {L"<none>", 0};
    }
    const auto* info = reinterpret_cast<const CRYPT_KEY_PROV_INFO*>(buf.data());
    EXPECT_EQ(std::wstring(info->pwszProvName) + L"/" + std::to_wstring(info->dwProvType),
              L"Orvel Velkora CSP v1.0/1");
    return {info->pwszContainerName, info->dwKeySpec};
}

// The error of a refused call, 0 when it succeeded.
DWORD Refused(BOOL ok) {
    return ok ? 0 : GetLastError();
}

std::vector<std::wstring> Subjects(HCERTSTORE store) {
    std::vector<std::wstring> out;
    for (PCCERT_CONTEXT c = CertEnumCertificatesInStore(store, nullptr); c;
         c = CertEnumCertificatesInStore(store, c)) {
        out.push_back(certtest::NameString(c->pCertInfo->Subject, CERT_SIMPLE_NAME_STR));
    }
    return out;
}

std::string FileName(PCCERT_CONTEXT ctx) {
    return certtest::Hex(certtest::Hash(ctx, CALG_SHA1), "") + ".cert";
}

}  // namespace

TEST(CertStores, MemoryStoresAndTheUsersStoreSharedWithAnotherProcess) {
    vktest::TempWorld world;
    const fs::path folder = world.DataHome() / "vkcert" / "certstores" / "MY";
    StorePtr store(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
    auto ca = certtest::Context(QuickCert(world.Root(), "a"));
    auto cb = certtest::Context(QuickCert(world.Root(), "b"));
    ASSERT_TRUE(store && ca && cb);
    ASSERT_TRUE(SetProvInfo(ca.get(), L"first", AT_KEYEXCHANGE));
    PCCERT_CONTEXT added = nullptr;
    ASSERT_TRUE(CertAddEncodedCertificateToStore(store.get(), X509_ASN_ENCODING, cb->pbCertEncoded,
                                                 cb->cbCertEncoded, CERT_STORE_ADD_NEW, nullptr));
    ASSERT_TRUE(Add(store.get(), ca.get(), CERT_STORE_ADD_NEW, &added));
    ContextPtr own(added);
    EXPECT_EQ(added->hCertStore, store.get());
    EXPECT_EQ(ProvInfo(added).first, L"first");  // properties travel with the copy
    EXPECT_EQ(Subjects(store.get()), (std::vector<std::wstring>{L"b", L"a"}));

    EXPECT_EQ(Refused(Add(store.get(), ca.get(), CERT_STORE_ADD_NEW)), CRYPT_E_EXISTS);
    ASSERT_TRUE(SetProvInfo(ca.get(), L"second", AT_SIGNATURE));
    ASSERT_TRUE(Add(store.get(), ca.get(), CERT_STORE_ADD_REPLACE_EXISTING));
    EXPECT_EQ(Subjects(store.get()), (std::vector<std::wstring>{L"b", L"a"}));
    EXPECT_EQ(ProvInfo(Find(store.get(), ca.get()).get()),
              std::make_pair(std::wstring(L"second"), DWORD{AT_SIGNATURE}));
    EXPECT_EQ(ProvInfo(added).first, L"first");  // the replaced copy is still a valid context
    ASSERT_TRUE(Add(store.get(), ca.get(), CERT_STORE_ADD_ALWAYS));
    EXPECT_EQ(Subjects(store.get()), (std::vector<std::wstring>{L"b", L"a", L"a"}));

    // Deleting while enumerating leaves the enumeration on its way.
    int deleted = 0;
    for (PCCERT_CONTEXT c = CertEnumCertificatesInStore(store.get(), nullptr); c; ++deleted) {
        PCCERT_CONTEXT next =
            CertEnumCertificatesInStore(store.get(), CertDuplicateCertificateContext(c));
        EXPECT_TRUE(CertDeleteCertificateFromStore(c));
        c = next;
    }
    EXPECT_EQ(deleted, 3);
    EXPECT_TRUE(Subjects(store.get()).empty());
    EXPECT_EQ(Refused(Find(store.get(), ca.get()) != nullptr), CRYPT_E_NOT_FOUND);

    int notAStore = 0;
    DWORD size = 0;
    EXPECT_EQ(Refused(Add(&notAStore, ca.get(), CERT_STORE_ADD_NEW)), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Refused(Add(store.get(), ca.get(), 99)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Refused(CertDeleteCertificateFromStore(nullptr)), CRYPT_E_NOT_FOUND);
    EXPECT_EQ(Refused(CertDeleteCertificateFromStore(CertDuplicateCertificateContext(cb.get()))),
              CRYPT_E_NOT_FOUND)
        << "a context of no store";
    EXPECT_EQ(Refused(CertGetCertificateContextProperty(cb.get(), CERT_KEY_PROV_INFO_PROP_ID,
                                                        nullptr, &size)),
              CRYPT_E_NOT_FOUND);
    EXPECT_TRUE(
        CertGetCertificateContextProperty(ca.get(), CERT_SHA1_HASH_PROP_ID, nullptr, &size));
    EXPECT_EQ(size, 20u);
    EXPECT_FALSE(CertOpenSystemStoreW(0, L"../MY"));
    EXPECT_FALSE(CertOpenSystemStoreW(0, L""));

    // Contexts outlive their store; a check-close says so.
    ASSERT_TRUE(Add(store.get(), cb.get(), CERT_STORE_ADD_NEW, &added));
    EXPECT_EQ(Refused(CertCloseStore(store.release(), CERT_CLOSE_STORE_CHECK_FLAG)),
              CRYPT_E_PENDING_CLOSE);
    EXPECT_EQ(certtest::NameString(added->pCertInfo->Subject, CERT_SIMPLE_NAME_STR), L"b");
    CertFreeCertificateContext(added);

    // Adding twice keeps one copy with the newer key provider information, for all processes.
    auto ctx = certtest::Context(QuickCert(world.Root(), "Registered"));
    {
        StorePtr my = OpenMy();
        ASSERT_TRUE(my);
        for (const wchar_t* container : {L"old-container", L"new-container"}) {
            ASSERT_TRUE(SetProvInfo(ctx.get(), container, AT_SIGNATURE));
            ASSERT_TRUE(Add(my.get(), ctx.get(), CERT_STORE_ADD_REPLACE_EXISTING));
        }
        EXPECT_EQ(Subjects(my.get()).size(), 1u);
    }
    StorePtr reopened = OpenMy();
    EXPECT_EQ(Subjects(reopened.get()), std::vector<std::wstring>{L"Registered"});
    ContextPtr found = Find(reopened.get(), ctx.get());
    EXPECT_EQ(ProvInfo(found.get()),
              std::make_pair(std::wstring(L"new-container"), DWORD{AT_SIGNATURE}));

    // One file, named by the thumbprint, readable by the user only; nothing else left.
    std::vector<fs::path> files(fs::directory_iterator(folder), {});
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().string(), FileName(ctx.get()));
    struct stat st {};
    ASSERT_EQ(::stat(files[0].c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A property set on the store's own context is written through.
    ASSERT_TRUE(SetProvInfo(found.get(), L"third", AT_KEYEXCHANGE));
    EXPECT_EQ(ProvInfo(Find(OpenMy().get(), ctx.get()).get()).first, L"third");

    // A second process replaces the copy and sees a deletion made here.
    const auto file = (world.Root() / "Registered.pem.der").string();
    EXPECT_EQ(vktest::ChildProcess("cert_store_add", {file, "Контейнер"}).Wait(), 0);
    EXPECT_EQ(vktest::ChildProcess("cert_store_count").Wait(), 1);
    StorePtr again = OpenMy();
    found = Find(again.get(), ctx.get());
    EXPECT_EQ(ProvInfo(found.get()).first, L"Контейнер");
    EXPECT_TRUE(CertDeleteCertificateFromStore(CertDuplicateCertificateContext(found.get())));
    EXPECT_EQ(vktest::ChildProcess("cert_store_count").Wait(), 0);
    EXPECT_FALSE(Find(again.get(), ctx.get()));

    // Damaged files of the user's store are skipped; a write failure reaches the caller.
    {
        StorePtr my = OpenMy();
        ASSERT_TRUE(Add(my.get(), ca.get(), CERT_STORE_ADD_NEW));
        ASSERT_TRUE(Add(my.get(), cb.get(), CERT_STORE_ADD_NEW));
    }
    // Cut short; garbage under a well-formed name; a good file under another name; a stray file.
    const fs::path damaged = folder / FileName(cb.get());
    fs::resize_file(damaged, fs::file_size(damaged) / 2);
    std::ofstream(folder / (std::string(40, 'a') + ".cert")) << "VKCS\x01\x00\x00\x00garbage";
    fs::copy_file(folder / FileName(ca.get()), folder / (std::string(40, 'b') + ".cert"));
    std::ofstream(folder / "notes.txt") << "hello";

    StorePtr my = OpenMy();
    ASSERT_TRUE(my);
    EXPECT_EQ(Subjects(my.get()), std::vector<std::wstring>{L"a"});
    // The damaged certificate can be registered again over its broken file.
    ASSERT_TRUE(Add(my.get(), cb.get(), CERT_STORE_ADD_NEW));
    EXPECT_EQ(Subjects(OpenMy().get()).size(), 2u);

    // A plain file where the store's folder belongs: nothing can be written there.
    fs::remove_all(folder);
    std::ofstream(folder) << "not a folder";
    StorePtr unwritable = OpenMy();
    ASSERT_TRUE(unwritable);
    SetLastError(0);
    EXPECT_NE(Refused(Add(unwritable.get(), cb.get(), CERT_STORE_ADD_REPLACE_EXISTING)), 0u);
    EXPECT_TRUE(Subjects(unwritable.get()).empty());
    EXPECT_FALSE(Find(unwritable.get(), cb.get()));
}

// Adds certificate file args[0] under container name args[1].
VK_TEST_CHILD(cert_store_add) {
    auto ctx = certtest::Context(certtest::ReadFile(args.at(0)));
    StorePtr my = OpenMy();
    const bool added = ctx && my &&
                       SetProvInfo(ctx.get(), Utf8ToWide(args.at(1)), AT_KEYEXCHANGE) &&
                       Add(my.get(), ctx.get(), CERT_STORE_ADD_REPLACE_EXISTING);
    return added ? 0 : 3;
}

VK_TEST_CHILD(cert_store_count) {
    StorePtr my = OpenMy();
    return my ? static_cast<int>(Subjects(my.get()).size()) : 100;
}
