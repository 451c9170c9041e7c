#include "platform/cert/pkcs12/CertKeyProvInfo.h"

#include <cstddef>
#include <vector>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace vk::pkcs12 {

std::optional<KeyProvInfo> ReadKeyProvInfo(PCCERT_CONTEXT context) {
    DWORD size = 0;
    if (!CertGetCertificateContextProperty(context, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size)) {
        if (GetLastError() == CRYPT_E_NOT_FOUND) {
            SetLastError(CRYPT_E_NO_KEY_PROPERTY);
        }
        return std::nullopt;
    }
    std::vector<std::max_align_t> buffer(size / sizeof(std::max_align_t) + 1);
    if (!CertGetCertificateContextProperty(context, CERT_KEY_PROV_INFO_PROP_ID, buffer.data(),
                                           &size)) {
        return std::nullopt;
    }
    const auto* info = reinterpret_cast<const CRYPT_KEY_PROV_INFO*>(buffer.data());
    KeyProvInfo out;
    out.container = info->pwszContainerName ? info->pwszContainerName : L"";
    out.provider = info->pwszProvName ? info->pwszProvName : L"";
    out.provType = info->dwProvType;
    out.flags = info->dwFlags;
    out.keySpec = info->dwKeySpec;
    return out;
}

}  // namespace vk::pkcs12
