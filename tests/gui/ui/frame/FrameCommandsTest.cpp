// Command enabling and the state the frame shows for the selected node: the token panes (the ID
// in eight hex digits) and the two-state tool bar buttons for logged-in and guest tokens, an empty
// reader offering no login, the login state caught up with once the window listens and then cached
// until a broadcast from another process, the Actions menu's store slot, tooltips and prompts, and
// Tab and F6 between the panes. Which command a node enables, and what it does, is the nodes' and
// operations' business.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTreeWidget>

#include "FrameTestWorld.h"
#include "desktop/SessionBus.h"
#include "gui/resources/LangMenuBuilder.h"
#include "gui/ui/frame/CFrameToolBar.h"
#include "gui/ui/frame/CommandTexts.h"
#include "gui/ui/frame/TokenLogin.h"
#include "gui/ui/views/CListPropertyView.h"
#include "gui/ui/views/CTokenInfoViewEx.h"
#include "gui/widgets/CEdit_Ex.h"
#include "gui/widgets/CListWithEditEx.h"
#include "program/token/CKeyInfo.h"
#include "program/tree/CCertTree.h"
#include "support/PersonalStore.h"
#include "support/ScriptedUi.h"

using namespace frametest;

namespace {

constexpr const char* kMiniPin = "1111";

// Puts the key's certificate into the user's personal store.
void Register(const char* reader, const wchar_t* container, DWORD spec) {
    SVKCERTTREE::CCertTreePtr tree;
    CKeyInfo* key = tree->FindKey(W(reader), container, spec);
    ASSERT_NE(key, nullptr);
    vktest::AddToPersonalStore(key->GetCertificate());
    tree->Reset();
}

// The access, token ID and free bytes panes.
std::vector<std::wstring> TokenPanes(FrameWorld& world) {
    return {world.StatusPane(CFrameStatusBar::kAccessPane),
            world.StatusPane(CFrameStatusBar::kTokenIdPane),
            world.StatusPane(CFrameStatusBar::kFreeBytesPane)};
}

// Whether the selected node's context menu enables Login and Logout.
std::pair<bool, bool> PopupLoginLogout(CMainFrame& frame) {
    vktest::ScriptedUi ui;
    EXPECT_TRUE(frame.SelectedNode()->ShowContextMenu(0, 0));
    const auto popups = ui.Popups();
    if (popups.size() != 1) {
        return {};
    }
    const CMenu& menu = popups.front().menu;
    return {menu.FindCommand(ID_ACTIONS_LOGIN)->IsEnabled(),
            menu.FindCommand(ID_ACTIONS_LOGOUT)->IsEnabled()};
}

}  // namespace

VK_TEST_CHILD(login_and_broadcast) {
    int argc = 1;
    char name[] = "child";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    Login(args.at(0).c_str(), args.at(1).c_str());
    BroadcastLoginChange();
    QTest::qWait(300);
    return 0;
}

