// A name row (issuer, subject): the simple form as the value, the X.500 form
// one attribute a line as the detail.
#pragma once

#include "platform/cert/CertApi.h"
#include "program/ui/certlist/ISLItemInfo.h"
#include "res/resource.h"

namespace SSertListItemInfo {

class CSLICertNameItemInfo : public ISLItemInfo {
public:
    CSLICertNameItemInfo(std::wstring caption, const CERT_NAME_BLOB& name);

    std::wstring GetName() const override { return m_caption; }
    std::wstring GetValue() const override { return m_simple; }
    std::wstring GetDetail() const override { return m_x500; }
    DWORD GetIconId() const override { return IDI_ROW_TEXT; }

    // CERT_X500_NAME_STR with the reverse, line-break and no-quoting flags.
    static constexpr DWORD kX500Form = CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG |
                                       CERT_NAME_STR_CRLF_FLAG | CERT_NAME_STR_NO_QUOTING_FLAG;

private:
    std::wstring m_caption;
    std::wstring m_simple;
    std::wstring m_x500;
};

}  // namespace SSertListItemInfo
