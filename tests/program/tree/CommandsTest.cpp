// Node commands over a virtual token world: which commands apply for guest, user and
// administrator, what the commands do (container operations with their messages, PFX import
// through the file dialog and the frame), and the context menus with one item of each pair of
// alternatives and the chosen command routed through the frame.
#include <gtest/gtest.h>

#include <algorithm>

#include "TreeWorld.h"
#include "program/app/MenuModel.h"
#include "platform/cert/CertApi.h"
#include "program/token/CTokenInfo.h"
#include "program/token/LoginState.h"
#include "program/tree/CCertificateItemInfo.h"
#include "program/tree/CContainerItemInfo.h"
#include "program/tree/CTokenItemInfo.h"
#include "program/tree/NodeCommandRules.h"

using namespace STreeItemInfo;
using treetest::Log;

namespace {

constexpr UINT kAllNodeCommands[] = {190, 205, 32775, 32779, 32785, 32794, 32796};

std::vector<UINT> Ids(const CMenu& menu) {
    std::vector<UINT> ids;
    for (const CMenuItem& item : menu.Items()) {
        if (!item.separator) {
            ids.push_back(item.id);
        }
    }
    return ids;
}

bool Enabled(const CMenu& menu, UINT id) {
    const CMenuItem* item = menu.FindCommand(id);
    return item != nullptr && item->IsEnabled();
}

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        w.tokens.AddReader("Reader A");
        w.tokens.MakeToken("Alpha", {}, "Reader A");
        w.tokens.AddContainer("Alpha", "Default", {1, 2}, {{"CN", "Dee"}}, true);
        w.tokens.AddContainer("Alpha", "Plain", {1}, {{"CN", "Pee"}});
        w.tokens.AddContainer("Alpha", "Bare", {2}, {});
    }

    void LogIn() {
        w.tokens.Login("Reader A");
        w.tree->Reset();
    }

    std::vector<UINT> EnabledCommands(ITreeItemInfo& node) {
        std::vector<UINT> enabled;
        for (UINT id : kAllNodeCommands) {
            if (node.IsCommandEnabled(id)) {
                enabled.push_back(id);
            }
        }
        return enabled;
    }

    std::shared_ptr<CCertificateItemInfo> Key(const wchar_t* container, DWORD spec) {
        return std::make_shared<CCertificateItemInfo>(w.frame.Facade(), L"Reader A", container,
                                                      spec);
    }

    treetest::TreeWorld w;
};

TEST(CommandRulesTest, AnAdministratorGetsNoCommandAndAGuestOnlyCertificateOnes) {
    const CKeyFacts guest{SVKCERT::kLoginGuest, true, false};
    const CKeyFacts user{SVKCERT::kLoginUser, true, true};
    const CKeyFacts admin{SVKCERT::kLoginAdmin, true, false};
    for (UINT id : kAllNodeCommands) {
        EXPECT_FALSE(IsTokenCommandEnabled(id, SVKCERT::kLoginAdmin)) << id;
        EXPECT_FALSE(IsContainerCommandEnabled(id, SVKCERT::kLoginAdmin, false)) << id;
        EXPECT_FALSE(IsContainerCommandEnabled(id, SVKCERT::kLoginAdmin, true)) << id;
        EXPECT_FALSE(IsKeyCommandEnabled(id, admin)) << id;
        EXPECT_FALSE(IsTokenCommandEnabled(id, SVKCERT::kLoginGuest)) << id;
        EXPECT_FALSE(IsContainerCommandEnabled(id, SVKCERT::kLoginGuest, false)) << id;
    }
    EXPECT_TRUE(IsKeyCommandEnabled(190, guest));
    EXPECT_TRUE(IsKeyCommandEnabled(32775, guest));
    EXPECT_FALSE(IsKeyCommandEnabled(32779, guest));
    EXPECT_FALSE(IsKeyCommandEnabled(205, guest));

    EXPECT_TRUE(IsTokenCommandEnabled(205, SVKCERT::kLoginUser));
    EXPECT_FALSE(IsTokenCommandEnabled(32785, SVKCERT::kLoginUser));
    EXPECT_TRUE(IsKeyCommandEnabled(205, user));
    EXPECT_TRUE(IsKeyCommandEnabled(32779, user));
    EXPECT_FALSE(IsKeyCommandEnabled(32775, user));
    EXPECT_FALSE(IsKeyCommandEnabled(205, CKeyFacts{SVKCERT::kLoginNotRead, false, false}));

    // A container whose default mark cannot be read offers neither mark command.
    EXPECT_TRUE(IsContainerCommandEnabled(32785, SVKCERT::kLoginUser, std::nullopt));
    EXPECT_FALSE(IsContainerCommandEnabled(32794, SVKCERT::kLoginUser, std::nullopt));
    EXPECT_FALSE(IsContainerCommandEnabled(32796, SVKCERT::kLoginUser, std::nullopt));
    EXPECT_TRUE(IsContainerCommandEnabled(32794, SVKCERT::kLoginUser, false));
    EXPECT_TRUE(IsContainerCommandEnabled(32796, SVKCERT::kLoginUser, true));
    EXPECT_FALSE(IsContainerCommandEnabled(32796, SVKCERT::kLoginUser, false));
}

