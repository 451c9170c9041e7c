#include "program/ui/certlist/BuildCertificateRows.h"

#include <string>
#include <vector>

#include "program/app/LangResource.h"
#include "platform/text/FormatString.h"
#include "program/ui/certlist/CAlgoIDToName.h"
#include "program/ui/certlist/CPublicKeyItemInfo.h"
#include "program/ui/certlist/CSLDateItemInfo.h"
#include "program/ui/certlist/CSLICertNameItemInfo.h"
#include "program/ui/certlist/CSLISerialItemInfo.h"
#include "program/ui/certlist/CSLSolvePropItemInfo.h"
#include "program/ui/certlist/CSLTextItemInfo.h"
#include "program/ui/certlist/CertHandles.h"

namespace SSertListItemInfo {
namespace {

// Caption strings.
constexpr UINT kValidFrom = 129;
constexpr UINT kValidTo = 130;
constexpr UINT kSerialNumber = 131;
constexpr UINT kVersion = 152;
constexpr UINT kAlgorithm = 153;
constexpr UINT kIssuer = 154;
constexpr UINT kSubject = 155;
constexpr UINT kPublicKey = 156;
constexpr UINT kSha1Thumbprint = 234;
constexpr UINT kMd5Thumbprint = 235;

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
        Caption(kVersion), FormatString(L"V%d", static_cast<int>(info->dwVersion) + 1)));
    const CRYPT_INTEGER_BLOB& serial = info->SerialNumber;
    rows.push_back(std::make_unique<CSLISerialItemInfo>(
        Caption(kSerialNumber), std::vector<BYTE>(serial.pbData, serial.pbData + serial.cbData)));
    rows.push_back(std::make_unique<CSLTextItemInfo>(
        Caption(kAlgorithm),
        SLocalTools::AlgoIDToName().GetAlgorithmName(Oid(info->SignatureAlgorithm.pszObjId))));
    rows.push_back(std::make_unique<CSLICertNameItemInfo>(Caption(kIssuer), info->Issuer));
    rows.push_back(std::make_unique<CSLDateItemInfo>(Caption(kValidFrom), info->NotBefore));
    rows.push_back(std::make_unique<CSLDateItemInfo>(Caption(kValidTo), info->NotAfter));
    rows.push_back(std::make_unique<CSLICertNameItemInfo>(Caption(kSubject), info->Subject));
    rows.push_back(std::make_unique<CPublicKeyItemInfo>(Caption(kPublicKey), info));
    if (format != nullptr) {
        for (DWORD i = 0; i < info->cExtension; ++i) {
            rows.push_back(CSLExtStructItemInfo::FromExtension(info->rgExtension[i], format));
        }
    }
    rows.push_back(
        std::make_unique<CSLSolvePropItemInfo>(context, CALG_SHA1, Caption(kSha1Thumbprint)));
    rows.push_back(
        std::make_unique<CSLSolvePropItemInfo>(context, CALG_MD5, Caption(kMd5Thumbprint)));
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
