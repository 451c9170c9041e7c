#include "program/app/StringTable.h"

#include "program/app/ResCursor.h"

std::optional<std::wstring> StringFromBlock(std::span<const BYTE> block, UINT index) {
    if (index > 15) {
        return std::nullopt;
    }
    CResCursor cur(block);
    for (UINT i = 0; i < index; ++i) {
        cur.Skip(std::size_t{cur.Word()} * 2);
    }
    const WORD length = cur.Word();
    const auto units = cur.Bytes(std::size_t{length} * 2);
    if (!cur.Ok()) {
        return std::nullopt;
    }
    return Utf16LeToWide(units);
}
