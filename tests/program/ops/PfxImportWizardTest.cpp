// The PFX import wizard over a virtual token, with PFX files that openssl, certtool, pk12util and
// keytool made, answered page by page by the scripted UI: what lands on the token, the way back
// from a wrong password, the refusals, and that no software key set outlives a run. How the
// window shows the pages is left to the wizard page tests of the GUI.
#include <openssl/evp.h>  // before CertApi.h: X509_NAME

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "PfxFixtures.h"
#include "TokenTestWorld.h"
#include "platform/crypto/CryptApi.h"
#include "platform/crypto/ProviderRegistry.h"
#include "platform/crypto/SoftwareKeyStore.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/FormatString.h"
#include "platform/text/Utf.h"
#include "program/app/LangResource.h"
#include "program/core/sdp/COwnedReceiver.h"
#include "program/token/CKeyInfo.h"
#include "program/token/CTokenInfo.h"
#include "program/token/ErrorText.h"
#include "program/tree/CCertTree.h"
#include "program/tree/CTreeMessageHub.h"
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

constexpr auto* Id = &vktest::ScriptedUi::PageMark;
constexpr auto* Progress = &vktest::ScriptedUi::ProgressMark;

// The trail of a run that ends on a page with the message.
Trail Ended(UINT lastMessage) {
    return {Id(IDS_PFX_IMPORT_PASSWORD_TEXT), Progress(IDS_PFX_UNPACKING), Id(lastMessage)};
}
const Trail kSucceeded = {Id(IDS_PFX_IMPORT_PASSWORD_TEXT), Progress(IDS_PFX_UNPACKING), "0",
                          Progress(IDS_PFX_IMPORTING), Id(IDS_PFX_IMPORT_SUCCEEDED)};

class PfxImportWizard : public ::testing::Test {
protected:
    PfxImportWizard() : workshop(tokens.World().Root() / "pfx") {
        tokens.AddReader(kReader);
        tokens.MakeToken("Target", {}, kReader);
        tokens.Login(kReader);
        frame.Hub().tokenLevelUpdateNeeded.Attach(updates);
        updates.SetOwner(this);
    }
    ~PfxImportWizard() override { updates.SetOwner(nullptr); }

    void Run(const fs::path& file) {
        STreeItemInfo::RunPfxImportWizard(*frame.Facade(), {}, file.wstring(), kReaderW);
    }
    static Answer EndWith(int endCode) {
        Answer answer;
        answer.endCode = endCode;
        return answer;
    }
    static Answer Password(const std::string& password) {
        Answer answer;
        answer.texts[IDC_PASSWORD] = Utf8ToWide(password);
        return answer;
    }
    static Answer Container(const std::wstring& name, bool exportable = false) {
        Answer answer;
        answer.texts[IDC_CONTAINER_NAME] = name;
        answer.checks[IDC_ENABLE_EXPORT] = exportable;
        return answer;
    }
    // Answers every page of a run that goes through.
    void AnswerThrough(const std::string& password, const std::wstring& container,
                       bool exportable = false) {
        ui.SetNextPage(Password(password));
        ui.SetNextPage(Container(container, exportable));
        ui.SetNextPage(Answer{});
    }
    std::vector<std::wstring> Containers() {
        CTokenInfo* token = tree->FindToken(kReaderW);
        token->Refresh();
        return tokentest::ContainerNames(*token);
    }
    // The certificate stored with the container's key; empty without one.
    std::vector<BYTE> CertificateOf(const std::wstring& container) {
        CKeyInfo* key = tree->FindKey(kReaderW, container, AT_KEYEXCHANGE);
        return key != nullptr ? key->GetCertificate() : std::vector<BYTE>{};
    }
    bool Exportable(const std::wstring& container) {
        CKeyInfo* key = tree->FindKey(kReaderW, container, AT_KEYEXCHANGE);
        return key != nullptr && (key->GetPermissions() & CRYPT_EXPORT) != 0;
    }
    static bool NoSoftwareKeySets() {
        return vk::crypto::SoftwareKeyStore::Instance().Names().empty();
    }

public:
    void OnMessage(const STreeItemInfo::CTokenLevelUpdateNeededMsg& msg) {
        tokenUpdates.push_back(msg.readerName);
    }

protected:
    tokentest::TokenTestWorld tokens;
    vktest::ScriptedUi ui;
    vktest::FakeFrame frame;
    SVKCERTTREE::CCertTreePtr tree;
    pfxtest::Workshop workshop;
    SDP::SOBSERVER::COwnedReceiver<PfxImportWizard, STreeItemInfo::CTokenLevelUpdateNeededMsg,
                                   STreeItemInfo::CTreeThreadModel>
        updates;
    std::vector<std::wstring> tokenUpdates;
};

