#include "program/ui/viewtext/ViewTemplateText.h"

#include "program/app/LangResource.h"

namespace viewtext {

std::wstring ViewTemplateText(UINT dialogId, UINT controlId) {
    const auto dialog = LoadLangDialogTemplate(dialogId);
    if (!dialog) {
        return {};
    }
    const CDialogItemTemplate* item = dialog->FindItem(controlId);
    return item != nullptr ? item->Text() : std::wstring();
}

}  // namespace viewtext
