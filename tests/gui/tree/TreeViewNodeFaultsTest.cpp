// The tree view's handling of nodes that misbehave, which the program's own nodes never do (they
// catch their failures): a node whose label throws counts as missing (no text, no icon, no
// menu, no show request, sorted first); labels longer than the display buffer are cut; a
// failing enumeration leaves the level as it was; dropped duplicates of kept items die at
// once. These nodes are scripted because no real node can be made to fail this way.
#include <QContextMenuEvent>
#include <stdexcept>

#include "TreeViewFixture.h"
#include "res/resource.h"

namespace treeviewtest {
namespace {

struct Spec {
    std::wstring path;
    std::wstring label;
    bool labelThrows = false;
    int image = IDI_TOKEN;
};

class ScriptedNode final : public STreeItemInfo::ITreeItemInfo {
public:
    explicit ScriptedNode(Spec spec) : m_spec(std::move(spec)) {}

    std::wstring GetTokenName() const override { return m_spec.path; }
    std::wstring GetDisplayText() override {
        if (m_spec.labelThrows) {
            throw std::runtime_error("no label");
        }
        return m_spec.label;
    }
    int GetImage() override { return m_spec.image; }
    int GetSelectedImage() override { return m_spec.image; }
    bool IsCommandEnabled(UINT) override { return false; }
    void OnUpdate(const STreeItemInfo::CUpdateRequest& request) override {
        updates.push_back(request.code);
    }
    bool IsBold() override { return false; }
    bool HasChilds() const override { return false; }
    bool IsEmpty() const override { return false; }
    void SetTreeItem(const void* tree, const void* item) override {
        placed = tree != nullptr && item != nullptr;
    }
    bool ShowContextMenu(int, int) override {
        ++menus;
        return true;
    }
    bool EnumChilds(std::vector<STreeItemInfo::ITreeItemInfoPtr>& out) override {
        if (enumThrows) {
            throw std::runtime_error("enumeration failed");
        }
        for (const Spec& spec : children) {
            auto child = std::make_shared<ScriptedNode>(spec);
            made.push_back(child);
            out.push_back(std::move(child));
        }
        return true;
    }
    std::wstring GetPath() const override { return m_spec.path; }

    std::vector<Spec> children;
    bool enumThrows = false;
    std::vector<std::weak_ptr<ScriptedNode>> made;
    std::vector<DWORD> updates;
    int menus = 0;
    bool placed = false;

private:
    Spec m_spec;
};

class TreeViewNodeFaults : public TreeViewFixture {
protected:
    void MakeScriptedView(std::vector<Spec> children) {
        root = std::make_shared<ScriptedNode>(Spec{L"", L"root"});
        root->children = std::move(children);
        MakeView(true, root);
    }

    std::shared_ptr<ScriptedNode> Made(const std::wstring& path) const {
        for (auto it = root->made.rbegin(); it != root->made.rend(); ++it) {
            if (auto node = it->lock(); node != nullptr && node->GetPath() == path) {
                return node;
            }
        }
        return nullptr;
    }

    std::shared_ptr<ScriptedNode> root;
};

TEST_F(TreeViewNodeFaults, ANodeWithoutLabelIsTreatedAsMissing) {
    MakeScriptedView({{L"b", L"Bee"}, {L"a", L"Ay"}, {L"0-broken", L"", true}});

    // It sorts before every node although its path would not.
    const QModelIndex broken = Model()->index(0, 0);
    EXPECT_EQ(Made(L"0-broken"), NodeAt(broken));
    EXPECT_EQ(Label(Model()->index(1, 0)), L"Ay");
    EXPECT_EQ(Label(Model()->index(2, 0)), L"Bee");
    EXPECT_FALSE(Model()->data(broken, Qt::DisplayRole).isValid());
    EXPECT_FALSE(Model()->data(broken, Qt::DecorationRole).isValid());

    // The first top-level item is selected after the filling, although it shows nothing.
    EXPECT_EQ(view->SelectedNode(), nullptr);
    EXPECT_TRUE(Made(L"0-broken")->updates.empty());
    EXPECT_TRUE(frame.Only({"selected", "deselected"}).empty());

    // Selecting it shows nothing and tells only the old node; its menu never opens.
    Select(Model()->index(1, 0));
    EXPECT_EQ(SelectedPath(), L"a");
    EXPECT_EQ(Made(L"a")->updates, std::vector<DWORD>{1});
    frame.events.clear();
    Select(broken);
    EXPECT_EQ(view->SelectedNode(), nullptr);
    EXPECT_TRUE(Made(L"0-broken")->updates.empty());
    EXPECT_EQ(frame.Only({"selected", "deselected"}), Log{"deselected a"});

    const QRect rect = Tree()->visualRect(broken);
    const QPoint point(rect.left() + 2, rect.center().y());
    QContextMenuEvent event(QContextMenuEvent::Mouse, point,
                            Tree()->viewport()->mapToGlobal(point));
    QCoreApplication::sendEvent(Tree()->viewport(), &event);
    EXPECT_EQ(Made(L"0-broken")->menus, 0);
}

TEST_F(TreeViewNodeFaults, LongLabelsAreCutToTheDisplayBuffer) {
    const std::wstring exact(1023, L'x');
    const std::wstring longer = std::wstring(1023, L'y') + L"tail";
    MakeScriptedView({{L"1", exact}, {L"2", longer}, {L"3", L"unknown icon", false, 999}});
    EXPECT_EQ(Label(Model()->index(0, 0)), exact);
    EXPECT_EQ(Label(Model()->index(1, 0)), std::wstring(1023, L'y'));
    EXPECT_FALSE(Model()->data(Model()->index(2, 0), Qt::DecorationRole).isValid())
        << "an icon id outside the image list shows no icon";
    EXPECT_TRUE(Made(L"1")->placed) << "every node is told its place";
}

TEST_F(TreeViewNodeFaults, MergeKeepsItemsDropsDuplicatesAndSurvivesAFailingEnumeration) {
    MakeScriptedView({{L"a", L"A"}, {L"b", L"B"}});
    const std::shared_ptr<ScriptedNode> keptA = Made(L"a");
    const std::weak_ptr<ScriptedNode> goneB = Made(L"b");

    ASSERT_EQ(SelectedPath(), L"a");
    root->children = {{L"c", L"C"}, {L"a", L"A again"}, {L"a", L"A twice"}};
    frame.SynchroniseChildren(nullptr);
    Pump();
    EXPECT_EQ(ChildPaths(), (std::vector<std::wstring>{L"a", L"c"}));
    EXPECT_EQ(NodeAt(Model()->index(0, 0)), keptA);
    EXPECT_EQ(Label(Model()->index(0, 0)), L"A");
    EXPECT_TRUE(goneB.expired());
    int alive = 0;
    for (const auto& made : root->made) {
        alive += made.expired() ? 0 : 1;
    }
    EXPECT_EQ(alive, 2) << "the new duplicates of kept items are not held";
    EXPECT_EQ(keptA->updates, std::vector<DWORD>({1, 3}))
        << "selected first, then told its data may have changed by the merge";

    root->enumThrows = true;
    frame.SynchroniseChildren(nullptr);
    Pump();
    // The failure says nothing about the children: the level stays as it was.
    EXPECT_EQ(ChildPaths(), (std::vector<std::wstring>{L"a", L"c"}));
    EXPECT_EQ(NodeAt(Model()->index(0, 0)), keptA);
}

}  // namespace
}  // namespace treeviewtest
