// The token in one reader. Holds the reader open through the middleware for its whole life and
// looks its token information up by reader name at each use.
#pragma once

#include <memory>
#include <string>

#include "program/tree/CItemInfoDefault.h"

class VKAPIi_Context;
class VKAPIi_Velkora_SCard;

namespace STreeItemInfo {

class CTokenItemInfo final : public CItemInfoDefault {
public:
    CTokenItemInfo(CFrameFacadePtr facade, std::wstring readerName);
    ~CTokenItemInfo() override;

    std::string GetClassName() const override { return "CTokenItemInfo"; }
    std::wstring GetTokenName() const override { return m_readerName; }
    // The token's label, " [", the reader name and "] "; "<Unnamed>" for a missing label.
    std::wstring GetDisplayText() override;
    int GetImage() override;
    int GetSelectedImage() override;
    bool IsCommandEnabled(UINT commandId) override;
    void OnCommand(UINT commandId) override;
    void OnUpdate(const CUpdateRequest& request) override;
    bool HasChilds() const override { return true; }
    bool ShowContextMenu(int screenX, int screenY) override;
    bool EnumChilds(std::vector<ITreeItemInfoPtr>& out) override;
    std::wstring GetPath() const override { return m_readerName; }

    // Whether the middleware opened the reader's token.
    bool IsCardOpen() const { return m_card != nullptr; }

private:
    void ShowTokenInformation();

    std::wstring m_readerName;
    VKAPIi_Velkora_SCard* m_card = nullptr;
    std::unique_ptr<VKAPIi_Context> m_context;
};

}  // namespace STreeItemInfo
