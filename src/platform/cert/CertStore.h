// The object behind an HCERTSTORE: an ordered list of contexts that belong to
// the store, in memory only or written through to a folder on disk. Open
// handles count as references; when the last one is closed the store lets go
// of its contexts, and the object itself lives on while contexts taken from
// it are referenced.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/cert/CertApi.h"
#include "platform/cert/CertContext.h"

namespace vk::cert {

class CertStore : public std::enable_shared_from_this<CertStore> {
public:
    // A new open store (one handle reference); null with the last error set.
    static CertStore* OpenMemory();
    static CertStore* OpenFolder(const std::filesystem::path& folder);
    // The store of a handle, null (ERROR_INVALID_HANDLE) for anything else.
    static CertStore* FromHandle(HCERTSTORE handle);

    ~CertStore();
    CertStore(const CertStore&) = delete;
    CertStore& operator=(const CertStore&) = delete;

    void AddHandleRef();
    // Answers whether contexts of the store were still referenced elsewhere.
    bool CloseHandleRef();

    BOOL Add(const CertContextImpl& from, DWORD disposition, PCCERT_CONTEXT* out);
    // The first context after prev (null: from the start) that matches; a new reference.
    template <class Match>
    CertContextImpl* FindAfter(const CertContextImpl* prev, Match&& match);
    BOOL Delete(CertContextImpl* context);
    // Writes a member's properties through to disk; 0 or a system error code.
    DWORD PropertiesChanged(CertContextImpl* context);

private:
    CertStore() = default;
    static CertStore* Register(std::shared_ptr<CertStore> store);
    DWORD Persist(const CertContextImpl& context);
    // Index of the member with the same encoding, or -1.
    std::ptrdiff_t IndexOfEqual(const CertContextImpl& context) const;

    mutable std::mutex m_lock;
    std::vector<CertContextImpl*> m_entries;  // each holds one reference
    std::uint64_t m_nextSeq = 1;
    std::optional<std::filesystem::path> m_folder;
    long m_handles = 1;
    std::shared_ptr<CertStore> m_self;  // keeps the store while a handle is open
};

template <class Match>
CertContextImpl* CertStore::FindAfter(const CertContextImpl* prev, Match&& match) {
    std::lock_guard<std::mutex> lock(m_lock);
    const std::uint64_t after = prev ? prev->storeSeq : 0;
    for (CertContextImpl* e : m_entries) {
        if (e->storeSeq > after && match(*e)) {
            e->refs.fetch_add(1, std::memory_order_relaxed);
            return e;
        }
    }
    return nullptr;
}

}  // namespace vk::cert
