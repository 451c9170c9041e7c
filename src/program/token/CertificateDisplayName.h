// The name under which a key's certificate is shown and named in messages: the text of the
// subject's last common name.
#pragma once

#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace SVKCERT {

// Empty when there is no certificate, no common name, or anything fails on the way.
std::wstring CertificateDisplayName(const std::vector<BYTE>& der);

}  // namespace SVKCERT
