// The texts of certificate extensions, one-line and multi-line, in the
// platform's wording. An extension's text is a list of items, each a line
// that may carry sub-items:
//   multi-line  every item on a line of its own, sub-items indented by five
//               spaces per level, every line ending in CR LF;
//   one-line    items joined by ", "; an item with sub-items is followed by
//               ": " (or a space after a text ending in ':') and its
//               sub-items joined by ", ".
// Texts of the extensions:
//   Key Usage                 Digital Signature, Key Encipherment (a0)
//   Basic Constraints         Subject Type=CA | End Entity; Path Length Constraint=None | n
//   Subject Key Identifier    lower-case hex bytes separated by spaces
//   Authority Key Identifier  KeyID=..., Certificate Issuer: <names>, Certificate SerialNumber=...
//   Alternative names         DNS Name=, RFC822 Name=, URL=, IP Address=, Registered ID=,
//                             Directory Address: <CN=... lines>, Other Name: Principal Name=...
//   CRL Distribution Points   [1]CRL Distribution Point / Distribution Point Name: /
//                             Full Name: / URL=...
//   Information access        [1]Authority Info Access / Access Method=<name> (<oid>) /
//                             Alternative Name: / URL=...
//   Certificate Policies      [1]Certificate Policy: / Policy Identifier=... /
//                             [1,1]Policy Qualifier Info: / Policy Qualifier Id=CPS /
//                             Qualifier: / ...
//   Enhanced Key Usage        Server Authentication (1.3.6.1.5.5.7.3.1); Unknown Key Usage (<oid>)
//   Name Constraints          Permitted / [1]Subtrees (0..Max): / DNS Name=...; Excluded=None
// Any other extension, and a value that does not decode, is shown as hex:
// one-line "30 03 01 01 ff"; multi-line lines of 16 bytes "0000  30 03 ...  0...."
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace vk::cert {

std::wstring ExtensionText(const std::string& oid, const BYTE* value, std::size_t size,
                           bool multiLine);

}  // namespace vk::cert
