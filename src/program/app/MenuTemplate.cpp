#include "program/app/MenuTemplate.h"

#include "program/app/ResCursor.h"

namespace {

// Reads the items of one level up to and including the one marked MF_END.
bool ReadLevel(CResCursor& cur, CMenu& menu, int depth) {
    if (depth > kMaxMenuDepth) {
        return false;
    }
    for (;;) {
        const WORD flags = cur.Word();
        CMenuItem item;
        item.popup = (flags & MF_POPUP) != 0;
        if (!item.popup) {
            item.id = cur.Word();
        }
        item.text = cur.Text();
        if (!cur.Ok()) {
            return false;
        }
        item.grayed = (flags & MF_GRAYED) != 0;
        item.disabled = (flags & MF_DISABLED) != 0;
        item.checked = (flags & MF_CHECKED) != 0;
        item.rightAligned = (flags & MF_HELP) != 0;
        item.breakBefore = (flags & (MF_MENUBREAK | MF_MENUBARBREAK)) != 0;
        // The compiler writes MENUITEM SEPARATOR as an item with no id and no text.
        item.separator =
            !item.popup && ((flags & MF_SEPARATOR) || (item.id == 0 && item.text.empty()));
        if (item.popup && !ReadLevel(cur, item.submenu, depth + 1)) {
            return false;
        }
        menu.Items().push_back(std::move(item));
        if (flags & MF_END) {
            return true;
        }
    }
}

}  // namespace

std::optional<CMenu> ParseMenuTemplate(std::span<const BYTE> data) {
    CResCursor cur(data);
    const WORD version = cur.Word();
    const WORD headerSize = cur.Word();
    if (!cur.Ok() || version != 0) {
        return std::nullopt;
    }
    cur.Skip(headerSize);
    CMenu menu;
    if (cur.AtEnd()) {
        return cur.Ok() ? std::optional<CMenu>(std::move(menu)) : std::nullopt;
    }
    if (!ReadLevel(cur, menu, 0)) {
        return std::nullopt;
    }
    return menu;
}
