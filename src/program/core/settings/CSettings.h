// The program's stored choices: an owning list of settings, loaded and saved
// all at once, with every subkey below "SOFTWARE\".
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "program/core/settings/CSetting.h"

class CSettings {
public:
    CSettings();
    virtual ~CSettings() = default;
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

    // Takes the setting and makes its subkey full. Answers false, destroying
    // the setting, when a setting with the same subkey and value name (letter
    // case aside) is in the list already, or when none is given.
    bool Add(std::unique_ptr<CSetting> setting);

    // Load or Save every setting in list order; true only when all succeeded.
    // A failure does not stop the others.
    virtual bool LoadAll();
    virtual bool SaveAll();

    // The first setting under subkey (made full first unless subkeyFull) whose
    // value name is valueName, letter case aside; a setting with an empty value
    // name stands for every name under its key.
    CSetting* Find(std::wstring_view subkey, std::wstring_view valueName, bool subkeyFull) const;

    const std::wstring& Prefix() const { return m_prefix; }
    std::size_t Count() const { return m_settings.size(); }

private:
    std::vector<std::unique_ptr<CSetting>> m_settings;
    std::wstring m_prefix;
};
