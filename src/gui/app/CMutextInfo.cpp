#include "gui/app/CMutextInfo.h"

#include "program/app/LangResource.h"

namespace {

constexpr UINT kInstanceNameId = 228;

}  // namespace

CMutextInfo::CMutextInfo() {
    std::wstring name = LoadLangString(kInstanceNameId, LANG_NEUTRAL_DEFAULT_ID);
    if (!name.empty()) {
        m_name = std::move(name);
    }
}
