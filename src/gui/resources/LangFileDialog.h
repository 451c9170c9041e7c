// The file dialogs' own labels in the interface language, from the statics
// of dialog template IDD_FILE_DIALOG_TEXTS. The dialog must be Qt's own (non-native) one.
#pragma once

class QFileDialog;

// Switches `dialog` to Qt's own dialog and sets its file type, folder and
// file name labels and its OK and Cancel buttons. Labels the template lacks
// stay as Qt has them. (Qt's file dialog has no Help button.)
void ApplyLangFileDialogLabels(QFileDialog* dialog);
