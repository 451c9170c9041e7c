#include "program/ui/viewtext/TokenViewText.h"

#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "res/resource.h"

namespace viewtext {
namespace {}  // namespace

std::wstring PinPolicyText(BYTE policy) {
    switch (policy) {
        case 0:
            return LoadLangString(IDS_POLICY_USER_ADMIN);
        case 1:
            return LoadLangString(IDS_ROLE_ADMIN);
        case 2:
            return LoadLangString(IDS_ROLE_USER);
        default:
            return {};
    }
}

std::vector<STokenViewRow> TokenViewRows(STokenRecord& record) {
    std::vector<STokenViewRow> rows{
        {LoadLangString(IDS_TOKEN_NAME), record.label},
        {LoadLangString(IDS_TOKEN_TYPE), record.typeText},
        {LoadLangString(IDS_TOKEN_ID), FormatString(L"%08X", record.tokenId)},
        {LoadLangString(IDS_TOKEN_VERSION),
         FormatString(L"%d.%d", int{record.versionMajor}, int{record.versionMinor})},
        {LoadLangString(IDS_TOKEN_PROTOCOL), FormatString(L"%d", int{record.protocolNumber})},
        {LoadLangString(IDS_TOKEN_MICROPROGRAM),
         FormatString(L"%d", int{record.microprogramNumber})},
        {LoadLangString(IDS_TOKEN_FREE_MEMORY), FormatString(L"%d", record.freeMemory)},
    };
    if (record.tokenType == 0 || record.tokenType == 1) {
        record.policyText = PinPolicyText(record.pinChangePolicy);
        rows.push_back({LoadLangString(IDS_PIN_POLICY), record.policyText});
    }
    return rows;
}

std::wstring TokenViewHeader(const std::wstring& headerTemplate, const std::wstring& label) {
    return FormatString(headerTemplate, std::wstring(), label);
}

}  // namespace viewtext
