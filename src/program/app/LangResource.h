// Language-aware resource loading: strings, menus and dialog templates in the
// interface language, with the English resources (1024) behind them.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>

#include "program/app/DialogTemplate.h"
#include "program/app/LangIds.h"
#include "program/app/MenuModel.h"
#include "program/app/ResFile.h"

// A found resource; keeps its module alive.
class CLangResource {
public:
    CLangResource() = default;
    CLangResource(std::shared_ptr<const CResFile> module, const CResEntry* entry)
        : m_module(std::move(module)), m_entry(entry) {}

    explicit operator bool() const { return m_entry != nullptr; }
    std::span<const BYTE> Data() const { return m_entry ? m_entry->data : std::span<const BYTE>(); }
    LANGID Language() const { return m_entry ? m_entry->language : 0; }

private:
    std::shared_ptr<const CResFile> m_module;
    const CResEntry* m_entry = nullptr;
};

// The resource in the first language that has it: the current language, the
// user's default language, 1024, then any language.
CLangResource FindLangResource(const CResName& name, const CResName& type);
// The same chain starting with `language` instead of the current one.
CLangResource FindLangResource(const CResName& name, const CResName& type, LANGID language);

// String `id` in `language`, taken from 1024 when that language has no text
// for it; empty when neither has.
std::wstring LoadLangString(UINT id, LANGID language);
// The same in the current language.
std::wstring LoadLangString(UINT id);

// Menu `id` found with FindLangResource; nothing when missing or damaged.
std::optional<CMenu> LoadLangMenu(UINT id);
std::optional<CMenu> LoadLangMenu(UINT id, LANGID language);

// Dialog template `id` found with FindLangResource; nothing when missing or damaged.
std::optional<CDialogTemplate> LoadLangDialogTemplate(UINT id);
std::optional<CDialogTemplate> LoadLangDialogTemplate(UINT id, LANGID language);
