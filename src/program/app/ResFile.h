// The compiled resources of the program: a .res image (a row of
// RESOURCEHEADER records, each followed by its data, both DWORD aligned),
// searched by type, name and language.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "program/app/LangIds.h"
#include "program/app/ResName.h"

struct CResEntry {
    CResName type;
    CResName name;
    LANGID language = 0;
    WORD memoryFlags = 0;
    std::span<const BYTE> data;  // into the image held by the CResFile
};

class CResFile {
public:
    CResFile() = default;
    CResFile(const CResFile&) = delete;
    CResFile& operator=(const CResFile&) = delete;

    // Reads an image (a copy is kept). On damaged input answers false, keeps no
    // entries and tells why in Error().
    bool Load(std::span<const BYTE> image);
    const std::string& Error() const { return m_error; }

    const std::vector<CResEntry>& Entries() const { return m_entries; }
    // The resource in exactly that language, or null. The first of duplicates wins.
    const CResEntry* Find(const CResName& type, const CResName& name, LANGID language) const;
    // The resource in the lowest language that has it, or null.
    const CResEntry* FindAnyLanguage(const CResName& type, const CResName& name) const;

private:
    bool Fail(std::string why, std::size_t offset);

    std::vector<BYTE> m_image;
    std::vector<CResEntry> m_entries;
    std::string m_error;
};
