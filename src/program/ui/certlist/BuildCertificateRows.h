// The rows of the certificate view, in order: Version, Serial number,
// Algorithm, Issuer, Valid from, Valid to, Subject, Public Key, one row per
// extension, SHA1 Thumbprint, MD5 Thumbprint. Captions come from the English
// string table whatever the interface language.
#pragma once

#include <functional>
#include <memory>
#include <span>

#include "program/ui/certlist/CSLExtStructItemInfo.h"
#include "program/ui/certlist/ISLItemInfo.h"

namespace SSertListItemInfo {

using RowSink = std::function<void(std::unique_ptr<ISLItemInfo>)>;

// Throws SVKCERT::SEXCPT::CCertException with the platform's error code when
// the bytes are not a certificate; no row reaches the sink then.
void BuildCertificateRows(std::span<const BYTE> der, const RowSink& sink);

// The same with the extension formatter given: null leaves out the extension
// rows, as on a platform without one.
void BuildCertificateRows(std::span<const BYTE> der, const RowSink& sink, FormatObjectFn format);

}  // namespace SSertListItemInfo
