#include "platform/token/TokenLogin.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <system_error>

#include "platform/kernel/AtomicFile.h"
#include "platform/token/StoreError.h"
#include "platform/token/TokenStore.h"

namespace vkstore {

namespace {

constexpr std::size_t kFileSize = sizeof(std::int64_t) + TokenSecrets::kKeySize;

// The folder must be ours alone: a folder made by someone else (possible
// under /tmp) is refused rather than trusted with a token key.
void MakePrivateFolder(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        ::chmod(dir.c_str(), 0700) != 0) {
        throw std::system_error(EACCES, std::generic_category(), "unsafe folder " + dir.string());
    }
}

}  // namespace

std::filesystem::path TokenLogin::DefaultFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        return std::filesystem::path(runtime) / "vkcert" / "login";
    }
    return std::filesystem::path("/tmp") / ("vkcert-" + std::to_string(getuid())) / "login";
}

TokenLogin::TokenLogin(std::filesystem::path folder) : m_folder(std::move(folder)) {}

std::filesystem::path TokenLogin::File(std::string_view tokenUuid) const {
    return m_folder / std::string(tokenUuid);
}

void TokenLogin::Login(TokenWorld& world, std::string_view reader, std::string_view pin) {
    auto state = world.Reader(reader);
    if (!state) {
        throw StoreError(StoreFailure::NotFound, "no reader " + std::string(reader));
    }
    if (!state->token) {
        throw StoreError(StoreFailure::Empty, "reader " + std::string(reader) + " is empty");
    }
    SecretBytes key = TokenStore(world.TokenFile(state->token->uuid)).Unlock(pin);

    MakePrivateFolder(m_folder.parent_path());
    MakePrivateFolder(m_folder);
    SecretBytes content(kFileSize);
    std::memcpy(content.Data(), &state->insertion, sizeof state->insertion);
    std::memcpy(content.Data() + sizeof state->insertion, key.Data(), key.Size());

    if (const DWORD rc =
            ReplaceFileAtomically(File(state->token->uuid), {content.Data(), content.Size()});
        rc != 0) {
        throw std::runtime_error("store login: error " + std::to_string(rc));
    }
}

void TokenLogin::Logout(std::string_view tokenUuid) {
    std::error_code ec;
    std::filesystem::remove(File(tokenUuid), ec);
}

std::optional<SecretBytes> TokenLogin::Key(const ReaderState& reader) {
    if (!reader.token) {
        return std::nullopt;
    }
    const auto file = File(reader.token->uuid);
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    SecretBytes content(kFileSize + 1);
    ssize_t n = ::read(fd, content.Data(), content.Size());
    ::close(fd);
    std::int64_t insertion = 0;
    if (n == static_cast<ssize_t>(kFileSize)) {
        std::memcpy(&insertion, content.Data(), sizeof insertion);
    }
    if (n == static_cast<ssize_t>(kFileSize) && insertion > reader.insertion) {
        // Made on a later insertion than the asker's (a handle opened before the token left
        // and came back): that login is not the asker's to end.
        return std::nullopt;
    }
    if (n != static_cast<ssize_t>(kFileSize) || insertion != reader.insertion) {
        // Made on an earlier insertion: that login ended when the token left.
        Logout(reader.token->uuid);
        return std::nullopt;
    }
    return SecretBytes(content.Data() + sizeof insertion, TokenSecrets::kKeySize);
}

}  // namespace vkstore
