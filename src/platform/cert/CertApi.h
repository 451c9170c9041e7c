// The certificate functions: certificate contexts, stores, decoding and
// encoding, name strings, object identifier information, extension texts and
// certificate hashes, shaped as the platform calls. Calls returning BOOL give
// TRUE on success; on failure FALSE with the reason in the calling thread's
// last error (platform/errors/LastError.h). Calls returning a pointer give
// null on failure, with the last error set likewise.
//
// Variable-length outputs follow the two-call pattern: a null buffer answers
// the size and succeeds; a buffer that is too short fails with ERROR_MORE_DATA
// and answers the size needed. Decoded structures are flat: every pointer in
// them points into the same output buffer.
//
// A certificate context holds its encoded bytes and a CERT_INFO whose blobs
// point into them: making a context only splits the certificate into its
// fields. Names, the public key and extension values are decoded when asked
// for (CryptDecodeObject, CertNameToStrW, CryptFormatObject), so reading a name
// or a thumbprint never decodes the public key.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"
#include "platform/crypto/CryptApi.h"

using HCRYPTPROV_LEGACY = HCRYPTPROV;
using HCERTSTORE = void*;

// ---------------------------------------------------------------------------
// Encodings and structure types.

inline constexpr DWORD X509_ASN_ENCODING = 0x00000001;
inline constexpr DWORD PKCS_7_ASN_ENCODING = 0x00010000;

// Structure types are small integers passed as LPCSTR, or dotted object
// identifiers (extension values, for CryptFormatObject).
#define X509_CERT ((LPCSTR)1)
#define X509_CERT_TO_BE_SIGNED ((LPCSTR)2)
#define CERT_X509_NAME_STRUCT ((LPCSTR)7)
// X509_NAME is also the name of OpenSSL's name type: the macro is left out
// where OpenSSL's headers were included first, or VK_CERTAPI_NO_X509_NAME is
// defined (such files say CERT_X509_NAME_STRUCT). OpenSSL headers must not be
// included after this one where the macro is defined.
#if !defined(OPENSSL_TYPES_H) && !defined(VK_CERTAPI_NO_X509_NAME)
#define X509_NAME CERT_X509_NAME_STRUCT
#endif
#define X509_PUBLIC_KEY_INFO ((LPCSTR)8)
#define RSA_CSP_PUBLICKEYBLOB ((LPCSTR)19)

// Decoding flags (accepted and ignored: outputs are always flat buffers).
inline constexpr DWORD CRYPT_DECODE_NOCOPY_FLAG = 0x1;
inline constexpr DWORD CRYPT_DECODE_ALLOC_FLAG = 0x8000;

// ---------------------------------------------------------------------------
// Blobs and the decoded certificate.

struct CRYPTOAPI_BLOB {
    DWORD cbData;
    BYTE* pbData;
};
using CRYPT_INTEGER_BLOB = CRYPTOAPI_BLOB;
using CRYPT_UINT_BLOB = CRYPTOAPI_BLOB;
using CRYPT_OBJID_BLOB = CRYPTOAPI_BLOB;
using CERT_NAME_BLOB = CRYPTOAPI_BLOB;
using CERT_RDN_VALUE_BLOB = CRYPTOAPI_BLOB;
using CRYPT_DATA_BLOB = CRYPTOAPI_BLOB;
using CRYPT_HASH_BLOB = CRYPTOAPI_BLOB;
using CRYPT_DER_BLOB = CRYPTOAPI_BLOB;
using PCRYPT_DATA_BLOB = CRYPT_DATA_BLOB*;
using PCRYPT_HASH_BLOB = CRYPT_HASH_BLOB*;
using PCERT_NAME_BLOB = CERT_NAME_BLOB*;
using PCERT_RDN_VALUE_BLOB = CERT_RDN_VALUE_BLOB*;

struct CRYPT_BIT_STRING_BLOB {
    DWORD cbData;
    BYTE* pbData;
    DWORD cUnusedBits;
};

