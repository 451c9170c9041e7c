// The token provider's side of the user's token service (vktokend), which
// holds the logins and does all work with private keys, as a card does. Each
// call is one connection. A call that needs a login starts the service when
// its socket does not answer; the others take a missing service for "nobody
// is logged in". Failures are StoreError, of the kinds the service answered
// (NoService when it cannot be reached).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/WinTypes.h"
#include "platform/token/TokenSecrets.h"
#include "platform/token/service/ServiceFolder.h"

namespace vkstore::service {

// A token as it sat in its reader when a handle was opened on it.
struct TokenAddress {
    std::filesystem::path world;  // the token world's root folder
    std::string reader;
    std::string uuid;
    std::int64_t insertion = 0;
};

struct KeyAddress {
    TokenAddress token;
    std::int64_t container = 0;
    int spec = 0;
};

class TokenServiceClient {
public:
    explicit TokenServiceClient(std::filesystem::path folder = DefaultServiceFolder());

    // Whether the user is logged in to the token on that insertion.
    bool IsLoggedIn(const TokenAddress& token);
    // Verifies the PIN of the token in the reader and keeps the login in the service.
    // StoreError: NotFound, Empty, PinIncorrect, PinLocked, Damaged, NoService.
    void Login(const std::filesystem::path& world, std::string_view reader, std::string_view pin);
    void Logout(const std::filesystem::path& world, std::string_view uuid);

    // The private key as PRIVATEKEYBLOB; NotExportable for a key that may not leave the token.
    SecretBytes ExportKey(const KeyAddress& key);
    // Seals the key of a PRIVATEKEYBLOB into the key's place.
    void ImportKey(const KeyAddress& key, const BYTE* blob, DWORD blobLength, bool exportable);
    // Makes an RSA key pair of `bits` in the key's place.
    void GenerateKey(const KeyAddress& key, DWORD bits, bool exportable);

    // The service's process id, starting the service when it does not run.
    std::int64_t ServiceProcess();

private:
    class Call;

    std::filesystem::path m_folder;
};

// The vktokend program the client starts: $VKTOKEND, else the one beside this
// program, else the one of the build tree, else vktokend on the PATH.
std::filesystem::path ServiceProgram();

}  // namespace vkstore::service
