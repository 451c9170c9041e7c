// A row whose value and detail are one fixed text.
#pragma once

#include "program/ui/certlist/ISLItemInfo.h"
#include "res/resource.h"

namespace SSertListItemInfo {

class CSLTextItemInfo : public ISLItemInfo {
public:
    CSLTextItemInfo(std::wstring caption, std::wstring text)
        : m_caption(std::move(caption)), m_text(std::move(text)) {}

    std::wstring GetName() const override { return m_caption; }
    std::wstring GetValue() const override { return m_text; }
    std::wstring GetDetail() const override { return m_text; }
    DWORD GetIconId() const override { return IDI_ROW_TEXT; }

private:
    std::wstring m_caption;
    std::wstring m_text;
};

}  // namespace SSertListItemInfo
