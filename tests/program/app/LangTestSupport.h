// Shared by the language tests: the test script's resources as the resource
// module or as bytes, and the environment's locale variables set for one test.
#pragma once

#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

#include "program/app/ResFile.h"
#include "program/app/ResourceModule.h"
#include "support/EnvOverride.h"

std::span<const unsigned char> LangTestResources();

namespace langtest {

inline std::shared_ptr<CResFile> TestModule() {
    auto file = std::make_shared<CResFile>();
    if (!file->Load(LangTestResources())) {
        throw std::runtime_error("test resources do not load: " + file->Error());
    }
    return file;
}

class UseTestModule {
public:
    UseTestModule() { SetResourceModule(TestModule()); }
    ~UseTestModule() { SetResourceModule(nullptr); }
};

// Sets LC_ALL, LC_MESSAGES and LANG (nullptr: unset) and puts them back afterwards.
class Locale {
public:
    Locale(const char* lcAll, const char* lcMessages = nullptr, const char* lang = nullptr) {
        m_env.Set("LC_ALL", lcAll);
        m_env.Set("LC_MESSAGES", lcMessages);
        m_env.Set("LANG", lang);
    }

private:
    vktest::EnvOverride m_env;
};

// The bytes of one resource of the test script.
inline std::vector<BYTE> Bytes(const CResName& type, WORD id, LANGID lang) {
    const auto file = TestModule();
    const auto data = file->Find(type, id, lang)->data;
    return {data.begin(), data.end()};
}

}  // namespace langtest
