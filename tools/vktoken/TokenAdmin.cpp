#include "TokenAdmin.h"

#include <openssl/pkcs12.h>
#include <openssl/x509.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "CertMaker.h"
#include "platform/crypto/OpenSslInit.h"
#include "platform/crypto/SoftwareKey.h"
#include "platform/token/StoreError.h"
#include "platform/token/TokenKeyWriter.h"
#include "platform/token/TokenStore.h"

using vkstore::StoreError;
using vkstore::StoreFailure;
using vkstore::TokenStore;

namespace {

TokenStore Open(vkstore::TokenWorld& world, const std::string& label) {
    auto token = world.FindToken(label);
    if (!token) {
        throw StoreError(StoreFailure::NotFound, "no token " + label);
    }
    return TokenStore(world.TokenFile(token->uuid));
}

struct Pkcs12Free {
    void operator()(PKCS12* p) const { PKCS12_free(p); }
};

}  // namespace

void TokenAdmin::AddContainer(const std::string& label, const std::string& pin,
                              const ContainerRequest& request) {
    TokenStore store = Open(m_world, label);
    vkstore::SecretBytes tokenKey = store.Unlock(pin);
    TokenStore::CheckContainerName(request.name);
    if (store.FindContainer(request.name)) {
        throw StoreError(StoreFailure::Exists, "container exists: " + request.name);
    }
    // Keys and certificates are made before the container, so that a failure
    // leaves nothing half-made on the token.
    struct Made {
        int spec;
        vk::crypto::EvpPkeyPtr key;
        vkstore::Bytes certificate;
    };
    std::vector<Made> made;
    for (int spec : {1, 2}) {
        if ((spec == 1 && !request.exchange) || (spec == 2 && !request.signature)) {
            continue;
        }
        Made m{spec, vk::crypto::GenerateRsaKey(request.bits), {}};
        if (!m.key) {
            throw std::runtime_error("key generation failed");
        }
        if (request.cert != ContainerRequest::Cert::None) {
            CertRequest cert;
            cert.commonName = request.commonName.empty() ? request.name : request.commonName;
            cert.email = request.email;
            cert.keySpec = spec;
            cert.fromCa = request.cert == ContainerRequest::Cert::FromCa;
            X509Ptr x509 = MakeCertificate(m.key.get(), cert, m_world.Root());
            auto der = CertificateDer(x509.get());
            m.certificate.assign(der.begin(), der.end());
        }
        made.push_back(std::move(m));
    }
    store.Write([&] {
        auto id = store.CreateContainer(request.name);
        for (auto& m : made) {
            vkstore::WriteTokenKey(store, id, tokenKey, m.key.get(), m.spec, request.exportable,
                                   m.certificate);
        }
        if (request.makeDefault) {
            store.SetDefault(id, true);
        }
    });
}

void TokenAdmin::DeleteContainer(const std::string& label, const std::string& pin,
                                 const std::string& name) {
    TokenStore store = Open(m_world, label);
    store.Unlock(pin);
    store.DeleteContainer(name);
}

void TokenAdmin::ImportPfx(const std::string& label, const std::string& pin,
                           const std::string& container, const std::string& file,
                           const std::string& password, int spec, bool exportable, bool replace) {
    vk::crypto::OpenSslInit();
    TokenStore store = Open(m_world, label);
    vkstore::SecretBytes tokenKey = store.Unlock(pin);
    TokenStore::CheckContainerName(container);

    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + file);
    }
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    const unsigned char* p = bytes.data();
    std::unique_ptr<PKCS12, Pkcs12Free> p12(
        d2i_PKCS12(nullptr, &p, static_cast<long>(bytes.size())));
    if (!p12) {
        throw std::runtime_error(file + " is not a PKCS #12 file");
    }
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    if (!PKCS12_parse(p12.get(), password.c_str(), &key, &cert, nullptr) &&
        !(password.empty() && PKCS12_parse(p12.get(), nullptr, &key, &cert, nullptr))) {
        throw std::runtime_error("wrong password or damaged file: " + file);
    }
    vk::crypto::EvpPkeyPtr keyOwner(key);
    X509Ptr certOwner(cert);
    if (!key) {
        throw std::runtime_error(file + " holds no private key");
    }
    vkstore::Bytes der;
    if (cert) {
        auto encoded = CertificateDer(cert);
        der.assign(encoded.begin(), encoded.end());
    }
    // The container and its key are stored together or not at all.
    store.Write([&] {
        auto existing = store.FindContainer(container);
        if (existing && !replace) {
            throw StoreError(StoreFailure::Exists,
                             "container exists: " + container +
                                 " (its keys are kept; --replace puts the file's key in place "
                                 "of its key)");
        }
        auto id = existing ? existing->id : store.CreateContainer(container);
        vkstore::WriteTokenKey(store, id, tokenKey, key, spec, exportable, der);
    });
}

void TokenAdmin::ChangePin(const std::string& label, const std::string& oldPin,
                           const std::string& newPin) {
    TokenStore store = Open(m_world, label);
    store.ChangePin(oldPin, newPin);
}

void TokenAdmin::Show(const std::string& label, std::ostream& out) {
    TokenStore store = Open(m_world, label);
    const auto r = store.Record();
    char id[16];
    std::snprintf(id, sizeof id, "%08X", r.tokenId);
    out << "label\t" << r.label << "\n"
        << "type\t" << int{r.type} << "\n"
        << "version\t" << int{r.versionMajor} << "." << int{r.versionMinor} << "\n"
        << "memory\t" << r.memorySize << "\n"
        << "free\t" << r.freeMemory << "\n"
        << "protocol\t" << int{r.protocol} << "\n"
        << "microcode\t" << int{r.microcode} << "\n"
        << "id\t" << id << "\n"
        << "pin-policy\t" << int{r.pinPolicy} << "\n";
    const auto pin = store.Pin();
    out << "pin-tries\t" << pin.retriesLeft << "/" << pin.maxRetries << "\n";
    for (const auto& container : store.Containers()) {
        out << "container\t" << container.name << (container.isDefault ? "\tdefault" : "") << "\n";
        for (const auto& key : store.Keys(container.id)) {
            const unsigned char* p = key.publicDer.data();
            vk::crypto::EvpPkeyPtr pub(
                d2i_PUBKEY(nullptr, &p, static_cast<long>(key.publicDer.size())));
            out << "  key\t" << (key.spec == 1 ? "exchange" : "signature") << "\t"
                << (pub ? EVP_PKEY_get_bits(pub.get()) : 0) << "\t"
                << (key.exportable ? "exportable" : "not-exportable") << "\t"
                << (key.certificate.empty() ? "no-certificate" : "certificate") << "\n";
        }
    }
}
