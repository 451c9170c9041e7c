// A page of a wizard as the UI seam shows it: built from its dialog template in the interface
// language, with the values the wizard puts into its controls, and giving back how it ended and
// what the user entered. Each page is its own window; the wizard's position record carries the
// corner of the last page to the next one.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/WinTypes.h"

// End code of a page left by its "< Back" button (the forward button ends with IDOK).
inline constexpr int kWizardBack = 1077;

// Where the last page of a wizard stood (screen coordinates of its top-left corner).
struct SWizardPosition {
    bool saved = false;
    int x = 0;
    int y = 0;
};

// Texts of statics and edits and the states of check boxes, by control id.
struct SWizardPageValues {
    std::map<UINT, std::wstring> texts;
    std::map<UINT, bool> checks;

    // Wipes every text (passwords pass through here).
    void Wipe();
};

struct SWizardPageRequest {
    UINT templateId = 0;
    UINT titleId = 0;  // string of the window title
    UINT iconId = 0;   // small window icon
    std::string helpTopic;
    // The string id of the page's message, for those who read the page without seeing it (the
    // command line, tests); 0 when it has none.
    UINT messageId = 0;
    // The system error that the page's message describes; 0 when it describes none.
    DWORD errorCode = 0;
    SWizardPageValues values;
    // Controls enabled although the template disables them ("< Back" on some pages).
    std::set<UINT> enabled;
    // The most characters an edit takes; typing past it shows limitMessage and keeps the text.
    std::map<UINT, int> limits;
    std::wstring limitMessage;
    // A push button other than the three of every page changes the values (and so the page).
    std::function<void(UINT buttonId, SWizardPageValues& values)> onButton;
    // Whether the forward button is enabled for these values; empty: always.
    std::function<bool(const SWizardPageValues& values)> forwardEnabled;
    // Runs on the forward button: a message refuses the values and keeps the page open after it
    // is shown; nothing accepts them.
    std::function<std::optional<std::wstring>(const SWizardPageValues& values)> check;
    // Read when the page opens, written when it closes; null: centred each time.
    SWizardPosition* position = nullptr;
};

struct SWizardPageResult {
    int endCode = 2;  // IDOK, kWizardBack or IDCANCEL (also the Escape key and the close box)
    SWizardPageValues values;

    ~SWizardPageResult() { values.Wipe(); }
    SWizardPageResult() = default;
    SWizardPageResult(const SWizardPageResult&) = default;
    SWizardPageResult& operator=(const SWizardPageResult&) = default;
};

// A page of a wizard from its template, before the values: the title, small icon and help topic
// that every page of that wizard shows, and the wizard's position record.
SWizardPageRequest WizardPage(UINT templateId, UINT titleId, UINT iconId, const char* helpTopic,
                              SWizardPosition& position);

// A page shown without its own message loop while work runs; it goes when the object goes.
class IProgressPage {
public:
    virtual ~IProgressPage() = default;
};
