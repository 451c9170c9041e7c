// The texts of a command id: its string holds the status prompt, a line break and the tooltip.
#pragma once

#include <optional>
#include <string>

#include "platform/WinTypes.h"

// The tool bar's tooltip buffer holds 80 characters with the terminating zero.
inline constexpr std::size_t kTooltipMaxChars = 79;

// The part before the first "\n" (the whole text when there is none).
std::wstring PromptPart(const std::wstring& text);
// The part after the first "\n" (empty when there is none), cut to 79 characters.
std::wstring TooltipPart(const std::wstring& text);

// The prompt of a command in the interface language; nothing when the string does not load.
std::optional<std::wstring> CommandPrompt(UINT id);
// The tooltip of a command in the interface language; empty for id 0.
std::wstring CommandTooltip(UINT id);