TEST(FrameCommands, ALoggedInTokenShowsUserTheLogoutButtonAndOneStoreCommandForAKey) {
    FrameWorld world;
    Login(kReader0, "12345678");
    Register(kReader0, L"Petrova-signing", 2);
    CMainFrame& frame = world.Start();
    CFrameToolBar* bar = frame.FrameToolBar();
    for (const std::wstring& path :
         {W(kReader0), W(kReader0) + L"\\Ivanov-2026", W(kReader0) + L"\\Ivanov-2026\\Exchange"}) {
        SCOPED_TRACE(QString::fromStdWString(path).toStdString());
        ASSERT_TRUE(world.Open(path));
        EXPECT_EQ(TokenPanes(world),
                  (std::vector<std::wstring>{L"Access rights: User", L"ID (hex): 1A2B3C4D",
                                             L"Free bytes: 41216"}));
        EXPECT_EQ(bar->ButtonCommand(0), UINT{ID_ACTIONS_LOGOUT});
        EXPECT_EQ(bar->ButtonImage(0), 8);
        EXPECT_TRUE(bar->IsPressed(0));
        EXPECT_TRUE(frame.IsCommandEnabled(ID_ACTIONS_LOGOUT));
        EXPECT_FALSE(frame.IsCommandEnabled(ID_ACTIONS_LOGIN));
        EXPECT_EQ(PopupLoginLogout(frame), std::pair(false, true));
    }
    // The default container: its button shows the pressed "remove default" state.
    const int mark = bar->FindButton(ID_ACTIONS_SET_DEFAULT, ID_ACTIONS_REMOVE_DEFAULT);
    ASSERT_GE(mark, 0);
    world.Open(W(kReader0) + L"\\Ivanov-2026");
    EXPECT_EQ(bar->ButtonCommand(mark), UINT{ID_ACTIONS_REMOVE_DEFAULT});
    EXPECT_TRUE(bar->IsPressed(mark));
    world.Open(W(kReader0) + L"\\Petrova-signing");
    EXPECT_EQ(bar->ButtonCommand(mark), UINT{ID_ACTIONS_SET_DEFAULT});
    EXPECT_FALSE(bar->IsPressed(mark));
    EXPECT_TRUE(frame.IsCommandEnabled(ID_ACTIONS_SET_DEFAULT));
    EXPECT_TRUE(frame.IsCommandEnabled(ID_ACTIONS_IMPORT_CERT));

    // The Actions menu shows one store command for the selected key, as the button does.
    QMenu* actions = frame.TopMenu(2);
    ASSERT_NE(actions, nullptr);
    const int storeButton = bar->FindButton(ID_ACTIONS_ADD_TO_STORE, ID_ACTIONS_REMOVE_FROM_STORE);
    ASSERT_GE(storeButton, 0);
    const struct {
        const wchar_t* key;
        UINT shown;
        bool enabled;
    } cases[] = {
        {L"\\Petrova-signing\\Signature", ID_ACTIONS_REMOVE_FROM_STORE, true},
        {L"\\Ivanov-2026\\Exchange", ID_ACTIONS_ADD_TO_STORE, true},
        // A key without certificate: the slot shows "Add", disabled.
        {L"\\Key without certificate\\Exchange", ID_ACTIONS_ADD_TO_STORE, false},
    };
    qsizetype slot = -1;
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::fromWCharArray(c.key).toStdString());
        ASSERT_TRUE(world.Open(W(kReader0) + c.key));
        emit actions->aboutToShow();
        QAction* item = CLangMenuBuilder::FindAction(actions, c.shown);
        ASSERT_NE(item, nullptr);
        const UINT hidden = c.shown == ID_ACTIONS_ADD_TO_STORE ? ID_ACTIONS_REMOVE_FROM_STORE
                                                               : ID_ACTIONS_ADD_TO_STORE;
        EXPECT_EQ(CLangMenuBuilder::FindAction(actions, hidden), nullptr);
        EXPECT_EQ(item->isEnabled(), c.enabled);
        // The slot stands where the pair stood, between the same separators.
        const qsizetype at = actions->actions().indexOf(item);
        slot = slot < 0 ? at : slot;
        EXPECT_EQ(at, slot);
        EXPECT_EQ(bar->ButtonCommand(storeButton), c.shown);
        EXPECT_EQ(bar->IsPressed(storeButton), c.shown == ID_ACTIONS_REMOVE_FROM_STORE);
    }
}

TEST(FrameCommands, AGuestTokenShowsGuestItsPaddedIdAndTheLoginButton) {
    FrameWorld world;
    CMainFrame& frame = world.Start();
    ASSERT_TRUE(world.Open(W(kReader1)));
    EXPECT_EQ(TokenPanes(world),
              (std::vector<std::wstring>{L"Access rights: Guest", L"ID (hex): 00C0FFEE",
                                         L"Free bytes: 30208"}));
    CFrameToolBar* bar = frame.FrameToolBar();
    EXPECT_EQ(bar->ButtonCommand(0), UINT{ID_ACTIONS_LOGIN});
    EXPECT_EQ(bar->ButtonImage(0), 0);
    EXPECT_FALSE(bar->IsPressed(0));
    EXPECT_TRUE(frame.IsCommandEnabled(ID_ACTIONS_LOGIN));
    EXPECT_FALSE(frame.IsCommandEnabled(ID_ACTIONS_LOGOUT));
    EXPECT_EQ(PopupLoginLogout(frame), std::pair(true, false));
    // Node commands that need a login are off, and so are their tool bar buttons.
    EXPECT_FALSE(frame.IsCommandEnabled(ID_ACTIONS_IMPORT_CERT));
    const int import = bar->FindButton(ID_ACTIONS_IMPORT_CERT, ID_ACTIONS_IMPORT_CERT);
    ASSERT_GE(import, 0);
    QApplication::processEvents();
    EXPECT_FALSE(bar->ButtonAction(import)->isEnabled());

    // An empty reader: its pane shows no token, the status bar no token panes, and nothing offers
    // a login, neither the Actions menu nor the tool bar.
    ASSERT_TRUE(world.Open(W(kReader2)));
    auto* view = dynamic_cast<CTokenInfoViewEx*>(frame.RightViewInterface());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->HeaderText(), "No Velkora's detected.");
    EXPECT_EQ(view->RowCount(), 0);
    EXPECT_FALSE(frame.IsCommandEnabled(ID_ACTIONS_LOGIN));
    EXPECT_FALSE(frame.IsCommandEnabled(ID_ACTIONS_LOGOUT));
    QApplication::processEvents();
    EXPECT_EQ(bar->ButtonCommand(0), UINT{ID_ACTIONS_LOGIN});
    EXPECT_FALSE(bar->ButtonAction(0)->isEnabled());
    EXPECT_EQ(TokenPanes(world), std::vector<std::wstring>(3));

    // Nothing selected: no node command, empty token panes.
    world.Tree()->selectionModel()->clearSelection();
    world.Tree()->setCurrentIndex(QModelIndex());
    ASSERT_FALSE(frame.SelectedNode());
    frame.UpdateStatusPanes();
    EXPECT_EQ(TokenPanes(world), std::vector<std::wstring>(3));
    for (UINT id :
         {ID_ACTIONS_EXPORT_CERT, ID_ACTIONS_IMPORT_CERT, ID_ACTIONS_ADD_TO_STORE,
          ID_ACTIONS_REMOVE_FROM_STORE, ID_ACTIONS_DELETE_CONTAINER, ID_ACTIONS_SET_DEFAULT,
          ID_ACTIONS_REMOVE_DEFAULT, ID_ACTIONS_LOGIN, ID_ACTIONS_LOGOUT}) {
        EXPECT_FALSE(frame.IsCommandEnabled(id)) << id;
    }
    EXPECT_TRUE(frame.IsCommandEnabled(ID_VIEW_REFRESH));
}

