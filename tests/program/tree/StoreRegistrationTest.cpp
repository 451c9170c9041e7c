// A key's certificate in the user's store through the node's Add and Remove: the stored key link
// leads another program to the token's key; images, commands and messages follow; failures
// (a folder that cannot be written, a certificate not or no longer there, a damaged store file)
// are told; vkcert-cli in a second process is seen after a refresh.
#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "CertTestUtil.h"
#include "TokenTestWorld.h"
#include "platform/cert/CertApi.h"
#include "platform/cert/pkcs12/Pfx.h"
#include "platform/crypto/CryptApi.h"
#include "platform/errors/WinError.h"
#include "platform/text/FormatString.h"
#include "platform/text/Utf.h"
#include "program/app/LangResource.h"
#include "program/ops/CertStoreRegistration.h"
#include "program/token/CKeyInfo.h"
#include "program/token/ErrorText.h"
#include "program/tree/CCertTree.h"
#include "program/tree/CCertificateItemInfo.h"
#include "res/resource.h"
#include "support/ChildProcess.h"
#include "support/FakeFrame.h"
#include "support/ScriptedUi.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<BYTE>;
using STreeItemInfo::CCertificateItemInfo;

// The fake frame noting that the tool bar was brought up to date.
class StoreFrame final : public vktest::FakeFrame {
public:
    void UpdateToolBarToggles() override { events.push_back("toolbar"); }
};

class StoreRegistration : public ::testing::Test {
protected:
    void SetUp() override {
        tokens.AddReader("Reader A");
        tokens.MakeToken("Alpha", {}, "Reader A");
        tokens.AddContainer("Alpha", "Plain", {1, 2}, {{"CN", "Pee"}});
        tokens.AddContainer("Alpha", "Bare", {2}, {});
    }
    std::shared_ptr<CCertificateItemInfo> Key(const wchar_t* container, DWORD spec) {
        return std::make_shared<CCertificateItemInfo>(frame.Facade(), L"Reader A", container, spec);
    }
    fs::path Folder() const { return fs::path(getenv("XDG_DATA_HOME")) / "vkcert/certstores/MY"; }
    std::vector<fs::path> Files() const {
        std::vector<fs::path> files;
        for (std::error_code e; const auto& entry : fs::directory_iterator(Folder(), e)) {
            files.push_back(entry.path());
        }
        return files;
    }
    // What the node offers: its image, Add and Remove.
    std::string Offers(CCertificateItemInfo& node) {
        return std::to_string(node.GetImage()) +
               (node.IsCommandEnabled(ID_ACTIONS_ADD_TO_STORE) ? " add" : "") +
               (node.IsCommandEnabled(ID_ACTIONS_REMOVE_FROM_STORE) ? " remove" : "");
    }
    std::wstring Message(UINT id, const std::wstring& reason = {}) {
        return FormatString(LoadLangString(id), L"Pee", reason);
    }
    std::wstring Last() const { return ui.Boxes().empty() ? L"" : ui.Boxes().back().text; }
    int Cli(const std::string& action) {
        return vktest::ChildProcess::Exec(
                   {VKCERT_CLI, "store", action, "Reader A\\Plain\\Exchange"})
            .Wait();
    }

    tokentest::TokenTestWorld tokens;
    vktest::ScriptedUi ui;
    StoreFrame frame;
    SVKCERTTREE::CCertTreePtr tree;
};

// The public key's modulus of a certificate, little-endian as a key blob holds it.
Bytes Modulus(const Bytes& der) {
    const unsigned char* p = der.data();
    std::unique_ptr<X509, decltype(&X509_free)> cert(
        d2i_X509(nullptr, &p, static_cast<long>(der.size())), X509_free);
    BIGNUM* n = nullptr;
    EVP_PKEY_get_bn_param(X509_get0_pubkey(cert.get()), OSSL_PKEY_PARAM_RSA_N, &n);
    Bytes out(static_cast<std::size_t>(BN_num_bytes(n)));
    BN_bn2lebinpad(n, out.data(), static_cast<int>(out.size()));
    BN_free(n);
    return out;
}