struct CRYPT_ALGORITHM_IDENTIFIER {
    LPSTR pszObjId;
    CRYPT_OBJID_BLOB Parameters;  // encoded parameters, empty when absent
};

struct CERT_PUBLIC_KEY_INFO {
    CRYPT_ALGORITHM_IDENTIFIER Algorithm;
    CRYPT_BIT_STRING_BLOB PublicKey;  // the key's own encoding (RSAPublicKey for RSA)
};
using PCERT_PUBLIC_KEY_INFO = CERT_PUBLIC_KEY_INFO*;

struct CERT_EXTENSION {
    LPSTR pszObjId;
    BOOL fCritical;
    CRYPT_OBJID_BLOB Value;  // the encoded value (contents of the extnValue octet string)
};
using PCERT_EXTENSION = CERT_EXTENSION*;

inline constexpr DWORD CERT_V1 = 0;
inline constexpr DWORD CERT_V2 = 1;
inline constexpr DWORD CERT_V3 = 2;

struct CERT_INFO {
    DWORD dwVersion;                  // CERT_V1 .. CERT_V3
    CRYPT_INTEGER_BLOB SerialNumber;  // least significant byte first
    CRYPT_ALGORITHM_IDENTIFIER SignatureAlgorithm;
    CERT_NAME_BLOB Issuer;  // encoded name
    FILETIME NotBefore;
    FILETIME NotAfter;
    CERT_NAME_BLOB Subject;  // encoded name
    CERT_PUBLIC_KEY_INFO SubjectPublicKeyInfo;
    CRYPT_BIT_STRING_BLOB IssuerUniqueId;
    CRYPT_BIT_STRING_BLOB SubjectUniqueId;
    DWORD cExtension;
    PCERT_EXTENSION rgExtension;
};
using PCERT_INFO = CERT_INFO*;

// ---------------------------------------------------------------------------
// Decoded names (X509_NAME). Attribute values hold the string's content
// octets as encoded (UTF-8 for UTF8String, big-endian UTF-16 for BMPString,
// ...); CertRDNValueToStrW turns them into text by dwValueType.

inline constexpr DWORD CERT_RDN_ANY_TYPE = 0;
inline constexpr DWORD CERT_RDN_ENCODED_BLOB = 1;
inline constexpr DWORD CERT_RDN_OCTET_STRING = 2;
inline constexpr DWORD CERT_RDN_NUMERIC_STRING = 3;
inline constexpr DWORD CERT_RDN_PRINTABLE_STRING = 4;
inline constexpr DWORD CERT_RDN_TELETEX_STRING = 5;
inline constexpr DWORD CERT_RDN_T61_STRING = 5;
inline constexpr DWORD CERT_RDN_VIDEOTEX_STRING = 6;
inline constexpr DWORD CERT_RDN_IA5_STRING = 7;
inline constexpr DWORD CERT_RDN_GRAPHIC_STRING = 8;
inline constexpr DWORD CERT_RDN_VISIBLE_STRING = 9;
inline constexpr DWORD CERT_RDN_ISO646_STRING = 9;
inline constexpr DWORD CERT_RDN_GENERAL_STRING = 10;
inline constexpr DWORD CERT_RDN_UNIVERSAL_STRING = 11;
inline constexpr DWORD CERT_RDN_INT4_STRING = 11;
inline constexpr DWORD CERT_RDN_BMP_STRING = 12;
inline constexpr DWORD CERT_RDN_UNICODE_STRING = 12;
inline constexpr DWORD CERT_RDN_UTF8_STRING = 13;

struct CERT_RDN_ATTR {
    LPSTR pszObjId;
    DWORD dwValueType;
    CERT_RDN_VALUE_BLOB Value;  // for CERT_RDN_ENCODED_BLOB: the whole encoded value
};
using PCERT_RDN_ATTR = CERT_RDN_ATTR*;