TEST(FrameCommands, ALoginBeforeTheWindowListensIsCaughtUpWithThenTheStateIsCachedUntilABroadcast) {
    vktest::SessionBus bus;
    FrameWorld world;
    CMainFrame& frame = world.Start(true);
    ASSERT_EQ(world.TopLevel().size(), 3u) << "the first filling ran";
    // No broadcast: nobody would hear it yet.
    Login(kReader0, "12345678");
    ASSERT_TRUE(world.Open(W(kReader0)));
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kAccessPane), L"Access rights: User");

    // The window listens now: a login without a broadcast is not seen, one from another process is.
    ASSERT_TRUE(world.Open(W(kReader1)));
    Login(kReader1, kMiniPin);
    frame.UpdateStatusPanes();
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kAccessPane), L"Access rights: Guest");
    vktest::ChildProcess child("login_and_broadcast", {kReader1, kMiniPin});
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_TRUE(SpinUntil(
        [&] { return world.StatusPane(CFrameStatusBar::kAccessPane) == L"Access rights: User"; }));
    EXPECT_EQ(frame.FrameToolBar()->ButtonCommand(0), UINT{ID_ACTIONS_LOGOUT});
    EXPECT_TRUE(frame.FrameToolBar()->IsPressed(0));
}

TEST(FrameCommands, TooltipsArePromptsSecondPartsPromptsReachTheStatusBarTabAndF6SwitchPanes) {
    EXPECT_EQ(TooltipPart(L"Prompt\n" + std::wstring(90, L'x')), std::wstring(79, L'x'));
    EXPECT_EQ(TooltipPart(L"Prompt only"), L"");
    EXPECT_EQ(TooltipPart(L"a\nb\nc"), L"b\nc");
    EXPECT_EQ(PromptPart(L"Prompt only"), L"Prompt only");
    EXPECT_EQ(PromptPart(L"Refresh it\nRefresh"), L"Refresh it");
    FrameWorld world;
    CMainFrame& frame = world.Start();
    CFrameToolBar* bar = frame.FrameToolBar();
    for (int index = 0; index < bar->ButtonCount(); ++index) {
        if (const UINT id = bar->ButtonCommand(index); id != 0) {
            const std::wstring tooltip = bar->ButtonAction(index)->toolTip().toStdWString();
            EXPECT_EQ(tooltip, TooltipPart(LoadLangString(id))) << id;
            EXPECT_FALSE(tooltip.empty()) << id;
        }
    }
    // A prompt goes to the message pane; leaving the item gives back "Ready".
    QStatusTipEvent tip(QString::fromStdWString(*CommandPrompt(ID_VIEW_REFRESH)));
    QApplication::sendEvent(&frame, &tip);
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kMessagePane),
              L"Read the list of tokens, containers and keys again");
    QStatusTipEvent leave{QString()};
    QApplication::sendEvent(&frame, &leave);
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kMessagePane), L"Ready");

    // Tab goes from the tree to the list, on to its detail box and back to the tree; F6 both ways.
    ASSERT_TRUE(world.Open(W(kReader0)));
    QWidget* tree = world.Tree();
    QApplication::setActiveWindow(&frame);
    frame.activateWindow();
    tree->setFocus();
    ASSERT_TRUE(SpinUntil([&] { return QApplication::focusWidget() == tree; }, 3000));
    auto* view = dynamic_cast<CListPropertyView*>(frame.RightView());
    ASSERT_NE(view, nullptr);
    QWidget* list = view->List();
    for (const auto& [key, modifier, lands] :
         {std::tuple{Qt::Key_Tab, Qt::NoModifier, list},
          {Qt::Key_Tab, Qt::NoModifier, static_cast<QWidget*>(view->ListWidget()->Edit())},
          {Qt::Key_Tab, Qt::NoModifier, tree},
          {Qt::Key_F6, Qt::NoModifier, list},
          {Qt::Key_F6, Qt::ShiftModifier, tree}}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifier);
        EXPECT_EQ(QApplication::focusWidget(), lands) << key;
    }
}
