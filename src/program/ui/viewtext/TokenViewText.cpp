#include "program/ui/viewtext/TokenViewText.h"

#include "program/app/LangResource.h"
#include "platform/text/FormatString.h"

namespace viewtext {
namespace {

constexpr UINT kName = 157;
constexpr UINT kType = 158;
constexpr UINT kId = 159;
constexpr UINT kVersion = 162;
constexpr UINT kProtocol = 163;
constexpr UINT kMicroprogram = 164;
constexpr UINT kFreeMemory = 165;
constexpr UINT kPolicyCaption = 232;
constexpr UINT kPolicyUserAdmin = 233;
constexpr UINT kPolicyAdmin = 176;
constexpr UINT kPolicyUser = 177;

}  // namespace

std::wstring PinPolicyText(BYTE policy) {
    switch (policy) {
        case 0:
            return LoadLangString(kPolicyUserAdmin);
        case 1:
            return LoadLangString(kPolicyAdmin);
        case 2:
            return LoadLangString(kPolicyUser);
        default:
            return {};
    }
}

std::vector<STokenViewRow> TokenViewRows(STokenRecord& record) {
    std::vector<STokenViewRow> rows{
        {LoadLangString(kName), record.label},
        {LoadLangString(kType), record.typeText},
        {LoadLangString(kId), FormatString(L"%08X", record.tokenId)},
        {LoadLangString(kVersion),
         FormatString(L"%d.%d", int{record.versionMajor}, int{record.versionMinor})},
        {LoadLangString(kProtocol), FormatString(L"%d", int{record.protocolNumber})},
        {LoadLangString(kMicroprogram), FormatString(L"%d", int{record.microprogramNumber})},
        {LoadLangString(kFreeMemory), FormatString(L"%d", record.freeMemory)},
    };
    if (record.tokenType == 0 || record.tokenType == 1) {
        record.policyText = PinPolicyText(record.pinChangePolicy);
        rows.push_back({LoadLangString(kPolicyCaption), record.policyText});
    }
    return rows;
}

std::wstring TokenViewHeader(const std::wstring& headerTemplate, const std::wstring& label) {
    return FormatString(headerTemplate, std::wstring(), label);
}

}  // namespace viewtext
