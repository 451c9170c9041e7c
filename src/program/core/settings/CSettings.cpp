#include "program/core/settings/CSettings.h"

#include "platform/text/CaseFold.h"

CSettings::CSettings() : m_prefix(L"SOFTWARE\\") {}

bool CSettings::Add(std::unique_ptr<CSetting> setting) {
    if (!setting) {
        return false;
    }
    setting->SetSubkey(m_prefix + setting->Subkey());
    if (Find(setting->Subkey(), setting->ValueName(), true)) {
        return false;
    }
    m_settings.push_back(std::move(setting));
    return true;
}

bool CSettings::LoadAll() {
    bool all = true;
    for (const auto& setting : m_settings) {
        all = setting->Load() && all;
    }
    return all;
}

bool CSettings::SaveAll() {
    bool all = true;
    for (const auto& setting : m_settings) {
        all = setting->Save() && all;
    }
    return all;
}

CSetting* CSettings::Find(std::wstring_view subkey, std::wstring_view valueName,
                          bool subkeyFull) const {
    const std::wstring full = subkeyFull ? std::wstring(subkey) : m_prefix + std::wstring(subkey);
    for (const auto& setting : m_settings) {
        if (EqualsNoCase(setting->Subkey(), full) &&
            (setting->ValueName().empty() || EqualsNoCase(setting->ValueName(), valueName))) {
            return setting.get();
        }
    }
    return nullptr;
}
