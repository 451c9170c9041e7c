// One stored choice of the program: a registry value (or a group of values
// under one key) that mirrors a member variable.
#pragma once

#include <string>

#include "platform/registry/Registry.h"

class CSetting {
public:
    CSetting(std::wstring subkey, std::wstring valueName, HKEY root = HKEY_CURRENT_USER);
    virtual ~CSetting() = default;
    CSetting(const CSetting&) = delete;
    CSetting& operator=(const CSetting&) = delete;

    // Opens the key and reads the value into the member; false (member left as
    // it was) when the key or value is missing or does not fit.
    virtual bool Load();
    // Creates or opens the key and writes the member; false when that fails.
    virtual bool Save();

    HKEY Root() const { return m_root; }
    const std::wstring& Subkey() const { return m_subkey; }
    const std::wstring& ValueName() const { return m_valueName; }
    // The list that takes the setting makes its subkey full.
    void SetSubkey(std::wstring subkey) { m_subkey = std::move(subkey); }

protected:
    // Reads from, and writes to, the open key.
    virtual bool LoadValue(HKEY key) = 0;
    virtual bool SaveValue(HKEY key) = 0;

private:
    HKEY m_root;
    std::wstring m_subkey;
    std::wstring m_valueName;
};
