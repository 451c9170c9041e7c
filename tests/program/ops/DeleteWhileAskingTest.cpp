// Deleting a container while its question is up: the window reads the tree afresh (a refresh, a
// token pulled out or swapped by another process), which frees the token information the
// command started with. The answer must act on the token as it is then, and only on the token
// it asked about.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "TokenTestWorld.h"
#include "platform/errors/WinError.h"
#include "program/token/CTokenInfo.h"
#include "program/token/ErrorText.h"
#include "program/tree/CCertTree.h"
#include "program/tree/CContainerItemInfo.h"
#include "program/tree/CTokenChangeTracker.h"
#include "res/resource.h"
#include "support/ChildProcess.h"
#include "support/FakeFrame.h"
#include "support/ScriptedUi.h"

namespace {

using STreeItemInfo::ITreePane;

// A tree pane with no items: the tracker still reads and resets the tree as in the window.
class EmptyPane final : public ITreePane {
public:
    NodePtr SelectedNode() const override { return nullptr; }
    void SelectNode(const Node*) override {}
    void SynchroniseChildren(const Node*) override {}
    void ResynchroniseTree(const Node*) override {}
    void ChildNodes(const Node*, std::vector<NodePtr>& out) const override { out.clear(); }
    std::vector<NodePtr> OpenChildren(const Node*) override { return {}; }
};

int Vktoken(const std::vector<std::string>& args) {
    std::vector<std::string> argv{VKTOKEN};
    argv.insert(argv.end(), args.begin(), args.end());
    return vktest::ChildProcess::Exec(argv).Wait();
}

class DeleteWhileAsking : public ::testing::Test {
protected:
    void SetUp() override {
        tokens.AddReader("Reader A");
        tokens.MakeToken("Alpha", {}, "Reader A");
        tokens.AddContainer("Alpha", "one");
        tokens.AddContainer("Alpha", "two");
        tokens.MakeToken("Beta");
        tokens.AddContainer("Beta", "two");
        tokens.Login("Reader A");
        tracker.Note();
    }

    // Answers Yes to deleting the container after `meanwhile` ran while the question was up.
    void DeleteAnsweringYes(const wchar_t* container, const std::function<void()>& meanwhile) {
        ui.SetWhileShown([&](const vktest::ScriptedUi::Box&) {
            ui.SetWhileShown(nullptr);
            meanwhile();
        });
        ui.SetNextAnswer(IDYES);
        std::make_shared<STreeItemInfo::CContainerItemInfo>(frame.Facade(), L"Reader A", container)
            ->OnCommand(ID_ACTIONS_DELETE_CONTAINER);
    }

    // The window hearing of a device change.
    void DevicesChanged() { tracker.OnDevicesChanged(pane, {}); }

    std::vector<std::wstring> Containers() {
        CTokenInfo* token = tree->FindToken(L"Reader A");
        return token != nullptr ? tokentest::ContainerNames(*token) : std::vector<std::wstring>{};
    }

    tokentest::TokenTestWorld tokens;
    vktest::ScriptedUi ui;
    vktest::FakeFrame frame;
    SVKCERTTREE::CCertTreePtr tree;
    STreeItemInfo::CTokenChangeTracker tracker;
    EmptyPane pane;
};

}  // namespace

TEST_F(DeleteWhileAsking, TheAnswerActsOnTheTokenAsItIsThenAndOnlyOnTheOneAskedAbout) {
    // The token pulled out by another process: the user hears so, nothing is attempted.
    const std::wstring removed = SVKCERT::ErrorDescription(SCARD_W_REMOVED_CARD);
    DeleteAnsweringYes(L"two", [&] {
        ASSERT_EQ(Vktoken({"remove", "Reader A"}), 0);
        DevicesChanged();
    });
    auto boxes = ui.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, L"Do you really want to remove \"two\" container with its contents?");
    EXPECT_EQ(boxes[1].text, removed);
    EXPECT_EQ(boxes[1].type, UINT{MB_ICONINFORMATION});
    EXPECT_TRUE(frame.Only({"container"}).empty());

    ASSERT_EQ(Vktoken({"insert", "Reader A", "Alpha"}), 0);
    tokens.Login("Reader A");
    DevicesChanged();
    ASSERT_EQ(Containers(), (std::vector<std::wstring>{L"one", L"two"}));

    // The tree read afresh, the token still there: the container goes.
    DeleteAnsweringYes(L"one", [&] { tracker.Refresh(pane); });
    EXPECT_EQ(Containers(), std::vector<std::wstring>{L"two"});
    EXPECT_EQ(frame.Only({"container"}), (vktest::Log{"container msg 1", "container msg 2"}));
    EXPECT_EQ(ui.Boxes().size(), 3u) << "no message after a deletion that worked";

    // Swapped for a logged-in token with a container of the same name: that one stays.
    DeleteAnsweringYes(L"two", [&] {
        ASSERT_EQ(Vktoken({"remove", "Reader A"}), 0);
        ASSERT_EQ(Vktoken({"insert", "Reader A", "Beta"}), 0);
        tokens.Login("Reader A");
        DevicesChanged();
    });
    EXPECT_EQ(tree->FindToken(L"Reader A")->GetTokenRecord().label, L"Beta");
    EXPECT_EQ(Containers(), std::vector<std::wstring>{L"two"});
    boxes = ui.Boxes();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[4].text, removed);
    EXPECT_EQ(frame.Only({"container"}).size(), 2u);
    EXPECT_EQ(ui.Cursor(), IDC_ARROW);
}
