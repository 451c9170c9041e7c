#include "platform/cert/CertStore.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "platform/cert/CertHash.h"
#include "platform/cert/StoreFile.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace vk::cert {

namespace {

std::mutex g_handlesLock;
std::set<const void*>& OpenHandles() {
    static std::set<const void*> handles;
    return handles;
}

bool SameEncoding(const CertContextImpl& a, const CertContextImpl& b) {
    return a.encoded == b.encoded;
}

// CompareFileTime of the two NotBefore times: whether a is later than b.
bool NotBeforeLater(const CertContextImpl& a, const CertContextImpl& b) {
    const FILETIME& x = a.handle.ctx.pCertInfo->NotBefore;
    const FILETIME& y = b.handle.ctx.pCertInfo->NotBefore;
    const std::uint64_t tx = (std::uint64_t{x.dwHighDateTime} << 32) | x.dwLowDateTime;
    const std::uint64_t ty = (std::uint64_t{y.dwHighDateTime} << 32) | y.dwLowDateTime;
    return tx > ty;
}

}  // namespace

CertStore* CertStore::Register(std::shared_ptr<CertStore> store) {
    CertStore* raw = store.get();
    raw->m_self = std::move(store);
    std::lock_guard<std::mutex> lock(g_handlesLock);
    OpenHandles().insert(raw);
    return raw;
}

CertStore* CertStore::OpenMemory() {
    return Register(std::shared_ptr<CertStore>(new CertStore));
}

CertStore* CertStore::OpenFolder(const std::filesystem::path& folder) {
    std::shared_ptr<CertStore> store(new CertStore);
    store->m_folder = folder;
    for (StoredCertificate& stored : ReadStoreFolder(folder)) {
        CertContextImpl* impl = NewContext(stored.encoded.data(), stored.encoded.size());
        if (!impl) {
            continue;
        }
        impl->props = std::move(stored.props);
        impl->handle.ctx.hCertStore = store.get();
        impl->store = store;
        impl->storeSeq = store->m_nextSeq++;
        store->m_entries.push_back(impl);
    }
    return Register(std::move(store));
}

