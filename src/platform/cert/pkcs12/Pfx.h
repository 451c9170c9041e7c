// PKCS #12 (PFX) files, shaped as the platform calls: unpacking into a memory
// store whose certificates carry key provider information that leads to
// in-memory software key sets, and packing a store with its private keys.
//
// Passwords are Unicode (the file's BMPString form). An empty password (L""
// or null) is tried both as the empty string and as no password, as other
// tools write both. A wrong password is ERROR_INVALID_PASSWORD; input that is
// not PKCS #12 or does not decode is CRYPT_E_BAD_ENCODE.
#pragma once

#include "platform/cert/CertApi.h"

// PFXImportCertStore flags (with CRYPT_EXPORTABLE, CRYPT_USER_PROTECTED and
// CRYPT_MACHINE_KEYSET of CryptApi.h).
inline constexpr DWORD CRYPT_USER_KEYSET = 0x00001000;
inline constexpr DWORD PKCS12_INCLUDE_EXTENDED_PROPERTIES = 0x00000010;
inline constexpr DWORD PKCS12_PREFER_CNG_KSP = 0x00000100;
inline constexpr DWORD PKCS12_ALWAYS_CNG_KSP = 0x00000200;
inline constexpr DWORD PKCS12_ALLOW_OVERWRITE_KEY = 0x00004000;
inline constexpr DWORD PKCS12_NO_PERSIST_KEY = 0x00008000;

// PFXExportCertStoreEx flags.
inline constexpr DWORD REPORT_NO_PRIVATE_KEY = 0x0001;
inline constexpr DWORD REPORT_NOT_ABLE_TO_EXPORT_PRIVATE_KEY = 0x0002;
inline constexpr DWORD EXPORT_PRIVATE_KEYS = 0x0004;
inline constexpr DWORD PKCS12_EXPORT_SILENT = 0x0040;

// CryptAcquireCertificatePrivateKey flags.
inline constexpr DWORD CRYPT_ACQUIRE_CACHE_FLAG = 0x00000001;
inline constexpr DWORD CRYPT_ACQUIRE_USE_PROV_INFO_FLAG = 0x00000002;
inline constexpr DWORD CRYPT_ACQUIRE_COMPARE_KEY_FLAG = 0x00000004;
inline constexpr DWORD CRYPT_ACQUIRE_SILENT_FLAG = 0x00000040;

// Whether the bytes decode as a PFX. FALSE with CRYPT_E_BAD_ENCODE when they
// do not, ERROR_INVALID_PARAMETER for a null blob.
BOOL PFXIsPFXBlob(const CRYPT_DATA_BLOB* pPFX);

// Whether the password opens the file (its integrity MAC; for a file without
// one, the decryption of its contents).
BOOL PFXVerifyPassword(const CRYPT_DATA_BLOB* pPFX, LPCWSTR szPassword, DWORD dwFlags);

// A memory store with the file's certificates in the order of their bags.
// Each certificate whose RSA private key the file holds (matched by public
// key) gets CERT_KEY_PROV_INFO_PROP_ID naming a new software key set
// ("Microsoft Enhanced Cryptographic Provider v1.0", a fresh UUID container,
// AT_KEYEXCHANGE) that holds the key in memory only, exportable when
// CRYPT_EXPORTABLE is given. Null on failure with the last error set; key
// sets made on the way are deleted then.
HCERTSTORE PFXImportCertStore(const CRYPT_DATA_BLOB* pPFX, LPCWSTR szPassword, DWORD dwFlags);

// Packs the store's certificates, with EXPORT_PRIVATE_KEYS also the private
// keys that their key provider information leads to, protected by the
// password: AES-256-CBC with PBKDF2 (HMAC-SHA-256) for keys and certificates
// and an HMAC-SHA-256 integrity MAC. Two-call pattern on pPFX: pbData null
// answers cbData; a short cbData fails with ERROR_MORE_DATA.
// REPORT_NO_PRIVATE_KEY: a certificate without key provider information fails
// (NTE_NO_KEY); REPORT_NOT_ABLE_TO_EXPORT_PRIVATE_KEY: a key that cannot be
// exported fails with its error (NTE_BAD_KEY_STATE); without these flags such
// certificates are packed without a key. A certificate's CERT_FRIENDLY_NAME_PROP_ID (a wide
// string) becomes the friendly name of its bags.
BOOL PFXExportCertStoreEx(HCERTSTORE hStore, CRYPT_DATA_BLOB* pPFX, LPCWSTR szPassword,
                          void* pvReserved, DWORD dwFlags);

// The provider context and key specification that the certificate's key
// provider information names (CRYPT_E_NO_KEY_PROPERTY without one). The
// context is always the caller's to release: *pfCallerFreeProv is TRUE.
// CRYPT_ACQUIRE_COMPARE_KEY_FLAG checks that the key is the certificate's
// (NTE_BAD_PUBLIC_KEY otherwise).
BOOL CryptAcquireCertificatePrivateKey(PCCERT_CONTEXT pCert, DWORD dwFlags, void* pvParameters,
                                       HCRYPTPROV* phCryptProv, DWORD* pdwKeySpec,
                                       BOOL* pfCallerFreeProv);
