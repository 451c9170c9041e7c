// Command enabling and the state the frame shows for the selected node: the token panes and the
// two-state tool bar buttons for logged-in and guest tokens, the login broadcast from this and
// another process, the Actions menu's store slot, tooltips and prompts, and Tab and F6 between
// the panes. What each node command does is the nodes' and operations' business.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTest>

#include "FrameTestWorld.h"
#include "gui/resources/LangMenuBuilder.h"
#include "platform/cert/CertApi.h"
#include "platform/crypto/CryptApi.h"
#include "desktop/MessageBroadcast.h"
#include "desktop/RegisteredMessages.h"
#include "desktop/SessionBus.h"
#include "platform/token/VelkoraProvider.h"
#include "program/token/CKeyInfo.h"
#include "program/tree/CCertTree.h"
#include "gui/ui/frame/CFrameStatusBar.h"
#include "gui/ui/frame/CFrameToolBar.h"
#include "gui/ui/frame/CommandTexts.h"
#include "gui/ui/frame/LoginLogoutMessage.h"

using namespace frametest;

namespace {

constexpr UINT kCmdLogin = 214;
constexpr UINT kCmdLogout = 215;
constexpr UINT kCmdImport = 205;
constexpr UINT kCmdAddToStore = 32775;
constexpr UINT kCmdRemoveFromStore = 32779;
constexpr UINT kCmdSetDefault = 32794;
constexpr UINT kCmdRemoveDefault = 32796;
constexpr const char* kMiniPin = "1111";

// Logs the user of the token in the reader in (a null PIN logs out) at the token's provider.
bool Login(const char* reader, const char* pin) {
    HCRYPTPROV prov = 0;
    if (!CryptAcquireContextW(&prov, nullptr, vkstore::kVelkoraProviderName, PROV_RSA_FULL,
                              CRYPT_VERIFYCONTEXT)) {
        return false;
    }
    CryptSetProvParam(prov, 0x10007, reinterpret_cast<const BYTE*>(reader), 0);
    const BOOL ok =
        CryptSetProvParam(prov, PP_KEYEXCHANGE_PIN, reinterpret_cast<const BYTE*>(pin), 0);
    CryptReleaseContext(prov, 0);
    return ok != FALSE;
}

void Broadcast() {
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(kLoginLogoutMessageName), 0, 0);
}

// Puts the key's certificate into the user's personal store.
void Register(const char* reader, const wchar_t* container, DWORD spec) {
    SVKCERTTREE::CCertTreePtr tree;
    CKeyInfo* key = tree->FindKey(W(reader), container, spec);
    ASSERT_NE(key, nullptr);
    const std::vector<BYTE> der = key->GetCertificate();
    ASSERT_FALSE(der.empty());
    HCERTSTORE store = CertOpenSystemStoreW(0, L"MY");
    ASSERT_NE(store, nullptr);
    EXPECT_TRUE(CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(),
                                                 static_cast<DWORD>(der.size()),
                                                 CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    CertCloseStore(store, 0);
    tree->Reset();
}

std::vector<std::wstring> MenuTexts(QMenu* menu) {
    std::vector<std::wstring> texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) {
            texts.push_back(action->text().toStdWString());
        }
    }
    return texts;
}

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

}  // namespace

VK_TEST_CHILD(login_and_broadcast) {
    int argc = 1;
    char name[] = "child";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    if (!Login(args.at(0).c_str(), args.at(1).c_str())) {
        return 2;
    }
    Broadcast();
    SpinFor(300);
    return 0;
}

TEST(FrameCommands, ALoggedInTokenShowsUserAndThePressedLogoutButtonOnEveryNodeOfIt) {
    FrameWorld world;
    ASSERT_TRUE(Login(kReader0, "12345678"));
    CMainFrame& frame = world.Start();
    CFrameToolBar* bar = frame.FrameToolBar();

    for (const std::wstring& path :
         {W(kReader0), W(kReader0) + L"\\Ivanov-2026", W(kReader0) + L"\\Ivanov-2026\\Exchange"}) {
        SCOPED_TRACE(QString::fromStdWString(path).toStdString());
        ASSERT_TRUE(world.Open(path));
        EXPECT_EQ(world.StatusPane(CFrameStatusBar::kAccessPane), L"Access rights: User");
        EXPECT_EQ(world.StatusPane(CFrameStatusBar::kTokenIdPane), L"ID (hex): 1A2B3C4D");
        EXPECT_EQ(world.StatusPane(CFrameStatusBar::kFreeBytesPane), L"Free bytes: 41216");
        EXPECT_EQ(bar->ButtonCommand(0), kCmdLogout);
        EXPECT_EQ(bar->ButtonImage(0), 8);
        EXPECT_TRUE(bar->IsPressed(0));
        EXPECT_TRUE(frame.IsCommandEnabled(kCmdLogout));
        EXPECT_FALSE(frame.IsCommandEnabled(kCmdLogin));
    }
    // The default container: its button shows the pressed "remove default" state.
    const int mark = bar->FindButton(kCmdSetDefault, kCmdRemoveDefault);
    ASSERT_GE(mark, 0);
    world.Open(W(kReader0) + L"\\Ivanov-2026");
    EXPECT_EQ(bar->ButtonCommand(mark), kCmdRemoveDefault);
    EXPECT_TRUE(bar->IsPressed(mark));
    world.Open(W(kReader0) + L"\\Petrova-signing");
    EXPECT_EQ(bar->ButtonCommand(mark), kCmdSetDefault);
    EXPECT_FALSE(bar->IsPressed(mark));
    EXPECT_TRUE(frame.IsCommandEnabled(kCmdSetDefault));
    EXPECT_TRUE(frame.IsCommandEnabled(kCmdImport));
}

