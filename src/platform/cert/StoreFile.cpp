#include "platform/cert/StoreFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/cert/CertFields.h"
#include "platform/cert/CertHash.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/kernel/AtomicFile.h"
#include "platform/text/Utf.h"

namespace vk::cert {

namespace {

constexpr DWORD kCertPropId = 32;
constexpr char kMagic[4] = {'V', 'K', 'C', 'S'};
constexpr DWORD kVersion = 1;
constexpr std::size_t kMaxFile = 16 * 1024 * 1024;

void PutU32(std::vector<BYTE>& out, DWORD v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<BYTE>(v >> (8 * i)));
    }
}

DWORD GetU32(const BYTE* p) {
    return DWORD{p[0]} | DWORD{p[1]} << 8 | DWORD{p[2]} << 16 | DWORD{p[3]} << 24;
}

std::vector<BYTE> Serialize(const StoredCertificate& cert) {
    std::vector<BYTE> out(kMagic, kMagic + 4);
    PutU32(out, kVersion);
    PutU32(out, kCertPropId);
    PutU32(out, static_cast<DWORD>(cert.encoded.size()));
    out.insert(out.end(), cert.encoded.begin(), cert.encoded.end());
    for (const auto& [id, bytes] : cert.props) {
        PutU32(out, id);
        PutU32(out, static_cast<DWORD>(bytes.size()));
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

std::optional<StoredCertificate> Parse(const std::vector<BYTE>& data) {
    if (data.size() < 8 || std::memcmp(data.data(), kMagic, 4) != 0 ||
        GetU32(data.data() + 4) != kVersion) {
        return std::nullopt;
    }
    StoredCertificate cert;
    bool haveCert = false;
    std::size_t pos = 8;
    while (pos < data.size()) {
        if (data.size() - pos < 8) {
            return std::nullopt;
        }
        const DWORD id = GetU32(data.data() + pos);
        const DWORD len = GetU32(data.data() + pos + 4);
        pos += 8;
        if (data.size() - pos < len) {
            return std::nullopt;
        }
        std::vector<BYTE> bytes(data.begin() + static_cast<std::ptrdiff_t>(pos),
                                data.begin() + static_cast<std::ptrdiff_t>(pos + len));
        pos += len;
        if (id == kCertPropId) {
            if (haveCert) {
                return std::nullopt;
            }
            cert.encoded = std::move(bytes);
            haveCert = true;
        } else {
            cert.props[id] = std::move(bytes);
        }
    }
    if (!haveCert) {
        return std::nullopt;
    }
    return cert;
}

void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The files of the folder named as store files ("<40 hex digits>.cert"), sorted.
std::vector<std::filesystem::path> StoreFileNames(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == 45 && name.ends_with(".cert")) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The certificate of one store file; nothing when the file cannot be read, is damaged or holds
// another certificate than its name says.
std::optional<StoredCertificate> ReadStoreFile(const std::filesystem::path& folder,
                                               const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<BYTE> data;
    data.reserve(4096);
    char buf[4096];
    while (in && data.size() <= kMaxFile) {
        in.read(buf, sizeof buf);
        data.insert(data.end(), buf, buf + in.gcount());
    }
    if (data.size() > kMaxFile) {
        return std::nullopt;
    }
    auto cert = Parse(data);
    if (!cert || StoreFilePath(folder, cert->encoded) != path) {
        return std::nullopt;
    }
    DWORD error = 0;
    if (!SplitCertificate(cert->encoded.data(), cert->encoded.size(), true, &error)) {
        return std::nullopt;
    }
    return cert;
}

std::filesystem::path DataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".local" / "share";
}

}  // namespace

std::optional<std::filesystem::path> SystemStoreFolder(const std::wstring& name) {
    if (name.empty() || name.size() > 64) {
        return std::nullopt;
    }
    std::string folder;
    for (wchar_t c : name) {
        if (c < 0x80 && (std::isalnum(static_cast<int>(c)) || c == L'_' || c == L'-')) {
            folder.push_back(static_cast<char>(std::toupper(static_cast<int>(c))));
        } else {
            return std::nullopt;
        }
    }
    return DataHome() / "vkcert" / "certstores" / folder;
}

std::filesystem::path StoreFilePath(const std::filesystem::path& folder,
                                    const std::vector<BYTE>& encoded) {
    return folder / (Sha1Hex(encoded.data(), encoded.size()) + ".cert");
}

DWORD WriteStoreFile(const std::filesystem::path& folder, const StoredCertificate& cert) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        return ErrorFromErrno(ec.value());
    }
    ::chmod(folder.c_str(), 0700);
    return ReplaceFileAtomically(StoreFilePath(folder, cert.encoded), Serialize(cert));
}

DWORD RemoveStoreFile(const std::filesystem::path& folder, const std::vector<BYTE>& encoded) {
    if (::unlink(StoreFilePath(folder, encoded).c_str()) != 0 && errno != ENOENT) {
        return ErrorFromErrno(errno);
    }
    SyncFolder(folder);
    return 0;
}

std::vector<StoredCertificate> ReadStoreFolder(const std::filesystem::path& folder) {
    std::vector<StoredCertificate> out;
    for (const auto& path : StoreFileNames(folder)) {
        if (auto cert = ReadStoreFile(folder, path)) {
            out.push_back(std::move(*cert));
        }
    }
    return out;
}

std::vector<std::filesystem::path> DamagedStoreFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> out;
    for (const auto& path : StoreFileNames(folder)) {
        if (!ReadStoreFile(folder, path)) {
            out.push_back(path);
        }
    }
    return out;
}

}  // namespace vk::cert
