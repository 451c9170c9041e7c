// The object identifier information of the platform: one table of
// identifiers, their names in the platform's wording and their groups. The
// relative distinguished name group is also the table of attribute keys of
// the X.500 name strings (CN, O, OU, ...).
#pragma once

#include <string_view>

#include "platform/cert/CertApi.h"

namespace vk::cert {

// The entry of that identifier in that group (0: the first in any group), or null.
const CRYPT_OID_INFO* LookupOid(std::string_view oid, DWORD group);

}  // namespace vk::cert
