#include "TokenAdmin.h"

#include <openssl/crypto.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "CertMaker.h"
#include "platform/cert/pkcs12/PfxReader.h"
#include "platform/crypto/OpenSslInit.h"
#include "platform/crypto/SoftwareKey.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"
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

    // Read as every reader of PFX files reads them: bounded in size and key derivation, files
    // without a MAC taken when their contents decrypt, keys paired with their certificates.
    std::wstring widePassword = Utf8ToWide(password);
    vk::pkcs12::PfxContents pfx;
    const DWORD read = vk::pkcs12::ReadPfxFile(file.c_str(), widePassword.c_str(), pfx);
    OPENSSL_cleanse(widePassword.data(), widePassword.size() * sizeof(wchar_t));
    if (read == ERROR_INVALID_PASSWORD) {
        throw std::runtime_error("wrong password: " + file);
    }
    if (read == CRYPT_E_BAD_ENCODE) {
        throw std::runtime_error(file + ": not a PKCS #12 file, or damaged");
    }
    if (read != ERROR_SUCCESS) {
        throw std::runtime_error("cannot read " + file);
    }
    if (pfx.keys.empty()) {
        throw std::runtime_error(file + " holds no private key");
    }
    // The first certificate with its key, else the first key alone.
    const auto paired = std::ranges::find_if(
        pfx.certificates, [](const vk::pkcs12::PfxCertificate& c) { return c.keyIndex >= 0; });
    EVP_PKEY* key = pfx.keys.front().get();
    vkstore::Bytes der;
    if (paired != pfx.certificates.end()) {
        key = pfx.keys.at(static_cast<std::size_t>(paired->keyIndex)).get();
        der.assign(paired->der.begin(), paired->der.end());
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

void TokenAdmin::Unblock(const std::string& label, const std::string& adminPin,
                         const std::string& newPin) {
    TokenStore store = Open(m_world, label);
    store.Unblock(adminPin, newPin);
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
    if (const auto admin = store.AdminPin()) {
        out << "admin-pin-tries\t" << admin->retriesLeft << "/" << admin->maxRetries << "\n";
    } else {
        out << "admin-pin-tries\tnone\n";
    }
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
