#include "program/app/LangResource.h"

#include "program/app/MenuTemplate.h"
#include "program/app/ResourceModule.h"
#include "program/app/StringTable.h"
#include "program/app/UiLanguage.h"
#include "program/app/UserDefaultLanguage.h"

namespace {

std::optional<std::wstring> StringIn(const CResFile& module, UINT id, LANGID language) {
    const CResEntry* block =
        module.Find(CResName(RT_STRING), CResName(StringBlockId(id)), language);
    if (!block) {
        return std::nullopt;
    }
    auto text = StringFromBlock(block->data, StringBlockIndex(id));
    if (!text || text->empty()) {
        return std::nullopt;
    }
    return text;
}

}  // namespace

CLangResource FindLangResource(const CResName& name, const CResName& type, LANGID language) {
    auto module = GetResourceModule();
    for (LANGID lang : {language, GetUserDefaultUILanguage(), LANG_NEUTRAL_DEFAULT_ID}) {
        if (const CResEntry* entry = module->Find(type, name, lang)) {
            return {module, entry};
        }
    }
    const CResEntry* any = module->FindAnyLanguage(type, name);
    return {module, any};
}

CLangResource FindLangResource(const CResName& name, const CResName& type) {
    return FindLangResource(name, type, GetUiLanguage());
}

std::wstring LoadLangString(UINT id, LANGID language) {
    if (id > 0xFFFF) {
        return {};
    }
    auto module = GetResourceModule();
    if (auto text = StringIn(*module, id, language)) {
        return *text;
    }
    if (language != LANG_NEUTRAL_DEFAULT_ID) {
        if (auto text = StringIn(*module, id, LANG_NEUTRAL_DEFAULT_ID)) {
            return *text;
        }
    }
    return {};
}

std::wstring LoadLangString(UINT id) {
    return LoadLangString(id, GetUiLanguage());
}

std::optional<CMenu> LoadLangMenu(UINT id, LANGID language) {
    if (id > 0xFFFF) {
        return std::nullopt;
    }
    const auto res = FindLangResource(CResName(static_cast<WORD>(id)), CResName(RT_MENU), language);
    if (!res) {
        return std::nullopt;
    }
    return ParseMenuTemplate(res.Data());
}

std::optional<CMenu> LoadLangMenu(UINT id) {
    return LoadLangMenu(id, GetUiLanguage());
}

std::optional<CDialogTemplate> LoadLangDialogTemplate(UINT id, LANGID language) {
    if (id > 0xFFFF) {
        return std::nullopt;
    }
    const auto res =
        FindLangResource(CResName(static_cast<WORD>(id)), CResName(RT_DIALOG), language);
    if (!res) {
        return std::nullopt;
    }
    return ParseDialogTemplate(res.Data());
}

std::optional<CDialogTemplate> LoadLangDialogTemplate(UINT id) {
    return LoadLangDialogTemplate(id, GetUiLanguage());
}
