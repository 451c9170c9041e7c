// One key container of a token; bold when it is the token's default container.
#pragma once

#include <optional>
#include <string>

#include "program/tree/CItemInfoDefault.h"

namespace STreeItemInfo {

class CContainerItemInfo final : public CItemInfoDefault {
public:
    CContainerItemInfo(CFrameFacadePtr facade, std::wstring readerName, std::wstring containerName);

    std::string GetClassName() const override { return "CContainerItemInfo"; }
    std::wstring GetTokenName() const override { return m_readerName; }
    std::wstring GetDisplayText() override { return m_containerName; }
    int GetImage() override;
    int GetSelectedImage() override;
    bool IsCommandEnabled(UINT commandId) override;
    void OnCommand(UINT commandId) override;
    void OnUpdate(const CUpdateRequest& request) override;
    bool IsBold() override;
    bool HasChilds() const override { return true; }
    bool ShowContextMenu(int screenX, int screenY) override;
    bool EnumChilds(std::vector<ITreeItemInfoPtr>& out) override;
    std::wstring GetPath() const override;

    const std::wstring& GetContainerName() const { return m_containerName; }

private:
    // The default mark, or nothing when the container cannot be looked up.
    std::optional<bool> ReadDefault();

    std::wstring m_containerName;
    std::wstring m_readerName;
};

}  // namespace STreeItemInfo
