// The process-wide key sets of the software providers, found by container
// name (exact, letter case included). Shared by the three software provider
// names, as the platform's software providers share their key containers.
// Nothing is written to disk.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/crypto/SoftwareKeySet.h"

namespace vk::crypto {

class SoftwareKeyStore {
public:
    static SoftwareKeyStore& Instance();

    // Null with NTE_EXISTS when the name is taken.
    std::shared_ptr<SoftwareKeySet> Create(const std::wstring& name);
    // Null with NTE_BAD_KEYSET when there is none of that name.
    std::shared_ptr<SoftwareKeySet> Open(const std::wstring& name) const;
    // FALSE with NTE_BAD_KEYSET when there is none of that name.
    BOOL Delete(const std::wstring& name);
    std::vector<std::wstring> Names() const;

private:
    SoftwareKeyStore();
    mutable std::mutex m_mutex;
    std::map<std::wstring, std::shared_ptr<SoftwareKeySet>> m_sets;
};

}  // namespace vk::crypto
