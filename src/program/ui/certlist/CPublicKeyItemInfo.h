// The public key row of a certificate: "RSA1 (2048)" as the value, the hex dump
// of the key's DER as the detail, both decoded anew on every request. Keys
// other than RSA, and keys that do not decode, show empty texts.
#pragma once

#include "program/ui/certlist/CertHandles.h"
#include "program/ui/certlist/ISLItemInfo.h"
#include "res/resource.h"

namespace SSertListItemInfo {

class CPublicKeyItemInfo : public ISLItemInfo {
public:
    CPublicKeyItemInfo(std::wstring caption, CertInfoPtr info)
        : m_caption(std::move(caption)), m_info(std::move(info)) {}

    std::wstring GetName() const override { return m_caption; }
    std::wstring GetValue() const override;
    std::wstring GetDetail() const override;
    DWORD GetIconId() const override { return IDI_ROW_TEXT; }

private:
    std::wstring m_caption;
    CertInfoPtr m_info;
};

}  // namespace SSertListItemInfo
