// The three container commands: the question and messages they show (text, caption, icon), the
// operation codes the window hears around them, and what they do to the token, on success and
// on failure. The message brackets themselves come with the tree.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "TokenTestWorld.h"
#include "program/app/UiLanguage.h"
#include "platform/errors/ErrorDescription.h"
#include "platform/errors/WinError.h"
#include "support/ScriptedUi.h"
#include "program/token/CTokenInfo.h"
#include "program/ops/ContainerCommands.h"

namespace {

constexpr const wchar_t* kCaption = L"Velkora Certificates Browser";

class RecordingHook : public SVKCERT::IContainerOperationHook {
public:
    void OnOperationStart(int code, const std::wstring& statusText) override {
        events.emplace_back(code, statusText);
    }
    void OnOperationEnd(int code) override { events.emplace_back(code, L""); }
    std::vector<std::pair<int, std::wstring>> events;
};

class ContainerCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_world.AddReader("Reader A");
        m_world.MakeToken("Alpha", {}, "Reader A");
        m_world.AddContainer("Alpha", "one");
        m_world.AddContainer("Alpha", "two");
    }

    std::vector<std::wstring> Names() {
        std::vector<std::wstring> names;
        for (const auto& container : m_token.GetContainers()) {
            names.push_back(container->GetName());
        }
        return names;
    }

    tokentest::TokenTestWorld m_world;
    CTokenInfo m_token{L"Reader A", {}};
    vktest::ScriptedUi m_ui;
    RecordingHook m_hook;
};

using Events = std::vector<std::pair<int, std::wstring>>;

}  // namespace

TEST_F(ContainerCommandsTest, DeleteAsksFirstAndDeletesOnlyOnYes) {
    m_world.Login("Reader A");
    m_ui.SetNextAnswer(IDNO);
    SVKCERT::DeleteContainerCommand(&m_token, L"two", &m_hook);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text,
              L"Do you really want to remove \"two\" container with its contents?");
    EXPECT_EQ(m_ui.Boxes()[0].caption, kCaption);
    EXPECT_EQ(m_ui.Boxes()[0].type, 0x24u);
    EXPECT_TRUE(m_hook.events.empty());
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"one", L"two"}));

    m_ui.SetNextAnswer(IDYES);
    SVKCERT::DeleteContainerCommand(&m_token, L"two", &m_hook);
    EXPECT_EQ(m_hook.events, (Events{{1, L"Removing \"two\" container..."}, {2, L""}}));
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"one"});
    EXPECT_EQ(m_ui.Boxes().size(), 2u) << "no message after the deletion";

    // Without a token information object nothing is done after the question.
    m_ui.SetNextAnswer(IDYES);
    SVKCERT::DeleteContainerCommand(nullptr, L"one", &m_hook);
    EXPECT_EQ(m_ui.Boxes().size(), 3u);
    EXPECT_EQ(m_hook.events.size(), 2u);
}

TEST_F(ContainerCommandsTest, AFailedDeletionIsSilentButTheWindowHearsTheEnd) {
    m_ui.SetNextAnswer(IDYES);
    SVKCERT::DeleteContainerCommand(&m_token, L"two", &m_hook);  // not logged in
    EXPECT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_hook.events, (Events{{1, L"Removing \"two\" container..."}, {2, L""}}));
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"one", L"two"}));
}

TEST_F(ContainerCommandsTest, NobodyToAskMeansNo) {
    m_world.Login("Reader A");
    IUserInterface* previous = SetUserInterface(nullptr);
    SVKCERT::DeleteContainerCommand(&m_token, L"two", &m_hook);
    SetUserInterface(previous);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"one", L"two"}));
}

TEST_F(ContainerCommandsTest, SettingAndRemovingTheDefaultTellTheOutcome) {
    m_world.Login("Reader A");
    EXPECT_FALSE(m_token.FindContainer(L"two")->IsDefault());
    SVKCERT::SetDefaultContainerCommand(&m_token, L"two", &m_hook);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text,
              L"Container two has been assigned as Default Container successfully");
    EXPECT_EQ(m_ui.Boxes()[0].caption, kCaption);
    EXPECT_EQ(m_ui.Boxes()[0].type, 0x40u);
    EXPECT_EQ(m_hook.events,
              (Events{{3, L"Performing default container characteristic assignment operation ..."},
                      {4, L""}}));
    EXPECT_TRUE(m_token.FindContainer(L"two")->IsDefault()) << "read again from the token";

    m_hook.events.clear();
    SVKCERT::RemoveDefaultContainerCommand(&m_token, L"two", &m_hook);
    ASSERT_EQ(m_ui.Boxes().size(), 2u);
    EXPECT_EQ(m_ui.Boxes()[1].text, L"Container two is not default container anymore");
    EXPECT_EQ(m_ui.Boxes()[1].type, 0x40u);
    EXPECT_EQ(m_hook.events,
              (Events{{5, L"Performing default container characteristic removal operation ..."},
                      {6, L""}}));
    EXPECT_FALSE(m_token.FindContainer(L"two")->IsDefault());

    // A container the token does not list: nothing to do.
    SVKCERT::SetDefaultContainerCommand(&m_token, L"three", &m_hook);
    SVKCERT::SetDefaultContainerCommand(nullptr, L"two", &m_hook);
    EXPECT_EQ(m_ui.Boxes().size(), 2u);
}

TEST_F(ContainerCommandsTest, FailuresNameTheSystemError) {
    const std::wstring description = SystemErrorDescription(SCARD_W_CARD_NOT_AUTHENTICATED, 1024);
    SVKCERT::SetDefaultContainerCommand(&m_token, L"one", &m_hook);
    ASSERT_EQ(m_ui.Boxes().size(), 1u);
    EXPECT_EQ(m_ui.Boxes()[0].text,
              L"Error has been occured during assigning default state to the 'one' container. "
              L"Error description :" +
                  description);
    EXPECT_EQ(m_ui.Boxes()[0].type, 0x40u);
    EXPECT_EQ(m_hook.events.size(), 2u);
    EXPECT_EQ(m_hook.events[1].first, 4);

    SVKCERT::RemoveDefaultContainerCommand(&m_token, L"one", &m_hook);
    ASSERT_EQ(m_ui.Boxes().size(), 2u);
    EXPECT_EQ(m_ui.Boxes()[1].text,
              L"Error has been occured during remove default container state operation. Error "
              L"description: " +
                  description);

    // In Russian, the message and the description both.
    SetUiLanguage(LANG_RUSSIAN_ID);
    SVKCERT::SetDefaultContainerCommand(&m_token, L"one", &m_hook);
    SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
    ASSERT_EQ(m_ui.Boxes().size(), 3u);
    const std::wstring russian = m_ui.Boxes()[2].text;
    EXPECT_NE(russian.find(SystemErrorDescription(SCARD_W_CARD_NOT_AUTHENTICATED, 1049)),
              std::wstring::npos);
    EXPECT_EQ(russian.find(L"Error has been"), std::wstring::npos);
}
