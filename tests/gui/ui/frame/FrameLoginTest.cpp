// Login and Logout from the main window: the PIN prompt answered or given up, the state the
// window shows afterwards (through its own broadcast), the PIN tries a cancelled prompt leaves,
// and the close that logs out the selected token only. The prompt itself is the desktop tests'.
#include <gtest/gtest.h>

#include "FrameTestWorld.h"
#include "desktop/BroadcastReceiver.h"
#include "desktop/RegisteredMessages.h"
#include "desktop/SessionBus.h"
#include "gui/ui/frame/CFrameStatusBar.h"
#include "gui/ui/frame/CFrameToolBar.h"
#include "gui/ui/frame/CommandTexts.h"
#include "gui/ui/frame/LoginLogoutMessage.h"
#include "gui/ui/frame/TokenLogin.h"
#include "platform/errors/WinError.h"
#include "program/token/ErrorText.h"
#include "program/token/LoginState.h"
#include "support/ScriptedUi.h"

using namespace frametest;

namespace {

// The token's "pin-tries" line as vktoken shows it.
std::string PinTries(const char* label) {
    vktest::ChildProcess show = vktest::ChildProcess::Exec({VKTOKEN, "show", label}, true);
    std::string line;
    while (show.ReadLine(line) && !line.starts_with("pin-tries")) {
    }
    show.Wait();
    return line.starts_with("pin-tries") ? line : std::string();
}

// Runs vkcert-cli with the arguments and the text as its standard input; answers its exit code.
int VkcertCli(const std::vector<std::string>& args, const char* input = "") {
    std::vector<std::string> argv{"sh", "-c", "in=$1; shift; printf %s \"$in\" | \"$0\" \"$@\"",
                                  VKCERT_CLI, input};
    argv.insert(argv.end(), args.begin(), args.end());
    return vktest::ChildProcess::Exec(argv).Wait();
}

}  // namespace

TEST(FrameLogin, AGivenUpPromptCostsNoTryThePinLogsInAndLogoutTakesItBack) {
    FrameWorld world;
    CMainFrame& frame = world.Start();
    ASSERT_TRUE(world.Open(W(kReader1)));
    ASSERT_TRUE(frame.IsCommandEnabled(ID_ACTIONS_LOGIN));
    CFrameToolBar* bar = frame.FrameToolBar();
    const std::string triesBefore = PinTries("Velkora Mini Demo");
    ASSERT_FALSE(triesBefore.empty());

    AnswerPrompt(nullptr);
    frame.OnCommand(ID_ACTIONS_LOGIN);
    QTest::qWait(300);
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kAccessPane), L"Access rights: Guest");
    EXPECT_EQ(bar->ButtonCommand(0), UINT{ID_ACTIONS_LOGIN});
    EXPECT_EQ(SVKCERT::ReadLoginState(W(kReader1)), SVKCERT::kLoginGuest);
    EXPECT_EQ(PinTries("Velkora Mini Demo"), triesBefore);

    AnswerPrompt("1111");
    frame.OnCommand(ID_ACTIONS_LOGIN);
    EXPECT_TRUE(SpinUntil(
        [&] { return world.StatusPane(CFrameStatusBar::kAccessPane) == L"Access rights: User"; }));
    EXPECT_EQ(bar->ButtonCommand(0), UINT{ID_ACTIONS_LOGOUT});
    EXPECT_EQ(bar->ButtonAction(0)->toolTip().toStdWString(), CommandTooltip(ID_ACTIONS_LOGOUT));
    EXPECT_TRUE(bar->IsPressed(0));
    EXPECT_EQ(SVKCERT::ReadLoginState(W(kReader1)), SVKCERT::kLoginUser);

    // The tool bar's button now runs Logout.
    bar->ButtonAction(0)->trigger();
    EXPECT_TRUE(SpinUntil(
        [&] { return world.StatusPane(CFrameStatusBar::kAccessPane) == L"Access rights: Guest"; }));
    EXPECT_EQ(bar->ButtonCommand(0), UINT{ID_ACTIONS_LOGIN});
    EXPECT_EQ(bar->ButtonAction(0)->toolTip().toStdWString(), CommandTooltip(ID_ACTIONS_LOGIN));
    EXPECT_EQ(SVKCERT::ReadLoginState(W(kReader1)), SVKCERT::kLoginGuest);
}

// Logins and logouts of vkcert-cli processes reach the open window by their broadcast on the bus.
TEST(FrameLogin, ACommandLineLoginAndLogoutShowInTheWindow) {
    vktest::SessionBus bus;
    FrameWorld world;
    world.Start();
    ASSERT_TRUE(world.Open(W(kReader0)));
    EXPECT_EQ(world.StatusPane(CFrameStatusBar::kAccessPane), L"Access rights: Guest");
    ASSERT_EQ(VkcertCli({"login", kReader0, "--pin-stdin"}, "12345678\n"), 0);
    EXPECT_TRUE(SpinUntil(
        [&] { return world.StatusPane(CFrameStatusBar::kAccessPane) == L"Access rights: User"; }));
    ASSERT_EQ(VkcertCli({"logout", kReader0}), 0);
    EXPECT_TRUE(SpinUntil(
        [&] { return world.StatusPane(CFrameStatusBar::kAccessPane) == L"Access rights: Guest"; }));
}

TEST(FrameLogin, ClosingLogsOutTheSelectedTokenOnly) {
    FrameWorld world;
    Login(kReader0, "12345678");
    Login(kReader1, "1111");
    // A key of the Pro token is selected at close: that token is logged out, the Mini stays.
    world.Start();
    ASSERT_TRUE(world.Open(W(kReader0) + L"\\Ivanov-2026\\Exchange"));
    world.Close();
    EXPECT_EQ(SVKCERT::ReadLoginState(W(kReader0)), SVKCERT::kLoginGuest);
    EXPECT_EQ(SVKCERT::ReadLoginState(W(kReader1)), SVKCERT::kLoginUser);

    // Nothing logged in is selected: nothing is logged out.
    world.Start();
    ASSERT_TRUE(world.Open(W(kReader0)));
    world.Close();
    EXPECT_EQ(SVKCERT::ReadLoginState(W(kReader1)), SVKCERT::kLoginUser);
}

TEST(FrameLogin, ATokenTakenOutBeforeThePinIsHandedOverFailsTheLoginShownAndNotBroadcast) {
    FrameWorld world;
    vktest::ScriptedUi ui;
    CBroadcastReceiver receiver(RegisterWindowMessageW(kLoginLogoutMessageName));
    int heard = 0;
    QObject::connect(&receiver, &CBroadcastReceiver::Received, [&heard] { ++heard; });
    // The token leaves its reader as the prompt closes, before the PIN is handed over.
    auto hook = std::make_shared<std::function<void()>>();
    *hook = [hook] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            QTimer::singleShot(5, *hook);
        } else {
            QObject::connect(dialog, &QDialog::finished, [] {
                EXPECT_EQ(Vktoken({"remove", kReader1}), 0);
            });
        }
    };
    QTimer::singleShot(0, *hook);
    AnswerPrompt("1111");
    EXPECT_FALSE(LoginToken(nullptr, W(kReader1)));
    QTest::qWait(300);
    EXPECT_EQ(heard, 0);
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].text, SVKCERT::ErrorDescription(SCARD_E_NO_SMARTCARD));
}
