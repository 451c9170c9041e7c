#include "platform/registry/HiveKey.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/errors/WinError.h"
#include "platform/text/CaseFold.h"

namespace {

template <typename Keys>
auto FindIn(Keys& keys, std::wstring_view name) -> decltype(keys.data()) {
    const std::wstring folded = FoldCase(name);
    auto it = std::lower_bound(
        keys.begin(), keys.end(), folded,
        [](const HiveKey& k, const std::wstring& f) { return FoldCase(k.Name()) < f; });
    if (it != keys.end() && FoldCase(it->Name()) == folded) {
        return &*it;
    }
    return nullptr;
}

}  // namespace

const HiveValue* HiveKey::FindValue(std::wstring_view name) const {
    auto it = std::find_if(m_values.begin(), m_values.end(),
                           [&](const HiveValue& v) { return EqualsNoCase(v.name, name); });
    return it == m_values.end() ? nullptr : &*it;
}

bool HiveKey::SetValue(std::wstring_view name, DWORD type, std::vector<BYTE> data) {
    auto it = std::find_if(m_values.begin(), m_values.end(),
                           [&](const HiveValue& v) { return EqualsNoCase(v.name, name); });
    if (it == m_values.end()) {
        m_values.push_back(HiveValue{std::wstring(name), type, std::move(data)});
        return true;
    }
    if (it->type == type && it->data == data) {
        return false;
    }
    it->type = type;
    it->data = std::move(data);
    return true;
}

bool HiveKey::DeleteValue(std::wstring_view name) {
    auto it = std::find_if(m_values.begin(), m_values.end(),
                           [&](const HiveValue& v) { return EqualsNoCase(v.name, name); });
    if (it == m_values.end()) {
        return false;
    }
    m_values.erase(it);
    return true;
}

const HiveKey* HiveKey::FindSubkey(std::wstring_view name) const {
    return FindIn(m_subkeys, name);
}

HiveKey* HiveKey::FindSubkey(std::wstring_view name) {
    return FindIn(m_subkeys, name);
}

std::vector<HiveKey>::iterator HiveKey::LowerBound(std::wstring_view folded) {
    return std::lower_bound(
        m_subkeys.begin(), m_subkeys.end(), folded,
        [](const HiveKey& k, std::wstring_view f) { return FoldCase(k.Name()) < f; });
}

HiveKey& HiveKey::CreateSubkey(std::wstring_view name, bool* created) {
    const std::wstring folded = FoldCase(name);
    auto it = LowerBound(folded);
    const bool exists = it != m_subkeys.end() && FoldCase(it->Name()) == folded;
    if (created) {
        *created = !exists;
    }
    if (exists) {
        return *it;
    }
    return *m_subkeys.insert(it, HiveKey(std::wstring(name)));
}

bool HiveKey::DeleteSubkey(std::wstring_view name) {
    const std::wstring folded = FoldCase(name);
    auto it = LowerBound(folded);
    if (it == m_subkeys.end() || FoldCase(it->Name()) != folded) {
        return false;
    }
    m_subkeys.erase(it);
    return true;
}

const HiveKey* HiveKey::FindPath(const std::vector<std::wstring>& path) const {
    const HiveKey* key = this;
    for (const auto& name : path) {
        key = key->FindSubkey(name);
        if (!key) {
            return nullptr;
        }
    }
    return key;
}

HiveKey* HiveKey::FindPath(const std::vector<std::wstring>& path) {
    return const_cast<HiveKey*>(std::as_const(*this).FindPath(path));
}

bool IsValidNameChar(wchar_t c) {
    const auto u = static_cast<std::uint32_t>(c);
    return u >= 0x20 && u != 0x7F && !(u >= 0xD800 && u <= 0xDFFF) && u <= 0x10FFFF;
}

bool IsValidKeyName(std::wstring_view name) {
    return !name.empty() && name.size() <= HiveKey::kMaxKeyNameLength &&
           std::all_of(name.begin(), name.end(),
                       [](wchar_t c) { return c != L'\\' && IsValidNameChar(c); });
}

bool IsValidValueName(std::wstring_view name) {
    return name.size() <= HiveKey::kMaxValueNameLength &&
           std::all_of(name.begin(), name.end(), IsValidNameChar);
}

DWORD SplitKeyPath(std::wstring_view path, std::vector<std::wstring>& names) {
    names.clear();
    if (!path.empty() && path.back() == L'\\') {
        path.remove_suffix(1);
        if (path.empty()) {
            return ERROR_BAD_PATHNAME;
        }
    }
    if (path.empty()) {
        return ERROR_SUCCESS;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t end = path.find(L'\\', start);
        const std::wstring_view name = path.substr(
            start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start);
        if (name.empty()) {
            names.clear();
            return ERROR_BAD_PATHNAME;
        }
        if (!IsValidKeyName(name) || names.size() >= HiveKey::kMaxDepth) {
            names.clear();
            return ERROR_INVALID_PARAMETER;
        }
        names.emplace_back(name);
        if (end == std::wstring_view::npos) {
            return ERROR_SUCCESS;
        }
        start = end + 1;
    }
}
