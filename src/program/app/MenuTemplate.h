// Menu templates (RT_MENU, the classic MENU form of the resource compiler).
#pragma once

#include <optional>
#include <span>

#include "platform/WinTypes.h"
#include "program/app/MenuModel.h"

inline constexpr WORD MF_GRAYED = 0x0001;
inline constexpr WORD MF_DISABLED = 0x0002;
inline constexpr WORD MF_CHECKED = 0x0008;
inline constexpr WORD MF_POPUP = 0x0010;
inline constexpr WORD MF_MENUBARBREAK = 0x0020;
inline constexpr WORD MF_MENUBREAK = 0x0040;
inline constexpr WORD MF_END = 0x0080;
inline constexpr WORD MF_SEPARATOR = 0x0800;
inline constexpr WORD MF_HELP = 0x4000;

// Submenus nested deeper than this are taken for damage.
inline constexpr int kMaxMenuDepth = 16;

// The menu of a template; nothing when the template is damaged (cut short,
// a level without its last-item mark, too deep, an unknown version).
std::optional<CMenu> ParseMenuTemplate(std::span<const BYTE> data);