TEST_F(PfxImportWizard, EveryProducersFileLandsInANewContainerWithTheExportFlagAsChosen) {
    std::vector<pfxtest::PfxCase> cases = {
        workshop.Openssl("openssl-aes", pfxtest::kCyrillic),
        workshop.Openssl("openssl-legacy", pfxtest::kLong32, {"-legacy"}),
        workshop.Openssl("openssl-empty", ""),
        workshop.Certtool("certtool", pfxtest::kCyrillic),
        workshop.Pk12util("pk12util", pfxtest::kLong32),
        workshop.OpensslChain("chain"),
    };
    for (const auto& keytool : pfxtest::KeytoolCases()) {
        if (keytool.label == "keytool-one-key" || keytool.label == "keytool-legacy") {
            cases.push_back(keytool);
        }
    }
    bool exportable = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::wstring name = Utf8ToWide(c.label);
        exportable = !exportable;
        AnswerThrough(c.password, name, exportable);
        const auto pagesBefore = ui.PageTrail().size();
        Run(c.file);
        const Trail trail = ui.PageTrail();
        EXPECT_EQ(Trail(trail.begin() + static_cast<long>(pagesBefore), trail.end()), kSucceeded);
        // The certificate that has its key in the file, and only that one.
        std::vector<BYTE> expected;
        for (const auto& [cert, key] : c.contents) {
            if (!key.empty()) {
                expected = pfxtest::CertDer(cert);
            }
        }
        if (c.contents.empty()) {  // keytool's: one certificate with its key
            EXPECT_FALSE(CertificateOf(name).empty());
        } else {
            EXPECT_EQ(CertificateOf(name), expected);
        }
        EXPECT_EQ(Exportable(name), exportable);
        EXPECT_TRUE(NoSoftwareKeySets());
        EXPECT_EQ(ui.PageRequests().back().values.texts.at(IDC_IMP_SUCCESS_TEXT),
                  FormatString(LoadLangString(IDS_PFX_IMPORT_SUCCEEDED), c.file.wstring(), name));
    }
    EXPECT_EQ(tokenUpdates, std::vector<std::wstring>(cases.size(), kReaderW));
}

TEST_F(PfxImportWizard, FilesWithoutExactlyOneKeyDamagedOrUnreadableEndOnTheirMessage) {
    const auto twoKeys = pfxtest::KeytoolCases();
    const fs::path dir = tokens.World().Root();
    pfxtest::WriteBytes(dir / "junk.pfx", std::vector<unsigned char>(300, 0x30));
    const auto certsOnly = workshop.OpensslCertsOnly("certs-only", "pw");
    struct Case {
        fs::path file;
        std::string password;
        UINT message;
    };
    std::vector<Case> cases = {{certsOnly.file, "pw", IDS_PFX_NO_CERTIFICATE},
                               {dir / "junk.pfx", "pw", IDS_PFX_PARSE_FAILED},
                               {workshop.leafCert, "pw", IDS_PFX_PARSE_FAILED}};
    for (const auto& keytool : twoKeys) {
        if (keytool.label == "keytool-two-keys") {
            cases.push_back({keytool.file, keytool.password, IDS_PFX_NO_CERTIFICATE});
        }
    }
    ASSERT_EQ(cases.size(), 4U);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.string());
        const auto before = ui.PageTrail().size();
        ui.SetNextPage(Password(c.password));
        ui.SetNextPage(Answer{});
        Run(c.file);
        const Trail trail = ui.PageTrail();
        EXPECT_EQ(Trail(trail.begin() + static_cast<long>(before), trail.end()), Ended(c.message));
        EXPECT_FALSE(ui.PageRequests().back().enabled.contains(IDC_BACK));
        EXPECT_TRUE(NoSoftwareKeySets());
    }
    // A file that cannot be read ends before any page asks for a password.
    for (const fs::path& unreadable : {dir / "missing.pfx", dir}) {
        const auto before = ui.PageTrail().size();
        Run(unreadable);
        const Trail trail = ui.PageTrail();
        EXPECT_EQ(Trail(trail.begin() + static_cast<long>(before), trail.end()),
                  Trail{Id(IDS_PFX_READ_FAILED)});
    }
    EXPECT_TRUE(Containers().empty());
    EXPECT_TRUE(tokenUpdates.empty());
}

