#include "platform/cert/CertContext.h"

#include <type_traits>

#include "platform/cert/CertFields.h"
#include "platform/cert/CertStore.h"
#include "platform/cert/FlatArena.h"
#include "platform/cert/KeyProvInfo.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace vk::cert {

static_assert(std::is_standard_layout_v<CertContextHandle>,
              "a PCCERT_CONTEXT must be convertible back to its handle");

CertContextImpl* Impl(PCCERT_CONTEXT context) {
    return reinterpret_cast<const CertContextHandle*>(context)->impl;
}

CertContextImpl* NewContext(const BYTE* encoded, std::size_t size) {
    DWORD error = 0;
    auto fields = SplitCertificate(encoded, size, true, &error);
    if (!fields) {
        SetLastError(error);
        return nullptr;
    }
    auto impl = std::make_unique<CertContextImpl>();
    impl->handle.impl = impl.get();
    impl->encoded.assign(encoded, encoded + size);
    // Split again over the owned copy, so that the laid-out fields stay valid.
    fields = SplitCertificate(impl->encoded.data(), size, true, &error);
    FlatArena measure(nullptr);
    LayOutCertInfo(*fields, measure);
    impl->info.resize((measure.Used() + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t));
    FlatArena fill(reinterpret_cast<BYTE*>(impl->info.data()));
    CERT_INFO* info = LayOutCertInfo(*fields, fill);
    impl->handle.ctx.dwCertEncodingType = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
    impl->handle.ctx.pbCertEncoded = impl->encoded.data();
    impl->handle.ctx.cbCertEncoded = static_cast<DWORD>(size);
    impl->handle.ctx.pCertInfo = info;
    return impl.release();
}

CertContextImpl* CopyContext(const CertContextImpl& from, std::shared_ptr<CertStore> store) {
    CertContextImpl* impl = NewContext(from.encoded.data(), from.encoded.size());
    if (impl) {
        impl->props = PropertiesOf(from);
        impl->handle.ctx.hCertStore = store.get();
        impl->store = std::move(store);
    }
    return impl;
}

void AddRef(CertContextImpl* impl) {
    impl->refs.fetch_add(1, std::memory_order_relaxed);
}

void Release(CertContextImpl* impl) {
    if (impl->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete impl;
    }
}

PropertyMap PropertiesOf(const CertContextImpl& impl) {
    std::lock_guard<std::mutex> lock(impl.propsLock);
    return impl.props;
}

}  // namespace vk::cert

using vk::cert::Impl;

PCCERT_CONTEXT CertCreateCertificateContext(DWORD dwCertEncodingType, const BYTE* pbCertEncoded,
                                            DWORD cbCertEncoded) {
    if (!(dwCertEncodingType & X509_ASN_ENCODING)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    vk::cert::CertContextImpl* impl = vk::cert::NewContext(pbCertEncoded, cbCertEncoded);
    return impl ? &impl->handle.ctx : nullptr;
}

BOOL CertFreeCertificateContext(PCCERT_CONTEXT pCertContext) {
    if (pCertContext) {
        vk::cert::Release(Impl(pCertContext));
    }
    return TRUE;
}

PCCERT_CONTEXT CertDuplicateCertificateContext(PCCERT_CONTEXT pCertContext) {
    if (pCertContext) {
        vk::cert::AddRef(Impl(pCertContext));
    }
    return pCertContext;
}
