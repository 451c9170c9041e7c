// Properties of certificate contexts.
#include <cstring>

#include "platform/cert/CertApi.h"
#include "platform/cert/CertContext.h"
#include "platform/cert/CertHash.h"
#include "platform/cert/CertStore.h"
#include "platform/cert/FlatArena.h"
#include "platform/cert/KeyProvInfo.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

using vk::cert::CertContextImpl;

BOOL CertSetCertificateContextProperty(PCCERT_CONTEXT pCertContext, DWORD dwPropId,
                                       DWORD /*dwFlags*/, const void* pvData) {
    if (!pCertContext || dwPropId == 0 || dwPropId == CERT_SHA1_HASH_PROP_ID ||
        dwPropId == CERT_MD5_HASH_PROP_ID) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<BYTE> value;
    if (pvData) {
        if (dwPropId == CERT_KEY_PROV_INFO_PROP_ID) {
            value =
                vk::cert::SerializeKeyProvInfo(*static_cast<const CRYPT_KEY_PROV_INFO*>(pvData));
        } else if (dwPropId == CERT_KEY_SPEC_PROP_ID) {
            const auto* spec = static_cast<const BYTE*>(pvData);
            value.assign(spec, spec + sizeof(DWORD));
        } else {
            const auto* blob = static_cast<const CRYPT_DATA_BLOB*>(pvData);
            if (blob->cbData && !blob->pbData) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
            value.assign(blob->pbData, blob->pbData + blob->cbData);
        }
    }
    CertContextImpl* impl = vk::cert::Impl(pCertContext);
    {
        std::lock_guard<std::mutex> lock(impl->propsLock);
        if (pvData) {
            impl->props[dwPropId] = std::move(value);
        } else {
            impl->props.erase(dwPropId);
        }
    }
    if (impl->store) {
        if (const DWORD error = impl->store->PropertiesChanged(impl)) {
            SetLastError(error);
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CertGetCertificateContextProperty(PCCERT_CONTEXT pCertContext, DWORD dwPropId, void* pvData,
                                       DWORD* pcbData) {
    if (!pCertContext || !pcbData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    CertContextImpl* impl = vk::cert::Impl(pCertContext);
    if (dwPropId == CERT_SHA1_HASH_PROP_ID || dwPropId == CERT_MD5_HASH_PROP_ID) {
        auto hash = vk::cert::Digest(dwPropId == CERT_SHA1_HASH_PROP_ID ? CALG_SHA1 : CALG_MD5,
                                     impl->encoded.data(), impl->encoded.size());
        if (!hash) {
            SetLastError(NTE_FAIL);
            return FALSE;
        }
        return vk::cert::BytesOutput(hash->data(), hash->size(), pvData, pcbData);
    }
    std::vector<BYTE> value;
    {
        std::lock_guard<std::mutex> lock(impl->propsLock);
        const auto it = impl->props.find(dwPropId);
        if (it == impl->props.end()) {
            SetLastError(CRYPT_E_NOT_FOUND);
            return FALSE;
        }
        value = it->second;
    }
    if (dwPropId == CERT_KEY_PROV_INFO_PROP_ID) {
        return vk::cert::FlatOutput(pvData, pcbData, [&value](vk::cert::FlatArena& arena) {
            if (!vk::cert::LayOutKeyProvInfo(value, arena)) {
                SetLastError(CRYPT_E_NOT_FOUND);  // a damaged record counts as none
                return false;
            }
            return true;
        });
    }
    return vk::cert::BytesOutput(value.data(), value.size(), pvData, pcbData);
}
