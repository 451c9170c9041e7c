#include "program/token/CCertException.h"

#include "platform/errors/LastError.h"

namespace SVKCERT::SEXCPT {

void ThrowIfFailed(BOOL result) {
    if (!result) {
        throw CCertException(GetLastError());
    }
}

}  // namespace SVKCERT::SEXCPT
