#include "platform/cert/OidTable.h"

#include <cwctype>
#include <iterator>
#include <string>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace vk::cert {

namespace {

constexpr DWORD kHash = CRYPT_HASH_ALG_OID_GROUP_ID;
constexpr DWORD kEncrypt = CRYPT_ENCRYPT_ALG_OID_GROUP_ID;
constexpr DWORD kPubKey = CRYPT_PUBKEY_ALG_OID_GROUP_ID;
constexpr DWORD kSign = CRYPT_SIGN_ALG_OID_GROUP_ID;
constexpr DWORD kRdn = CRYPT_RDN_ATTR_OID_GROUP_ID;
constexpr DWORD kExt = CRYPT_EXT_OR_ATTR_OID_GROUP_ID;
constexpr DWORD kEku = CRYPT_ENHKEY_USAGE_OID_GROUP_ID;
constexpr DWORD kPolicy = CRYPT_POLICY_OID_GROUP_ID;

constexpr CRYPT_OID_INFO Entry(LPCSTR oid, LPCWSTR name, DWORD group, ALG_ID alg = 0) {
    return CRYPT_OID_INFO{sizeof(CRYPT_OID_INFO), oid, name, group, alg, {0, nullptr}};
}

// Within a group, the first entry of an identifier is the one found by it.
const CRYPT_OID_INFO kTable[] = {
    // Hash algorithms.
    Entry("1.3.14.3.2.26", L"sha1", kHash, CALG_SHA1),
    Entry("1.2.840.113549.2.5", L"md5", kHash, CALG_MD5),
    Entry("1.2.840.113549.2.4", L"md4", kHash, 0x8002),
    Entry("1.2.840.113549.2.2", L"md2", kHash, 0x8001),
    Entry("2.16.840.1.101.3.4.2.1", L"sha256", kHash, CALG_SHA_256),
    Entry("2.16.840.1.101.3.4.2.2", L"sha384", kHash, 0x800D),
    Entry("2.16.840.1.101.3.4.2.3", L"sha512", kHash, 0x800E),

    // Encryption algorithms.
    Entry("1.2.840.113549.3.2", L"rc2", kEncrypt, 0x6602),
    Entry("1.2.840.113549.3.4", L"rc4", kEncrypt, 0x6801),
    Entry("1.3.14.3.2.7", L"des", kEncrypt, 0x6601),
    Entry("1.2.840.113549.3.7", L"3des", kEncrypt, 0x6603),
    Entry("2.16.840.1.101.3.4.1.2", L"aes128", kEncrypt, 0x660E),
    Entry("2.16.840.1.101.3.4.1.22", L"aes192", kEncrypt, 0x660F),
    Entry("2.16.840.1.101.3.4.1.42", L"aes256", kEncrypt, 0x6610),

    // Public key algorithms.
    Entry("1.2.840.113549.1.1.1", L"RSA", kPubKey, CALG_RSA_KEYX),
    Entry("1.2.840.10040.4.1", L"DSA", kPubKey, 0x2200),
    Entry("1.2.840.10046.2.1", L"DH", kPubKey, 0xAA02),
    Entry("1.2.840.113549.1.1.10", L"RSASSA-PSS", kPubKey, 0),
    Entry("1.2.840.10045.2.1", L"ECC", kPubKey, 0),
    Entry("1.3.101.110", L"X25519", kPubKey, 0),
    Entry("1.3.101.112", L"Ed25519", kPubKey, 0),
    Entry("1.3.101.113", L"Ed448", kPubKey, 0),
    Entry("1.2.840.113549.1.3.1", L"DH", kPubKey, 0xAA01),
    Entry("1.3.14.3.2.12", L"DSA", kPubKey, 0x2200),
    Entry("1.3.14.3.2.22", L"RSA_KEYX", kPubKey, CALG_RSA_KEYX),
    Entry("2.5.8.1.1", L"RSA", kPubKey, CALG_RSA_KEYX),

    // Signature algorithms.
    Entry("1.2.840.113549.1.1.5", L"sha1RSA", kSign, CALG_SHA1),
    Entry("1.2.840.113549.1.1.4", L"md5RSA", kSign, CALG_MD5),
    Entry("1.2.840.113549.1.1.2", L"md2RSA", kSign, 0x8001),
    Entry("1.2.840.113549.1.1.3", L"md4RSA", kSign, 0x8002),
    Entry("1.2.840.113549.1.1.11", L"sha256RSA", kSign, CALG_SHA_256),
    Entry("1.2.840.113549.1.1.12", L"sha384RSA", kSign, 0x800D),
    Entry("1.2.840.113549.1.1.13", L"sha512RSA", kSign, 0x800E),
    Entry("1.2.840.113549.1.1.10", L"RSASSA-PSS", kSign, 0),
    Entry("1.3.14.3.2.29", L"sha1RSA", kSign, CALG_SHA1),
    Entry("1.3.14.3.2.15", L"shaRSA", kSign, CALG_SHA1),
    Entry("1.3.14.3.2.3", L"md5RSA", kSign, CALG_MD5),
    Entry("1.3.14.3.2.2", L"md4RSA", kSign, 0x8002),
    Entry("1.3.14.3.2.4", L"md4RSA", kSign, 0x8002),
    Entry("1.3.14.7.2.3.1", L"md2RSA", kSign, 0x8001),
    Entry("1.2.840.10040.4.3", L"sha1DSA", kSign, CALG_SHA1),
    Entry("1.3.14.3.2.27", L"dsaSHA1", kSign, CALG_SHA1),
    Entry("1.3.14.3.2.13", L"sha1DSA", kSign, CALG_SHA1),
    Entry("2.16.840.1.101.3.4.3.2", L"sha256DSA", kSign, CALG_SHA_256),
    Entry("1.2.840.10045.4.1", L"sha1ECDSA", kSign, CALG_SHA1),
    Entry("1.2.840.10045.4.3.2", L"sha256ECDSA", kSign, CALG_SHA_256),
    Entry("1.2.840.10045.4.3.3", L"sha384ECDSA", kSign, 0x800D),
    Entry("1.2.840.10045.4.3.4", L"sha512ECDSA", kSign, 0x800E),
    Entry("1.2.840.10045.4.3", L"specifiedECDSA", kSign, 0),

    // Attributes of names: the keys of the X.500 name strings.
    Entry("2.5.4.3", L"CN", kRdn),
    Entry("2.5.4.6", L"C", kRdn),
    Entry("2.5.4.7", L"L", kRdn),
    Entry("2.5.4.8", L"S", kRdn),
    Entry("2.5.4.9", L"STREET", kRdn),
    Entry("2.5.4.10", L"O", kRdn),
    Entry("2.5.4.11", L"OU", kRdn),
    Entry("2.5.4.12", L"T", kRdn),
    Entry("2.5.4.42", L"G", kRdn),
    Entry("2.5.4.43", L"I", kRdn),
    Entry("2.5.4.4", L"SN", kRdn),
    Entry("1.2.840.113549.1.9.1", L"E", kRdn),
    Entry("0.9.2342.19200300.100.1.25", L"DC", kRdn),
    Entry("2.5.4.5", L"SERIALNUMBER", kRdn),
    Entry("2.5.4.17", L"PostalCode", kRdn),
    Entry("2.5.4.13", L"Description", kRdn),

    // Extensions and attributes.
    Entry("2.5.29.15", L"Key Usage", kExt),
    Entry("2.5.29.19", L"Basic Constraints", kExt),
    Entry("2.5.29.14", L"Subject Key Identifier", kExt),
    Entry("2.5.29.35", L"Authority Key Identifier", kExt),
    Entry("2.5.29.17", L"Subject Alternative Name", kExt),
    Entry("2.5.29.18", L"Issuer Alternative Name", kExt),
    Entry("2.5.29.31", L"CRL Distribution Points", kExt),
    Entry("1.3.6.1.5.5.7.1.1", L"Authority Information Access", kExt),
    Entry("1.3.6.1.5.5.7.1.11", L"Subject Information Access", kExt),
    Entry("2.5.29.32", L"Certificate Policies", kExt),
    Entry("2.5.29.37", L"Enhanced Key Usage", kExt),
    Entry("2.5.29.30", L"Name Constraints", kExt),
    Entry("2.5.29.36", L"Policy Constraints", kExt),
    Entry("2.5.29.33", L"Policy Mappings", kExt),
    Entry("2.5.29.54", L"Inhibit Any Policy", kExt),
    Entry("2.5.29.16", L"Private Key Usage Period", kExt),
    Entry("2.5.29.9", L"Subject Directory Attributes", kExt),
    Entry("2.5.29.1", L"Authority Key Identifier", kExt),
    Entry("2.5.29.3", L"Certificate Policies", kExt),
    Entry("2.5.29.7", L"Subject Alternative Name", kExt),
    Entry("2.5.29.8", L"Issuer Alternative Name", kExt),
    Entry("2.5.29.10", L"Basic Constraints", kExt),
    Entry("1.3.6.1.5.5.7.1.3", L"Qualified Certificate Statements", kExt),
    Entry("1.3.6.1.5.5.7.1.24", L"TLS Feature", kExt),
    Entry("1.3.6.1.4.1.11129.2.4.2", L"SCT List", kExt),
    Entry("2.16.840.1.113730.1.1", L"Netscape Cert Type", kExt),
    Entry("2.16.840.1.113730.1.13", L"Netscape Comment", kExt),
    Entry("1.3.6.1.4.1.311.20.2", L"Certificate Template Name", kExt),
    Entry("1.3.6.1.4.1.311.21.1", L"CA Version", kExt),
    Entry("1.3.6.1.4.1.311.21.2", L"Previous CA Certificate Hash", kExt),
    Entry("1.3.6.1.4.1.311.21.7", L"Certificate Template Information", kExt),
    Entry("1.3.6.1.4.1.311.21.10", L"Application Policies", kExt),
    Entry("1.2.840.113549.1.9.15", L"SMIME Capabilities", kExt),
    Entry("1.3.6.1.5.5.7.48.1.5", L"OCSP No Revocation Checking", kExt),

    // Enhanced key usages.
    Entry("1.3.6.1.5.5.7.3.1", L"Server Authentication", kEku),
    Entry("1.3.6.1.5.5.7.3.2", L"Client Authentication", kEku),
    Entry("1.3.6.1.5.5.7.3.3", L"Code Signing", kEku),
    Entry("1.3.6.1.5.5.7.3.4", L"Secure Email", kEku),
    Entry("1.3.6.1.5.5.7.3.5", L"IP security end system", kEku),
    Entry("1.3.6.1.5.5.7.3.6", L"IP security tunnel termination", kEku),
    Entry("1.3.6.1.5.5.7.3.7", L"IP security user", kEku),
    Entry("1.3.6.1.5.5.7.3.8", L"Time Stamping", kEku),
    Entry("1.3.6.1.5.5.7.3.9", L"OCSP Signing", kEku),
    Entry("1.3.6.1.5.5.7.3.17", L"IP security IKE intermediate", kEku),
    Entry("2.5.29.37.0", L"Any Purpose", kEku),
    Entry("1.3.6.1.4.1.311.10.3.1", L"Microsoft Trust List Signing", kEku),
    Entry("1.3.6.1.4.1.311.10.3.3", L"Microsoft Server Gated Crypto", kEku),
    Entry("1.3.6.1.4.1.311.10.3.4", L"Encrypting File System", kEku),
    Entry("1.3.6.1.4.1.311.10.3.4.1", L"File Recovery", kEku),
    Entry("1.3.6.1.4.1.311.10.3.12", L"Document Signing", kEku),
    Entry("1.3.6.1.4.1.311.20.2.2", L"Smart Card Logon", kEku),
    Entry("1.3.6.1.4.1.311.21.6", L"Key Recovery Agent", kEku),
    Entry("2.16.840.1.113730.4.1", L"Netscape Server Gated Crypto", kEku),

    // Policies, policy qualifiers and access methods.
    Entry("2.5.29.32.0", L"All issuance policies", kPolicy),
    Entry("1.3.6.1.5.5.7.2.1", L"CPS", kPolicy),
    Entry("1.3.6.1.5.5.7.2.2", L"User Notice", kPolicy),
    Entry("1.3.6.1.5.5.7.48.1", L"On-line Certificate Status Protocol", kExt),
    Entry("1.3.6.1.5.5.7.48.2", L"Certification Authority Issuer", kExt),
    Entry("1.3.6.1.5.5.7.48.3", L"Time Stamping", kExt),
    Entry("1.3.6.1.5.5.7.48.5", L"Certification Authority Repository", kExt),
};

bool SameNameIgnoringCase(LPCWSTR a, LPCWSTR b) {
    for (; *a && *b; ++a, ++b) {
        if (std::towlower(static_cast<wint_t>(*a)) != std::towlower(static_cast<wint_t>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

}  // namespace

const CRYPT_OID_INFO* LookupOid(std::string_view oid, DWORD group) {
    for (const CRYPT_OID_INFO& e : kTable) {
        if ((group == 0 || e.dwGroupId == group) && oid == e.pszOID) {
            return &e;
        }
    }
    return nullptr;
}

}  // namespace vk::cert

using vk::cert::kTable;

PCCRYPT_OID_INFO CryptFindOIDInfo(DWORD dwKeyType, const void* pvKey, DWORD dwGroupId) {
    if (!pvKey) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    for (const CRYPT_OID_INFO& e : kTable) {
        if (dwGroupId != 0 && e.dwGroupId != dwGroupId) {
            continue;
        }
        bool match = false;
        switch (dwKeyType) {
            case CRYPT_OID_INFO_OID_KEY:
                match = std::string_view(static_cast<LPCSTR>(pvKey)) == e.pszOID;
                break;
            case CRYPT_OID_INFO_NAME_KEY:
                match = vk::cert::SameNameIgnoringCase(static_cast<LPCWSTR>(pvKey), e.pwszName);
                break;
            case CRYPT_OID_INFO_ALGID_KEY:
                match = e.Algid != 0 && *static_cast<const ALG_ID*>(pvKey) == e.Algid;
                break;
            default:
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
        }
        if (match) {
            return &e;
        }
    }
    SetLastError(CRYPT_E_NOT_FOUND);
    return nullptr;
}

BOOL CryptEnumOIDInfo(DWORD dwGroupId, DWORD /*dwFlags*/, void* pvArg,
                      PFN_CRYPT_ENUM_OID_INFO pfnEnumOIDInfo) {
    if (!pfnEnumOIDInfo) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (const CRYPT_OID_INFO& e : kTable) {
        if ((dwGroupId == 0 || e.dwGroupId == dwGroupId) && !pfnEnumOIDInfo(&e, pvArg)) {
            return FALSE;
        }
    }
    return TRUE;
}
