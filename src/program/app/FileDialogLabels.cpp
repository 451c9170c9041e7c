#include "program/app/FileDialogLabels.h"

#include "program/app/LangResource.h"

CFileDialogLabels LoadFileDialogLabels() {
    CFileDialogLabels labels;
    const auto dlg = LoadLangDialogTemplate(IDD_FILE_DIALOG_LABELS);
    if (!dlg) {
        return labels;
    }
    auto text = [&](UINT id) {
        const auto* item = dlg->FindItem(id);
        return item ? item->Text() : std::wstring();
    };
    labels.fileType = text(IDC_LABEL_FILE_TYPE);
    labels.lookIn = text(IDC_LABEL_LOOK_IN);
    labels.fileName = text(IDC_LABEL_FILE_NAME);
    labels.ok = text(IDC_LABEL_OK);
    labels.cancel = text(IDC_LABEL_CANCEL);
    labels.help = text(IDC_LABEL_HELP);
    return labels;
}
