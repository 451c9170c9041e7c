#include "program/ui/viewtext/KeyViewRows.h"

#include "platform/crypto/CryptApi.h"
#include "platform/text/FormatString.h"
#include "program/ui/certlist/CSLTextItemInfo.h"

namespace viewtext {
namespace {

struct SPermissionName {
    DWORD bit;
    const wchar_t* name;
};

// In the order the names are written.
constexpr SPermissionName kPermissionNames[] = {
    {CRYPT_ARCHIVE, L"ARCHIVE"}, {CRYPT_DECRYPT, L"DECRYPT"}, {CRYPT_ENCRYPT, L"ENCRYPT"},
    {CRYPT_EXPORT, L"EXPORT"},   {CRYPT_MAC, L"MAC"},         {CRYPT_READ, L"READ"},
    {CRYPT_WRITE, L"WRITE"},
};

}  // namespace

std::wstring PermissionsText(DWORD permissions) {
    std::wstring text = FormatString(L"%x ", permissions);
    bool named = false;
    for (const auto& entry : kPermissionNames) {
        if (permissions & entry.bit) {
            text += entry.name;
            text += L", ";
            named = true;
        }
    }
    if (named) {
        text.resize(text.size() - 2);
    }
    return text;
}

std::unique_ptr<SSertListItemInfo::ISLItemInfo> MakeKeyLengthRow(DWORD keyLength) {
    return std::make_unique<SSertListItemInfo::CSLTextItemInfo>(L"Key Length",
                                                                std::to_wstring(keyLength));
}

std::unique_ptr<SSertListItemInfo::ISLItemInfo> MakePermissionsRow(DWORD permissions) {
    return std::make_unique<SSertListItemInfo::CSLTextItemInfo>(L"Permissions",
                                                                PermissionsText(permissions));
}

}  // namespace viewtext
