#include "program/ui/IUserInterface.h"

#include <atomic>

#include "program/app/LangResource.h"
#include "res/resource.h"

namespace {

class CUnattendedUi final : public IUserInterface {
public:
    int MessageBox(const std::wstring&, const std::wstring&, UINT type) override {
        return UnattendedAnswer(type);
    }
};

std::atomic<IUserInterface*> g_ui{nullptr};

}  // namespace

IUserInterface* SetUserInterface(IUserInterface* ui) {
    return g_ui.exchange(ui);
}

IUserInterface& GetUserInterface() {
    static CUnattendedUi unattended;
    IUserInterface* ui = g_ui.load();
    return ui != nullptr ? *ui : unattended;
}

int UnattendedAnswer(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_YESNO:
            return IDNO;
        case MB_YESNOCANCEL:
        case MB_OKCANCEL:
            return IDCANCEL;
        default:
            return IDOK;
    }
}

int ShowMessageBox(const std::wstring& text, UINT type) {
    return GetUserInterface().MessageBox(text, LoadLangString(IDR_MAINFRAME), type);
}