struct CERT_RDN {
    DWORD cRDNAttr;
    PCERT_RDN_ATTR rgRDNAttr;
};
using PCERT_RDN = CERT_RDN*;

struct CERT_NAME_INFO {
    DWORD cRDN;
    PCERT_RDN rgRDN;
};
using PCERT_NAME_INFO = CERT_NAME_INFO*;

#define szOID_COMMON_NAME "2.5.4.3"

// ---------------------------------------------------------------------------
// Certificate contexts.

struct CERT_CONTEXT {
    DWORD dwCertEncodingType;
    BYTE* pbCertEncoded;
    DWORD cbCertEncoded;
    PCERT_INFO pCertInfo;
    HCERTSTORE hCertStore;  // the store the context belongs to, or null
};
using PCERT_CONTEXT = CERT_CONTEXT*;
using PCCERT_CONTEXT = const CERT_CONTEXT*;

// Copies the bytes; fails with CRYPT_E_ASN1_* when they are not one DER
// certificate (nothing may follow it).
PCCERT_CONTEXT CertCreateCertificateContext(DWORD dwCertEncodingType, const BYTE* pbCertEncoded,
                                            DWORD cbCertEncoded);
// Contexts are reference counted; each duplicate needs its own free. Freeing
// null is allowed. Always TRUE.
BOOL CertFreeCertificateContext(PCCERT_CONTEXT pCertContext);
PCCERT_CONTEXT CertDuplicateCertificateContext(PCCERT_CONTEXT pCertContext);

// ---------------------------------------------------------------------------
// Properties.

inline constexpr DWORD CERT_KEY_PROV_HANDLE_PROP_ID = 1;
inline constexpr DWORD CERT_KEY_PROV_INFO_PROP_ID = 2;
inline constexpr DWORD CERT_SHA1_HASH_PROP_ID = 3;
inline constexpr DWORD CERT_MD5_HASH_PROP_ID = 4;
inline constexpr DWORD CERT_HASH_PROP_ID = CERT_SHA1_HASH_PROP_ID;
inline constexpr DWORD CERT_KEY_SPEC_PROP_ID = 6;
inline constexpr DWORD CERT_FRIENDLY_NAME_PROP_ID = 11;

inline constexpr DWORD CRYPT_MACHINE_KEYSET_FLAG = 0x20;  // CRYPT_KEY_PROV_INFO.dwFlags

struct CRYPT_KEY_PROV_PARAM {
    DWORD dwParam;
    BYTE* pbData;
    DWORD cbData;
    DWORD dwFlags;
};
using PCRYPT_KEY_PROV_PARAM = CRYPT_KEY_PROV_PARAM*;

struct CRYPT_KEY_PROV_INFO {
    LPWSTR pwszContainerName;
    LPWSTR pwszProvName;
    DWORD dwProvType;
    DWORD dwFlags;
    DWORD cProvParam;
    PCRYPT_KEY_PROV_PARAM rgProvParam;
    DWORD dwKeySpec;
};
using PCRYPT_KEY_PROV_INFO = CRYPT_KEY_PROV_INFO*;

// pvData: CRYPT_KEY_PROV_INFO* for CERT_KEY_PROV_INFO_PROP_ID, DWORD* for
// CERT_KEY_SPEC_PROP_ID, CRYPT_DATA_BLOB* for every other property; null
// removes the property. The hash properties are computed, not set. A context
// of the user's "MY" store writes the change through to the store.
BOOL CertSetCertificateContextProperty(PCCERT_CONTEXT pCertContext, DWORD dwPropId, DWORD dwFlags,
                                       const void* pvData);
// Two-call pattern; a missing property is CRYPT_E_NOT_FOUND. The key provider
// information comes back as a flat CRYPT_KEY_PROV_INFO, other properties as
// their bytes.
BOOL CertGetCertificateContextProperty(PCCERT_CONTEXT pCertContext, DWORD dwPropId, void* pvData,
                                       DWORD* pcbData);

