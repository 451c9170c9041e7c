// Shared holders of what several rows of one certificate keep: its context and
// its decoded to-be-signed part.
#pragma once

#include <memory>
#include <span>

#include "platform/cert/CertApi.h"

namespace SSertListItemInfo {

using CertContextPtr = std::shared_ptr<const CERT_CONTEXT>;
using CertInfoPtr = std::shared_ptr<const CERT_INFO>;

// A context of the DER bytes; throws CCertException with the last error when
// they are not a certificate.
CertContextPtr MakeCertContext(std::span<const BYTE> der);

// CryptDecodeObject(X509_CERT_TO_BE_SIGNED) of the encoded certificate; the
// CERT_INFO lives in a buffer the pointer shares. Throws CCertException.
CertInfoPtr DecodeCertInfo(std::span<const BYTE> der);

}  // namespace SSertListItemInfo
