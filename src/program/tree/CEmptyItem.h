// The placeholder child that makes a node expandable before its children are read.
#pragma once

#include "program/tree/ITreeItemInfo.h"

namespace STreeItemInfo {

class CEmptyItem final : public ITreeItemInfo {
public:
    std::wstring GetTokenName() const override { return {}; }
    std::wstring GetDisplayText() override { return {}; }
    int GetImage() override { return 0; }
    int GetSelectedImage() override { return 0; }
    bool IsCommandEnabled(UINT) override { return false; }
    bool IsBold() override { return false; }
    bool HasChilds() const override { return false; }
    bool IsEmpty() const override { return true; }
    void SetTreeItem(const void*, const void*) override {}
    bool ShowContextMenu(int, int) override { return false; }
    bool EnumChilds(std::vector<ITreeItemInfoPtr>&) override { return false; }
    std::wstring GetPath() const override { return {}; }
};

}  // namespace STreeItemInfo
