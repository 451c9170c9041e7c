#include "platform/cert/pkcs12/PfxReader.h"

#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/pkcs12.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include <fcntl.h>
#include <unistd.h>

#include "platform/cert/pkcs12/PfxPassword.h"
#include "platform/crypto/OpenSslErrors.h"
#include "platform/crypto/OpenSslInit.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace vk::pkcs12 {
namespace {

// Every bound on the work one file may ask for is here; a file over one is
// refused as damaged (CRYPT_E_BAD_ENCODE) before the work is done.
// A PFX holds a few keys and certificates: some kilobytes.
constexpr std::size_t kMaxPfxSize = 1u << 20;
// Deeper nesting of safe contents bags than any tool writes is refused.
constexpr int kMaxNesting = 8;
// Key derivations are refused above this many iterations: a file must not
// hold the caller for minutes (tools write 2048 to 600000).
constexpr long kMaxIterations = 2000000;
// All derivations of one file together (MAC, safes and keys, each form of the
// password tried) are refused above this many iterations. One key at 600000,
// the most tools write, costs three derivations (MAC, certificates, key), at
// worst twice over with both forms of a password: 3.6 million. Six million
// leaves room for a few more keys yet keeps a hostile file to seconds of work.
constexpr long kMaxTotalIterations = 6000000;

struct Pkcs12Free {
    void operator()(PKCS12* p) const { PKCS12_free(p); }
};
using Pkcs12Ptr = std::unique_ptr<PKCS12, Pkcs12Free>;

struct SafesFree {
    void operator()(STACK_OF(PKCS7) * s) const { sk_PKCS7_pop_free(s, PKCS7_free); }
};
struct BagsFree {
    void operator()(STACK_OF(PKCS12_SAFEBAG) * s) const {
        sk_PKCS12_SAFEBAG_pop_free(s, PKCS12_SAFEBAG_free);
    }
};
struct P8Free {
    void operator()(PKCS8_PRIV_KEY_INFO* p) const { PKCS8_PRIV_KEY_INFO_free(p); }
};

// Empties OpenSSL's error queue when a step is over, whatever its outcome.
struct ErrorQueueGuard {
    ~ErrorQueueGuard() { vk::crypto::DrainOpenSslErrors("reading PFX"); }
};

long IterationsOf(const ASN1_INTEGER* iter) {
    return iter == nullptr ? 1 : ASN1_INTEGER_get(iter);  // absent: the default, 1
}

// The iterations of each derivation a password-based encryption algorithm
// runs, and how many it runs. Parameters that do not decode cost nothing:
// the decryption fails on them.
struct Derivation {
    long iterations = 1;
    int count = 0;
};

Derivation DerivationOf(const X509_ALGOR* alg) {
    Derivation d;
    if (alg == nullptr || alg->parameter == nullptr) {
        return d;
    }
    if (OBJ_obj2nid(alg->algorithm) != NID_pbes2) {
        PBEPARAM* pbe = static_cast<PBEPARAM*>(
            ASN1_TYPE_unpack_sequence(ASN1_ITEM_rptr(PBEPARAM), alg->parameter));
        if (pbe != nullptr) {
            d = {IterationsOf(pbe->iter), 2};  // the key and the IV
        }
        PBEPARAM_free(pbe);
        return d;
    }
    PBE2PARAM* pbe2 = static_cast<PBE2PARAM*>(
        ASN1_TYPE_unpack_sequence(ASN1_ITEM_rptr(PBE2PARAM), alg->parameter));
    if (pbe2 != nullptr && pbe2->keyfunc != nullptr &&
        OBJ_obj2nid(pbe2->keyfunc->algorithm) == NID_id_pbkdf2 &&
        pbe2->keyfunc->parameter != nullptr) {
        PBKDF2PARAM* kdf = static_cast<PBKDF2PARAM*>(
            ASN1_TYPE_unpack_sequence(ASN1_ITEM_rptr(PBKDF2PARAM), pbe2->keyfunc->parameter));
        if (kdf != nullptr) {
            d = {IterationsOf(kdf->iter), 1};
        }
        PBKDF2PARAM_free(kdf);
    }
    PBE2PARAM_free(pbe2);
    return d;
}

// The key derivations one reading of a file may still run.
class WorkBudget {
public:
    // Takes the work of one derivation; false, taking nothing, when it is
    // over the bound of one derivation or of the file.
    bool Take(Derivation d) {
        if (d.iterations < 1 || d.iterations > kMaxIterations || d.iterations * d.count > m_left) {
            return false;
        }
        m_left -= d.iterations * d.count;
        return true;
    }
    bool Take(const X509_ALGOR* alg) { return Take(DerivationOf(alg)); }

private:
    long m_left = kMaxTotalIterations;
};

Pkcs12Ptr Decode(const BYTE* data, std::size_t size) {
    if (data == nullptr || size == 0 || size > kMaxPfxSize) {
        return nullptr;
    }
    const unsigned char* p = data;
    return Pkcs12Ptr(d2i_PKCS12(nullptr, &p, static_cast<long>(size)));
}

enum class Step { Ok, BadPassword, Damaged, TooMuchWork };

class BagWalker {
public:
    BagWalker(const PfxPassword& password, WorkBudget& budget, PfxContents& out)
        : m_password(password), m_budget(budget), m_out(out) {}