TEST_F(StoreRegistration, TheStoredKeyLinkLeadsAnotherProgramToTheTokensKey) {
    tree->SetProviderDescriptor({tokentest::kCountingProvider, PROV_RSA_FULL});
    auto node = Key(L"Plain", AT_SIGNATURE);
    const Bytes der = node->GetCertificate();
    node->OnCommand(ID_ACTIONS_ADD_TO_STORE);
    ASSERT_EQ(Last(), Message(IDS_STORE_ADD_SUCCEEDED));

    HCERTSTORE store = CertOpenSystemStoreW(0, L"MY");
    const certtest::ContextPtr copy(CertFindCertificateInStore(
        store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, certtest::Context(der).get(), nullptr));
    CertCloseStore(store, 0);
    ASSERT_NE(copy, nullptr);
    std::vector<std::max_align_t> buffer(64);
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(std::max_align_t));
    ASSERT_TRUE(CertGetCertificateContextProperty(copy.get(), CERT_KEY_PROV_INFO_PROP_ID,
                                                  buffer.data(), &size));
    const auto* info = reinterpret_cast<const CRYPT_KEY_PROV_INFO*>(buffer.data());
    EXPECT_STREQ(info->pwszContainerName, L"Plain") << "the plain name, without the reader";
    EXPECT_STREQ(info->pwszProvName, tokentest::kCountingProvider) << "the tree's descriptor";
    EXPECT_EQ(std::tuple(info->dwProvType, info->dwFlags, info->cProvParam, info->dwKeySpec),
              std::tuple(1u, 0u, 0u, DWORD{AT_SIGNATURE}));
    EXPECT_EQ(info->rgProvParam, nullptr);

    // Another program, the user logged in, reaches the key on the token through it.
    tokens.Login("Reader A");
    HCRYPTPROV prov = 0;
    DWORD spec = 0;
    const int acquired = tokens.Counter().Acquired();
    ASSERT_TRUE(CryptAcquireCertificatePrivateKey(copy.get(), 0, nullptr, &prov, &spec, nullptr));
    EXPECT_EQ(tokens.Counter().Acquired(), acquired + 1);
    HCRYPTKEY key = 0;
    Bytes blob(4096);
    DWORD blobSize = static_cast<DWORD>(blob.size());
    EXPECT_TRUE(CryptGetUserKey(prov, spec, &key) &&
                CryptExportKey(key, 0, PUBLICKEYBLOB, 0, blob.data(), &blobSize));
    CryptDestroyKey(key);
    CryptReleaseContext(prov, 0);
    blob.resize(blobSize);
    EXPECT_EQ(Bytes(blob.begin() + std::min<std::size_t>(20, blobSize), blob.end()), Modulus(der));
}

TEST_F(StoreRegistration, AddAndRemoveTurnImageAndCommandsAndAddingAgainReplacesTheCopy) {
    auto node = Key(L"Plain", AT_KEYEXCHANGE);
    auto bare = Key(L"Bare", AT_SIGNATURE);
    EXPECT_EQ(Offers(*bare), std::to_string(IDI_KEY_NO_CERT));
    bare->OnCommand(ID_ACTIONS_ADD_TO_STORE);
    EXPECT_EQ(Offers(*node), std::to_string(IDI_KEY_CERT) + " add");

    node->OnCommand(ID_ACTIONS_ADD_TO_STORE);
    EXPECT_EQ(frame.Only({"redraw", "toolbar"}),
              (vktest::Log{"redraw Reader A\\Plain\\Exchange", "toolbar"}));
    EXPECT_EQ(ui.Boxes().back().type, UINT{MB_ICONINFORMATION});
    EXPECT_EQ(Offers(*node), std::to_string(IDI_KEY_CERT_REGISTERED) + " remove");
    // Registered again (another program's copy without a key link is replaced the same way).
    SVKCERT::ChangeStoreRegistration(SVKCERT::EStoreChange::Add,
                                     *tree->FindKey(L"Reader A", L"Plain", AT_KEYEXCHANGE),
                                     tree->GetProviderDescriptor(), *frame.Facade(), node.get());
    EXPECT_EQ(Last(), Message(IDS_STORE_ADD_SUCCEEDED));
    EXPECT_EQ(Files().size(), 1u);

    node->OnCommand(ID_ACTIONS_REMOVE_FROM_STORE);
    EXPECT_EQ(Offers(*node), std::to_string(IDI_KEY_CERT) + " add");
    EXPECT_TRUE(Files().empty());
    EXPECT_EQ(Last(), Message(IDS_STORE_REMOVE_SUCCEEDED));
    EXPECT_EQ(ui.Boxes().size(), 3u) << "nothing for the key without certificate";
}

