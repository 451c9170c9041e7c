// The window-free listing of the tree over a virtual token world: depth-first, each level
// sorted by path code unit by code unit (upper case before lower case, Cyrillic after Latin),
// with the labels the nodes give. Worlds made by vktoken, and a token that cannot be read, are
// listed in the vkcert-cli list test.
#include <gtest/gtest.h>

#include "TreeWorld.h"

namespace {

TEST(TreeListingTest, LevelsSortByPathCodeUnitByCodeUnitDepthFirst) {
    treetest::TreeWorld w;
    for (const char* reader : {"b", "\xD0\x96", "B", "a"}) {
        w.tokens.AddReader(reader);
    }
    w.tokens.MakeToken("Bee", {}, "b");
    w.tokens.AddContainer("Bee", "keys", {2, 1}, {{"CN", "Holder"}});
    std::vector<STreeItemInfo::CListedNode> nodes;
    STreeItemInfo::ListTree(*w.Root(), nodes);
    std::vector<std::wstring> lines;
    for (const auto& node : nodes) {
        lines.push_back(std::wstring(static_cast<std::size_t>(node.depth) * 2, L' ') + node.path);
    }
    EXPECT_EQ(lines,
              (std::vector<std::wstring>{L"B", L"a", L"b", L"  b\\keys", L"    b\\keys\\Exchange",
                                         L"    b\\keys\\Signature", L"\x0416"}));
    EXPECT_EQ(nodes[2].label, L"Bee [b] ");
    EXPECT_EQ(nodes[4].label, L"Holder (Exchange Key, 1024)");
}

}  // namespace
