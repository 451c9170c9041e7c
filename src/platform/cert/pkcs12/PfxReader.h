// Reads a PKCS #12 file: its certificates in the order of their bags and the
// private keys it holds, each certificate paired with the key whose public
// key is its own (attributes such as localKeyID are not trusted for that).
#pragma once

#include <openssl/x509.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "platform/crypto/KeyBlob.h"

namespace vk::pkcs12 {

struct X509Free {
    void operator()(X509* cert) const { X509_free(cert); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;

struct PfxCertificate {
    std::vector<BYTE> der;
    X509Ptr cert;
    int keyIndex = -1;  // index into PfxContents::keys, -1 when the file lacks its key
};

struct PfxContents {
    std::vector<PfxCertificate> certificates;
    std::vector<vk::crypto::EvpPkeyPtr> keys;
};

// Unpacks the file with the password (null: empty). ERROR_SUCCESS, or
// ERROR_INVALID_PASSWORD (the MAC does not verify or, without a MAC, the
// contents do not decrypt), CRYPT_E_BAD_ENCODE (not PKCS #12, damaged,
// protected by an algorithm that is not available, over 1 MiB, or asking
// for more key derivation than bounded: 2 million iterations each, 6 million
// for the whole file; refused before that work is done), NTE_NO_MEMORY.
DWORD ReadPfx(const BYTE* data, std::size_t size, const wchar_t* password, PfxContents& out);

// Checks the password only (the MAC, or the first decryption without one).
DWORD VerifyPfxPassword(const BYTE* data, std::size_t size, const wchar_t* password);

// Whether the bytes decode as the outer PFX structure.
bool IsPfx(const BYTE* data, std::size_t size);

// The bytes of a PFX file (or pipe, or device), never more than 1 MiB of
// them: CRYPT_E_BAD_ENCODE when there are more, without reading them all.
// Otherwise the error of opening or reading it (ERROR_FILE_NOT_FOUND, ...).
DWORD ReadPfxFileBytes(const char* path, std::vector<BYTE>& out);

// ReadPfxFileBytes, then ReadPfx with the password: what every reader of a
// PFX file calls. Each certificate is paired with its key by public key; a
// file without a MAC is read when its contents decrypt.
DWORD ReadPfxFile(const char* path, const wchar_t* password, PfxContents& out);

}  // namespace vk::pkcs12