// The window's state of a key stays until the tree is read afresh (as its Refresh does), so the
// other process's change is not seen before; Remove of a certificate gone meanwhile tells why and
// shows the state as it is then.
TEST_F(StoreRegistration, ChangesOfAnotherProcessAreSeenAfterARefreshAndFailuresAreTold) {
    auto node = Key(L"Plain", AT_KEYEXCHANGE);
    EXPECT_EQ(Offers(*node), std::to_string(IDI_KEY_CERT) + " add");
    ASSERT_EQ(Cli("add"), 0);
    EXPECT_EQ(Offers(*node), std::to_string(IDI_KEY_CERT) + " add") << "not read again yet";
    tree->Reset();
    EXPECT_EQ(Offers(*node), std::to_string(IDI_KEY_CERT_REGISTERED) + " remove");

    ASSERT_EQ(Cli("remove"), 0);
    node->OnCommand(ID_ACTIONS_REMOVE_FROM_STORE);
    const std::wstring notFound = SVKCERT::ErrorDescription(CRYPT_E_NOT_FOUND);
    EXPECT_EQ(Last(), Message(IDS_STORE_REMOVE_FAILED, notFound));
    EXPECT_EQ(ui.Boxes().back().type, UINT{MB_ICONERROR});
    EXPECT_EQ(Offers(*node), std::to_string(IDI_KEY_CERT) + " add");

    // A damaged store file is skipped and named; adding writes it whole again.
    node->OnCommand(ID_ACTIONS_ADD_TO_STORE);
    ASSERT_EQ(Files().size(), 1u);
    EXPECT_EQ(Offers(*node), std::to_string(IDI_KEY_CERT_REGISTERED) + " remove");
    const fs::path file = Files()[0];
    fs::resize_file(file, fs::file_size(file) / 2);
    node->OnCommand(ID_ACTIONS_REMOVE_FROM_STORE);
    EXPECT_EQ(Last(), Message(IDS_STORE_REMOVE_FAILED,
                              notFound + L" " +
                                  FormatString(LoadLangString(IDS_STORE_FILE_DAMAGED),
                                               Utf8ToWide(file.string()))));
    EXPECT_EQ(Offers(*node), std::to_string(IDI_KEY_CERT) + " add");
    node->OnCommand(ID_ACTIONS_ADD_TO_STORE);
    EXPECT_EQ(Last(), Message(IDS_STORE_ADD_SUCCEEDED));
    EXPECT_TRUE(SVKCERT::DamagedStoreFileOf(node->GetCertificate()).empty());

    // A store folder that cannot be written (a file holds its place): message 186, no change.
    fs::remove_all(Folder());
    std::ofstream(Folder()) << "not a folder";
    tree->Reset();
    node->OnCommand(ID_ACTIONS_ADD_TO_STORE);
    const std::wstring failed = Message(IDS_STORE_ADD_FAILED, L"\x1");
    EXPECT_TRUE(Last().starts_with(failed.substr(0, failed.find(L'\x1')))) << WideToUtf8(Last());
    EXPECT_GT(Last().size(), failed.size()) << "with the system's description";
    EXPECT_EQ(Offers(*node), std::to_string(IDI_KEY_CERT) + " add");
}

}  // namespace
