// Login and Logout from the main window: the PIN prompt answered or given up, the state the
// window shows afterwards (through its own broadcast), the PIN tries a cancelled prompt leaves,
// and the close that logs out the selected token only. The prompt itself is the desktop tests'.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "FrameTestWorld.h"
#include "gui/ui/frame/CFrameStatusBar.h"
#include "gui/ui/frame/CFrameToolBar.h"
#include "gui/ui/frame/CommandTexts.h"
#include "program/token/LoginState.h"

using namespace frametest;

namespace {

// Acts on the PIN prompt once it is up: types the PIN and presses OK, or gives up.
void AnswerPrompt(const char* pin) {
    auto answer = std::make_shared<std::function<void()>>();
    *answer = [pin, answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            QTimer::singleShot(10, *answer);
            return;
        }
        if (pin == nullptr) {
            dialog->reject();
            return;
        }
        dialog->findChild<QLineEdit*>("pin")->setText(QString::fromLatin1(pin));
        for (auto* button : dialog->findChildren<QPushButton*>()) {
            if (button->text().contains("OK", Qt::CaseInsensitive)) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no OK button";
        dialog->reject();
    };
    QTimer::singleShot(0, *answer);
}

std::string PinTries(const char* label) {
    vktest::ChildProcess show =
        vktest::ChildProcess::Exec({VKTOKEN, "show", label}, /*captureStdout=*/true);
    std::string line;
    while (show.ReadLine(line)) {
        if (line.starts_with("pin-tries")) {
            show.Wait();
            return line;
        }
    }
    show.Wait();
    return {};
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
    SpinFor(300);
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

TEST(FrameLogin, ClosingLogsOutTheSelectedTokenOnly) {
    FrameWorld world;
    world.Start();
    ASSERT_TRUE(world.Open(W(kReader0)));
    AnswerPrompt("12345678");
    world.Frame().OnCommand(ID_ACTIONS_LOGIN);
    ASSERT_TRUE(SpinUntil([&] { return world.Frame().IsCommandEnabled(ID_ACTIONS_LOGOUT); }));
    ASSERT_TRUE(world.Open(W(kReader1)));
    AnswerPrompt("1111");
    world.Frame().OnCommand(ID_ACTIONS_LOGIN);
    ASSERT_TRUE(SpinUntil([&] { return world.Frame().IsCommandEnabled(ID_ACTIONS_LOGOUT); }));

    // A key of the Pro token is selected at close: that token is logged out, the Mini stays.
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