CertStore* CertStore::FromHandle(HCERTSTORE handle) {
    std::lock_guard<std::mutex> lock(g_handlesLock);
    if (!handle || !OpenHandles().count(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return static_cast<CertStore*>(handle);
}

CertStore::~CertStore() {
    for (CertContextImpl* e : m_entries) {
        Release(e);
    }
}

void CertStore::AddHandleRef() {
    std::lock_guard<std::mutex> lock(m_lock);
    ++m_handles;
}

bool CertStore::CloseHandleRef() {
    std::vector<CertContextImpl*> members;
    std::shared_ptr<CertStore> self;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (--m_handles > 0) {
            return false;
        }
        members.swap(m_entries);
        self = std::move(m_self);
    }
    {
        std::lock_guard<std::mutex> lock(g_handlesLock);
        OpenHandles().erase(this);
    }
    bool referenced = false;
    for (CertContextImpl* e : members) {
        referenced = referenced || e->refs.load() > 1;
        Release(e);
    }
    return referenced;  // self goes last: the store may end here
}

std::ptrdiff_t CertStore::IndexOfEqual(const CertContextImpl& context) const {
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (SameEncoding(*m_entries[i], context)) {
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

DWORD CertStore::Persist(const CertContextImpl& context) {
    if (!m_folder) {
        return 0;
    }
    return WriteStoreFile(*m_folder, StoredCertificate{context.encoded, PropertiesOf(context)});
}

BOOL CertStore::Add(const CertContextImpl& from, DWORD disposition, PCCERT_CONTEXT* out) {
    if (out) {
        *out = nullptr;
    }
    if (disposition < CERT_STORE_ADD_NEW || disposition > CERT_STORE_ADD_NEWER_INHERIT_PROPERTIES) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    const std::ptrdiff_t existing = IndexOfEqual(from);
    CertContextImpl* old = existing >= 0 ? m_entries[static_cast<std::size_t>(existing)] : nullptr;
    if (old) {
        if (disposition == CERT_STORE_ADD_NEW ||
            ((disposition == CERT_STORE_ADD_NEWER ||
              disposition == CERT_STORE_ADD_NEWER_INHERIT_PROPERTIES) &&
             !NotBeforeLater(from, *old))) {
            SetLastError(CRYPT_E_EXISTS);
            return FALSE;
        }
        if (disposition == CERT_STORE_ADD_USE_EXISTING) {
            if (out) {
                AddRef(old);
                *out = &old->handle.ctx;
            }
            return TRUE;
        }
    }
    // A folder keeps one file per certificate: adding always replaces there.
    const bool replace = old && (disposition != CERT_STORE_ADD_ALWAYS || m_folder);
    CertContextImpl* copy = CopyContext(from, shared_from_this());
    if (!copy) {
        return FALSE;
    }
    if (replace && (disposition == CERT_STORE_ADD_REPLACE_EXISTING_INHERIT_PROPERTIES ||
                    disposition == CERT_STORE_ADD_NEWER_INHERIT_PROPERTIES)) {
        for (auto& [id, bytes] : PropertiesOf(*old)) {
            copy->props.emplace(id, bytes);  // the new context's own properties win
        }
    }
    if (const DWORD error = Persist(*copy)) {
        Release(copy);
        SetLastError(error);
        return FALSE;
    }
    if (replace) {
        copy->storeSeq = old->storeSeq;
        m_entries[static_cast<std::size_t>(existing)] = copy;
        Release(old);
    } else {
        copy->storeSeq = m_nextSeq++;
        m_entries.push_back(copy);
    }
    if (out) {
        AddRef(copy);
        *out = &copy->handle.ctx;
    }
    return TRUE;
}

BOOL CertStore::Delete(CertContextImpl* context) {
    std::lock_guard<std::mutex> lock(m_lock);
    const auto it = std::find(m_entries.begin(), m_entries.end(), context);
    if (it == m_entries.end()) {
        SetLastError(CRYPT_E_NOT_FOUND);
        return FALSE;
    }
    if (m_folder) {
        if (const DWORD error = RemoveStoreFile(*m_folder, context->encoded)) {
            SetLastError(error);
            return FALSE;
        }
    }
    m_entries.erase(it);
    Release(context);
    return TRUE;
}

DWORD CertStore::PropertiesChanged(CertContextImpl* context) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (std::find(m_entries.begin(), m_entries.end(), context) == m_entries.end()) {
        return 0;
    }
    return Persist(*context);
}

}  // namespace vk::cert

using vk::cert::CertContextImpl;
using vk::cert::CertStore;

HCERTSTORE CertOpenSystemStoreW(HCRYPTPROV_LEGACY /*hProv*/, LPCWSTR szSubsystemProtocol) {
    if (!szSubsystemProtocol) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto folder = vk::cert::SystemStoreFolder(szSubsystemProtocol);
    if (!folder) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    return CertStore::OpenFolder(*folder);
}

HCERTSTORE CertOpenStore(LPCSTR lpszStoreProvider, DWORD /*dwEncodingType*/,
                         HCRYPTPROV_LEGACY hCryptProv, DWORD /*dwFlags*/, const void* pvPara) {
    if (lpszStoreProvider == CERT_STORE_PROV_MEMORY) {
        return CertStore::OpenMemory();
    }
    if (lpszStoreProvider == CERT_STORE_PROV_SYSTEM_W) {
        return CertOpenSystemStoreW(hCryptProv, static_cast<LPCWSTR>(pvPara));
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

BOOL CertCloseStore(HCERTSTORE hCertStore, DWORD dwFlags) {
    if (!hCertStore) {
        return TRUE;
    }
    CertStore* store = CertStore::FromHandle(hCertStore);
    if (!store) {
        return FALSE;
    }
    const bool referenced = store->CloseHandleRef();
    if (referenced && (dwFlags & CERT_CLOSE_STORE_CHECK_FLAG)) {
        SetLastError(CRYPT_E_PENDING_CLOSE);
        return FALSE;
    }
    return TRUE;
}

HCERTSTORE CertDuplicateStore(HCERTSTORE hCertStore) {
    CertStore* store = CertStore::FromHandle(hCertStore);
    if (store) {
        store->AddHandleRef();
    }
    return store;
}

BOOL CertAddCertificateContextToStore(HCERTSTORE hCertStore, PCCERT_CONTEXT pCertContext,
                                      DWORD dwAddDisposition, PCCERT_CONTEXT* ppStoreContext) {
    if (ppStoreContext) {
        *ppStoreContext = nullptr;
    }
    CertStore* store = CertStore::FromHandle(hCertStore);
    if (!store) {
        return FALSE;
    }
    if (!pCertContext) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return store->Add(*vk::cert::Impl(pCertContext), dwAddDisposition, ppStoreContext);
}

BOOL CertAddEncodedCertificateToStore(HCERTSTORE hCertStore, DWORD dwCertEncodingType,
                                      const BYTE* pbCertEncoded, DWORD cbCertEncoded,
                                      DWORD dwAddDisposition, PCCERT_CONTEXT* ppCertContext) {
    if (ppCertContext) {
        *ppCertContext = nullptr;
    }
    PCCERT_CONTEXT context =
        CertCreateCertificateContext(dwCertEncodingType, pbCertEncoded, cbCertEncoded);
    if (!context) {
        return FALSE;
    }
    const BOOL ok =
        CertAddCertificateContextToStore(hCertStore, context, dwAddDisposition, ppCertContext);
    const DWORD error = GetLastError();
    CertFreeCertificateContext(context);
    SetLastError(error);
    return ok;
}

PCCERT_CONTEXT CertFindCertificateInStore(HCERTSTORE hCertStore, DWORD /*dwCertEncodingType*/,
                                          DWORD /*dwFindFlags*/, DWORD dwFindType,
                                          const void* pvFindPara, PCCERT_CONTEXT pPrevCertContext) {
    CertStore* store = CertStore::FromHandle(hCertStore);
    CertContextImpl* prev = pPrevCertContext ? vk::cert::Impl(pPrevCertContext) : nullptr;
    CertContextImpl* found = nullptr;
    DWORD error = CRYPT_E_NOT_FOUND;
    if (!store) {
        error = ERROR_INVALID_HANDLE;
    } else if (dwFindType == CERT_FIND_ANY) {
        found = store->FindAfter(prev, [](const CertContextImpl&) { return true; });
    } else if (dwFindType == CERT_FIND_EXISTING && pvFindPara) {
        const CertContextImpl* wanted = vk::cert::Impl(static_cast<PCCERT_CONTEXT>(pvFindPara));
        found = store->FindAfter(
            prev, [wanted](const CertContextImpl& c) { return c.encoded == wanted->encoded; });
    } else if ((dwFindType == CERT_FIND_SHA1_HASH || dwFindType == CERT_FIND_MD5_HASH) &&
               pvFindPara) {
        const auto* blob = static_cast<const CRYPT_HASH_BLOB*>(pvFindPara);
        const std::vector<BYTE> wanted(blob->pbData,
                                       blob->pbData + (blob->pbData ? blob->cbData : 0));
        const ALG_ID alg = dwFindType == CERT_FIND_SHA1_HASH ? CALG_SHA1 : CALG_MD5;
        found = store->FindAfter(prev, [&](const CertContextImpl& c) {
            auto hash = vk::cert::Digest(alg, c.encoded.data(), c.encoded.size());
            return hash && *hash == wanted;
        });
    } else {
        error = ERROR_INVALID_PARAMETER;
    }
    CertFreeCertificateContext(pPrevCertContext);
    if (!found) {
        SetLastError(error);
        return nullptr;
    }
    return &found->handle.ctx;
}

PCCERT_CONTEXT CertEnumCertificatesInStore(HCERTSTORE hCertStore, PCCERT_CONTEXT pPrevCertContext) {
    return CertFindCertificateInStore(hCertStore, 0, 0, CERT_FIND_ANY, nullptr, pPrevCertContext);
}

BOOL CertDeleteCertificateFromStore(PCCERT_CONTEXT pCertContext) {
    if (!pCertContext) {
        SetLastError(CRYPT_E_NOT_FOUND);
        return FALSE;
    }
    CertContextImpl* impl = vk::cert::Impl(pCertContext);
    BOOL ok = FALSE;
    if (impl->store) {
        ok = impl->store->Delete(impl);
    } else {
        SetLastError(CRYPT_E_NOT_FOUND);
    }
    const DWORD error = GetLastError();
    CertFreeCertificateContext(pCertContext);
    SetLastError(error);
    return ok;
}
