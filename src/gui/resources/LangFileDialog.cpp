#include "gui/resources/LangFileDialog.h"

#include <QFileDialog>
#include <QString>

#include "gui/resources/LangDialogBuilder.h"
#include "program/app/FileDialogLabels.h"

void ApplyLangFileDialogLabels(QFileDialog* dialog) {
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    const CFileDialogLabels labels = LoadFileDialogLabels();
    auto set = [dialog](QFileDialog::DialogLabel which, const std::wstring& text) {
        if (!text.empty()) {
            dialog->setLabelText(which, QString::fromStdWString(text));
        }
    };
    set(QFileDialog::FileType, labels.fileType);
    set(QFileDialog::LookIn, labels.lookIn);
    set(QFileDialog::FileName, labels.fileName);
    set(QFileDialog::Accept, labels.ok);
    set(QFileDialog::Reject, labels.cancel);
}
