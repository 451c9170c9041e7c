#include "program/token/ErrorText.h"

#include "platform/errors/ErrorDescription.h"
#include "program/app/UiLanguage.h"

namespace SVKCERT {

std::wstring ErrorDescription(DWORD code) {
    return SystemErrorDescription(code, GetUiLanguage());
}

}  // namespace SVKCERT
