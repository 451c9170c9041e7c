#include "program/ui/certlist/BuildCertificateRows.h"

#include <string>
#include <vector>

#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/ui/certlist/CAlgoIDToName.h"
#include "program/ui/certlist/CPublicKeyItemInfo.h"
#include "program/ui/certlist/CSLDateItemInfo.h"
#include "program/ui/certlist/CSLICertNameItemInfo.h"
#include "program/ui/certlist/CSLISerialItemInfo.h"
#include "program/ui/certlist/CSLSolvePropItemInfo.h"
#include "program/ui/certlist/CSLTextItemInfo.h"
#include "program/ui/certlist/CertHandles.h"
#include "res/resource.h"

namespace SSertListItemInfo {
namespace {

// Caption strings.

std::wstring Caption(UINT id) {
    return LoadLangString(id, LANG_NEUTRAL_DEFAULT_ID);
}

std::string Oid(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

// Every row is made before the first reaches the sink, so a failure leaves the
// sink untouched.
std::vector<std::unique_ptr<ISLItemInfo>> MakeRows(std::span<const BYTE> der,
                                                   FormatObjectFn format) {
    const CertContextPtr context = MakeCertContext(der);
    const CertInfoPtr info = DecodeCertInfo(der);
    std::vector<std::unique_ptr<ISLItemInfo>> rows;
    rows.push_back(std::make_unique<CSLTextItemInfo>(
        Caption(IDS_CERT_VERSION), FormatString(L"V%d", static_cast<int>(info->dwVersion) + 1)));
    const CRYPT_INTEGER_BLOB& serial = info->SerialNumber;
    rows.push_back(std::make_unique<CSLISerialItemInfo>(
        Caption(IDS_SERIAL_NUMBER),
        std::vector<BYTE>(serial.pbData, serial.pbData + serial.cbData)));
    rows.push_back(std::make_unique<CSLTextItemInfo>(
        Caption(IDS_CERT_ALGORITHM),
        SLocalTools::AlgoIDToName().GetAlgorithmName(Oid(info->SignatureAlgorithm.pszObjId))));
    rows.push_back(std::make_unique<CSLICertNameItemInfo>(Caption(IDS_CERT_ISSUER), info->Issuer));
    rows.push_back(std::make_unique<CSLDateItemInfo>(Caption(IDS_VALID_FROM), info->NotBefore));
    rows.push_back(std::make_unique<CSLDateItemInfo>(Caption(IDS_VALID_TO), info->NotAfter));
    rows.push_back(
        std::make_unique<CSLICertNameItemInfo>(Caption(IDS_CERT_SUBJECT), info->Subject));
    rows.push_back(std::make_unique<CPublicKeyItemInfo>(Caption(IDS_CERT_PUBLIC_KEY), info));
    if (format != nullptr) {
        for (DWORD i = 0; i < info->cExtension; ++i) {
            rows.push_back(CSLExtStructItemInfo::FromExtension(info->rgExtension[i], format));
        }
    }
    rows.push_back(
        std::make_unique<CSLSolvePropItemInfo>(context, CALG_SHA1, Caption(IDS_SHA1_THUMBPRINT)));
    rows.push_back(
        std::make_unique<CSLSolvePropItemInfo>(context, CALG_MD5, Caption(IDS_MD5_THUMBPRINT)));
    return rows;
}

}  // namespace

void BuildCertificateRows(std::span<const BYTE> der, const RowSink& sink) {
    BuildCertificateRows(der, sink, &CryptFormatObject);
}

void BuildCertificateRows(std::span<const BYTE> der, const RowSink& sink, FormatObjectFn format) {
    for (auto& row : MakeRows(der, format)) {
        sink(std::move(row));
    }
}

}  // namespace SSertListItemInfo
