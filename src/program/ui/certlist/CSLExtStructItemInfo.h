// An extension row: the extension's name as the caption, its one-line text as
// the value and its multi-line text as the detail, all made once.
#pragma once

#include <memory>

#include "platform/cert/CertApi.h"
#include "program/ui/certlist/ISLItemInfo.h"
#include "res/resource.h"

namespace SSertListItemInfo {

// The extension formatter as looked up in the certificate library; null when
// the library has none.
using FormatObjectFn = decltype(&CryptFormatObject);

class CSLExtStructItemInfo : public ISLItemInfo {
public:
    CSLExtStructItemInfo(std::wstring caption, std::wstring oneLine, std::wstring multiLine)
        : m_caption(std::move(caption)),
          m_oneLine(std::move(oneLine)),
          m_multiLine(std::move(multiLine)) {}

    // Texts of the formatter; where formatting fails the texts keep the
    // "Can not parse extended struct" fallbacks.
    static std::unique_ptr<ISLItemInfo> FromExtension(const CERT_EXTENSION& extension,
                                                      FormatObjectFn format);

    std::wstring GetName() const override { return m_caption; }
    std::wstring GetValue() const override { return m_oneLine; }
    std::wstring GetDetail() const override { return m_multiLine; }
    DWORD GetIconId() const override { return IDI_ROW_EXTENSION; }

private:
    std::wstring m_caption;
    std::wstring m_oneLine;
    std::wstring m_multiLine;
};

}  // namespace SSertListItemInfo
