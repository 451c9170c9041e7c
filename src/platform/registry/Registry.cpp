#include "platform/registry/Registry.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/HiveKey.h"
#include "platform/registry/HiveStore.h"

namespace {

// What a key handle stands for: a path in one hive and the access it was opened with.
struct OpenKey {
    HiveId hive = HiveId::CurrentUser;
    std::vector<std::wstring> path;
    REGSAM access = 0;
};

constexpr REGSAM kViewFlags = KEY_WOW64_64KEY | KEY_WOW64_32KEY;

class KeyTable {
public:
    HKEY Add(OpenKey key) {
        std::lock_guard lock(m_mutex);
        const std::uintptr_t id = m_next;
        m_next += 4;
        m_keys.emplace(id, std::move(key));
        return reinterpret_cast<HKEY>(id);
    }

    bool Find(HKEY handle, OpenKey& out) const {
        if (handle == HKEY_CURRENT_USER || handle == HKEY_LOCAL_MACHINE) {
            out = OpenKey{handle == HKEY_CURRENT_USER ? HiveId::CurrentUser : HiveId::LocalMachine,
                          {},
                          KEY_ALL_ACCESS};
            return true;
        }
        std::lock_guard lock(m_mutex);
        auto it = m_keys.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == m_keys.end()) {
            return false;
        }
        out = it->second;
        return true;
    }

    bool Remove(HKEY handle) {
        std::lock_guard lock(m_mutex);
        return m_keys.erase(reinterpret_cast<std::uintptr_t>(handle)) == 1;
    }

private:
    mutable std::mutex m_mutex;
    std::map<std::uintptr_t, OpenKey> m_keys;
    std::uintptr_t m_next = 0x1000;
};

KeyTable& Keys() {
    static KeyTable table;
    return table;
}

std::wstring_view Text(LPCWSTR s) {
    return s ? std::wstring_view(s) : std::wstring_view();
}

bool Allows(const OpenKey& key, REGSAM needed) {
    return (key.access & needed) == needed;
}

// Walks names below key; appends the names as the hive spells them.
const HiveKey* Walk(const HiveKey* key, const std::vector<std::wstring>& names,
                    std::vector<std::wstring>& spelled) {
    for (const auto& name : names) {
        key = key->FindSubkey(name);
        if (!key) {
            return nullptr;
        }
        spelled.push_back(key->Name());
    }
    return key;
}

// Opens names below an open key as it exists now; no file is written.
LONG OpenExisting(const OpenKey& base, const std::vector<std::wstring>& names, OpenKey& out) {
    out = OpenKey{base.hive, base.path, 0};
    return static_cast<LONG>(ReadHive(base.hive, [&](const HiveKey& root) -> DWORD {
        const HiveKey* key = root.FindPath(base.path);
        if (!key) {
            return ERROR_KEY_DELETED;
        }
        return Walk(key, names, out.path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }));
}

}  // namespace

