// Provider names and types routed to their implementations. Names are matched
// without regard to ASCII letter case, as the platform's provider names are.
// The software providers are registered on first use (BuiltInProviders.cpp,
// where providers of other folders of the platform are added too); more can
// be registered at any time.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/crypto/CryptProvider.h"

namespace vk::crypto {

class ProviderRegistry {
public:
    static ProviderRegistry& Instance();

    // Adds or replaces the provider of that name.
    void Register(const std::wstring& name, DWORD type, std::shared_ptr<ICryptProvider> provider);
    void Unregister(const std::wstring& name);

    // Null with the last error set: NTE_KEYSET_NOT_DEF for an unknown name,
    // NTE_PROV_TYPE_NO_MATCH when the name is registered under another type,
    // NTE_PROV_TYPE_NOT_DEF when no provider has the type (name null).
    // A null name takes the default provider of the type.
    std::shared_ptr<ICryptProvider> Find(const wchar_t* name, DWORD type) const;

private:
    ProviderRegistry();
    struct Entry {
        DWORD type;
        std::shared_ptr<ICryptProvider> provider;
    };
    struct NoCase {
        bool operator()(const std::wstring& a, const std::wstring& b) const;
    };
    mutable std::mutex m_mutex;
    std::map<std::wstring, Entry, NoCase> m_providers;
};

// Registers the providers built into the platform layer (called once by the
// registry's constructor).
void RegisterBuiltInProviders(ProviderRegistry& registry);

}  // namespace vk::crypto
