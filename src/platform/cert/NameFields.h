// An encoded X.500 name split into its relative distinguished names and
// their attributes, values kept as encoded.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "platform/cert/CertFields.h"

namespace vk::cert {

struct NameAttribute {
    std::string oid;
    DWORD valueType = CERT_RDN_ENCODED_BLOB;
    ByteView value;  // contents for string types; the whole element for CERT_RDN_ENCODED_BLOB
};

using NameRdn = std::vector<NameAttribute>;
using NameFieldsList = std::vector<NameRdn>;

// Nothing when the bytes are not exactly one well-formed Name.
std::optional<NameFieldsList> SplitName(const BYTE* data, std::size_t size);

// Lays a name out as a CERT_NAME_INFO.
CERT_NAME_INFO* LayOutNameInfo(const NameFieldsList& name, class FlatArena& arena);

}  // namespace vk::cert
