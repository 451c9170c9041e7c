// What the About dialog lists: the token software this installation uses, found beside the
// program (vktoken, vkcert-cli, vktokend, in this order, each with the version and description
// of its stamp), the run-time libraries under it, and the program's own version and legal
// notice.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct CModuleRow {
    std::wstring fileName;
    std::wstring version;
    std::wstring description;
};

// The modules present in `folder`; a module whose stamp cannot be read is listed with empty
// version and description, a missing one is left out.
std::vector<CModuleRow> InstalledModules(const std::filesystem::path& folder);

// OpenSSL's and SQLite's libraries as loaded: file name, run-time version, name.
std::vector<CModuleRow> RuntimeLibraries();

struct CProgramStamp {
    std::wstring version;
    std::wstring legalNotice;
};

// "FileVersion" and "LegalCopyright" of the program file's first translation; empty when the
// file has no translation or cannot be read.
CProgramStamp ReadProgramStamp(const std::filesystem::path& programFile);
