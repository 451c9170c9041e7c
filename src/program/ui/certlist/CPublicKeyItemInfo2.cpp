#include "program/ui/certlist/CPublicKeyItemInfo2.h"

#include "program/ui/certlist/PublicKeyBlob.h"
#include "program/ui/certlist/RowFormats.h"

namespace SSertListItemInfo {

std::wstring CPublicKeyItemInfo2::GetValue() const {
    try {
        return KeySummaryText(*m_blob);
    } catch (...) {
        return {};
    }
}

std::wstring CPublicKeyItemInfo2::GetDetail() const {
    try {
        return HexDumpText(*m_der);
    } catch (...) {
        return {};
    }
}

std::unique_ptr<ISLItemInfo> MakeKeyPublicKeyRow(const std::wstring& caption,
                                                 std::vector<BYTE> blob) {
    auto der = std::make_shared<const std::vector<BYTE>>(EncodePublicKeyBlob(blob));
    auto kept = std::make_shared<const std::vector<BYTE>>(std::move(blob));
    return std::make_unique<CPublicKeyItemInfo2>(std::move(kept), std::move(der), caption);
}

}  // namespace SSertListItemInfo
