#include "program/app/InstalledModules.h"

#include <openssl/crypto.h>
#include <sqlite3.h>

#include "platform/kernel/ModuleFile.h"
#include "platform/text/Utf.h"
#include "platform/version/CFileVersionInfo.h"

namespace {

using SFileVersions::CFileVerExcpt;
using SFileVersions::CFileVersionInfo;
using SFileVersions::CTranslation;

constexpr const char* kModules[] = {"vktoken", "vkcert-cli", "vktokend"};

// The first translation; without any, language 0 and code page 1.
CTranslation FirstTranslation(CFileVersionInfo& info) {
    const auto translations = info.GetTranslations();
    return translations.empty() ? CTranslation{0, 1} : translations.front();
}

CModuleRow ModuleRow(const std::filesystem::path& file) {
    CModuleRow row{file.filename().wstring(), {}, {}};
    try {
        CFileVersionInfo info(file);
        const CTranslation translation = FirstTranslation(info);
        row.version = info.GetString(translation, L"FileVersion");
        row.description = info.GetString(translation, L"FileDescription");
    } catch (const CFileVerExcpt&) {
        row.version.clear();
        row.description.clear();
    }
    return row;
}

// The loaded file that holds `symbol`, by its name; `fallback` when none can be told.
std::wstring LibraryFileName(const void* symbol, const wchar_t* fallback) {
    const auto file = ModuleFileOf(symbol);
    return file.empty() ? fallback : file.filename().wstring();
}

}  // namespace

std::vector<CModuleRow> InstalledModules(const std::filesystem::path& folder) {
    std::vector<CModuleRow> rows;
    for (const char* name : kModules) {
        const auto file = folder / name;
        std::error_code ec;
        if (std::filesystem::exists(file, ec)) {
            rows.push_back(ModuleRow(file));
        }
    }
    return rows;
}

std::vector<CModuleRow> RuntimeLibraries() {
    return {
        {LibraryFileName(reinterpret_cast<const void*>(&OpenSSL_version), L"libcrypto"),
         Utf8ToWide(OpenSSL_version(OPENSSL_VERSION_STRING)), L"OpenSSL"},
        {LibraryFileName(reinterpret_cast<const void*>(&sqlite3_libversion), L"libsqlite3"),
         Utf8ToWide(sqlite3_libversion()), L"SQLite"},
    };
}

CProgramStamp ReadProgramStamp(const std::filesystem::path& programFile) {
    try {
        CFileVersionInfo info(programFile);
        const auto translations = info.GetTranslations();
        if (translations.empty()) {
            return {};
        }
        return {info.GetString(translations.front(), L"FileVersion"),
                info.GetString(translations.front(), L"LegalCopyright")};
    } catch (const CFileVerExcpt&) {
        return {};
    }
}