// ---------------------------------------------------------------------------
// Stores.

// Store providers are small integers passed as LPCSTR.
#define CERT_STORE_PROV_MEMORY ((LPCSTR)2)
#define CERT_STORE_PROV_SYSTEM_W ((LPCSTR)10)
#define CERT_STORE_PROV_SYSTEM CERT_STORE_PROV_SYSTEM_W

inline constexpr DWORD CERT_STORE_CREATE_NEW_FLAG = 0x00002000;
inline constexpr DWORD CERT_STORE_OPEN_EXISTING_FLAG = 0x00004000;
inline constexpr DWORD CERT_STORE_READONLY_FLAG = 0x00008000;
inline constexpr DWORD CERT_SYSTEM_STORE_CURRENT_USER = 0x00010000;

inline constexpr DWORD CERT_CLOSE_STORE_FORCE_FLAG = 0x1;
inline constexpr DWORD CERT_CLOSE_STORE_CHECK_FLAG = 0x2;

inline constexpr DWORD CERT_STORE_ADD_NEW = 1;
inline constexpr DWORD CERT_STORE_ADD_USE_EXISTING = 2;
inline constexpr DWORD CERT_STORE_ADD_REPLACE_EXISTING = 3;
inline constexpr DWORD CERT_STORE_ADD_ALWAYS = 4;
inline constexpr DWORD CERT_STORE_ADD_REPLACE_EXISTING_INHERIT_PROPERTIES = 5;
inline constexpr DWORD CERT_STORE_ADD_NEWER = 6;
inline constexpr DWORD CERT_STORE_ADD_NEWER_INHERIT_PROPERTIES = 7;

inline constexpr DWORD CERT_FIND_ANY = 0;
inline constexpr DWORD CERT_FIND_SHA1_HASH = 0x00010000;
inline constexpr DWORD CERT_FIND_HASH = CERT_FIND_SHA1_HASH;
inline constexpr DWORD CERT_FIND_MD5_HASH = 0x00040000;
inline constexpr DWORD CERT_FIND_EXISTING = 0x000D0000;

// The current user's system store of that name ("MY": personal certificates),
// kept on disk in $XDG_DATA_HOME/vkcert/certstores/<NAME>/; every change is
// written through at once. hProv is ignored.
HCERTSTORE CertOpenSystemStoreW(HCRYPTPROV_LEGACY hProv, LPCWSTR szSubsystemProtocol);
// CERT_STORE_PROV_MEMORY: an empty store in memory. CERT_STORE_PROV_SYSTEM_W:
// pvPara is the wide store name, as CertOpenSystemStoreW.
HCERTSTORE CertOpenStore(LPCSTR lpszStoreProvider, DWORD dwEncodingType,
                         HCRYPTPROV_LEGACY hCryptProv, DWORD dwFlags, const void* pvPara);
// The store lives on while contexts taken from it are referenced. With
// CERT_CLOSE_STORE_CHECK_FLAG the answer is FALSE (CRYPT_E_PENDING_CLOSE) when
// such contexts remain; the store is closed all the same.
BOOL CertCloseStore(HCERTSTORE hCertStore, DWORD dwFlags);
HCERTSTORE CertDuplicateStore(HCERTSTORE hCertStore);

// An equal certificate is one with the same encoded bytes. The store keeps a
// copy of the context with its properties; ppStoreContext, when not null,
// receives that copy (to be freed by the caller).
BOOL CertAddCertificateContextToStore(HCERTSTORE hCertStore, PCCERT_CONTEXT pCertContext,
                                      DWORD dwAddDisposition, PCCERT_CONTEXT* ppStoreContext);
BOOL CertAddEncodedCertificateToStore(HCERTSTORE hCertStore, DWORD dwCertEncodingType,
                                      const BYTE* pbCertEncoded, DWORD cbCertEncoded,
                                      DWORD dwAddDisposition, PCCERT_CONTEXT* ppCertContext);