    Step Walk(const STACK_OF(PKCS12_SAFEBAG) * bags, int depth) {
        if (depth > kMaxNesting) {
            return Step::Damaged;
        }
        for (int i = 0; i < sk_PKCS12_SAFEBAG_num(bags); ++i) {
            const Step step = Bag(sk_PKCS12_SAFEBAG_value(bags, i), depth);
            if (step != Step::Ok) {
                return step;
            }
        }
        return Step::Ok;
    }

private:
    Step Bag(const PKCS12_SAFEBAG* bag, int depth) {
        switch (PKCS12_SAFEBAG_get_nid(bag)) {
            case NID_certBag:
                return CertBag(bag);
            case NID_keyBag:
                return AddKey(PKCS12_SAFEBAG_get0_p8inf(bag));
            case NID_pkcs8ShroudedKeyBag: {
                const X509_SIG* sig = PKCS12_SAFEBAG_get0_pkcs8(bag);
                const X509_ALGOR* alg = nullptr;
                if (sig != nullptr) {
                    X509_SIG_get0(sig, &alg, nullptr);
                }
                if (sig == nullptr) {
                    return Step::Damaged;
                }
                if (!m_budget.Take(alg)) {
                    return Step::TooMuchWork;
                }
                std::unique_ptr<PKCS8_PRIV_KEY_INFO, P8Free> p8(
                    PKCS12_decrypt_skey(bag, m_password.Data(), m_password.Length()));
                if (!p8) {
                    return Step::BadPassword;
                }
                return AddKey(p8.get());
            }
            case NID_safeContentsBag:
                return Walk(PKCS12_SAFEBAG_get0_safes(bag), depth + 1);
            default:
                // CRL and secret bags carry nothing we show.
                return Step::Ok;
        }
    }

    Step CertBag(const PKCS12_SAFEBAG* bag) {
        if (PKCS12_SAFEBAG_get_bag_nid(bag) != NID_x509Certificate) {
            return Step::Ok;
        }
        X509Ptr cert(PKCS12_SAFEBAG_get1_cert(bag));
        if (!cert) {
            return Step::Damaged;
        }
        PfxCertificate entry;
        const int len = i2d_X509(cert.get(), nullptr);
        if (len <= 0) {
            return Step::Damaged;
        }
        entry.der.resize(static_cast<std::size_t>(len));
        unsigned char* p = entry.der.data();
        i2d_X509(cert.get(), &p);
        entry.cert = std::move(cert);
        m_out.certificates.push_back(std::move(entry));
        return Step::Ok;
    }

    Step AddKey(const PKCS8_PRIV_KEY_INFO* p8) {
        if (p8 == nullptr) {
            return Step::Damaged;
        }
        vk::crypto::EvpPkeyPtr key(EVP_PKCS82PKEY(p8));
        if (!key) {
            return Step::Damaged;
        }
        m_out.keys.push_back(std::move(key));
        return Step::Ok;
    }

