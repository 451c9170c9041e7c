// The certificate file reader on arbitrary bytes, then the certificate view's
// rows of whatever it answers, every text of every row asked for; and the
// Base64 file written from the bytes must read back to them.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "program/ops/CBase64CerFormat.h"
#include "program/ops/CertFileReader.h"
#include "program/token/CCertException.h"
#include "program/ui/certlist/BuildCertificateRows.h"

using SVKCERT::SFileFormats::CBase64CerFormat;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const BYTE> bytes(data, size);
    const auto der = SVKCERT::SFileFormats::ReadCertificateFile(bytes);
    try {
        SSertListItemInfo::BuildCertificateRows(der, [](auto row) {
            volatile std::size_t total = row->GetName().size() + row->GetValue().size() +
                                         row->GetDetail().size() + row->GetIconId();
            (void)total;
        });
    } catch (const SVKCERT::SEXCPT::CCertException&) {
        // not a certificate: no rows
    }
    if (CBase64CerFormat::Read(CBase64CerFormat::Write(bytes)) !=
        std::vector<BYTE>(bytes.begin(), bytes.end())) {
        __builtin_trap();
    }
    return 0;
}
