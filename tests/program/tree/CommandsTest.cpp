// Node commands over a virtual token world: enabling, actions, the right pane a selected node
// fills, context menus. The frame's own enabling and tool bar are tested with the main window.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <ranges>

#include "TreeWorld.h"
#include "program/app/MenuModel.h"
#include "program/tree/CCertificateItemInfo.h"
#include "program/tree/CContainerItemInfo.h"
#include "program/tree/CTokenItemInfo.h"

using namespace STreeItemInfo;
using treetest::Log;
using treetest::NodePtr;

namespace {

constexpr UINT kExport = ID_ACTIONS_EXPORT_CERT, kImport = ID_ACTIONS_IMPORT_CERT,
               kAdd = ID_ACTIONS_ADD_TO_STORE, kRemove = ID_ACTIONS_REMOVE_FROM_STORE,
               kDelete = ID_ACTIONS_DELETE_CONTAINER, kSetDefault = ID_ACTIONS_SET_DEFAULT,
               kUnsetDefault = ID_ACTIONS_REMOVE_DEFAULT;
constexpr UINT kNodeCommands[] = {kExport, kImport, ID_ACTIONS_LOGIN, ID_ACTIONS_LOGOUT, kAdd,
                                  kRemove, kDelete, kSetDefault,      kUnsetDefault};

std::vector<UINT> Enabled(ITreeItemInfo& node) {
    std::vector<UINT> enabled;
    std::ranges::copy_if(kNodeCommands, std::back_inserter(enabled),
                         [&](UINT id) { return node.IsCommandEnabled(id); });
    return enabled;
}

std::vector<UINT> Shown(const CMenu& menu) {
    std::vector<UINT> ids;
    for (const CMenuItem& item : menu.Items()) {
        if (!item.separator) {
            ids.push_back(item.id);
        }
    }
    return ids;
}

bool EnabledIn(const CMenu& menu, UINT id) {
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
    auto Token() { return std::make_shared<CTokenItemInfo>(w.frame.Facade(), r); }
    auto Container(const wchar_t* name) {
        return std::make_shared<CContainerItemInfo>(w.frame.Facade(), r, name);
    }
    auto Key(const wchar_t* c, DWORD spec) {
        return std::make_shared<CCertificateItemInfo>(w.frame.Facade(), r, c, spec);
    }

    const wchar_t* const r = L"Reader A";

    treetest::TreeWorld w;
};

TEST_F(CommandsTest, NodesEnableTheirCommandsAndMenusByLoginCertificateStoreAndDefaultMark) {
    const auto registered = Key(L"Default", 2);
    w.Register(registered->GetCertificate());
    struct Row {
        NodePtr node;
        std::vector<UINT> guest;
        std::vector<UINT> user;
    };
    const Row rows[] = {
        {Token(), {}, {kImport}},
        {Container(L"Default"), {}, {kImport, kDelete, kUnsetDefault}},
        {Container(L"Plain"), {}, {kImport, kDelete, kSetDefault}},
        // Not in the tree: its default mark cannot be read, so neither mark command applies.
        {Container(L"Gone"), {}, {kImport, kDelete}},
        {Key(L"Plain", 1), {kExport, kAdd}, {kExport, kImport, kAdd}},
        {registered, {kExport, kRemove}, {kExport, kImport, kRemove}},
        {Key(L"Bare", 2), {}, {kImport}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Enabled(*row.node), row.guest) << "guest: " << row.node->GetClassName();
    }
    // The token's menu, its import off for a guest.
    w.ui.SetNextMenuChoice(ID_ACTIONS_LOGIN);
    EXPECT_TRUE(Token()->ShowContextMenu(5, 6));
    ASSERT_NE(w.ui.Popups().at(0).menu.FindCommand(kImport), nullptr);
    EXPECT_FALSE(EnabledIn(w.ui.Popups().at(0).menu, kImport));

    LogIn();
    for (const Row& row : rows) {
        EXPECT_EQ(Enabled(*row.node), row.user) << "user: " << row.node->GetClassName();
    }
    // The menus show one item of each pair where the pair stood and route the choice.
    w.ui.SetNextMenuChoice(kUnsetDefault);
    EXPECT_TRUE(Container(L"Default")->ShowContextMenu(10, 20));
    EXPECT_TRUE(Container(L"Plain")->ShowContextMenu(30, 40));
    EXPECT_TRUE(Key(L"Plain", 1)->ShowContextMenu(0, 0));
    EXPECT_TRUE(Key(L"Default", 2)->ShowContextMenu(0, 0));
    EXPECT_TRUE(Key(L"Bare", 2)->ShowContextMenu(0, 0));
    auto popups = w.ui.Popups();
    ASSERT_EQ(popups.size(), 6u);
    popups.erase(popups.begin());
    EXPECT_EQ(std::pair(popups[0].x, popups[0].y), std::pair(10, 20));
    EXPECT_EQ(w.frame.Only({"route"}), (Log{"route " + std::to_string(ID_ACTIONS_LOGIN),
                                            "route " + std::to_string(kUnsetDefault)}));

    // Popup, the item shown, the one hidden, shown enabled; the key without certificate shows
    // the remove item disabled, and no export. Each shown item stands where its pair stood.
    std::ptrdiff_t slot[5] = {};
    for (const auto& [popup, shown, hidden, enabled] :
         {std::tuple{0, kUnsetDefault, kSetDefault, true},
          {1, kSetDefault, kUnsetDefault, true},
          {2, kAdd, kRemove, true},
          {3, kRemove, kAdd, true},
          {4, kRemove, kAdd, false}}) {
        const CMenu& menu = popups[popup].menu;
        const std::vector<UINT> ids = Shown(menu);
        SCOPED_TRACE(popup);
        EXPECT_EQ(std::ranges::count(ids, shown), 1);
        slot[popup] = std::ranges::find(ids, shown) - ids.begin();
        EXPECT_EQ(menu.FindCommand(hidden), nullptr);
        EXPECT_EQ(EnabledIn(menu, shown), enabled);
    }
    EXPECT_FALSE(EnabledIn(popups[4].menu, kExport));
    EXPECT_EQ(std::pair(slot[0], slot[2]), std::pair(slot[1], slot[3]));

    // The token left: nothing applies any more.
    w.tokens.World().Remove("Reader A");
    w.tree->Reset();
    for (const Row& row : rows) {
        EXPECT_TRUE(Enabled(*row.node).empty()) << row.node->GetClassName();
    }
}

TEST_F(CommandsTest, ContainerOperationsAreBracketedByTheirMessages) {
    LogIn();
    auto plain = Container(L"Plain");
    EXPECT_FALSE(plain->IsBold());
    plain->OnCommand(kSetDefault);
    EXPECT_TRUE(plain->IsBold());
    EXPECT_FALSE(Container(L"Default")->IsBold());
    EXPECT_EQ(w.ui.Cursor(), IDC_ARROW) << "the wait cursor went with the operation";
    ASSERT_EQ(w.ui.Boxes().size(), 1u) << "the outcome is told";
    plain->OnCommand(kSetDefault);  // not enabled any more: nothing happens

    plain->OnCommand(kDelete);  // the unattended answer to the question is No
    ASSERT_EQ(w.ui.Boxes().size(), 2u);
    EXPECT_NE(w.tree->FindContainer(L"Reader A", L"Plain"), nullptr);
    w.ui.SetNextAnswer(IDYES);
    plain->OnCommand(kDelete);
    EXPECT_EQ(w.tree->FindContainer(L"Reader A", L"Plain"), nullptr);
    EXPECT_EQ(w.frame.Only({"container"}),
              (Log{"container msg 3", "container msg 4", "container msg 1", "container msg 2"}));
}

TEST_F(CommandsTest, SelectedNodesFillTheRightPaneAndImportStartsTheWizardForPfxFilesOnly) {
    Token()->OnUpdate({kUpdateSelected});
    Token()->OnUpdate({kUpdateDataChanged});  // ignored by a token
    Container(L"Plain")->OnUpdate({kUpdateSelected});
    Container(L"Plain")->OnUpdate({2});
    auto certified = Key(L"Plain", 1);
    certified->OnUpdate({kUpdateDataChanged});
    EXPECT_EQ(w.frame.View()->certificate, certified->GetCertificate());
    const std::string loading = "status Loading key \"(Signature Key, 1024)\" information... wait";
    Key(L"Bare", 2)->OnUpdate({kUpdateSelected});
    EXPECT_EQ(w.frame.events,
              (Log{"status Reading token \"Reader A\" information... wait", "view token",
                   "fill token Alpha", "idle wait", "view container", "fill container Plain",
                   "view certificate", "fill certificate", "view key", loading, "idle wait"}))
        << "a guest reads no key data";
    EXPECT_EQ(w.ui.Cursor(), IDC_ARROW);

    auto token = Token();
    w.ui.SetNextFile(SFileDialogResult{L"/tmp/some.pfx", 1});
    token->OnCommand(kImport);
    EXPECT_TRUE(w.ui.FileRequests().empty()) << "not logged in: nothing is asked";

    LogIn();
    w.frame.events.clear();
    Key(L"Bare", 2)->OnUpdate({kUpdateSelected});
    EXPECT_EQ(w.frame.events,
              (Log{"view key", loading, "key msg 1", "fill key length 1024", "fill key permissions",
                   "fill public key", "key msg 2", "idle wait"}));
    EXPECT_EQ(w.ui.Cursor(), IDC_ARROW);

    token->OnCommand(kImport);
    Container(L"Plain")->OnCommand(kImport);  // cancelled: no wizard
    auto bare = Key(L"Bare", 2);
    w.ui.SetNextFile(SFileDialogResult{L"/tmp/one.cer", 1});
    w.ui.SetNextFile(SFileDialogResult{L"/tmp/two.pfx", 2});
    bare->OnCommand(kImport);
    bare->OnCommand(kImport);

    const auto requests = w.ui.FileRequests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_TRUE(requests[0].open);
    EXPECT_EQ(requests[0].filter, L"Personal information exchange(*.PFX)|*.pfx||");
    EXPECT_EQ(requests[0].defaultExtension, L"pfx");
    // A key also offers certificate files, first.
    EXPECT_EQ(requests[2].filter,
              L"Certificate files(*.CER)|*.cer|Personal information exchange(*.PFX)|*.pfx||");
    EXPECT_EQ(requests[2].defaultExtension, L"cer");
    const std::string wizard = " into Reader A with Orvel Velkora CSP v1.0";
    EXPECT_EQ(w.frame.Only({"pfx"}),
              (Log{"pfx import /tmp/some.pfx" + wizard, "pfx import /tmp/two.pfx" + wizard}));
    // A certificate file that fails the check keeps the dialog open: the key stays without one.
    EXPECT_TRUE(bare->GetCertificate().empty());
}

}  // namespace
