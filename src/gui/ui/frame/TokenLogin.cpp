#include "gui/ui/frame/TokenLogin.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <vector>

#include "desktop/MessageBroadcast.h"
#include "desktop/RegisteredMessages.h"
#include "desktop/vkGrTools.h"
#include "gui/ui/frame/LoginLogoutMessage.h"
#include "platform/crypto/CryptApi.h"
#include "platform/middleware/VKLib.h"
#include "program/token/CCardException.h"
#include "program/token/CProviderDescriptor.h"

namespace {

// The provider parameter that selects the reader its verify context works on.
constexpr DWORD PP_SELECT_READER = 0x10007;
// The prompt's mode argument.
constexpr unsigned long kPromptMode = 0x23;

// A verify context of the token's provider with the reader selected; released when it goes.
class CReaderContext {
public:
    explicit CReaderContext(const VKLib_String& reader) {
        if (CryptAcquireContextW(&m_handle, nullptr, SVKCERT::kVelkoraProviderName, PROV_RSA_FULL,
                                 CRYPT_VERIFYCONTEXT)) {
            const std::string narrow = reader.GetA();
            CryptSetProvParam(m_handle, PP_SELECT_READER,
                              reinterpret_cast<const BYTE*>(narrow.c_str()), 0);
        } else {
            m_handle = 0;
        }
    }
    ~CReaderContext() {
        if (m_handle != 0) {
            CryptReleaseContext(m_handle, 0);
        }
    }
    CReaderContext(const CReaderContext&) = delete;
    CReaderContext& operator=(const CReaderContext&) = delete;

    // Hands the PIN (null: logs out) to the provider.
    void SetPin(const BYTE* pin) {
        if (m_handle != 0) {
            CryptSetProvParam(m_handle, PP_KEYEXCHANGE_PIN, pin, 0);
        }
    }

private:
    HCRYPTPROV m_handle = 0;
};

}  // namespace

bool LoginToken(QWidget* owner, const std::wstring& readerName) {
    VKLib_Protected_Buffer pin;
    VKLib_String reader(readerName.c_str());
    const bool given = vkGr_Get_Owner_PIN(owner, 0, kPromptMode, 0, &pin, 0, &reader, 0);
    if (!given) {
        return false;
    }
    // The PIN with a terminating zero, wiped before it goes.
    std::vector<BYTE> terminated(pin.Get_Size() + 1, 0);
    std::copy_n(pin.Get_Ptr(), pin.Get_Size(), terminated.begin());
    {
        CReaderContext context(reader);
        context.SetPin(terminated.data());
    }
    OPENSSL_cleanse(terminated.data(), terminated.size());
    pin.Clear();
    BroadcastLoginChange();
    return true;
}

void LogoutToken(const std::wstring& readerName) {
    try {
        VKLib_String reader(readerName.c_str());
        CReaderContext context(reader);
        context.SetPin(nullptr);
    } catch (const SVKCERT::SEXCPT::CCardException&) {
        return;
    }
    BroadcastLoginChange();
}

void BroadcastLoginChange() {
    const UINT message = RegisterWindowMessageW(kLoginLogoutMessageName);
    if (message != 0) {
        PostMessageW(HWND_BROADCAST, message, 0, 0);
    }
}