LONG RegOpenKeyExW(HKEY hKey, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result) {
    if (!result) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    OpenKey base;
    if (!Keys().Find(hKey, base)) {
        return ERROR_INVALID_HANDLE;
    }
    if (options != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    std::vector<std::wstring> names;
    if (const DWORD rc = SplitKeyPath(Text(subKey), names); rc != ERROR_SUCCESS) {
        return static_cast<LONG>(rc);
    }
    OpenKey opened;
    if (const LONG rc = OpenExisting(base, names, opened); rc != ERROR_SUCCESS) {
        return rc;
    }
    opened.access = desired & ~kViewFlags;
    *result = Keys().Add(std::move(opened));
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExW(HKEY hKey, LPCWSTR subKey, DWORD reserved, LPWSTR /*keyClass*/, DWORD options,
                     REGSAM desired, void* /*securityAttributes*/, PHKEY result,
                     DWORD* disposition) {
    if (!result) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    OpenKey base;
    if (!Keys().Find(hKey, base)) {
        return ERROR_INVALID_HANDLE;
    }
    if (reserved != 0 || options != REG_OPTION_NON_VOLATILE) {
        return ERROR_INVALID_PARAMETER;
    }
    std::vector<std::wstring> names;
    if (const DWORD rc = SplitKeyPath(Text(subKey), names); rc != ERROR_SUCCESS) {
        return static_cast<LONG>(rc);
    }
    if (!names.empty() && !Allows(base, KEY_CREATE_SUB_KEY)) {
        return ERROR_ACCESS_DENIED;
    }
    OpenKey opened;
    bool createdAny = false;
    // An existing key is opened without touching the file.
    LONG rc = OpenExisting(base, names, opened);
    if (rc == ERROR_FILE_NOT_FOUND) {
        opened = OpenKey{base.hive, base.path, 0};
        rc = static_cast<LONG>(ModifyHive(base.hive, [&](HiveKey& root, bool& changed) -> DWORD {
            opened.path = base.path;
            createdAny = false;
            HiveKey* key = root.FindPath(base.path);
            if (!key) {
                return ERROR_KEY_DELETED;
            }
            for (const auto& name : names) {
                bool created = false;
                key = &key->CreateSubkey(name, &created);
                createdAny = createdAny || created;
                opened.path.push_back(key->Name());
            }
            changed = createdAny;
            return ERROR_SUCCESS;
        }));
    }
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    if (disposition) {
        *disposition = createdAny ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    opened.access = desired & ~kViewFlags;
    *result = Keys().Add(std::move(opened));
    return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY hKey, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* dataSize) {
    if (reserved || (data && !dataSize)) {
        return ERROR_INVALID_PARAMETER;
    }
    OpenKey key;
    if (!Keys().Find(hKey, key)) {
        return ERROR_INVALID_HANDLE;
    }
    if (!Allows(key, KEY_QUERY_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    return static_cast<LONG>(ReadHive(key.hive, [&](const HiveKey& root) -> DWORD {
        const HiveKey* found = root.FindPath(key.path);
        if (!found) {
            return ERROR_KEY_DELETED;
        }
        const HiveValue* value = found->FindValue(Text(valueName));
        if (!value) {
            return ERROR_FILE_NOT_FOUND;
        }
        const auto size = static_cast<DWORD>(value->data.size());
        if (type) {
            *type = value->type;
        }
        if (!data) {
            if (dataSize) {
                *dataSize = size;
            }
            return ERROR_SUCCESS;
        }
        if (*dataSize < size) {
            *dataSize = size;
            return ERROR_MORE_DATA;
        }
        std::copy(value->data.begin(), value->data.end(), data);
        *dataSize = size;
        return ERROR_SUCCESS;
    }));
}

LONG RegSetValueExW(HKEY hKey, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD dataSize) {
    if (reserved != 0 || (!data && dataSize != 0) || !IsValidValueName(Text(valueName))) {
        return ERROR_INVALID_PARAMETER;
    }
    OpenKey key;
    if (!Keys().Find(hKey, key)) {
        return ERROR_INVALID_HANDLE;
    }
    if (!Allows(key, KEY_SET_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    std::vector<BYTE> bytes(data, data + dataSize);
    return static_cast<LONG>(ModifyHive(key.hive, [&](HiveKey& root, bool& changed) -> DWORD {
        HiveKey* found = root.FindPath(key.path);
        if (!found) {
            return ERROR_KEY_DELETED;
        }
        changed = found->SetValue(Text(valueName), type, bytes);
        return ERROR_SUCCESS;
    }));
}

LONG RegDeleteValueW(HKEY hKey, LPCWSTR valueName) {
    OpenKey key;
    if (!Keys().Find(hKey, key)) {
        return ERROR_INVALID_HANDLE;
    }
    if (!Allows(key, KEY_SET_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    return static_cast<LONG>(ModifyHive(key.hive, [&](HiveKey& root, bool& changed) -> DWORD {
        HiveKey* found = root.FindPath(key.path);
        if (!found) {
            return ERROR_KEY_DELETED;
        }
        changed = found->DeleteValue(Text(valueName));
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }));
}

LONG RegDeleteKeyW(HKEY hKey, LPCWSTR subKey) {
    OpenKey key;
    if (!Keys().Find(hKey, key)) {
        return ERROR_INVALID_HANDLE;
    }
    std::vector<std::wstring> names;
    if (const DWORD rc = SplitKeyPath(Text(subKey), names); rc != ERROR_SUCCESS) {
        return static_cast<LONG>(rc);
    }
    if (names.empty()) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::wstring leaf = names.back();
    names.pop_back();
    return static_cast<LONG>(ModifyHive(key.hive, [&](HiveKey& root, bool& changed) -> DWORD {
        HiveKey* base = root.FindPath(key.path);
        if (!base) {
            return ERROR_KEY_DELETED;
        }
        HiveKey* parent = base->FindPath(names);
        const HiveKey* target = parent ? parent->FindSubkey(leaf) : nullptr;
        if (!target) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (!target->Subkeys().empty()) {
            return ERROR_ACCESS_DENIED;
        }
        changed = parent->DeleteSubkey(leaf);
        return ERROR_SUCCESS;
    }));
}

LONG RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_CURRENT_USER || hKey == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS;
    }
    return Keys().Remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}
