// The failure of a token access through the token middleware, with the system error code.
#pragma once

#include "platform/WinTypes.h"

namespace SVKCERT::SEXCPT {

class CCardException {
public:
    explicit CCardException(DWORD code) : m_code(code) {}
    DWORD GetCode() const { return m_code; }

private:
    DWORD m_code;
};

}  // namespace SVKCERT::SEXCPT
