#include "program/app/ResFile.h"

#include "program/app/ResCursor.h"

namespace {

// DataSize, HeaderSize, two ordinals, DataVersion, MemoryFlags, LanguageId,
// Version, Characteristics.
constexpr std::size_t kMinHeaderSize = 32;

}  // namespace

bool CResFile::Fail(std::string why, std::size_t offset) {
    m_entries.clear();
    m_image.clear();
    m_error = std::move(why) + " at offset " + std::to_string(offset);
    return false;
}

bool CResFile::Load(std::span<const BYTE> image) {
    m_image.assign(image.begin(), image.end());
    m_entries.clear();
    m_error.clear();
    const std::span<const BYTE> all(m_image);
    std::size_t pos = 0;
    while (pos < all.size()) {
        CResCursor rec(all, pos);
        const DWORD dataSize = rec.Dword();
        const DWORD headerSize = rec.Dword();
        if (!rec.Ok()) {
            return Fail("truncated resource header", pos);
        }
        if (headerSize < kMinHeaderSize || headerSize % 4 != 0 || headerSize > all.size() - pos) {
            return Fail("bad resource header size", pos);
        }
        const auto header = all.subspan(pos, headerSize);
        CResCursor h(header, 8);
        CResEntry entry;
        entry.type = h.TextOrId();
        entry.name = h.TextOrId();
        h.AlignDword();
        h.Dword();  // DataVersion
        entry.memoryFlags = h.Word();
        entry.language = h.Word();
        h.Dword();  // Version
        h.Dword();  // Characteristics
        if (!h.Ok()) {
            return Fail("resource header fields run past the header", pos);
        }
        const std::size_t dataPos = pos + headerSize;
        if (dataSize > all.size() - dataPos) {
            return Fail("resource data runs past the end", pos);
        }
        entry.data = all.subspan(dataPos, dataSize);
        // The leading empty record (type 0) only marks a 32-bit .res file.
        if (!(entry.type.IsId() && entry.type.Id() == 0)) {
            m_entries.push_back(std::move(entry));
        }
        const std::size_t next = dataPos + ((std::size_t{dataSize} + 3) & ~std::size_t{3});
        pos = next < all.size() ? next : all.size();
    }
    return true;
}

const CResEntry* CResFile::Find(const CResName& type, const CResName& name, LANGID language) const {
    for (const auto& e : m_entries) {
        if (e.language == language && e.type == type && e.name == name) {
            return &e;
        }
    }
    return nullptr;
}

const CResEntry* CResFile::FindAnyLanguage(const CResName& type, const CResName& name) const {
    const CResEntry* best = nullptr;
    for (const auto& e : m_entries) {
        if (e.type == type && e.name == name && (!best || e.language < best->language)) {
            best = &e;
        }
    }
    return best;
}
