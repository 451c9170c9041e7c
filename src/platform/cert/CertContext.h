// The reference-counted object behind a PCCERT_CONTEXT: the encoded bytes,
// the CERT_INFO laid out over a copy of them, the properties, and the store
// the context belongs to.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/cert/CertApi.h"

namespace vk::cert {

class CertStore;

struct CertContextImpl;

// What a PCCERT_CONTEXT points to: the context and the way back to its object.
struct CertContextHandle {
    CERT_CONTEXT ctx;
    CertContextImpl* impl;
};

struct CertContextImpl {
    CertContextHandle handle{};
    std::atomic<long> refs{1};
    std::vector<BYTE> encoded;
    std::vector<std::max_align_t> info;  // the flat CERT_INFO
    mutable std::mutex propsLock;
    std::map<DWORD, std::vector<BYTE>> props;  // key provider information in its serial form
    std::shared_ptr<CertStore> store;          // set for contexts that belong to a store
    std::uint64_t storeSeq = 0;                // order of the context in its store
};

// The object of a context handed out by this module.
CertContextImpl* Impl(PCCERT_CONTEXT context);

// A new context (one reference) for encoded bytes; null with the last error set.
CertContextImpl* NewContext(const BYTE* encoded, std::size_t size);

// A new context with the same bytes and a copy of the properties, for a store.
CertContextImpl* CopyContext(const CertContextImpl& from, std::shared_ptr<CertStore> store);

void AddRef(CertContextImpl* impl);
void Release(CertContextImpl* impl);

using PropertyMap = std::map<DWORD, std::vector<BYTE>>;
PropertyMap PropertiesOf(const CertContextImpl& impl);

}  // namespace vk::cert
