// The public key row of a key without certificate: made from the key's
// exported public key blob and its DER encoding.
#pragma once

#include <memory>
#include <vector>

#include "program/ui/certlist/ISLItemInfo.h"
#include "res/resource.h"

namespace SSertListItemInfo {

class CPublicKeyItemInfo2 : public ISLItemInfo {
public:
    using Bytes = std::shared_ptr<const std::vector<BYTE>>;

    CPublicKeyItemInfo2(Bytes blob, Bytes der, std::wstring caption)
        : m_blob(std::move(blob)), m_der(std::move(der)), m_caption(std::move(caption)) {}

    std::wstring GetName() const override { return m_caption; }
    std::wstring GetValue() const override;
    std::wstring GetDetail() const override;
    DWORD GetIconId() const override { return IDI_ROW_TEXT; }

private:
    Bytes m_blob;
    Bytes m_der;
    std::wstring m_caption;
};

// The row of an exported public key blob; throws CCertException when the
// blob cannot be encoded (not an RSA public key blob, or cut short).
std::unique_ptr<ISLItemInfo> MakeKeyPublicKeyRow(const std::wstring& caption,
                                                 std::vector<BYTE> blob);

}  // namespace SSertListItemInfo
