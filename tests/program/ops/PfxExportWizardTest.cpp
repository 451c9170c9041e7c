// The PFX export wizard over a virtual token whose keys came in through the PFX import wizard,
// answered page by page by the scripted UI: every file it writes opens in openssl, keytool,
// certtool and pk12util with the same certificate and key; a key that may not be exported, a
// token not logged in or taken out, and a folder that cannot be written end on the error page
// with the old file intact; no software key set outlives a run. How the window shows the pages
// is left to the wizard page tests of the GUI.
#include <openssl/evp.h>  // before CertApi.h: X509_NAME
#include <openssl/pkcs12.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "PfxFixtures.h"
#include "TokenTestWorld.h"
#include "platform/crypto/SoftwareKeyStore.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"
#include "program/token/CKeyInfo.h"
#include "program/token/ErrorText.h"
#include "program/tree/CCertTree.h"
#include "program/tree/PfxExportCommand.h"
#include "program/tree/PfxImportCommand.h"
#include "res/resource.h"
#include "support/FakeFrame.h"
#include "support/ScriptedUi.h"

namespace {

namespace fs = std::filesystem;
using Answer = vktest::ScriptedUi::PageAnswer;
using Trail = std::vector<std::string>;

constexpr const char* kReader = "Reader A";
constexpr const wchar_t* kReaderW = L"Reader A";
constexpr const wchar_t* kName = L"Тест Один";

constexpr auto* Id = &vktest::ScriptedUi::PageMark;
constexpr auto* Progress = &vktest::ScriptedUi::ProgressMark;
const Trail kWritten = {Progress(IDS_LOADING_TOKEN_INFO), Id(IDS_PFX_EXPORT_PASSWORD_TEXT),
                        Id(IDS_PFX_EXPORT_SUCCEEDED)};

std::string Contents(const fs::path& file) {
    const auto bytes = pfxtest::ReadBytes(file);
    return {bytes.begin(), bytes.end()};
}

class PfxExportWizard : public ::testing::Test {
protected:
    PfxExportWizard() : dir(tokens.World().Root()), workshop(dir / "pfx") {
        tokens.AddReader(kReader);
        tokens.MakeToken("Source", {}, kReader);
        tokens.Login(kReader);
        Import(L"exportable", true);
        Import(L"kept", false);
    }

    // The workshop's leaf and its key into a new container, through the import wizard.
    void Import(const std::wstring& container, bool exportable) {
        const auto file = workshop.Openssl("source", "pw");
        ui.SetNextPage(Password("pw"));
        Answer page;
        page.texts[IDC_CONTAINER_NAME] = container;
        page.checks[IDC_ENABLE_EXPORT] = exportable;
        ui.SetNextPage(page);
        ui.SetNextPage(Answer{});
        STreeItemInfo::RunPfxImportWizard(*frame.Facade(), {}, file.file.wstring(), kReaderW);
        ASSERT_EQ(ui.PageRequests().back().messageId, IDS_PFX_IMPORT_SUCCEEDED);
    }
    static Answer Password(const std::string& password, const std::string& confirmation) {
        Answer answer;
        answer.texts[IDC_PASSWORD] = Utf8ToWide(password);
        answer.texts[IDC_CONFIRM_PASSWORD] = Utf8ToWide(confirmation);
        return answer;
    }
    static Answer Password(const std::string& password) { return Password(password, password); }

    // Runs the export of the container's key; the trail of its pages.
    Trail Export(const std::wstring& container, const fs::path& file) {
        const auto before = ui.PageTrail().size();
        STreeItemInfo::RunPfxExportWizard(*frame.Facade(), file.wstring(), kReaderW, container,
                                          AT_KEYEXCHANGE, kName);
        const Trail trail = ui.PageTrail();
        return Trail(trail.begin() + static_cast<long>(before), trail.end());
    }
    static bool NoSoftwareKeySets() {
        return vk::crypto::SoftwareKeyStore::Instance().Names().empty();
    }

    tokentest::TokenTestWorld tokens;
    vktest::ScriptedUi ui;
    vktest::FakeFrame frame;
    SVKCERTTREE::CCertTreePtr tree;
    fs::path dir;
    pfxtest::Workshop workshop;
};

TEST_F(PfxExportWizard, EveryFileOpensInTheOtherToolsWithTheSameCertificateAndKey) {
    int n = 0;
    for (const std::string& password :
         {std::string("ascii pass"), pfxtest::kCyrillic, pfxtest::kLong32}) {
        SCOPED_TRACE(password);
        const fs::path file = dir / ("out" + std::to_string(++n) + ".pfx");
        ui.SetNextPage(Password(password));
        ui.SetNextPage(Answer{});
        EXPECT_EQ(Export(L"exportable", file), kWritten);
        EXPECT_EQ(pfxtest::CheckWithOtherTools(file, password, workshop.leafCert, workshop.leafKey,
                                               dir / "check"),
                  "");
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600U);
        EXPECT_TRUE(NoSoftwareKeySets());
    }
    // The key display name is the certificate's friendly name.
    const auto bytes = pfxtest::ReadBytes(dir / "out1.pfx");
    const unsigned char* p = bytes.data();
    PKCS12* p12 = d2i_PKCS12(nullptr, &p, static_cast<long>(bytes.size()));
    ASSERT_NE(p12, nullptr);
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    ASSERT_EQ(PKCS12_parse(p12, "ascii pass", &key, &cert, nullptr), 1);
    const unsigned char* alias = X509_alias_get0(cert, nullptr);
    EXPECT_EQ(alias != nullptr ? std::string(reinterpret_cast<const char*>(alias)) : "",
              WideToUtf8(kName));
    EVP_PKEY_free(key);
    X509_free(cert);
    PKCS12_free(p12);
}

