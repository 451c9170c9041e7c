// The UI seam for what non-GUI code must show: message boxes. The GUI installs its
// implementation at start-up and tests install a scripted one. With none installed, message
// boxes are not shown and answer as a cautious user would (No to a question, otherwise OK).
#pragma once

#include <string>

#include "platform/WinTypes.h"

// Message box types: buttons in the low bits, the icon above them.
inline constexpr UINT MB_OK = 0x00;
inline constexpr UINT MB_OKCANCEL = 0x01;
inline constexpr UINT MB_YESNOCANCEL = 0x03;
inline constexpr UINT MB_YESNO = 0x04;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONWARNING = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr UINT MB_TYPEMASK = 0x0F;
inline constexpr UINT MB_ICONMASK = 0xF0;

// Message box results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

class IUserInterface {
public:
    virtual ~IUserInterface() = default;

    // Shows a message box owned by the main window; answers the button chosen (IDOK, IDYES, ...).
    virtual int MessageBox(const std::wstring& text, const std::wstring& caption, UINT type) = 0;
};

// Installs the process's implementation (null uninstalls); the caller keeps it alive while
// installed. Answers the one installed before.
IUserInterface* SetUserInterface(IUserInterface* ui);

// The installed implementation, or one that shows nothing.
IUserInterface& GetUserInterface();

// The answer of a message box that nobody sees: IDNO for Yes/No questions, IDCANCEL where there
// is a Cancel button, IDOK otherwise.
int UnattendedAnswer(UINT type);

// A message box captioned with the main window's title (string 128).
int ShowMessageBox(const std::wstring& text, UINT type);