// Frees pPrevCertContext (when not null) and answers the next match, or null
// with CRYPT_E_NOT_FOUND. pvFindPara: PCCERT_CONTEXT for CERT_FIND_EXISTING,
// CRYPT_HASH_BLOB* for the hash finds.
PCCERT_CONTEXT CertFindCertificateInStore(HCERTSTORE hCertStore, DWORD dwCertEncodingType,
                                          DWORD dwFindFlags, DWORD dwFindType,
                                          const void* pvFindPara, PCCERT_CONTEXT pPrevCertContext);
// Frees pPrevCertContext and answers the next certificate in the store's order,
// or null with CRYPT_E_NOT_FOUND at the end.
PCCERT_CONTEXT CertEnumCertificatesInStore(HCERTSTORE hCertStore, PCCERT_CONTEXT pPrevCertContext);
// Removes the certificate from the context's store and frees the context, also
// on failure. Null, or a context of no store: CRYPT_E_NOT_FOUND.
BOOL CertDeleteCertificateFromStore(PCCERT_CONTEXT pCertContext);

// ---------------------------------------------------------------------------
// Decoding and encoding.

// X509_CERT_TO_BE_SIGNED: pbEncoded is a whole certificate (or its
// to-be-signed part); answers a CERT_INFO. X509_NAME: an encoded name; answers
// a CERT_NAME_INFO. RSA_CSP_PUBLICKEYBLOB: an RSAPublicKey (the PublicKey bits
// of an RSA certificate); answers a PUBLICKEYBLOB (BLOBHEADER, RSAPUBKEY
// "RSA1", modulus least significant byte first), aiKeyAlg CALG_RSA_KEYX.
// Undecodable input: CRYPT_E_ASN1_* (keys other than RSA fail so).
BOOL CryptDecodeObject(DWORD dwCertEncodingType, LPCSTR lpszStructType, const BYTE* pbEncoded,
                       DWORD cbEncoded, DWORD dwFlags, void* pvStructInfo, DWORD* pcbStructInfo);
// RSA_CSP_PUBLICKEYBLOB: a PUBLICKEYBLOB to its RSAPublicKey DER.
BOOL CryptEncodeObject(DWORD dwCertEncodingType, LPCSTR lpszStructType, const void* pvStructInfo,
                       BYTE* pbEncoded, DWORD* pcbEncoded);

// ---------------------------------------------------------------------------
// Name strings.

inline constexpr DWORD CERT_SIMPLE_NAME_STR = 1;
inline constexpr DWORD CERT_OID_NAME_STR = 2;
inline constexpr DWORD CERT_X500_NAME_STR = 3;
inline constexpr DWORD CERT_NAME_STR_SEMICOLON_FLAG = 0x40000000;
inline constexpr DWORD CERT_NAME_STR_NO_PLUS_FLAG = 0x20000000;
inline constexpr DWORD CERT_NAME_STR_NO_QUOTING_FLAG = 0x10000000;
inline constexpr DWORD CERT_NAME_STR_CRLF_FLAG = 0x08000000;
inline constexpr DWORD CERT_NAME_STR_COMMA_FLAG = 0x04000000;
inline constexpr DWORD CERT_NAME_STR_REVERSE_FLAG = 0x02000000;
inline constexpr DWORD CERT_NAME_STR_FORWARD_FLAG = 0x01000000;

// Answers the number of characters written including the terminating zero
// (1 for an empty name; a name that does not decode gives the empty text, with
// the last error set). psz null or csz 0 answers the size needed; a short
// buffer receives a truncated, terminated text.
DWORD CertNameToStrW(DWORD dwCertEncodingType, const CERT_NAME_BLOB* pName, DWORD dwStrType,
                     LPWSTR psz, DWORD csz);
// One attribute value as text (CERT_RDN_ATTR's dwValueType and Value); same
// sizing as CertNameToStrW.
DWORD CertRDNValueToStrW(DWORD dwValueType, const CERT_RDN_VALUE_BLOB* pValue, LPWSTR psz,
                         DWORD csz);