TEST(FrameCommands, AGuestTokenShowsGuestAndTheLoginButton) {
    FrameWorld world;
    CMainFrame& frame = world.Start();
    ASSERT_TRUE(world.Open(W(kReader1)));
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kAccessPane), L"Access rights: Guest");
    EXPECT_EQ(frame.FrameToolBar()->ButtonCommand(0), kCmdLogin);
    EXPECT_EQ(frame.FrameToolBar()->ButtonImage(0), 0);
    EXPECT_FALSE(frame.FrameToolBar()->IsPressed(0));
    EXPECT_TRUE(frame.IsCommandEnabled(kCmdLogin));
    EXPECT_FALSE(frame.IsCommandEnabled(kCmdLogout));
    // Node commands that need a login are off, and so are their tool bar buttons.
    EXPECT_FALSE(frame.IsCommandEnabled(kCmdImport));
    const int import = frame.FrameToolBar()->FindButton(kCmdImport, kCmdImport);
    ASSERT_GE(import, 0);
    QApplication::processEvents();
    EXPECT_FALSE(frame.FrameToolBar()->ButtonAction(import)->isEnabled());
}

TEST(FrameCommands, WithoutASelectionNodeCommandsAndTheTokenPanesAreEmpty) {
    FrameWorld world;
    CMainFrame& frame = world.Start();
    world.Tree()->selectionModel()->clearSelection();
    world.Tree()->setCurrentIndex(QModelIndex());
    ASSERT_FALSE(frame.SelectedNode());
    frame.UpdateStatusPanes();
    for (int pane : {0, 1, 2}) {
        EXPECT_TRUE(world.StatusPane(pane).empty());
    }
    for (UINT id : {190u, 205u, 32775u, 32779u, 32785u, 32794u, 32796u, 214u, 215u}) {
        EXPECT_FALSE(frame.IsCommandEnabled(id)) << id;
    }
    EXPECT_TRUE(frame.IsCommandEnabled(137));
}

TEST(FrameCommands, ALoginBroadcastInThisProcessRereadsTheLoginState) {
    FrameWorld world;
    CMainFrame& frame = world.Start();
    ASSERT_TRUE(world.Open(W(kReader1)));
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kAccessPane), L"Access rights: Guest");
    ASSERT_TRUE(Login(kReader1, kMiniPin));
    // Cached until somebody says the state changed.
    frame.UpdateStatusPanes();
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kAccessPane), L"Access rights: Guest");
    Broadcast();
    EXPECT_TRUE(SpinUntil([&] { return frame.FrameToolBar()->ButtonCommand(0) == kCmdLogout; }));
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kAccessPane), L"Access rights: User");
    EXPECT_TRUE(frame.FrameToolBar()->IsPressed(0));
}

TEST(FrameCommands, ALoginBroadcastFromAnotherProcessReachesTheWindow) {
    vktest::SessionBus bus;
    FrameWorld world;
    CMainFrame& frame = world.Start();
    ASSERT_TRUE(world.Open(W(kReader1)));
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kAccessPane), L"Access rights: Guest");
    vktest::ChildProcess child("login_and_broadcast", {kReader1, kMiniPin});
    EXPECT_EQ(child.Wait(), 0);
    EXPECT_TRUE(SpinUntil(
        [&] { return world.StatusPane(CFrameStatusBar::kAccessPane) == L"Access rights: User"; }));
    EXPECT_EQ(frame.FrameToolBar()->ButtonCommand(0), kCmdLogout);
}

TEST(FrameCommands, ALoginBeforeTheWindowListensIsCaughtUpWith) {
    FrameWorld world;
    world.StartUntilTheFirstFilling();
    ASSERT_EQ(world.TopLevel().size(), 3u) << "the first filling ran";
    // No broadcast: nobody would hear it yet.
    ASSERT_TRUE(Login(kReader1, kMiniPin));
    ASSERT_TRUE(world.Open(W(kReader1)));
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kAccessPane), L"Access rights: User");
}

