#include "program/token/ErrorText.h"

#include "program/app/UiLanguage.h"
#include "platform/errors/ErrorDescription.h"

namespace SVKCERT {

std::wstring ErrorDescription(DWORD code) {
    return SystemErrorDescription(code, GetUiLanguage());
}

}  // namespace SVKCERT
