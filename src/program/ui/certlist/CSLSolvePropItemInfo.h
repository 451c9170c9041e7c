// A thumbprint row: the hash of the certificate's encoded bytes in lower-case
// hex, computed anew on each request; "<None>" when hashing fails.
#pragma once

#include "platform/crypto/CryptApi.h"
#include "program/ui/certlist/CertHandles.h"
#include "program/ui/certlist/ISLItemInfo.h"
#include "res/resource.h"

namespace SSertListItemInfo {

class CSLSolvePropItemInfo : public ISLItemInfo {
public:
    CSLSolvePropItemInfo(CertContextPtr context, ALG_ID hashAlg, std::wstring caption)
        : m_context(std::move(context)), m_hashAlg(hashAlg), m_caption(std::move(caption)) {}

    std::wstring GetName() const override { return m_caption; }
    std::wstring GetValue() const override { return HashText(); }
    std::wstring GetDetail() const override { return HashText(); }
    DWORD GetIconId() const override { return IDI_ROW_THUMBPRINT; }

private:
    std::wstring HashText() const;

    CertContextPtr m_context;
    ALG_ID m_hashAlg;
    std::wstring m_caption;
};

}  // namespace SSertListItemInfo
