// The serial number row: the bytes as the certificate functions store them
// (least significant first), shown most significant first.
#pragma once

#include <vector>

#include "program/ui/certlist/ISLItemInfo.h"
#include "res/resource.h"

namespace SSertListItemInfo {

class CSLISerialItemInfo : public ISLItemInfo {
public:
    CSLISerialItemInfo(std::wstring caption, std::vector<BYTE> storedBytes);

    std::wstring GetName() const override { return m_caption; }
    std::wstring GetValue() const override { return m_text; }
    std::wstring GetDetail() const override { return m_text; }
    DWORD GetIconId() const override { return IDI_ROW_TEXT; }

private:
    std::wstring m_caption;
    std::vector<BYTE> m_bytes;
    std::wstring m_text;
};

}  // namespace SSertListItemInfo