TEST_F(CommandsTest, GuestAndUserEnableWhatTheirNodesAllow) {
    CTokenItemInfo token(w.frame.Facade(), L"Reader A");
    CContainerItemInfo defaults(w.frame.Facade(), L"Reader A", L"Default");
    CContainerItemInfo plain(w.frame.Facade(), L"Reader A", L"Plain");
    auto certified = Key(L"Plain", 1);
    auto bare = Key(L"Bare", 2);

    EXPECT_TRUE(EnabledCommands(token).empty());
    EXPECT_TRUE(EnabledCommands(defaults).empty());
    EXPECT_EQ(EnabledCommands(*certified), (std::vector<UINT>{190, 32775}));
    EXPECT_TRUE(EnabledCommands(*bare).empty());

    LogIn();
    EXPECT_EQ(EnabledCommands(token), (std::vector<UINT>{205}));
    EXPECT_EQ(EnabledCommands(defaults), (std::vector<UINT>{205, 32785, 32796}));
    EXPECT_EQ(EnabledCommands(plain), (std::vector<UINT>{205, 32785, 32794}));
    EXPECT_EQ(EnabledCommands(*certified), (std::vector<UINT>{190, 205, 32775}));
    EXPECT_EQ(EnabledCommands(*bare), (std::vector<UINT>{205})) << "only import, only logged in";

    // The token left: nothing applies any more.
    w.tokens.World().Remove("Reader A");
    w.tree->Reset();
    EXPECT_TRUE(EnabledCommands(token).empty());
    EXPECT_TRUE(EnabledCommands(defaults).empty());
    EXPECT_TRUE(EnabledCommands(*certified).empty());
}

TEST_F(CommandsTest, SettingTheDefaultMarkIsBracketedByItsMessages) {
    LogIn();
    auto plain = std::make_shared<CContainerItemInfo>(w.frame.Facade(), L"Reader A", L"Plain");
    EXPECT_FALSE(plain->IsBold());
    plain->OnCommand(32794);
    EXPECT_TRUE(plain->IsBold());
    EXPECT_FALSE(CContainerItemInfo(w.frame.Facade(), L"Reader A", L"Default").IsBold());
    const Log& log = w.frame.Events();
    const auto start = std::find(log.begin(), log.end(), "container msg 3");
    const auto end = std::find(log.begin(), log.end(), "container msg 4");
    ASSERT_NE(start, log.end());
    ASSERT_NE(end, log.end());
    EXPECT_LT(start, end);
    EXPECT_EQ(w.ui.Cursor(), IDC_ARROW) << "the wait cursor went with the operation";
    EXPECT_FALSE(w.ui.Boxes().empty()) << "the outcome is told";

    // Not enabled any more: the same command does nothing.
    w.frame.Events().clear();
    plain->OnCommand(32794);
    EXPECT_TRUE(w.frame.Events().empty());
}

TEST_F(CommandsTest, DeletingAContainerAsksFirstAndTellsTheTree) {
    LogIn();
    auto plain = std::make_shared<CContainerItemInfo>(w.frame.Facade(), L"Reader A", L"Plain");
    plain->OnCommand(32785);  // the unattended answer is No
    ASSERT_EQ(w.ui.Boxes().size(), 1u);
    EXPECT_NE(w.tree->FindContainer(L"Reader A", L"Plain"), nullptr);

    w.ui.SetNextAnswer(IDYES);
    plain->OnCommand(32785);
    EXPECT_EQ(w.tree->FindContainer(L"Reader A", L"Plain"), nullptr);
    const Log& log = w.frame.Events();
    EXPECT_NE(std::find(log.begin(), log.end(), "container msg 1"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "container msg 2"), log.end());
}

