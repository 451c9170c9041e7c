#include "program/ops/CertFileReader.h"

#include <algorithm>
#include <string_view>

#include "program/ops/CBase64CerFormat.h"

namespace SVKCERT::SFileFormats {

std::vector<BYTE> ReadCertificateFile(std::span<const BYTE> bytes) {
    if (std::find(bytes.begin(), bytes.end(), BYTE{0}) == bytes.end()) {
        try {
            const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            auto der = CBase64CerFormat::Read(text);
            if (!der.empty()) {
                return der;
            }
        } catch (const CBase64CerFormat::CParseException&) {
            // not a Base64 file: the bytes are taken as they are
        }
    }
    return std::vector<BYTE>(bytes.begin(), bytes.end());
}

}  // namespace SVKCERT::SFileFormats
