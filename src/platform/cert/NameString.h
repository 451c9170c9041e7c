// Name strings: an encoded X.500 name as text.
//
//   form        CERT_SIMPLE_NAME_STR: values only; CERT_OID_NAME_STR: "2.5.4.3=value";
//               CERT_X500_NAME_STR: "CN=value", the key from the attribute table of
//               OidTable (CN, O, OU, L, S, C, E, STREET, T, G, I, SN, DC, ...),
//               "OID.n.n...=value" for attributes not in it
//   order       as encoded; reversed with CERT_NAME_STR_REVERSE_FLAG
//   separators  ", " between names; "; " with the semicolon flag; CR LF with the
//               line-break flag; " + " between the attributes of one name (the
//               name separator with CERT_NAME_STR_NO_PLUS_FLAG)
//   quoting     a value holding , + = " CR LF < > # ; or starting or ending
//               with a space is put in double quotes, its quotes doubled;
//               never with CERT_NAME_STR_NO_QUOTING_FLAG
//   values      text of the string type (UTF8String, BMPString, UniversalString
//               decoded; other strings UTF-8 when valid, else Latin-1); values
//               that are not strings as "#" and the hex of their encoding
//   shown       every character: one that draws nothing (controls but the tab,
//               bidirectional and zero-width marks) as its code, \xNN up to U+00FF,
//               else \uXXXX or \UXXXXXXXX; a backslash as it is. Quoting looks at
//               the stored characters.
#pragma once

#include <optional>
#include <string>

#include "platform/WinTypes.h"

namespace vk::cert {

// Nothing when the name does not decode.
std::optional<std::wstring> NameToText(const BYTE* encoded, std::size_t size, DWORD strType);
std::wstring RdnValueText(DWORD valueType, const BYTE* value, std::size_t size);

}  // namespace vk::cert