    const PfxPassword& m_password;
    WorkBudget& m_budget;
    PfxContents& m_out;
};

// Unpacks every safe with one form of the password.
Step Unpack(PKCS12* p12, const PfxPassword& password, WorkBudget& budget, PfxContents& out) {
    std::unique_ptr<STACK_OF(PKCS7), SafesFree> safes(PKCS12_unpack_authsafes(p12));
    if (!safes) {
        return Step::Damaged;
    }
    BagWalker walker(password, budget, out);
    for (int i = 0; i < sk_PKCS7_num(safes.get()); ++i) {
        PKCS7* p7 = sk_PKCS7_value(safes.get(), i);
        std::unique_ptr<STACK_OF(PKCS12_SAFEBAG), BagsFree> bags;
        const int nid = OBJ_obj2nid(p7->type);
        if (nid == NID_pkcs7_data) {
            bags.reset(PKCS12_unpack_p7data(p7));
            if (!bags) {
                return Step::Damaged;
            }
        } else if (nid == NID_pkcs7_encrypted) {
            if (p7->d.encrypted == nullptr || p7->d.encrypted->enc_data == nullptr) {
                return Step::Damaged;
            }
            if (!budget.Take(p7->d.encrypted->enc_data->algorithm)) {
                return Step::TooMuchWork;
            }
            bags.reset(PKCS12_unpack_p7encdata(p7, password.Data(), password.Length()));
            if (!bags) {
                return Step::BadPassword;
            }
        } else {
            // Public-key protected safes need a key we do not have.
            return Step::Damaged;
        }
        const Step step = walker.Walk(bags.get(), 0);
        if (step != Step::Ok) {
            return step;
        }
    }
    return Step::Ok;
}

bool PlanBags(const STACK_OF(PKCS12_SAFEBAG) * bags, int depth, WorkBudget& plan) {
    if (depth > kMaxNesting) {
        return true;  // refused as damaged when walked
    }
    for (int i = 0; i < sk_PKCS12_SAFEBAG_num(bags); ++i) {
        const PKCS12_SAFEBAG* bag = sk_PKCS12_SAFEBAG_value(bags, i);
        const int nid = PKCS12_SAFEBAG_get_nid(bag);
        if (nid == NID_pkcs8ShroudedKeyBag) {
            const X509_ALGOR* alg = nullptr;
            if (const X509_SIG* sig = PKCS12_SAFEBAG_get0_pkcs8(bag)) {
                X509_SIG_get0(sig, &alg, nullptr);
            }
            if (!plan.Take(alg)) {
                return false;
            }
        } else if (nid == NID_safeContentsBag &&
                   !PlanBags(PKCS12_SAFEBAG_get0_safes(bag), depth + 1, plan)) {
            return false;
        }
    }
    return true;
}

// Whether the derivations that can be seen before decrypting anything (the
// MAC with each form of the password, encrypted safes, keys in plain safes)
// fit the bounds, so that a file asking for too much is refused before any
// work. What lies inside encrypted safes is taken from the budget as it comes.
bool PlanFits(PKCS12* p12, std::size_t forms) {
    WorkBudget plan;
    if (PKCS12_mac_present(p12)) {
        const ASN1_INTEGER* macIterations = nullptr;
        PKCS12_get0_mac(nullptr, nullptr, nullptr, &macIterations, p12);
        for (std::size_t i = 0; i < forms; ++i) {
            if (!plan.Take(Derivation{IterationsOf(macIterations), 1})) {
                return false;
            }
        }
    }
    std::unique_ptr<STACK_OF(PKCS7), SafesFree> safes(PKCS12_unpack_authsafes(p12));
    for (int i = 0; safes && i < sk_PKCS7_num(safes.get()); ++i) {
        PKCS7* p7 = sk_PKCS7_value(safes.get(), i);
        const int nid = OBJ_obj2nid(p7->type);
        if (nid == NID_pkcs7_data) {
            std::unique_ptr<STACK_OF(PKCS12_SAFEBAG), BagsFree> bags(PKCS12_unpack_p7data(p7));
            if (bags && !PlanBags(bags.get(), 0, plan)) {
                return false;
            }
        } else if (nid == NID_pkcs7_encrypted && p7->d.encrypted != nullptr &&
                   p7->d.encrypted->enc_data != nullptr &&
                   !plan.Take(p7->d.encrypted->enc_data->algorithm)) {
            return false;
        }
    }
    return true;
}

void PairKeys(PfxContents& out) {
    for (auto& entry : out.certificates) {
        const EVP_PKEY* pub = X509_get0_pubkey(entry.cert.get());
        for (std::size_t k = 0; k < out.keys.size(); ++k) {
            if (vk::crypto::SamePublicKey(pub, out.keys[k].get())) {
                entry.keyIndex = static_cast<int>(k);
                break;
            }
        }
    }
}

// The forms of the password whose MAC verifies, best first; all forms when
// the file has no MAC. Empty when none verifies.
std::vector<const PfxPassword*> MacCandidates(PKCS12* p12, const std::vector<PfxPassword>& forms,
                                              WorkBudget& budget, DWORD& error) {
    std::vector<const PfxPassword*> result;
    error = ERROR_SUCCESS;
    if (!PKCS12_mac_present(p12)) {
        for (const auto& form : forms) {
            result.push_back(&form);
        }
        return result;
    }
    const ASN1_INTEGER* macIterations = nullptr;
    PKCS12_get0_mac(nullptr, nullptr, nullptr, &macIterations, p12);
    bool generationFailed = false;
    for (const auto& form : forms) {
        if (!budget.Take(Derivation{IterationsOf(macIterations), 1})) {
            error = CRYPT_E_BAD_ENCODE;
            return {};
        }
        vk::crypto::DrainOpenSslErrors("PFX MAC check");
        if (PKCS12_verify_mac(p12, form.Data(), form.Length()) == 1) {
            result.push_back(&form);
        } else if (ERR_GET_REASON(ERR_peek_last_error()) == PKCS12_R_MAC_GENERATION_ERROR) {
            generationFailed = true;
        }
    }
    if (result.empty()) {
        // A MAC that cannot even be computed is an unknown algorithm, not a password.
        error = generationFailed ? CRYPT_E_BAD_ENCODE : ERROR_INVALID_PASSWORD;
    }
    return result;
}

DWORD ReadWith(const BYTE* data, std::size_t size, const wchar_t* password, PfxContents* out,
               bool verifyOnly) {
    vk::crypto::OpenSslInit();
    ErrorQueueGuard guard;
    Pkcs12Ptr p12 = Decode(data, size);
    if (!p12) {
        return CRYPT_E_BAD_ENCODE;
    }
    const bool hasMac = PKCS12_mac_present(p12.get()) == 1;
    const std::vector<PfxPassword> forms = PfxPassword::FormsOf(password);
    if (!PlanFits(p12.get(), forms.size())) {
        return CRYPT_E_BAD_ENCODE;
    }
    WorkBudget budget;
    DWORD error = ERROR_SUCCESS;
    const auto candidates = MacCandidates(p12.get(), forms, budget, error);
    if (candidates.empty()) {
        return error;
    }
    if (verifyOnly && hasMac) {
        return ERROR_SUCCESS;
    }
    // Decryption tries the forms the MAC accepted first, then the others: a
    // tool may have taken the empty password in one form for the MAC and in
    // the other for the contents.
    std::vector<const PfxPassword*> order = candidates;
    for (const auto& form : forms) {
        if (std::find(order.begin(), order.end(), &form) == order.end()) {
            order.push_back(&form);
        }
    }
    bool badPassword = false;
    for (const PfxPassword* form : order) {
        PfxContents contents;
        const Step step = Unpack(p12.get(), *form, budget, contents);
        if (step == Step::TooMuchWork) {
            return CRYPT_E_BAD_ENCODE;
        }
        if (step == Step::Ok) {
            PairKeys(contents);
            if (out != nullptr) {
                *out = std::move(contents);
            }
            return ERROR_SUCCESS;
        }
        badPassword = badPassword || step == Step::BadPassword;
    }
    // With a verified MAC the password is right: what does not decrypt is damaged.
    return badPassword && !hasMac ? ERROR_INVALID_PASSWORD : CRYPT_E_BAD_ENCODE;
}

}  // namespace

