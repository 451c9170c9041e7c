// The invisible root: its children are the readers the certificate tree knows.
#pragma once

#include "program/tree/CItemInfoDefault.h"

namespace STreeItemInfo {

class CRootItem final : public CItemInfoDefault {
public:
    explicit CRootItem(CFrameFacadePtr facade);

    std::string GetClassName() const override { return "CRootItem"; }
    std::wstring GetTokenName() const override { return {}; }
    std::wstring GetDisplayText() override { return L"!!! THE ROOT !!!"; }
    int GetImage() override { return -1; }
    int GetSelectedImage() override { return -1; }
    bool IsCommandEnabled(UINT) override { return false; }
    bool HasChilds() const override { return true; }
    bool ShowContextMenu(int, int) override { return false; }
    bool EnumChilds(std::vector<ITreeItemInfoPtr>& out) override;
    std::wstring GetPath() const override { return {}; }
};

}  // namespace STreeItemInfo
