// How vkcert-cli prints a certificate on a line: its SHA-1 thumbprint and its subject's simple
// name.
#pragma once

#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace vkcli {

// The SHA-1 hash of the DER bytes: lower-case hex bytes separated by single spaces; empty when
// it cannot be computed.
std::string Thumbprint(const std::vector<BYTE>& der);

// The subject in simple form (the values only) as UTF-8; control characters would break the
// line format, so each becomes a space. Empty for bytes that are no certificate.
std::string SimpleSubject(const std::vector<BYTE>& der);

}  // namespace vkcli
