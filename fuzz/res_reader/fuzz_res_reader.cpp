// Feeds arbitrary bytes to the .res reader, and every resource it finds (and
// the whole input) to the string table, menu and dialog template parsers.
#include <cstddef>
#include <cstdint>
#include <span>

#include "program/app/DialogTemplate.h"
#include "program/app/MenuTemplate.h"
#include "program/app/ResFile.h"
#include "program/app/StringTable.h"

namespace {

void ParseAll(std::span<const BYTE> data) {
    if (auto menu = ParseMenuTemplate(data)) {
        menu->FindCommand(1);
        menu->RemoveCommand(2);
    }
    if (auto dlg = ParseDialogTemplate(data)) {
        for (const auto& item : dlg->items) {
            (void)item.ClassName();
        }
    }
    for (UINT i = 0; i < 16; ++i) {
        (void)StringFromBlock(data, i);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const BYTE> input(data, size);
    ParseAll(input);
    CResFile file;
    if (file.Load(input)) {
        for (const auto& entry : file.Entries()) {
            ParseAll(entry.data);
            (void)file.Find(entry.type, entry.name, entry.language);
        }
    }
    return 0;
}