TEST_F(PfxImportWizard, AWrongPasswordGoesBackAndTheRightOneGoesOnWithoutReadingTheFileAgain) {
    const auto file = workshop.Openssl("openssl", pfxtest::kLong32);
    ui.SetNextPage(Password("wrong"));
    ui.SetNextPage(EndWith(kWizardBack));
    // The 33rd character is refused with the limit message; the first 32 stay.
    ui.SetNextPage(Password(pfxtest::kLong32 + "X"));
    ui.SetNextPage(Container(L"after wrong"));
    ui.SetNextPage(Answer{});
    ui.SetWhilePageShown([&](const SWizardPageRequest& page) {
        if (page.messageId == IDS_PFX_WRONG_PASSWORD) {
            fs::remove(file.file);
        }
    });
    Run(file.file);
    EXPECT_EQ(ui.PageTrail(), (Trail{Id(IDS_PFX_IMPORT_PASSWORD_TEXT), Progress(IDS_PFX_UNPACKING),
                                     Id(IDS_PFX_WRONG_PASSWORD), Id(IDS_PFX_IMPORT_PASSWORD_TEXT),
                                     Progress(IDS_PFX_UNPACKING), "0", Progress(IDS_PFX_IMPORTING),
                                     Id(IDS_PFX_IMPORT_SUCCEEDED)}));
    const auto pages = ui.PageRequests();
    EXPECT_TRUE(pages[1].enabled.contains(IDC_BACK));
    EXPECT_TRUE(pages[2].values.texts.at(IDC_PASSWORD).empty());
    ASSERT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].text, FormatString(LoadLangString(IDS_PFX_PASSWORD_TOO_LONG), 32));
    EXPECT_EQ(CertificateOf(L"after wrong"), pfxtest::CertDer(workshop.leafCert));
}

TEST_F(PfxImportWizard, CancelWritesNothingAndAnEmptyContainerNameIsRefused) {
    const auto file = workshop.Openssl("openssl", "pw");
    ui.SetNextPage(EndWith(IDCANCEL));
    Run(file.file);
    ui.SetNextPage(Password("pw"));
    ui.SetNextPage(Container(L""));
    ui.SetNextPage(EndWith(IDCANCEL));
    Run(file.file);
    EXPECT_EQ(ui.Boxes().size(), 1U);
    EXPECT_EQ(ui.Boxes()[0].text, LoadLangString(IDS_PFX_EMPTY_CONTAINER_NAME));
    EXPECT_TRUE(Containers().empty());
    EXPECT_TRUE(NoSoftwareKeySets());
    EXPECT_TRUE(tokenUpdates.empty());

    // The container page offers a fresh unique name each time, and another on its button.
    const auto pages = ui.PageRequests();
    const std::wstring offered = pages.back().values.texts.at(IDC_CONTAINER_NAME);
    EXPECT_EQ(offered.size(), 36U);
    SWizardPageValues values = pages.back().values;
    pages.back().onButton(IDC_UNIQUE_NAME, values);
    EXPECT_NE(values.texts.at(IDC_CONTAINER_NAME), offered);
    EXPECT_FALSE(pages.back().values.checks.at(IDC_ENABLE_EXPORT));
}

