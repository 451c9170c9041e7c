// The frame facade: without a frame (never given one, or detached when the frame went) every
// operation does nothing and answers null, false or empty; with one it reaches that frame.
#include <gtest/gtest.h>

#include "program/token/CProviderDescriptor.h"
#include "program/tree/CEnumChildsMsgAcceptorRegistry.h"
#include "program/tree/CRootItem.h"
#include "program/tree/CTreeMessageHub.h"
#include "program/ui/CFrameFacade.h"

namespace {

// Counts the calls that reach it and answers with objects of its own.
class CountingFrame final : public IFrame {
public:
    int calls = 0;
    std::optional<std::wstring> status = L"untouched";
    STreeItemInfo::CTreeMessageHub hub;
    STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry registry;
    CListSplitRecord split;
    NodePtr selected = std::make_shared<STreeItemInfo::CRootItem>(nullptr);

    STreeItemInfo::CTreeMessageHub* MessageHub() override { return ++calls, &hub; }
    STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry* AcceptorRegistry() override {
        return ++calls, &registry;
    }
    bool ShowContainers() const override { return true; }
    bool HasTreeView() const override { return true; }
    NodePtr SelectedNode() override { return ++calls, selected; }
    void SelectNode(const STreeItemInfo::ITreeItemInfo*) override { ++calls; }
    void ResynchroniseTree(const STreeItemInfo::ITreeItemInfo*) override { ++calls; }
    void SynchroniseChildren(const STreeItemInfo::ITreeItemInfo*) override { ++calls; }
    void ChildNodes(const STreeItemInfo::ITreeItemInfo*, std::vector<NodePtr>& out) override {
        ++calls;
        out.push_back(selected);
    }
    IRightView* ReplaceRightView(ERightViewKind) override { return ++calls, nullptr; }
    void ActivateOtherPane() override { ++calls; }
    CListSplitRecord* ListSplitRecord() override { return ++calls, &split; }
    void SetStatusMessage(const std::optional<std::wstring>& text) override {
        ++calls;
        status = text;
    }
    void UpdateStatusPanes() override { ++calls; }
    void UpdateToolBarToggles() override { ++calls; }
    void RouteCommand(UINT) override { ++calls; }
    void RunPfxImportWizard(const SVKCERT::CProviderDescriptor&, const std::wstring&,
                            const std::wstring&) override {
        ++calls;
    }
    void RunPfxExportWizard(const std::wstring&, const std::wstring&, const std::wstring&, DWORD,
                            const std::wstring&) override {
        ++calls;
    }
};

// Every operation once; answers how many answered something other than nothing.
int UseEverything(const CFrameFacade& facade) {
    int answered = 0;
    answered += facade.MessageHub() != nullptr;
    answered += facade.AcceptorRegistry() != nullptr;
    answered += facade.ShowContainers();
    answered += facade.HasTreeView();
    answered += facade.SelectedNode() != nullptr;
    facade.SelectNode(nullptr);
    facade.ResynchroniseTree();
    facade.SynchroniseChildren();
    std::vector<CFrameFacade::NodePtr> children;
    facade.ChildNodes(nullptr, children);
    answered += !children.empty();
    answered += facade.ReplaceRightView(ERightViewKind::Key) != nullptr;
    facade.ActivateOtherPane();
    answered += facade.ListSplitRecord() != nullptr;
    facade.SetStatusMessage(L"Reading");
    facade.SetStatusMessage();
    facade.UpdateStatusPanes();
    facade.UpdateToolBarToggles();
    facade.RouteCommand(190);
    facade.RunPfxImportWizard({}, L"a.pfx", L"Reader");
    facade.RunPfxExportWizard(L"b.pfx", L"Reader", L"Container", 1, L"Name");
    return answered;
}

TEST(FrameFacadeTest, WithoutAFrameNothingHappens) {
    const CFrameFacade none;
    EXPECT_EQ(none.Frame(), nullptr);
    EXPECT_EQ(UseEverything(none), 0);
}

TEST(FrameFacadeTest, AFrameIsReachedUntilItDetaches) {
    CountingFrame frame;
    const auto facade = std::make_shared<CFrameFacade>(&frame);
    EXPECT_EQ(UseEverything(*facade), 7);
    EXPECT_EQ(frame.calls, 17) << "every operation but the two constant answers reached it";
    EXPECT_EQ(frame.status, std::nullopt) << "the last status call asked for the idle text";

    facade->Detach();
    frame.calls = 0;
    frame.status = L"untouched";
    EXPECT_EQ(UseEverything(*facade), 0);
    EXPECT_EQ(frame.calls, 0);
    EXPECT_EQ(frame.status, L"untouched");
}

}  // namespace