TEST_F(PfxExportWizard, TheFileGoesBackOntoATokenThroughTheImportWizard) {
    const fs::path file = dir / "round.pfx";
    ui.SetNextPage(Password(pfxtest::kCyrillic));
    ui.SetNextPage(Answer{});
    ASSERT_EQ(Export(L"exportable", file), kWritten);
    tokens.AddReader("Reader B");
    tokens.MakeToken("Target", {}, "Reader B");
    tokens.Login("Reader B");
    tree->Reset();
    ui.SetNextPage(Password(pfxtest::kCyrillic));
    Answer container;
    container.texts[IDC_CONTAINER_NAME] = L"back";
    ui.SetNextPage(container);
    ui.SetNextPage(Answer{});
    STreeItemInfo::RunPfxImportWizard(*frame.Facade(), {}, file.wstring(), L"Reader B");
    EXPECT_EQ(ui.PageRequests().back().messageId, IDS_PFX_IMPORT_SUCCEEDED);
    CKeyInfo* key = tree->FindKey(L"Reader B", L"back", AT_KEYEXCHANGE);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->GetCertificate(), pfxtest::CertDer(workshop.leafCert));
}

TEST_F(PfxExportWizard, NextNeedsEqualPasswordsAndTheLimitCutsTheTextAt32) {
    SWizardPageRequest page;
    ui.SetWhilePageShown([&](const SWizardPageRequest& request) {
        if (request.templateId == IDD_PFX_EXPORT_PASSWORD) {
            page = request;
        }
    });
    ui.SetNextPage(Password(pfxtest::kLong32 + "x", pfxtest::kLong32 + "y"));
    ui.SetNextPage(Answer{});
    const fs::path file = dir / "long.pfx";
    EXPECT_EQ(Export(L"exportable", file), kWritten);
    ASSERT_EQ(ui.Boxes().size(), 2U);  // one for each entry
    EXPECT_EQ(pfxtest::CheckWithOtherTools(file, pfxtest::kLong32, workshop.leafCert,
                                           workshop.leafKey, dir / "check"),
              "");
    ASSERT_TRUE(page.forwardEnabled);
    const auto enabled = [&](const wchar_t* password, const wchar_t* confirmation) {
        SWizardPageValues values = page.values;
        values.texts[IDC_PASSWORD] = password;
        values.texts[IDC_CONFIRM_PASSWORD] = confirmation;
        return page.forwardEnabled(values);
    };
    EXPECT_TRUE(enabled(L"Secret", L"Secret"));
    EXPECT_FALSE(enabled(L"Secret", L"secret"));
    EXPECT_FALSE(enabled(L"Secret", L"Secre"));
    EXPECT_FALSE(enabled(L"", L""));
}

TEST_F(PfxExportWizard, FailuresEndOnTheErrorPageAndLeaveTheOldFile) {
    const fs::path file = dir / "old.pfx";
    pfxtest::WriteBytes(file, {'o', 'l', 'd'});
    struct Case {
        const char* what;
        std::function<void()> before;
        std::wstring container;
        UINT message;
        DWORD error;
    };
    const std::vector<Case> cases = {
        {"a key that may not be exported", [] {}, L"kept", IDS_PFX_LOAD_KEY_FAILED,
         NTE_BAD_KEY_STATE},
        {"a token not logged in", [&] { tokens.Logout(kReader); }, L"exportable",
         IDS_PFX_LOAD_KEY_FAILED, 0},
        {"a token taken out while its key is read",
         [&] {
             tokens.Login(kReader);
             ui.SetWhenProgressShown(
                 [&](const SWizardPageRequest&) { tokens.World().Remove(kReader); });
         },
         L"exportable", IDS_PFX_LOAD_KEY_FAILED, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.before();
        ui.SetNextPage(Answer{});
        EXPECT_EQ(Export(c.container, file),
                  (Trail{Progress(IDS_LOADING_TOKEN_INFO), Id(IDS_PFX_LOAD_KEY_FAILED)}));
        const SWizardPageRequest last = ui.PageRequests().back();
        EXPECT_NE(last.errorCode, 0U);
        if (c.error != 0) {
            EXPECT_EQ(last.errorCode, c.error);
        }
        EXPECT_NE(last.values.texts.at(IDC_EXP_ERROR_TEXT)
                      .find(SVKCERT::ErrorDescription(last.errorCode)),
                  std::wstring::npos);
        EXPECT_EQ(Contents(file), "old");
    }
    ui.SetWhenProgressShown({});
    tokens.World().Insert(kReader, "Source");
    tokens.Login(kReader);

    // A folder that is not there: the packing worked, the writing fails.
    ui.SetNextPage(Password("pw"));
    ui.SetNextPage(Answer{});
    EXPECT_EQ(Export(L"exportable", dir / "missing" / "new.pfx"),
              (Trail{Progress(IDS_LOADING_TOKEN_INFO), Id(IDS_PFX_EXPORT_PASSWORD_TEXT),
                     Id(IDS_PFX_EXPORT_FAILED)}));
    EXPECT_FALSE(fs::exists(dir / "missing"));
    // Cancel writes nothing.
    Answer cancel;
    cancel.endCode = IDCANCEL;
    ui.SetNextPage(cancel);
    Export(L"exportable", file);
    EXPECT_EQ(Contents(file), "old");
    EXPECT_TRUE(NoSoftwareKeySets());
}

}  // namespace
