// The failure of a guarded call of the cryptographic or certificate interface: the system error
// code that the call left in the last error.
#pragma once

#include "platform/WinTypes.h"

namespace SVKCERT::SEXCPT {

class CCertException {
public:
    explicit CCertException(DWORD code) : m_code(code) {}
    DWORD GetCode() const { return m_code; }

private:
    DWORD m_code;
};

// Throws CCertException with the calling thread's last error when the call failed.
void ThrowIfFailed(BOOL result);

}  // namespace SVKCERT::SEXCPT
