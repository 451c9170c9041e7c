// A certificate split into the fields of its to-be-signed part, each kept as
// the bytes it is encoded with (views into the input). Nothing inside the
// names, the public key or the extension values is decoded here, except that
// names are checked to be well-formed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "platform/cert/CertApi.h"

namespace vk::cert {

struct ByteView {
    const BYTE* data = nullptr;
    std::size_t size = 0;
};

struct ExtensionFields {
    std::string oid;
    bool critical = false;
    ByteView value;
};

struct CertFields {
    DWORD version = CERT_V1;
    ByteView serial;  // big-endian, as encoded
    std::string signatureOid;
    ByteView signatureParams;
    ByteView issuer;  // whole encoded Name
    FILETIME notBefore{};
    FILETIME notAfter{};
    ByteView subject;
    std::string publicKeyOid;
    ByteView publicKeyParams;
    ByteView publicKey;
    DWORD publicKeyUnusedBits = 0;
    ByteView issuerUid;
    DWORD issuerUidUnusedBits = 0;
    ByteView subjectUid;
    DWORD subjectUidUnusedBits = 0;
    std::vector<ExtensionFields> extensions;
    // The whole certificate when the input was a signed one, else empty.
    ByteView certificate;
};

// Splits a signed certificate, or (allowSigned false or the input being one)
// a bare to-be-signed part. On failure answers nothing with the error code in
// *error (CRYPT_E_ASN1_*).
std::optional<CertFields> SplitCertificate(const BYTE* data, std::size_t size, bool requireSigned,
                                           DWORD* error);

// Lays fields out as a CERT_INFO (serial number least significant byte first).
CERT_INFO* LayOutCertInfo(const CertFields& fields, class FlatArena& arena);

// The time of an encoded UTCTime or GeneralizedTime as a file time.
std::optional<FILETIME> ParseAsn1Time(std::uint8_t tag, const BYTE* text, std::size_t size);

}  // namespace vk::cert
