#include "platform/version/CFileVersionInfo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <sstream>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"
#include "platform/version/ElfSection.h"
#include "platform/version/VersionNote.h"

namespace SFileVersions {

namespace {

class CReadOnlyFile {
public:
    // Never waits on a pipe or a device that happens to carry the name.
    explicit CReadOnlyFile(const std::filesystem::path& path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
    ~CReadOnlyFile() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    CReadOnlyFile(const CReadOnlyFile&) = delete;
    CReadOnlyFile& operator=(const CReadOnlyFile&) = delete;

    int Fd() const { return m_fd; }

    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t got = ::pread(m_fd, out.data() + done, out.size() - done,
                                        static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int m_fd;
};

std::string Message(DWORD code, const std::filesystem::path& path) {
    return "no version information (error " + std::to_string(code) + ") in " + path.string();
}

std::string TranslationKey(const CTranslation& t) {
    char hex[9];
    std::snprintf(hex, sizeof(hex), "%04x%04x", t.language, t.codePage);
    return hex;
}

}  // namespace

CFileVerExcpt::CFileVerExcpt(DWORD code, std::filesystem::path path)
    : std::runtime_error(Message(code, path)), m_code(code), m_path(std::move(path)) {}

CFileVersionInfo::CFileVersionInfo(std::filesystem::path path) : m_path(std::move(path)) {}

const std::map<std::string, std::string>& CFileVersionInfo::Data() {
    if (m_loaded) {
        return m_data;
    }
    const CReadOnlyFile file(m_path);
    struct stat status {};
    if (file.Fd() < 0 || ::fstat(file.Fd(), &status) != 0) {
        throw CFileVerExcpt(ErrorFromErrno(errno), m_path);
    }
    std::optional<std::vector<std::uint8_t>> section;
    if (S_ISREG(status.st_mode)) {
        section = vkversion::ReadElfSection(
            [&file](std::uint64_t offset, std::span<std::uint8_t> out) {
                return file.ReadAt(offset, out);
            },
            static_cast<std::uint64_t>(status.st_size), vkversion::kSection,
            vkversion::kMaxNoteBytes);
    }
    auto table = section ? vkversion::ParseNote(*section) : std::nullopt;
    if (!table) {
        throw CFileVerExcpt(ERROR_RESOURCE_TYPE_NOT_FOUND, m_path);
    }
    m_data = std::move(*table);
    m_loaded = true;
    return m_data;
}

std::vector<CTranslation> CFileVersionInfo::GetTranslations() {
    const auto& data = Data();
    std::vector<CTranslation> translations;
    const auto found = data.find("\\VarFileInfo\\Translation");
    if (found == data.end()) {
        return translations;
    }
    std::istringstream words(found->second);
    std::string word;
    while (words >> word) {
        std::uint32_t value = 0;
        const char* end = word.data() + word.size();
        const auto [stop, error] = std::from_chars(word.data(), end, value, 16);
        if (word.size() == 8 && error == std::errc() && stop == end) {
            translations.push_back({static_cast<WORD>(value >> 16), static_cast<WORD>(value)});
        }
    }
    return translations;
}

std::wstring CFileVersionInfo::GetString(const CTranslation& translation,
                                         const std::wstring& name) {
    const auto& data = Data();
    const auto found =
        data.find("\\StringFileInfo\\" + TranslationKey(translation) + "\\" + WideToUtf8(name));
    return found == data.end() ? std::wstring() : Utf8ToWide(found->second);
}

}  // namespace SFileVersions
