// A row of a certificate property list: a caption, a one-line value for the
// list, a detail text for the box under the list and an icon.
#pragma once

#include <string>

#include "platform/WinTypes.h"
#include "res/resource.h"

namespace SSertListItemInfo {

class ISLItemInfo {
public:
    virtual std::wstring GetName() const = 0;
    virtual std::wstring GetValue() const = 0;
    // May hold line breaks "\r\n".
    virtual std::wstring GetDetail() const = 0;
    // IDI_ROW_TEXT, IDI_ROW_EXTENSION or IDI_ROW_THUMBPRINT.
    virtual DWORD GetIconId() const = 0;
    virtual ~ISLItemInfo() = default;
};

}  // namespace SSertListItemInfo
