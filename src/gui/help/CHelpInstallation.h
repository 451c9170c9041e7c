// The help as the program installs it at start: the folders of killed runs removed, the help
// file of each language written out, the help window's stored state handed to the help, which
// is kept alive; at exit the window's state is stored under the product key's "\HelpSettings"
// and the files are removed.
#pragma once

#include <memory>
#include <string>

#include "gui/help/CHtmlHelperSetting.h"
#include "program/core/sdp/singleton_auto_pointer.h"
#include "program/core/settings/CSettings.h"

namespace SHTMLHelper {

class CHelper;
namespace SCHMFile {
class CHelpResourceHolder;
}

class CHelpInstallation {
public:
    // `productKey`: the settings key below "SOFTWARE\" (string 135).
    explicit CHelpInstallation(const std::wstring& productKey);
    ~CHelpInstallation();
    CHelpInstallation(const CHelpInstallation&) = delete;
    CHelpInstallation& operator=(const CHelpInstallation&) = delete;

    CHelper& Helper() const { return *m_helper; }
    const SCHMFile::CHelpResourceHolder& Files() const { return *m_files; }

private:
    SDP::singleton_auto_pointer<CHelper> m_helper;
    std::shared_ptr<SCHMFile::CHelpResourceHolder> m_files;
    CHelpWindowState m_state;
    CSettings m_settings;
};

}  // namespace SHTMLHelper
