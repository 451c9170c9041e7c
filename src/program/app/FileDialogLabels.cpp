#include "program/app/FileDialogLabels.h"

#include "program/app/LangResource.h"
#include "res/resource.h"

CFileDialogLabels LoadFileDialogLabels() {
    CFileDialogLabels labels;
    const auto dlg = LoadLangDialogTemplate(IDD_FILE_DIALOG_TEXTS);
    if (!dlg) {
        return labels;
    }
    auto text = [&](UINT id) {
        const auto* item = dlg->FindItem(id);
        return item ? item->Text() : std::wstring();
    };
    labels.fileType = text(IDC_TEXT_FILES_OF_TYPE);
    labels.lookIn = text(IDC_TEXT_LOOK_IN);
    labels.fileName = text(IDC_TEXT_FILE_NAME);
    labels.ok = text(IDC_TEXT_OK);
    labels.cancel = text(IDC_TEXT_CANCEL);
    labels.help = text(IDC_TEXT_HELP);
    return labels;
}
