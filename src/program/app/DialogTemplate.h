// Dialog templates (RT_DIALOG): the extended DIALOGEX form and the classic
// DIALOG form, read into one model. Positions and sizes are in dialog units.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "program/app/ResName.h"
#include "program/app/WindowStyles.h"

struct CDialogItemTemplate {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    // 32-bit in DIALOGEX; a classic template's 16-bit id is widened, so that
    // IDC_STATIC (-1) reads 0xFFFF there.
    DWORD id = 0;
    // An ordinal of a predefined class (0x80 Button ... 0x85 ComboBox) or a class name.
    CResName windowClass;
    // The text, or an ordinal naming an icon or bitmap resource (SS_ICON, SS_BITMAP).
    CResName title;
    std::vector<BYTE> creationData;

    // "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox" for the
    // predefined ordinals, else the class name as written.
    std::wstring ClassName() const;
    // The text, empty when the title is an ordinal.
    std::wstring Text() const { return title.IsId() ? std::wstring() : title.Text(); }
};

struct CDialogTemplate {
    bool extended = false;
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    CResName menu;         // empty text: none
    CResName windowClass;  // empty text: the standard dialog class
    std::wstring title;
    // Present only when the style has DS_SETFONT.
    bool hasFont = false;
    WORD pointSize = 0;
    WORD weight = 0;
    bool italic = false;
    BYTE charset = 0;
    std::wstring typeface;
    std::vector<CDialogItemTemplate> items;

    const CDialogItemTemplate* FindItem(DWORD id) const;
};

// The template; nothing when it is damaged (cut short, fewer controls than
// its count says).
std::optional<CDialogTemplate> ParseDialogTemplate(std::span<const BYTE> data);
