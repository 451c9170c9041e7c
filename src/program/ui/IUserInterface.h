// The UI seam for what non-GUI code must show: message boxes, the mouse cursor, context menus,
// file dialogs and wizard pages. The GUI installs its implementation at start-up and tests install
// a scripted one. With none installed nothing is shown: message boxes answer as a cautious user
// would (No to a question, otherwise OK), menus and file dialogs as if cancelled.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/WinTypes.h"
#include "program/ui/WizardPage.h"

class CMenu;

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

// System cursor ids.
inline constexpr UINT IDC_ARROW = 32512;
inline constexpr UINT IDC_WAIT = 32514;

// A common file dialog. The filter is in the string table's form: "Text|*.ext|...||"; its
// patterns match whatever the case of the names.
struct SFileDialogRequest {
    bool open = true;
    std::wstring title;
    std::wstring filter;
    std::wstring defaultExtension;
    std::wstring initialName;
    std::wstring initialDirectory;  // empty: the platform's choice
    // OK is enabled only while the selected file passes; a confirmed file that fails keeps the
    // dialog open. Empty: every file passes.
    std::function<bool(const std::wstring& path)> check;
    // Runs when a file is confirmed (its path and the 1-based filter index); false keeps the
    // dialog open (an overwrite question answered No). The platform asks nothing of its own.
    std::function<bool(const std::wstring& path, int filterIndex)> accept;
    std::string helpTopic;  // the help page of the dialog; empty: none
};

struct SFileDialogResult {
    std::wstring path;
    int filterIndex = 1;  // 1-based, as the filter lists them
};

class IUserInterface {
public:
    virtual ~IUserInterface() = default;

    // Shows a message box owned by the main window; answers the button chosen (IDOK, IDYES, ...).
    virtual int MessageBox(const std::wstring& text, const std::wstring& caption, UINT type) = 0;

    // Shows a system cursor over the program's windows; answers the one shown before.
    virtual UINT SetCursor(UINT cursorId) {
        const UINT previous = m_cursor;
        m_cursor = cursorId;
        return previous;
    }

    // Shows a popup menu at a point of the screen, owned by the main window; answers the command
    // chosen, 0 when none was.
    virtual UINT TrackPopupMenu(const CMenu&, int /*screenX*/, int /*screenY*/) { return 0; }

    // Asks for a file; nothing when the user cancelled.
    virtual std::optional<SFileDialogResult> FileDialog(const SFileDialogRequest&) {
        return std::nullopt;
    }

    // Shows a wizard page modally, owned by the main window; with nobody to answer it the page
    // is cancelled.
    virtual SWizardPageResult RunWizardPage(const SWizardPageRequest&) { return {}; }

    // Shows a progress page (its request's texts; Enter and Escape do nothing on it) until the
    // answer goes. Null where nothing is shown.
    virtual std::unique_ptr<IProgressPage> ShowProgressPage(const SWizardPageRequest&) {
        return nullptr;
    }

    // Runs slow work away from the window, which keeps painting and following events (but takes
    // no input while a progress page is up), and returns when the work is done. The work must
    // not touch the UI.
    virtual void RunOffWindowThread(const std::function<void()>& work) { work(); }

private:
    UINT m_cursor = IDC_ARROW;
};

// Installs the process's implementation (null uninstalls); the caller keeps it alive while
// installed. Answers the one installed before.
IUserInterface* SetUserInterface(IUserInterface* ui);

// The installed implementation, or one that shows nothing.
IUserInterface& GetUserInterface();

// The answer of a message box that nobody sees: IDNO for Yes/No questions, IDCANCEL where there
// is a Cancel button, IDOK otherwise.
int UnattendedAnswer(UINT type);

// A message box captioned with the main window's title (string IDR_MAINFRAME).
int ShowMessageBox(const std::wstring& text, UINT type);
