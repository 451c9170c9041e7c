#include "program/app/DialogTemplate.h"

#include "program/app/ResCursor.h"

namespace {

bool ReadItem(CResCursor& cur, bool extended, CDialogItemTemplate& item) {
    cur.AlignDword();
    if (extended) {
        item.helpId = cur.Dword();
        item.exStyle = cur.Dword();
        item.style = cur.Dword();
    } else {
        item.style = cur.Dword();
        item.exStyle = cur.Dword();
    }
    item.x = cur.Short();
    item.y = cur.Short();
    item.cx = cur.Short();
    item.cy = cur.Short();
    item.id = extended ? cur.Dword() : cur.Word();
    item.windowClass = cur.TextOrId();
    item.title = cur.TextOrId();
    const WORD extra = cur.Word();
    const auto bytes = cur.Bytes(extra);
    item.creationData.assign(bytes.begin(), bytes.end());
    return cur.Ok();
}

}  // namespace

std::wstring CDialogItemTemplate::ClassName() const {
    if (!windowClass.IsId()) {
        return windowClass.Text();
    }
    switch (windowClass.Id()) {
        case 0x80:
            return L"Button";
        case 0x81:
            return L"Edit";
        case 0x82:
            return L"Static";
        case 0x83:
            return L"ListBox";
        case 0x84:
            return L"ScrollBar";
        case 0x85:
            return L"ComboBox";
        default:
            return L"#" + std::to_wstring(windowClass.Id());
    }
}

const CDialogItemTemplate* CDialogTemplate::FindItem(DWORD id) const {
    for (const auto& item : items) {
        if (item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

std::optional<CDialogTemplate> ParseDialogTemplate(std::span<const BYTE> data) {
    CResCursor cur(data);
    CDialogTemplate dlg;
    const WORD version = cur.Word();
    const WORD signature = cur.Word();
    dlg.extended = version == 1 && signature == 0xFFFF;
    WORD count = 0;
    if (dlg.extended) {
        dlg.helpId = cur.Dword();
        dlg.exStyle = cur.Dword();
        dlg.style = cur.Dword();
    } else {
        cur = CResCursor(data);
        dlg.style = cur.Dword();
        dlg.exStyle = cur.Dword();
    }
    count = cur.Word();
    dlg.x = cur.Short();
    dlg.y = cur.Short();
    dlg.cx = cur.Short();
    dlg.cy = cur.Short();
    dlg.menu = cur.TextOrId();
    dlg.windowClass = cur.TextOrId();
    dlg.title = cur.Text();
    if (dlg.style & DS_SETFONT) {
        dlg.hasFont = true;
        dlg.pointSize = cur.Word();
        if (dlg.extended) {
            dlg.weight = cur.Word();
            dlg.italic = cur.Byte() != 0;
            dlg.charset = cur.Byte();
        }
        dlg.typeface = cur.Text();
    }
    if (!cur.Ok()) {
        return std::nullopt;
    }
    // Each control takes at least 18 bytes; a count the data cannot hold is damage.
    if (std::size_t{count} * 18 > cur.Remaining()) {
        return std::nullopt;
    }
    dlg.items.resize(count);
    for (auto& item : dlg.items) {
        if (!ReadItem(cur, dlg.extended, item)) {
            return std::nullopt;
        }
    }
    return dlg;
}
