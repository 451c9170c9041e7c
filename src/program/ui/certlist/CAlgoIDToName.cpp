#include "program/ui/certlist/CAlgoIDToName.h"

#include "platform/cert/CertApi.h"
#include "program/core/sdp/singleton_auto_pointer.h"

namespace SLocalTools {
namespace {

const wchar_t kNotFound[] = L"Algorithm name not found !!!";

struct SSearch {
    const std::string* oid;
    const wchar_t* name;
};

BOOL MatchSignatureOid(PCCRYPT_OID_INFO info, void* arg) {
    auto* search = static_cast<SSearch*>(arg);
    if (info->pwszName == nullptr || info->pwszName[0] == L'\0' || info->pszOID == nullptr) {
        return TRUE;
    }
    if (*search->oid == info->pszOID) {
        search->name = info->pwszName;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

CAlgoIDToName::CAlgoIDToName() {
    Insert("1.2.840.113549", L"RSA");
    Insert("1.2.840.113549.1", L"PKCS");
    Insert("1.2.840.113549.2", L"RSA_HASH");
    Insert("1.2.840.113549.3", L"RSA_ENCRYPT");
    Insert("1.2.840.113549.1.1", L"PKCS_1");
    Insert("1.2.840.113549.1.2", L"PKCS_2");
    Insert("1.2.840.113549.1.3", L"PKCS_3");
    Insert("1.2.840.113549.1.4", L"PKCS_4");
    Insert("1.2.840.113549.1.5", L"PKCS_5");
    Insert("1.2.840.113549.1.6", L"PKCS_6");
    Insert("1.2.840.113549.1.7", L"PKCS_7");
    Insert("1.2.840.113549.1.8", L"PKCS_8");
    Insert("1.2.840.113549.1.9", L"PKCS_9");
    Insert("1.2.840.113549.1.10", L"PKCS_10");
    Insert("1.2.840.113549.1.12", L"PKCS_12");
    Insert("1.2.840.113549.2.2", L"RSA_MD2");
    Insert("1.2.840.113549.2.4", L"RSA_MD4");
    Insert("1.2.840.113549.2.5", L"RSA_MD5");
    Insert("1.2.840.113549.1.1.1", L"RSA_RSA");
    Insert("1.2.840.113549.1.1.2", L"RSA_MD2RSA");
    Insert("1.2.840.113549.1.1.3", L"RSA_MD4RSA");
    Insert("1.2.840.113549.1.1.4", L"RSA_MD5RSA");
    Insert("1.2.840.113549.1.1.5", L"RSA_SHA1RSA");
    Insert("1.2.840.113549.1.1.6", L"RSA_SETOAEP_RSA");
    Insert("1.2.840.113549.1.3.1", L"RSA_DH");
    Insert("1.2.840.113549.1.7.1", L"RSA_data");
    Insert("1.2.840.113549.1.7.2", L"RSA_signedData");
    Insert("1.2.840.113549.1.7.3", L"RSA_envelopedData");
    Insert("1.2.840.113549.1.7.4", L"RSA_signEnvData");
    Insert("1.2.840.113549.1.7.5", L"RSA_digestedData");
    Insert("1.2.840.113549.1.7.5", L"RSA_hashedData");
    Insert("1.2.840.113549.1.7.6", L"RSA_encryptedData");
    Insert("1.2.840.113549.1.9.1", L"RSA_emailAddr");
    Insert("1.2.840.113549.1.9.2", L"RSA_unstructName");
    Insert("1.2.840.113549.1.9.3", L"RSA_contentType");
    Insert("1.2.840.113549.1.9.4", L"RSA_messageDigest");
    Insert("1.2.840.113549.1.9.5", L"RSA_signingTime");
    Insert("1.2.840.113549.1.9.6", L"RSA_counterSign");
    Insert("1.2.840.113549.1.9.7", L"RSA_challengePwd");
    Insert("1.2.840.113549.1.9.8", L"RSA_unstructAddr");
    Insert("1.2.840.113549.1.9.9", L"RSA_extCertAttrs");
    Insert("1.2.840.113549.1.9.15", L"RSA_SMIMECapabilities");
    Insert("1.2.840.113549.1.9.15.1", L"RSA_preferSignedData");
    Insert("1.2.840.113549.3.2", L"RSA_RC2CBC");
    Insert("1.2.840.113549.3.4", L"RSA_RC4");
    Insert("1.2.840.113549.3.7", L"RSA_DES_EDE3_CBC");
    Insert("1.2.840.113549.3.9", L"RSA_RC5_CBCPad");
    Insert("1.2.840.10040", L"X957");
    Insert("1.2.840.10040.4.1", L"X957_DSA");
    Insert("2.5", L"DS");
    Insert("2.5.8", L"DSALG");
    Insert("2.5.8.1", L"DSALG_CRPT");
    Insert("2.5.8.2", L"DSALG_HASH");
    Insert("2.5.8.3", L"DSALG_SIGN");
    Insert("2.5.8.1.1", L"DSALG_RSA");
    Insert("1.3.14", L"OIW");
    Insert("1.3.14.3.2", L"OIWSEC");
    Insert("1.3.14.3.2.2", L"OIWSEC_md4RSA");
    Insert("1.3.14.3.2.3", L"OIWSEC_md5RSA");
    Insert("1.3.14.3.2.4", L"OIWSEC_md4RSA2");
    Insert("1.3.14.3.2.6", L"OIWSEC_desECB");
    Insert("1.3.14.3.2.7", L"OIWSEC_desCBC");
    Insert("1.3.14.3.2.8", L"OIWSEC_desOFB");
    Insert("1.3.14.3.2.9", L"OIWSEC_desCFB");
    Insert("1.3.14.3.2.10", L"OIWSEC_desMAC");
    Insert("1.3.14.3.2.11", L"OIWSEC_rsaSign");
    Insert("1.3.14.3.2.12", L"OIWSEC_dsa");
    Insert("1.3.14.3.2.13", L"OIWSEC_shaDSA");
    Insert("1.3.14.3.2.14", L"OIWSEC_mdc2RSA");
    Insert("1.3.14.3.2.15", L"OIWSEC_shaRSA");
    Insert("1.3.14.3.2.16", L"OIWSEC_dhCommMod");
    Insert("1.3.14.3.2.17", L"OIWSEC_desEDE");
    Insert("1.3.14.3.2.18", L"OIWSEC_sha");
    Insert("1.3.14.3.2.19", L"OIWSEC_mdc2");
    Insert("1.3.14.3.2.20", L"OIWSEC_dsaComm");
    Insert("1.3.14.3.2.21", L"OIWSEC_dsaCommSHA");
    Insert("1.3.14.3.2.22", L"OIWSEC_rsaXchg");
    Insert("1.3.14.3.2.23", L"OIWSEC_keyHashSeal");
    Insert("1.3.14.3.2.24", L"OIWSEC_md2RSASign");
    Insert("1.3.14.3.2.25", L"OIWSEC_md5RSASign");
    Insert("1.3.14.3.2.26", L"OIWSEC_sha1");
    Insert("1.3.14.3.2.27", L"OIWSEC_dsaSHA1");
    Insert("1.3.14.3.2.28", L"OIWSEC_dsaCommSHA1");
    Insert("1.3.14.3.2.29", L"OIWSEC_sha1RSASign");
    Insert("1.3.14.7.2", L"OIWDIR");
    Insert("1.3.14.7.2.1", L"OIWDIR_CRPT");
    Insert("1.3.14.7.2.2", L"OIWDIR_HASH");
    Insert("1.3.14.7.2.3", L"OIWDIR_SIGN");
    Insert("1.3.14.7.2.2.1", L"OIWDIR_md2");
    Insert("1.3.14.7.2.3.1", L"OIWDIR_md2RSA");
    Insert("2.16.840.1.101.2.1", L"INFOSEC");
    Insert("2.16.840.1.101.2.1.1.1", L"INFOSEC_sdnsSignature");
    Insert("2.16.840.1.101.2.1.1.2", L"INFOSEC_mosaicSignature");
    Insert("2.16.840.1.101.2.1.1.3", L"INFOSEC_sdnsConfidentiality");
    Insert("2.16.840.1.101.2.1.1.4", L"INFOSEC_mosaicConfidentiality");
    Insert("2.16.840.1.101.2.1.1.5", L"INFOSEC_sdnsIntegrity");
    Insert("2.16.840.1.101.2.1.1.6", L"INFOSEC_mosaicIntegrity");
    Insert("2.16.840.1.101.2.1.1.7", L"INFOSEC_sdnsTokenProtection");
    Insert("2.16.840.1.101.2.1.1.8", L"INFOSEC_mosaicTokenProtection");
    Insert("2.16.840.1.101.2.1.1.9", L"INFOSEC_sdnsKeyManagement");
    Insert("2.16.840.1.101.2.1.1.10", L"INFOSEC_mosaicKeyManagement");
    Insert("2.16.840.1.101.2.1.1.11", L"INFOSEC_sdnsKMandSig");
    Insert("2.16.840.1.101.2.1.1.12", L"INFOSEC_mosaicKMandSig");
    Insert("2.16.840.1.101.2.1.1.13", L"INFOSEC_SuiteASignature");
    Insert("2.16.840.1.101.2.1.1.14", L"INFOSEC_SuiteAConfidentiality");
    Insert("2.16.840.1.101.2.1.1.15", L"INFOSEC_SuiteAIntegrity");
    Insert("2.16.840.1.101.2.1.1.16", L"INFOSEC_SuiteATokenProtection");
    Insert("2.16.840.1.101.2.1.1.17", L"INFOSEC_SuiteAKeyManagement");
    Insert("2.16.840.1.101.2.1.1.18", L"INFOSEC_SuiteAKMandSig");
    Insert("2.16.840.1.101.2.1.1.19", L"INFOSEC_mosaicUpdatedSig");
    Insert("2.16.840.1.101.2.1.1.20", L"INFOSEC_mosaicKMandUpdSig");
    Insert("2.16.840.1.101.2.1.1.21", L"INFOSEC_mosaicUpdatedInteg");
    Insert("1.3.6.1.5.5.7.6.2", L"PKIX_NO_SIGNATURE");
}

void CAlgoIDToName::Insert(const char* oid, const wchar_t* name) {
    m_names.emplace(oid, name);
}

std::wstring CAlgoIDToName::TableName(const std::string& oid) const {
    const auto found = m_names.find(oid);
    return found != m_names.end() ? found->second : std::wstring();
}

std::wstring CAlgoIDToName::GetAlgorithmName(const std::string& oid) const {
    SSearch search{&oid, nullptr};
    CryptEnumOIDInfo(CRYPT_SIGN_ALG_OID_GROUP_ID, 0, &search, MatchSignatureOid);
    if (search.name != nullptr) {
        return search.name;
    }
    std::wstring name = TableName(oid);
    return name.empty() ? std::wstring(kNotFound) : name;
}

const CAlgoIDToName& AlgoIDToName() {
    static const SDP::singleton_auto_pointer<CAlgoIDToName> holder;
    return *holder;
}

}  // namespace SLocalTools
