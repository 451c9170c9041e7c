// A validity date row: a file time shown in local time in the interface
// language's long date and time patterns, made once when the row is made.
#pragma once

#include "program/ui/certlist/ISLItemInfo.h"
#include "res/resource.h"

namespace SSertListItemInfo {

class CSLDateItemInfo : public ISLItemInfo {
public:
    CSLDateItemInfo(std::wstring caption, const FILETIME& time);

    std::wstring GetName() const override { return m_caption; }
    std::wstring GetValue() const override { return m_text; }
    std::wstring GetDetail() const override { return m_text; }
    DWORD GetIconId() const override { return IDI_ROW_TEXT; }

private:
    std::wstring m_caption;
    FILETIME m_time;
    std::wstring m_text;
};

}  // namespace SSertListItemInfo
