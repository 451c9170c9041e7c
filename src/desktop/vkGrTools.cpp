#include "desktop/vkGrTools.h"

#include <atomic>

#include "desktop/OwnerPinDialog.h"

namespace {

std::atomic<vkGr_PIN_Login> g_login{nullptr};

}  // namespace

void vkGr_Set_PIN_Login(vkGr_PIN_Login login) {
    g_login = login;
}

bool vkGr_Get_Owner_PIN(QWidget* owner, unsigned long, unsigned long, unsigned long,
                        VKLib_Protected_Buffer* pin, unsigned long, VKLib_String* reader,
                        unsigned long) {
    if (!pin || !reader) {
        return false;
    }
    pin->Clear();
    COwnerPinDialog dialog(owner, reader->Get_Buffer(0), g_login.load());
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const std::string& accepted = dialog.Pin();
    pin->Set(reinterpret_cast<const std::uint8_t*>(accepted.data()), accepted.size());
    return true;
}
