// One key of a registry hive in memory: its name, its typed values and its
// subkeys. Names are matched without regard to letter case and keep the case
// they were first given.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

struct HiveValue {
    std::wstring name;  // empty for the default value
    DWORD type = 0;
    std::vector<BYTE> data;

    bool operator==(const HiveValue&) const = default;
};

class HiveKey {
public:
    // Deepest key path the hive holds; deeper paths are refused.
    static constexpr std::size_t kMaxDepth = 512;
    static constexpr std::size_t kMaxKeyNameLength = 255;
    static constexpr std::size_t kMaxValueNameLength = 16383;

    HiveKey() = default;
    explicit HiveKey(std::wstring name) : m_name(std::move(name)) {}

    const std::wstring& Name() const { return m_name; }
    const std::vector<HiveValue>& Values() const { return m_values; }
    // Sorted by the folded name.
    const std::vector<HiveKey>& Subkeys() const { return m_subkeys; }

    const HiveValue* FindValue(std::wstring_view name) const;
    // Answers whether anything changed; an existing value keeps the case of its name.
    bool SetValue(std::wstring_view name, DWORD type, std::vector<BYTE> data);
    bool DeleteValue(std::wstring_view name);

    const HiveKey* FindSubkey(std::wstring_view name) const;
    HiveKey* FindSubkey(std::wstring_view name);
    // Answers the existing or a new subkey; *created tells which.
    HiveKey& CreateSubkey(std::wstring_view name, bool* created = nullptr);
    bool DeleteSubkey(std::wstring_view name);

    // Walks a path of names below this key; null when a name is missing.
    const HiveKey* FindPath(const std::vector<std::wstring>& path) const;
    HiveKey* FindPath(const std::vector<std::wstring>& path);

    bool operator==(const HiveKey&) const = default;

private:
    std::vector<HiveKey>::iterator LowerBound(std::wstring_view folded);

    std::wstring m_name;
    std::vector<HiveValue> m_values;
    std::vector<HiveKey> m_subkeys;
};

// A character that a key or value name may hold: a Unicode scalar value that
// is not a control character.
bool IsValidNameChar(wchar_t c);
bool IsValidKeyName(std::wstring_view name);
bool IsValidValueName(std::wstring_view name);

// Splits "A\B\C" into names. An empty path gives no names; one trailing
// backslash is allowed. Answers ERROR_BAD_PATHNAME for a leading backslash or an
// empty name, ERROR_INVALID_PARAMETER for a name with characters it may not
// hold, a name too long or a path too deep.
DWORD SplitKeyPath(std::wstring_view path, std::vector<std::wstring>& names);
