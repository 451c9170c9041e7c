// The three container commands over a virtual token: the question and messages they show through
// the scripted UI (text, caption, icon), the operation codes the window hears around them, and
// what they do to the token, on success and on failure in both interface languages. The message
// brackets themselves come with the tree.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "TokenTestWorld.h"
#include "platform/errors/ErrorDescription.h"
#include "platform/errors/WinError.h"
#include "program/app/UiLanguage.h"
#include "program/ops/ContainerCommands.h"
#include "program/token/CTokenInfo.h"
#include "support/ScriptedUi.h"

namespace {

using Events = std::vector<std::pair<int, std::wstring>>;

class RecordingHook : public SVKCERT::IContainerOperationHook {
public:
    void OnOperationStart(int code, const std::wstring& statusText) override {
        events.emplace_back(code, statusText);
    }
    void OnOperationEnd(int code) override { events.emplace_back(code, L""); }
    Events events;
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

}  // namespace

TEST_F(ContainerCommandsTest, DeleteAsksFirstAndTheDefaultMarkTellsTheOutcome) {
    m_world.Login("Reader A");
    m_ui.SetNextAnswer(IDNO);
    SVKCERT::DeleteContainerCommand(&m_token, L"two", &m_hook);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"one", L"two"}));
    m_ui.SetNextAnswer(IDYES);
    SVKCERT::DeleteContainerCommand(&m_token, L"two", &m_hook);
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"one"});
    SVKCERT::SetDefaultContainerCommand(&m_token, L"one", &m_hook);
    EXPECT_TRUE(m_token.FindContainer(L"one")->IsDefault()) << "read again from the token";
    SVKCERT::RemoveDefaultContainerCommand(&m_token, L"one", &m_hook);
    EXPECT_FALSE(m_token.FindContainer(L"one")->IsDefault());

    const auto boxes = m_ui.Boxes();
    ASSERT_EQ(boxes.size(), 4u) << "no message after a deletion that worked";
    EXPECT_EQ(boxes[0].text, L"Do you really want to remove \"two\" container with its contents?");
    EXPECT_EQ(boxes[0].caption, L"Velkora Certificates Browser");
    EXPECT_EQ(boxes[0].type, UINT{MB_YESNO | MB_ICONQUESTION});
    EXPECT_EQ(boxes[2].text, L"Container one has been assigned as Default Container successfully");
    EXPECT_EQ(boxes[3].text, L"Container one is not default container anymore");
    EXPECT_EQ(boxes[3].type, UINT{MB_ICONINFORMATION});
    // Start and end codes; their status texts are checked with the tree view.
    ASSERT_EQ(m_hook.events.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(m_hook.events[i].first, i + 1);
    }

    // Nothing is done without a token information object, for a container the token does not
    // list, or (the answer being No) with nobody to ask.
    m_ui.SetNextAnswer(IDYES);
    SVKCERT::DeleteContainerCommand(nullptr, L"one", &m_hook);
    SVKCERT::SetDefaultContainerCommand(&m_token, L"three", &m_hook);
    SVKCERT::RemoveDefaultContainerCommand(nullptr, L"one", &m_hook);
    IUserInterface* previous = SetUserInterface(nullptr);
    SVKCERT::DeleteContainerCommand(&m_token, L"one", &m_hook);
    SetUserInterface(previous);
    EXPECT_EQ(m_ui.Boxes().size(), 5u) << "only the question";
    EXPECT_EQ(m_hook.events.size(), 6u);
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"one"});
}

TEST_F(ContainerCommandsTest, FailuresTellTheSystemErrorInTheInterfaceLanguage) {
    // Not logged in: every command fails at the token.
    for (LANGID language : {LANG_NEUTRAL_DEFAULT_ID, LANG_RUSSIAN_ID}) {
        SCOPED_TRACE(language);
        SetUiLanguage(language);
        const std::wstring why = SystemErrorDescription(SCARD_W_CARD_NOT_AUTHENTICATED, language);
        const std::size_t before = m_ui.Boxes().size();
        m_hook.events.clear();
        m_ui.SetNextAnswer(IDYES);
        SVKCERT::DeleteContainerCommand(&m_token, L"two", &m_hook);
        SVKCERT::SetDefaultContainerCommand(&m_token, L"one", &m_hook);
        SVKCERT::RemoveDefaultContainerCommand(&m_token, L"one", &m_hook);
        const auto boxes = m_ui.Boxes();
        ASSERT_EQ(boxes.size(), before + 4);
        EXPECT_EQ(boxes[before + 1].text, why) << "the deletion tells why";
        EXPECT_EQ(boxes[before + 1].caption, boxes[before].caption);
        for (std::size_t i = before + 1; i < boxes.size(); ++i) {
            EXPECT_EQ(boxes[i].type, UINT{MB_ICONINFORMATION});
            EXPECT_NE(boxes[i].text.find(why), std::wstring::npos) << i;
            EXPECT_EQ(boxes[i].text.find(L"Error") == std::wstring::npos,
                      language == LANG_RUSSIAN_ID || i == before + 1)
                << i;
        }
        // Only the assignment's message names the container.
        EXPECT_NE(boxes[before + 2].text.find(L"one"), std::wstring::npos);
        EXPECT_EQ(boxes[before + 3].text.find(L"one"), std::wstring::npos);
        // The window hears every end, the token keeps its containers.
        EXPECT_EQ(m_hook.events.size(), 6u);
        EXPECT_EQ(m_hook.events[1].first, 2);
        EXPECT_EQ(Names(), (std::vector<std::wstring>{L"one", L"two"}));
    }
    SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
}
