// The texts of the file dialogs' own controls, taken from the statics of
// dialog template 197 in the interface language.
#pragma once

#include <string>

#include "platform/WinTypes.h"

inline constexpr UINT IDD_FILE_DIALOG_LABELS = 197;
inline constexpr UINT IDC_LABEL_FILE_TYPE = 1056;
inline constexpr UINT IDC_LABEL_LOOK_IN = 1057;
inline constexpr UINT IDC_LABEL_FILE_NAME = 1058;
inline constexpr UINT IDC_LABEL_CANCEL = 1060;
inline constexpr UINT IDC_LABEL_HELP = 1061;
inline constexpr UINT IDC_LABEL_OK = 1062;

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
