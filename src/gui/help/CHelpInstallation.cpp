#include "gui/help/CHelpInstallation.h"

#include <QDir>

#include "gui/help/CHelpResourceHolder.h"
#include "gui/help/CHelper.h"

namespace SHTMLHelper {

CHelpInstallation::CHelpInstallation(const std::wstring& productKey)
    : m_files(std::make_shared<SCHMFile::CHelpResourceHolder>()) {
    SCHMFile::CHelpResourceHolder::RemoveStaleFolders(QDir::tempPath());
    for (const LANGID language : {LANG_NEUTRAL_DEFAULT_ID, LANG_RUSSIAN_ID}) {
        m_files->ExtractFromResource(SCHMFile::CHelpResourceHolder::ResourceOf(language), language);
    }
    m_helper->SetHelpFile(m_files);
    m_settings.Add(
        std::make_unique<SSaveState::CHtmlHelperSetting>(productKey + L"\\HelpSettings", &m_state));
    m_settings.LoadAll();
    if (m_state.HasRect()) {
        m_helper->RestoreWindowState(m_state);
    }
}

CHelpInstallation::~CHelpInstallation() {
    if (m_helper->SaveWindowState(m_state)) {
        m_settings.SaveAll();
    }
}

}  // namespace SHTMLHelper