DWORD ReadPfx(const BYTE* data, std::size_t size, const wchar_t* password, PfxContents& out) {
    try {
        return ReadWith(data, size, password, &out, false);
    } catch (const std::bad_alloc&) {
        return NTE_NO_MEMORY;
    }
}

DWORD VerifyPfxPassword(const BYTE* data, std::size_t size, const wchar_t* password) {
    try {
        return ReadWith(data, size, password, nullptr, true);
    } catch (const std::bad_alloc&) {
        return NTE_NO_MEMORY;
    }
}

bool IsPfx(const BYTE* data, std::size_t size) {
    vk::crypto::OpenSslInit();
    ErrorQueueGuard guard;
    return Decode(data, size) != nullptr;
}

DWORD ReadPfxFileBytes(const char* path, std::vector<BYTE>& out) {
    out.clear();
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return ErrorFromErrno(errno);
    }
    DWORD error = ERROR_SUCCESS;
    try {
        // One byte past the bound tells a file that is too large.
        out.resize(kMaxPfxSize + 1);
        std::size_t got = 0;
        while (got < out.size()) {
            const ssize_t n = read(fd, out.data() + got, out.size() - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                error = n < 0 ? ErrorFromErrno(errno) : ERROR_SUCCESS;
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        out.resize(got);
        if (error == ERROR_SUCCESS && got > kMaxPfxSize) {
            error = CRYPT_E_BAD_ENCODE;
        }
    } catch (const std::bad_alloc&) {
        error = NTE_NO_MEMORY;
    }
    close(fd);
    if (error != ERROR_SUCCESS) {
        out.clear();
    }
    return error;
}

DWORD ReadPfxFile(const char* path, const wchar_t* password, PfxContents& out) {
    std::vector<BYTE> bytes;
    DWORD error = ReadPfxFileBytes(path, bytes);
    if (error == ERROR_SUCCESS) {
        error = ReadPfx(bytes.data(), bytes.size(), password, out);
    }
    // A file without encryption holds its keys in clear.
    OPENSSL_cleanse(bytes.data(), bytes.size());
    return error;
}

}  // namespace vk::pkcs12