// ---------------------------------------------------------------------------
// Object identifier information.

inline constexpr DWORD CRYPT_HASH_ALG_OID_GROUP_ID = 1;
inline constexpr DWORD CRYPT_ENCRYPT_ALG_OID_GROUP_ID = 2;
inline constexpr DWORD CRYPT_PUBKEY_ALG_OID_GROUP_ID = 3;
inline constexpr DWORD CRYPT_SIGN_ALG_OID_GROUP_ID = 4;
inline constexpr DWORD CRYPT_RDN_ATTR_OID_GROUP_ID = 5;
inline constexpr DWORD CRYPT_EXT_OR_ATTR_OID_GROUP_ID = 6;
inline constexpr DWORD CRYPT_ENHKEY_USAGE_OID_GROUP_ID = 7;
inline constexpr DWORD CRYPT_POLICY_OID_GROUP_ID = 8;

inline constexpr DWORD CRYPT_OID_INFO_OID_KEY = 1;
inline constexpr DWORD CRYPT_OID_INFO_NAME_KEY = 2;
inline constexpr DWORD CRYPT_OID_INFO_ALGID_KEY = 3;

struct CRYPT_OID_INFO {
    DWORD cbSize;
    LPCSTR pszOID;
    LPCWSTR pwszName;
    DWORD dwGroupId;
    ALG_ID Algid;  // hash or public key algorithm; 0 when none
    CRYPT_DATA_BLOB ExtraInfo;
};
using PCCRYPT_OID_INFO = const CRYPT_OID_INFO*;

using PFN_CRYPT_ENUM_OID_INFO = BOOL (*)(PCCRYPT_OID_INFO pInfo, void* pvArg);

// dwKeyType: CRYPT_OID_INFO_OID_KEY (pvKey a dotted LPCSTR), _NAME_KEY (LPCWSTR,
// case-insensitive) or _ALGID_KEY (ALG_ID*). Group 0 searches every group.
// Answers null (CRYPT_E_NOT_FOUND) when nothing matches.
PCCRYPT_OID_INFO CryptFindOIDInfo(DWORD dwKeyType, const void* pvKey, DWORD dwGroupId);
// Calls the callback for every entry of the group (0: all) until it answers FALSE.
BOOL CryptEnumOIDInfo(DWORD dwGroupId, DWORD dwFlags, void* pvArg,
                      PFN_CRYPT_ENUM_OID_INFO pfnEnumOIDInfo);

// ---------------------------------------------------------------------------
// Extension texts.

inline constexpr DWORD CRYPT_FORMAT_STR_MULTI_LINE = 0x0001;
inline constexpr DWORD CRYPT_FORMAT_STR_NO_HEX = 0x0010;

// lpszStructType: the extension's dotted identifier. pbFormat receives wide
// text; *pcbFormat is in BYTES and counts the terminating zero. One-line
// texts separate items with ", "; multi-line texts end every line with CR LF.
// Extensions without a text of their own, and values that do not decode,
// are shown as hexadecimal bytes.
BOOL CryptFormatObject(DWORD dwCertEncodingType, DWORD dwFormatType, DWORD dwFormatStrType,
                       void* pFormatStruct, LPCSTR lpszStructType, const BYTE* pbEncoded,
                       DWORD cbEncoded, void* pbFormat, DWORD* pcbFormat);

// ---------------------------------------------------------------------------
// Hashes.

// CALG_SHA1 (20 bytes), CALG_MD5 (16), CALG_SHA_256 (32) of the bytes; hCryptProv
// may be 0. Other algorithms: NTE_BAD_ALGID.
BOOL CryptHashCertificate(HCRYPTPROV_LEGACY hCryptProv, ALG_ID Algid, DWORD dwFlags,
                          const BYTE* pbEncoded, DWORD cbEncoded, BYTE* pbComputedHash,
                          DWORD* pcbComputedHash);
