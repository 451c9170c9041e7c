#include "token/ErrorText.h"

#include "app/lang/UiLanguage.h"
#include "platform/errors/ErrorDescription.h"

namespace SVKCERT {

std::wstring ErrorDescription(DWORD code) {
    return SystemErrorDescription(code, GetUiLanguage());
}

}  // namespace SVKCERT