TEST_F(PfxImportWizard, ATokenTakenOutOnTheContainerPageEndsOnTheImportFailureWithNothingWritten) {
    const auto file = workshop.Openssl("openssl", "pw");
    AnswerThrough("pw", L"gone", false);
    ui.SetWhilePageShown([&](const SWizardPageRequest& page) {
        if (page.templateId == IDD_PFX_IMPORT_CONTAINER) {
            tokens.World().Remove(kReader);
        }
    });
    Run(file.file);
    ASSERT_EQ(ui.PageRequests().back().messageId, IDS_PFX_IMPORT_FAILED);
    EXPECT_EQ(tokenUpdates, std::vector<std::wstring>{kReaderW});
    ui.SetWhilePageShown({});
    tokens.World().Insert(kReader, "Target");
    EXPECT_TRUE(Containers().empty());
    EXPECT_TRUE(NoSoftwareKeySets());
}

// The token's provider, except that its contexts refuse every key import.
class RefusingProvider final : public vk::crypto::ICryptProvider {
    class Context final : public vk::crypto::IProviderContext {
    public:
        explicit Context(std::shared_ptr<vk::crypto::IProviderContext> inner)
            : m_inner(std::move(inner)) {}
        BOOL GetParam(DWORD param, BYTE* data, DWORD* dataLen, DWORD flags) override {
            return m_inner->GetParam(param, data, dataLen, flags);
        }
        BOOL SetParam(DWORD param, const BYTE* data, DWORD flags) override {
            return m_inner->SetParam(param, data, flags);
        }
        std::shared_ptr<vk::crypto::IProviderKey> GetUserKey(DWORD keySpec) override {
            return m_inner->GetUserKey(keySpec);
        }
        std::shared_ptr<vk::crypto::IProviderKey> GenKey(ALG_ID alg, DWORD flags) override {
            return m_inner->GenKey(alg, flags);
        }
        std::shared_ptr<vk::crypto::IProviderKey> ImportKey(const BYTE*, DWORD, DWORD) override {
            SetLastError(NTE_BAD_DATA);
            return nullptr;
        }

    private:
        std::shared_ptr<vk::crypto::IProviderContext> m_inner;
    };

public:
    std::shared_ptr<vk::crypto::IProviderContext> Acquire(const wchar_t* container,
                                                          DWORD flags) override {
        auto inner = m_inner->Acquire(container, flags);
        return inner ? std::make_shared<Context>(std::move(inner)) : nullptr;
    }
    BOOL DeleteKeySet(const wchar_t* container, DWORD flags) override {
        return m_inner->DeleteKeySet(container, flags);
    }

private:
    std::shared_ptr<vk::crypto::ICryptProvider> m_inner =
        vk::crypto::ProviderRegistry::Instance().Find(SVKCERT::kVelkoraProviderName, PROV_RSA_FULL);
};

TEST_F(PfxImportWizard, AFailedImportTakesOutItsContainerButNeverOneThatWasThere) {
    const auto file = workshop.Openssl("openssl", "pw");
    const SVKCERT::CProviderDescriptor refusing{L"Refusing Velkora CSP", PROV_RSA_FULL};
    vk::crypto::ProviderRegistry::Instance().Register(refusing.name, PROV_RSA_FULL,
                                                      std::make_shared<RefusingProvider>());
    AnswerThrough("pw", L"refused", false);
    STreeItemInfo::RunPfxImportWizard(*frame.Facade(), refusing, file.file.wstring(), kReaderW);
    vk::crypto::ProviderRegistry::Instance().Unregister(refusing.name);
    const auto pages = ui.PageRequests();
    ASSERT_EQ(pages.back().messageId, IDS_PFX_IMPORT_FAILED);
    EXPECT_NE(pages.back()
                  .values.texts.at(IDC_IMP_ERROR_TEXT)
                  .find(SVKCERT::ErrorDescription(NTE_BAD_DATA)),
              std::wstring::npos);
    EXPECT_TRUE(Containers().empty());

    // A name that is taken ends on the same page; the container that had it keeps its key.
    tokens.AddContainer("Target", "taken");
    ASSERT_EQ(Containers(), std::vector<std::wstring>{L"taken"});
    const std::vector<BYTE> before = CertificateOf(L"taken");
    AnswerThrough("pw", L"taken", false);
    Run(file.file);
    EXPECT_EQ(ui.PageRequests().back().messageId, IDS_PFX_IMPORT_FAILED);
    EXPECT_EQ(Containers(), std::vector<std::wstring>{L"taken"});
    EXPECT_EQ(CertificateOf(L"taken"), before);
    EXPECT_FALSE(before.empty());
}

}  // namespace
