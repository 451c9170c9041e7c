#include "gui/app/CMutextInfo.h"

#include "program/app/LangResource.h"
#include "res/resource.h"

CMutextInfo::CMutextInfo() {
    std::wstring name = LoadLangString(IDS_INSTANCE_NAME, LANG_NEUTRAL_DEFAULT_ID);
    if (!name.empty()) {
        m_name = std::move(name);
    }
}
