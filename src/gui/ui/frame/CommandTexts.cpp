#include "gui/ui/frame/CommandTexts.h"

#include "program/app/LangResource.h"

std::wstring PromptPart(const std::wstring& text) {
    return text.substr(0, text.find(L'\n'));
}

std::wstring TooltipPart(const std::wstring& text) {
    const std::size_t lineBreak = text.find(L'\n');
    if (lineBreak == std::wstring::npos) {
        return {};
    }
    return text.substr(lineBreak + 1, kTooltipMaxChars);
}

std::optional<std::wstring> CommandPrompt(UINT id) {
    std::wstring text = LoadLangString(id);
    if (text.empty()) {
        return std::nullopt;
    }
    return PromptPart(text);
}

std::wstring CommandTooltip(UINT id) {
    return id == 0 ? std::wstring() : TooltipPart(LoadLangString(id));
}
