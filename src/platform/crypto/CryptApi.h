// The cryptographic service interface: provider contexts, keys, provider and
// key parameters and key blobs, shaped as the platform calls. Every call
// returns TRUE on success; on failure it returns FALSE and leaves the reason
// in the calling thread's last error (platform/errors/LastError.h).
//
// Handles are opaque numbers. A handle that was never issued, or was released
// or destroyed already, is refused with NTE_BAD_UID (contexts) or NTE_BAD_KEY
// (keys); it never reaches freed memory.
//
// Variable-length outputs follow the two-call pattern: a null buffer answers
// the size in *pdwDataLen and succeeds; a buffer that is too short fails with
// ERROR_MORE_DATA and answers the size needed.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

using ALG_ID = std::uint32_t;
using HCRYPTPROV = std::uintptr_t;
using HCRYPTKEY = std::uintptr_t;
using HCRYPTHASH = std::uintptr_t;

// Provider types.
inline constexpr DWORD PROV_RSA_FULL = 1;

// Provider names.
#define MS_DEF_PROV_W L"Microsoft Base Cryptographic Provider v1.0"
#define MS_ENHANCED_PROV_W L"Microsoft Enhanced Cryptographic Provider v1.0"
#define MS_STRONG_PROV_W L"Microsoft Strong Cryptographic Provider"

// CryptAcquireContextW flags.
inline constexpr DWORD CRYPT_VERIFYCONTEXT = 0xF0000000;
inline constexpr DWORD CRYPT_NEWKEYSET = 0x00000008;
inline constexpr DWORD CRYPT_DELETEKEYSET = 0x00000010;
inline constexpr DWORD CRYPT_MACHINE_KEYSET = 0x00000020;
inline constexpr DWORD CRYPT_SILENT = 0x00000040;
inline constexpr DWORD CRYPT_DEFAULT_CONTAINER_OPTIONAL = 0x00000080;

// CryptGenKey / CryptImportKey flags (the upper 16 bits of CryptGenKey's flags
// carry the key length in bits; 0 takes the provider's default).
inline constexpr DWORD CRYPT_EXPORTABLE = 0x00000001;
inline constexpr DWORD CRYPT_USER_PROTECTED = 0x00000002;
inline constexpr DWORD CRYPT_CREATE_SALT = 0x00000004;
inline constexpr DWORD CRYPT_NO_SALT = 0x00000010;
inline constexpr DWORD CRYPT_ARCHIVABLE = 0x00004000;

// Key specifications.
inline constexpr DWORD AT_KEYEXCHANGE = 1;
inline constexpr DWORD AT_SIGNATURE = 2;

// Algorithm identifiers.
inline constexpr ALG_ID CALG_RSA_SIGN = 0x00002400;
inline constexpr ALG_ID CALG_RSA_KEYX = 0x0000A400;
inline constexpr ALG_ID CALG_MD5 = 0x00008003;
inline constexpr ALG_ID CALG_SHA1 = 0x00008004;
inline constexpr ALG_ID CALG_SHA_256 = 0x0000800C;

// Provider parameters.
inline constexpr DWORD PP_ENUMALGS = 1;
inline constexpr DWORD PP_ENUMCONTAINERS = 2;
inline constexpr DWORD PP_IMPTYPE = 3;
inline constexpr DWORD PP_NAME = 4;
inline constexpr DWORD PP_VERSION = 5;
inline constexpr DWORD PP_CONTAINER = 6;
inline constexpr DWORD PP_PROVTYPE = 16;
inline constexpr DWORD PP_KEYSET_TYPE = 27;
inline constexpr DWORD PP_UNIQUE_CONTAINER = 36;
inline constexpr DWORD PP_KEYEXCHANGE_PIN = 32;
inline constexpr DWORD PP_SIGNATURE_PIN = 33;
inline constexpr DWORD CRYPT_FIRST = 1;
inline constexpr DWORD CRYPT_NEXT = 2;

// Key parameters.
inline constexpr DWORD KP_PERMISSIONS = 6;
inline constexpr DWORD KP_ALGID = 7;
inline constexpr DWORD KP_BLOCKLEN = 8;
inline constexpr DWORD KP_KEYLEN = 9;
inline constexpr DWORD KP_CERTIFICATE = 26;

