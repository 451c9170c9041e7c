#include "platform/crypto/OpenSslInit.h"

#include <openssl/crypto.h>
#include <openssl/provider.h>

#include "platform/crypto/OpenSslErrors.h"

namespace vk::crypto {
namespace {

// Constructed by the first OpenSslInit() call, so destroyed after every static
// object whose constructor called OpenSslInit() first.
class OpenSslLibrary {
public:
    OpenSslLibrary() {
        OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT | OPENSSL_INIT_LOAD_CRYPTO_STRINGS |
                                OPENSSL_INIT_ADD_ALL_CIPHERS | OPENSSL_INIT_ADD_ALL_DIGESTS,
                            nullptr);
        // Loading "legacy" explicitly stops the automatic loading of "default",
        // so both are loaded by name.
        m_default = OSSL_PROVIDER_load(nullptr, "default");
        m_legacy = OSSL_PROVIDER_load(nullptr, "legacy");
        DrainOpenSslErrors("loading providers");
    }
    ~OpenSslLibrary() {
        if (m_legacy != nullptr) {
            OSSL_PROVIDER_unload(m_legacy);
        }
        if (m_default != nullptr) {
            OSSL_PROVIDER_unload(m_default);
        }
        OPENSSL_cleanup();
    }
    OpenSslLibrary(const OpenSslLibrary&) = delete;
    OpenSslLibrary& operator=(const OpenSslLibrary&) = delete;

    bool HasLegacy() const { return m_legacy != nullptr; }

private:
    OSSL_PROVIDER* m_default = nullptr;
    OSSL_PROVIDER* m_legacy = nullptr;
};

}  // namespace

bool OpenSslInit() {
    static const OpenSslLibrary library;
    return library.HasLegacy();
}

}  // namespace vk::crypto
