// The texts of the file dialogs' own controls, taken from the statics of
// dialog template IDD_FILE_DIALOG_TEXTS in the interface language.
#pragma once

#include <string>

#include "platform/WinTypes.h"
#include "res/resource.h"

struct CFileDialogLabels {
    std::wstring fileType;  // "Files of type:"
    std::wstring lookIn;    // "Look in:"
    std::wstring fileName;  // "File name:"
    std::wstring ok;        // "Ok"
    std::wstring cancel;    // "Cancel"
    std::wstring help;      // "Help"
};

// Empty texts when the template or a static is missing: the dialog then keeps its own.
CFileDialogLabels LoadFileDialogLabels();
