// The window-free listing of the tree: depth-first order with each level sorted by path, code
// unit by code unit; a node whose label throws is left out with its subtree, a node whose
// enumeration throws keeps its line without children, and placeholders never show. Real
// worlds are listed in the vkcert-cli list test.
#include <gtest/gtest.h>

#include <stdexcept>

#include "program/tree/CEmptyItem.h"
#include "program/tree/CItemInfoDefault.h"
#include "program/tree/TreeListing.h"

using namespace STreeItemInfo;

namespace {

// A node of a hand-made tree; its label or its enumeration may fail.
class HandNode final : public CItemInfoDefault {
public:
    enum class Fault { None, Label, Children };

    HandNode(std::wstring path, std::vector<ITreeItemInfoPtr> children, Fault fault = Fault::None)
        : CItemInfoDefault(nullptr),
          m_path(std::move(path)),
          m_children(std::move(children)),
          m_fault(fault) {}

    std::wstring GetTokenName() const override { return {}; }
    std::wstring GetDisplayText() override {
        if (m_fault == Fault::Label) {
            throw std::runtime_error("label");
        }
        return L"label of " + m_path;
    }
    int GetImage() override { return 0; }
    int GetSelectedImage() override { return 0; }
    bool IsCommandEnabled(UINT) override { return false; }
    bool HasChilds() const override { return true; }
    bool ShowContextMenu(int, int) override { return false; }
    bool EnumChilds(std::vector<ITreeItemInfoPtr>& out) override {
        out.insert(out.end(), m_children.begin(), m_children.end());
        if (m_fault == Fault::Children) {
            throw std::runtime_error("children");
        }
        return true;
    }
    std::wstring GetPath() const override { return m_path; }

private:
    std::wstring m_path;
    std::vector<ITreeItemInfoPtr> m_children;
    Fault m_fault;
};

ITreeItemInfoPtr Node(std::wstring path, std::vector<ITreeItemInfoPtr> children = {},
                      HandNode::Fault fault = HandNode::Fault::None) {
    return std::make_shared<HandNode>(std::move(path), std::move(children), fault);
}

std::vector<std::wstring> Lines(ITreeItemInfo& root) {
    std::vector<CListedNode> nodes;
    ListTree(root, nodes);
    std::vector<std::wstring> lines;
    for (const auto& node : nodes) {
        lines.push_back(std::wstring(static_cast<std::size_t>(node.depth) * 2, L' ') + node.path);
    }
    return lines;
}

TEST(TreeListingTest, LevelsSortByPathCodeUnitByCodeUnit) {
    HandNode root(L"", {Node(L"b", {Node(L"b\\Signature"), Node(L"b\\Exchange")}), Node(L"B"),
                        Node(L"a", {std::make_shared<CEmptyItem>()}), Node(L"\x0416")});
    EXPECT_EQ(Lines(root), (std::vector<std::wstring>{L"B", L"a", L"b", L"  b\\Exchange",
                                                      L"  b\\Signature", L"\x0416"}));
}

TEST(TreeListingTest, FailingNodesAreLeftOutOrKeptWithoutChildren) {
    HandNode root(
        L"", {Node(L"r1", {Node(L"r1\\gone", {Node(L"r1\\gone\\child")}, HandNode::Fault::Label),
                           Node(L"r1\\kept")}),
              Node(L"r2", {Node(L"r2\\lost")}, HandNode::Fault::Children)});
    EXPECT_EQ(Lines(root), (std::vector<std::wstring>{L"r1", L"  r1\\kept", L"r2"}));
    std::vector<CListedNode> nodes;
    ListTree(root, nodes);
    EXPECT_EQ(nodes[1].label, L"label of r1\\kept");
}

}  // namespace
