#include "gui/ui/frame/TokenLogin.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <vector>

#include "desktop/MessageBroadcast.h"
#include "desktop/RegisteredMessages.h"
#include "desktop/vkGrTools.h"
#include "gui/ui/frame/LoginLogoutMessage.h"
#include "platform/errors/WinError.h"
#include "platform/middleware/VKLib.h"
#include "program/token/ErrorText.h"
#include "program/token/TokenLoginCalls.h"
#include "program/ui/IUserInterface.h"

namespace {

// The prompt's mode argument.
constexpr unsigned long kPromptMode = 0x23;

}  // namespace

bool LoginToken(QWidget* owner, const std::wstring& readerName) {
    // The prompt verifies a PIN by this same login, so that its tries are counted by the token.
    vkGr_Set_PIN_Login(&SVKCERT::LoginAtProvider);
    VKLib_Protected_Buffer pin;
    VKLib_String reader(readerName.c_str());
    const bool given = vkGr_Get_Owner_PIN(owner, 0, kPromptMode, 0, &pin, 0, &reader, 0);
    if (!given) {
        return false;
    }
    // The PIN with a terminating zero, wiped before it goes.
    std::vector<char> terminated(pin.Get_Size() + 1, 0);
    std::copy_n(pin.Get_Ptr(), pin.Get_Size(), terminated.begin());
    pin.Clear();
    const DWORD error = SVKCERT::LoginAtProvider(readerName, terminated.data());
    OPENSSL_cleanse(terminated.data(), terminated.size());
    if (error != ERROR_SUCCESS) {
        ShowMessageBox(SVKCERT::ErrorDescription(error), MB_ICONINFORMATION);
        return false;
    }
    BroadcastLoginChange();
    return true;
}

void LogoutToken(const std::wstring& readerName) {
    SVKCERT::LogoutAtProvider(readerName);
    BroadcastLoginChange();
}

void BroadcastLoginChange() {
    const UINT message = RegisterWindowMessageW(kLoginLogoutMessageName);
    if (message != 0) {
        PostMessageW(HWND_BROADCAST, message, 0, 0);
    }
}
