#include "program/core/settings/CSetting.h"

#include "platform/registry/UniqueHKey.h"

CSetting::CSetting(std::wstring subkey, std::wstring valueName, HKEY root)
    : m_root(root), m_subkey(std::move(subkey)), m_valueName(std::move(valueName)) {}

bool CSetting::Load() {
    UniqueHKey key;
    if (RegOpenKeyExW(m_root, m_subkey.c_str(), 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS) {
        return false;
    }
    return LoadValue(key.Get());
}

bool CSetting::Save() {
    UniqueHKey key;
    if (RegCreateKeyExW(m_root, m_subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.Put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return SaveValue(key.Get());
}