TEST_F(CommandsTest, ImportingIntoATokenAsksForAPfxFileAndStartsTheWizard) {
    CTokenItemInfo token(w.frame.Facade(), L"Reader A");
    w.ui.SetNextFile(SFileDialogResult{L"/tmp/some.pfx", 1});
    token.OnCommand(205);
    EXPECT_TRUE(w.ui.FileRequests().empty()) << "not logged in: nothing is asked";

    LogIn();
    token.OnCommand(205);
    ASSERT_EQ(w.ui.FileRequests().size(), 1u);
    const SFileDialogRequest request = w.ui.FileRequests()[0];
    EXPECT_TRUE(request.open);
    EXPECT_EQ(request.title, L"Import certfiticate from file ...");
    EXPECT_EQ(request.filter, L"Personal information exchange(*.PFX)|*.pfx||");
    EXPECT_EQ(request.defaultExtension, L"pfx");
    EXPECT_EQ(w.frame.Events(),
              (Log{"pfx import /tmp/some.pfx into Reader A with Orvel Velkora CSP v1.0"}));

    // Cancelled: no wizard.
    w.frame.Events().clear();
    CContainerItemInfo container(w.frame.Facade(), L"Reader A", L"Plain");
    container.OnCommand(205);
    EXPECT_EQ(w.ui.FileRequests().size(), 2u);
    EXPECT_TRUE(w.frame.Events().empty());
}

TEST_F(CommandsTest, ImportingOntoAKeyOffersCertificatesAndPfxFiles) {
    LogIn();
    auto bare = Key(L"Bare", 2);
    w.ui.SetNextFile(SFileDialogResult{L"/tmp/one.cer", 1});
    w.ui.SetNextFile(SFileDialogResult{L"/tmp/two.pfx", 2});
    bare->OnCommand(205);
    bare->OnCommand(205);
    ASSERT_EQ(w.ui.FileRequests().size(), 2u);
    EXPECT_EQ(w.ui.FileRequests()[0].filter,
              L"Certificate files(*.CER)|*.cer|Personal information exchange(*.PFX)|*.pfx||");
    EXPECT_EQ(w.ui.FileRequests()[0].defaultExtension, L"cer");
    EXPECT_EQ(w.frame.Events(),
              (Log{"pfx import /tmp/two.pfx into Reader A with Orvel Velkora CSP v1.0"}));
    // A certificate file is not assigned by the node itself: the key stays without one.
    EXPECT_TRUE(bare->GetCertificate().empty());
}

TEST_F(CommandsTest, SelectingNodesFillsTheRightPane) {
    CTokenItemInfo token(w.frame.Facade(), L"Reader A");
    token.OnUpdate({kUpdateSelected});
    token.OnUpdate({kUpdateDataChanged});  // ignored by a token
    EXPECT_EQ(w.frame.Events(), (Log{"status Reading token \"Reader A\" information... wait",
                                     "view token", "fill token Alpha", "idle wait"}));
    EXPECT_EQ(w.ui.Cursor(), IDC_ARROW);

    w.frame.Events().clear();
    CContainerItemInfo container(w.frame.Facade(), L"Reader A", L"Plain");
    container.OnUpdate({kUpdateSelected});
    container.OnUpdate({2});
    EXPECT_EQ(w.frame.Events(), (Log{"view container", "fill container Plain"}));

    w.frame.Events().clear();
    auto certified = Key(L"Plain", 1);
    certified->OnUpdate({kUpdateDataChanged});
    EXPECT_EQ(w.frame.Events(), (Log{"view certificate", "fill certificate"}));
    EXPECT_EQ(w.frame.View()->m_certificate, certified->GetCertificate());
}

TEST_F(CommandsTest, AKeyWithoutCertificateIsReadOnlyWhileLoggedIn) {
    auto bare = Key(L"Bare", 2);
    bare->OnUpdate({kUpdateSelected});
    EXPECT_EQ(w.frame.Events(),
              (Log{"view key", "status Loading key \"(Signature Key, 1024)\" information... wait",
                   "idle wait"}));

    LogIn();
    w.frame.Events().clear();
    bare->OnUpdate({kUpdateSelected});
    EXPECT_EQ(w.frame.Events(),
              (Log{"view key", "status Loading key \"(Signature Key, 1024)\" information... wait",
                   "key msg 1", "fill key length 1024", "fill key permissions", "fill public key",
                   "key msg 2", "idle wait"}));
    EXPECT_EQ(w.ui.Cursor(), IDC_ARROW);
}

