#include "desktop/vkGrTools.h"

#include "desktop/OwnerPinDialog.h"

bool vkGr_Get_Owner_PIN(QWidget* owner, unsigned long, unsigned long, unsigned long,
                        VKLib_Protected_Buffer* pin, unsigned long, VKLib_String* reader,
                        unsigned long) {
    if (!pin || !reader) {
        return false;
    }
    pin->Clear();
    COwnerPinDialog dialog(owner, reader->Get_Buffer(0));
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const std::string& accepted = dialog.Pin();
    pin->Set(reinterpret_cast<const std::uint8_t*>(accepted.data()), accepted.size());
    return true;
}
