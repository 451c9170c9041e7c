// Reads the version stamp (VersionNote.h) of one program file, as a version resource is read:
// the file's translations and, per translation, its strings ("FileVersion", "FileDescription",
// "LegalCopyright"). The file is read on first use, and only its ELF headers and the stamp.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace SFileVersions {

// The file could not be read (its system error code) or carries no stamp
// (ERROR_RESOURCE_TYPE_NOT_FOUND).
class CFileVerExcpt : public std::runtime_error {
public:
    CFileVerExcpt(DWORD code, std::filesystem::path path);
    DWORD Code() const { return m_code; }
    const std::filesystem::path& Path() const { return m_path; }

private:
    DWORD m_code;
    std::filesystem::path m_path;
};

struct CTranslation {
    WORD language = 0;
    WORD codePage = 0;
};

class CFileVersionInfo {
public:
    explicit CFileVersionInfo(std::filesystem::path path);

    // The (language, code page) pairs of "\VarFileInfo\Translation", in the stamp's order.
    std::vector<CTranslation> GetTranslations();
    // "\StringFileInfo\<language><code page>\<name>" (four lower-case hexadecimal digits
    // each), empty when the stamp has no such value. Both throw CFileVerExcpt.
    std::wstring GetString(const CTranslation& translation, const std::wstring& name);

private:
    const std::map<std::string, std::string>& Data();

    std::filesystem::path m_path;
    std::map<std::string, std::string> m_data;
    bool m_loaded = false;
};

}  // namespace SFileVersions