TEST(FrameCommands, TheActionsMenuShowsOneStoreCommandForTheSelectedKey) {
    FrameWorld world;
    Register(kReader0, L"Petrova-signing", 2);
    CMainFrame& frame = world.Start();
    QMenu* actions = frame.TopMenu(2);
    ASSERT_NE(actions, nullptr);
    const std::wstring add = L"&Add certificate to certificate store";
    const std::wstring remove = L"&Remove certifcate from certificate store";
    const int storeButton = frame.FrameToolBar()->FindButton(kCmdAddToStore, kCmdRemoveFromStore);
    ASSERT_GE(storeButton, 0);

    ASSERT_TRUE(world.Open(W(kReader0) + L"\\Petrova-signing\\Signature"));
    emit actions->aboutToShow();
    std::vector<std::wstring> texts = MenuTexts(actions);
    EXPECT_TRUE(Contains(texts, remove));
    EXPECT_FALSE(Contains(texts, add));
    QAction* item = CLangMenuBuilder::FindAction(actions, kCmdRemoveFromStore);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());
    EXPECT_EQ(frame.FrameToolBar()->ButtonCommand(storeButton), kCmdRemoveFromStore);
    EXPECT_TRUE(frame.FrameToolBar()->IsPressed(storeButton));

    // The slot stands where the pair stood, between the same separators.
    const int slot = static_cast<int>(actions->actions().indexOf(item));

    ASSERT_TRUE(world.Open(W(kReader0) + L"\\Ivanov-2026\\Exchange"));
    emit actions->aboutToShow();
    texts = MenuTexts(actions);
    EXPECT_TRUE(Contains(texts, add));
    EXPECT_FALSE(Contains(texts, remove));
    item = CLangMenuBuilder::FindAction(actions, kCmdAddToStore);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(actions->actions().indexOf(item), slot);
    EXPECT_TRUE(item->isEnabled());
    EXPECT_EQ(frame.FrameToolBar()->ButtonCommand(storeButton), kCmdAddToStore);
    EXPECT_FALSE(frame.FrameToolBar()->IsPressed(storeButton));

    // A key without certificate: the slot shows "Add", disabled.
    ASSERT_TRUE(world.Open(W(kReader0) + L"\\Key without certificate\\Exchange"));
    emit actions->aboutToShow();
    item = CLangMenuBuilder::FindAction(actions, kCmdAddToStore);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isEnabled());
    EXPECT_EQ(CLangMenuBuilder::FindAction(actions, kCmdRemoveFromStore), nullptr);
}

TEST(FrameCommands, TooltipsArePromptsSecondPartsCutTo79Characters) {
    const std::wstring long90(90, L'x');
    EXPECT_EQ(TooltipPart(L"Prompt\n" + long90), std::wstring(79, L'x'));
    EXPECT_EQ(TooltipPart(L"Prompt\n" + std::wstring(79, L'y')), std::wstring(79, L'y'));
    EXPECT_EQ(TooltipPart(L"Prompt\n" + std::wstring(80, L'z')), std::wstring(79, L'z'));
    EXPECT_EQ(TooltipPart(L"Prompt only"), L"");
    EXPECT_EQ(TooltipPart(L"Prompt\n"), L"");
    EXPECT_EQ(TooltipPart(L"a\nb\nc"), L"b\nc");
    EXPECT_EQ(PromptPart(L"Prompt only"), L"Prompt only");
    EXPECT_EQ(PromptPart(L"Refresh it\nRefresh"), L"Refresh it");
    EXPECT_TRUE(CommandTooltip(0).empty());

    FrameWorld world;
    CMainFrame& frame = world.Start();
    CFrameToolBar* bar = frame.FrameToolBar();
    int buttons = 0;
    for (int index = 0; index < bar->ButtonCount(); ++index) {
        const UINT id = bar->ButtonCommand(index);
        if (id == 0) {
            continue;
        }
        ++buttons;
        const std::wstring text = LoadLangString(id);
        const std::wstring tooltip = bar->ButtonAction(index)->toolTip().toStdWString();
        EXPECT_EQ(tooltip, TooltipPart(text)) << id;
        EXPECT_FALSE(tooltip.empty()) << id;
        EXPECT_LE(tooltip.size(), 79u);
    }
    EXPECT_EQ(buttons, 8);
    // A prompt goes to the message pane; leaving the item gives back "Ready".
    QStatusTipEvent tip(QString::fromStdWString(*CommandPrompt(137)));
    QApplication::sendEvent(&frame, &tip);
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kMessagePane),
              L"Read the list of tokens, containers and keys again");
    QStatusTipEvent leave{QString()};
    QApplication::sendEvent(&frame, &leave);
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kMessagePane), L"Ready");
}

TEST(FrameCommands, TabAndF6MoveTheKeyboardBetweenThePanes) {
    FrameWorld world;
    CMainFrame& frame = world.Start();
    ASSERT_TRUE(world.Open(W(kReader0)));
    QApplication::setActiveWindow(&frame);
    frame.activateWindow();
    world.Tree()->setFocus();
    ASSERT_TRUE(SpinUntil([&] { return QApplication::focusWidget() == world.Tree(); }, 3000));

    auto inRight = [&] {
        for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget()) {
            if (w == frame.RightView()) {
                return true;
            }
        }
        return false;
    };
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(inRight());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), world.Tree());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_TRUE(inRight());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), world.Tree());
}
