#include "platform/crypto/ProviderRegistry.h"

#include <algorithm>
#include <cwctype>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace vk::crypto {
namespace {

wchar_t FoldAscii(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? c - L'A' + L'a' : c;
}

}  // namespace

bool ProviderRegistry::NoCase::operator()(const std::wstring& a, const std::wstring& b) const {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](wchar_t x, wchar_t y) { return FoldAscii(x) < FoldAscii(y); });
}

ProviderRegistry& ProviderRegistry::Instance() {
    static ProviderRegistry registry;
    return registry;
}

ProviderRegistry::ProviderRegistry() {
    RegisterBuiltInProviders(*this);
}

void ProviderRegistry::Register(const std::wstring& name, DWORD type,
                                std::shared_ptr<ICryptProvider> provider) {
    std::lock_guard lock(m_mutex);
    m_providers[name] = Entry{type, std::move(provider)};
}

void ProviderRegistry::Unregister(const std::wstring& name) {
    std::lock_guard lock(m_mutex);
    m_providers.erase(name);
}

std::shared_ptr<ICryptProvider> ProviderRegistry::Find(const wchar_t* name, DWORD type) const {
    std::lock_guard lock(m_mutex);
    if (name == nullptr) {
        // The default provider of a type is the base provider, where it exists.
        if (type == PROV_RSA_FULL) {
            auto it = m_providers.find(MS_DEF_PROV_W);
            if (it != m_providers.end()) {
                return it->second.provider;
            }
        }
        SetLastError(NTE_PROV_TYPE_NOT_DEF);
        return nullptr;
    }
    auto it = m_providers.find(name);
    if (it == m_providers.end()) {
        SetLastError(NTE_KEYSET_NOT_DEF);
        return nullptr;
    }
    if (it->second.type != type) {
        SetLastError(NTE_PROV_TYPE_NO_MATCH);
        return nullptr;
    }
    return it->second.provider;
}

}  // namespace vk::crypto
