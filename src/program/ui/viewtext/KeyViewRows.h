// The rows of the key view that are not the public key's (that one is
// SSertListItemInfo::MakeKeyPublicKeyRow): "Key Length" and "Permissions",
// fixed English captions.
#pragma once

#include <memory>
#include <string>

#include "program/ui/certlist/ISLItemInfo.h"

namespace viewtext {

// The bits in lower-case hex, a space and the names of the set bits:
// 0x3B -> "3b DECRYPT, ENCRYPT, MAC, READ, WRITE", 0x104 -> "104 ARCHIVE, EXPORT".
std::wstring PermissionsText(DWORD permissions);

std::unique_ptr<SSertListItemInfo::ISLItemInfo> MakeKeyLengthRow(DWORD keyLength);
std::unique_ptr<SSertListItemInfo::ISLItemInfo> MakePermissionsRow(DWORD permissions);

}  // namespace viewtext