// Key permission bits (KP_PERMISSIONS).
inline constexpr DWORD CRYPT_ENCRYPT = 0x0001;
inline constexpr DWORD CRYPT_DECRYPT = 0x0002;
inline constexpr DWORD CRYPT_EXPORT = 0x0004;
inline constexpr DWORD CRYPT_READ = 0x0008;
inline constexpr DWORD CRYPT_WRITE = 0x0010;
inline constexpr DWORD CRYPT_MAC = 0x0020;
inline constexpr DWORD CRYPT_EXPORT_KEY = 0x0040;
inline constexpr DWORD CRYPT_IMPORT_KEY = 0x0080;
inline constexpr DWORD CRYPT_ARCHIVE = 0x0100;

// Key blobs.
inline constexpr BYTE PUBLICKEYBLOB = 0x6;
inline constexpr BYTE PRIVATEKEYBLOB = 0x7;
inline constexpr BYTE CUR_BLOB_VERSION = 2;
inline constexpr DWORD RSA1_MAGIC = 0x31415352;  // "RSA1": public key
inline constexpr DWORD RSA2_MAGIC = 0x32415352;  // "RSA2": private key

// The layouts below are the byte layouts of the blobs: little-endian, packed.
#pragma pack(push, 1)
struct BLOBHEADER {
    BYTE bType;
    BYTE bVersion;
    WORD reserved;
    ALG_ID aiKeyAlg;
};
using PUBLICKEYSTRUC = BLOBHEADER;

struct RSAPUBKEY {
    DWORD magic;
    DWORD bitlen;
    DWORD pubexp;
};
#pragma pack(pop)
static_assert(sizeof(BLOBHEADER) == 8 && sizeof(RSAPUBKEY) == 12);

// pszProvider null takes the default provider of the type. dwFlags 0 opens the
// named (or default) key set, CRYPT_NEWKEYSET creates it, CRYPT_DELETEKEYSET
// deletes it (and sets *phProv to 0), CRYPT_VERIFYCONTEXT gives a context
// without a persistent key set.
BOOL CryptAcquireContextW(HCRYPTPROV* phProv, LPCWSTR pszContainer, LPCWSTR pszProvider,
                          DWORD dwProvType, DWORD dwFlags);
BOOL CryptReleaseContext(HCRYPTPROV hProv, DWORD dwFlags);
BOOL CryptGetProvParam(HCRYPTPROV hProv, DWORD dwParam, BYTE* pbData, DWORD* pdwDataLen,
                       DWORD dwFlags);
BOOL CryptSetProvParam(HCRYPTPROV hProv, DWORD dwParam, const BYTE* pbData, DWORD dwFlags);

BOOL CryptGetUserKey(HCRYPTPROV hProv, DWORD dwKeySpec, HCRYPTKEY* phUserKey);
BOOL CryptGenKey(HCRYPTPROV hProv, ALG_ID Algid, DWORD dwFlags, HCRYPTKEY* phKey);
BOOL CryptDestroyKey(HCRYPTKEY hKey);
BOOL CryptGetKeyParam(HCRYPTKEY hKey, DWORD dwParam, BYTE* pbData, DWORD* pdwDataLen,
                      DWORD dwFlags);
// KP_CERTIFICATE takes a DER certificate whose length is read from its own
// encoding; KP_PERMISSIONS a DWORD.
BOOL CryptSetKeyParam(HCRYPTKEY hKey, DWORD dwParam, const BYTE* pbData, DWORD dwFlags);
// hExpKey must be 0: blobs are exported in clear.
BOOL CryptExportKey(HCRYPTKEY hKey, HCRYPTKEY hExpKey, DWORD dwBlobType, DWORD dwFlags,
                    BYTE* pbData, DWORD* pdwDataLen);
BOOL CryptImportKey(HCRYPTPROV hProv, const BYTE* pbData, DWORD dwDataLen, HCRYPTKEY hPubKey,
                    DWORD dwFlags, HCRYPTKEY* phKey);

BOOL CryptGenRandom(HCRYPTPROV hProv, DWORD dwLen, BYTE* pbBuffer);