TEST_F(CommandsTest, ContainerMenusShowOneOfTheDefaultMarkItems) {
    LogIn();
    CContainerItemInfo defaults(w.frame.Facade(), L"Reader A", L"Default");
    CContainerItemInfo plain(w.frame.Facade(), L"Reader A", L"Plain");
    w.ui.SetNextMenuChoice(32796);
    EXPECT_TRUE(defaults.ShowContextMenu(10, 20));
    EXPECT_TRUE(plain.ShowContextMenu(30, 40));
    const auto popups = w.ui.Popups();
    ASSERT_EQ(popups.size(), 2u);
    EXPECT_EQ(popups[0].x, 10);
    EXPECT_EQ(popups[0].y, 20);

    const std::vector<UINT> shownForDefault = Ids(popups[0].menu);
    const std::vector<UINT> shownForPlain = Ids(popups[1].menu);
    EXPECT_EQ(std::count(shownForDefault.begin(), shownForDefault.end(), 32796u), 1);
    EXPECT_EQ(std::count(shownForDefault.begin(), shownForDefault.end(), 32794u), 0);
    EXPECT_EQ(std::count(shownForPlain.begin(), shownForPlain.end(), 32794u), 1);
    EXPECT_EQ(std::count(shownForPlain.begin(), shownForPlain.end(), 32796u), 0);
    // The one item stands where the first of the pair stood.
    const auto slot = [](const std::vector<UINT>& ids, UINT id) {
        return std::find(ids.begin(), ids.end(), id) - ids.begin();
    };
    EXPECT_EQ(slot(shownForDefault, 32796), slot(shownForPlain, 32794));
    EXPECT_EQ(shownForDefault.size(), shownForPlain.size());
    EXPECT_EQ(popups[0].menu.FindCommand(32796)->text, L"Re&move \"default container\" state");
    EXPECT_TRUE(Enabled(popups[0].menu, 32796));
    EXPECT_EQ(w.frame.Events().back(), "route 32796");
}

TEST_F(CommandsTest, KeyMenusShowTheStoreItemThatApplies) {
    auto certified = Key(L"Plain", 1);
    auto bare = Key(L"Bare", 2);
    EXPECT_TRUE(certified->ShowContextMenu(0, 0));
    EXPECT_TRUE(bare->ShowContextMenu(0, 0));

    // Registered: the remove item.
    HCERTSTORE store = CertOpenSystemStoreW(0, L"MY");
    ASSERT_NE(store, nullptr);
    const std::vector<BYTE> der = certified->GetCertificate();
    ASSERT_TRUE(CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                                 der.data(), static_cast<DWORD>(der.size()),
                                                 CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    CertCloseStore(store, 0);
    w.tree->Reset();
    EXPECT_TRUE(certified->ShowContextMenu(0, 0));

    const auto popups = w.ui.Popups();
    ASSERT_EQ(popups.size(), 3u);
    EXPECT_TRUE(Enabled(popups[0].menu, 32775));
    EXPECT_EQ(popups[0].menu.FindCommand(32779), nullptr);
    // Without certificate: the remove item, disabled.
    EXPECT_EQ(popups[1].menu.FindCommand(32775), nullptr);
    ASSERT_NE(popups[1].menu.FindCommand(32779), nullptr);
    EXPECT_FALSE(Enabled(popups[1].menu, 32779));
    EXPECT_FALSE(Enabled(popups[1].menu, 190));
    EXPECT_EQ(popups[2].menu.FindCommand(32775), nullptr);
    ASSERT_NE(popups[2].menu.FindCommand(32779), nullptr);
    EXPECT_EQ(popups[2].menu.FindCommand(32779)->text,
              L"&Remove certifcate from certificate store");
    EXPECT_TRUE(Enabled(popups[2].menu, 32779));
    EXPECT_TRUE(std::none_of(w.frame.Events().begin(), w.frame.Events().end(),
                             [](const std::string& e) { return e.rfind("route", 0) == 0; }))
        << "nothing chosen, nothing routed";
}

TEST_F(CommandsTest, TheTokenMenuHoldsImportLoginAndLogout) {
    CTokenItemInfo token(w.frame.Facade(), L"Reader A");
    w.ui.SetNextMenuChoice(214);
    EXPECT_TRUE(token.ShowContextMenu(5, 6));
    const auto popups = w.ui.Popups();
    ASSERT_EQ(popups.size(), 1u);
    const CMenu& menu = popups[0].menu;
    EXPECT_NE(menu.FindCommand(205), nullptr);
    EXPECT_NE(menu.FindCommand(214), nullptr);
    EXPECT_NE(menu.FindCommand(215), nullptr);
    EXPECT_FALSE(Enabled(menu, 205)) << "not logged in";
    EXPECT_EQ(w.frame.Events(), (Log{"route 214"}));
}

}  // namespace
