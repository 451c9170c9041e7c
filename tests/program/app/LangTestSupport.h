// Shared by the language tests: the test script's resources as the resource
// module, and the environment's locale variables set for one test.
#pragma once

#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "program/app/ResFile.h"
#include "program/app/ResourceModule.h"

std::span<const unsigned char> LangTestResources();

namespace langtest {

inline std::shared_ptr<CResFile> TestModule() {
    auto file = std::make_shared<CResFile>();
    if (!file->Load(LangTestResources())) {
        throw std::runtime_error("test resources do not load: " + file->Error());
    }
    return file;
}

// Makes the test script's resources current for the life of the object.
class UseTestModule {
public:
    UseTestModule() { SetResourceModule(TestModule()); }
    ~UseTestModule() { SetResourceModule(nullptr); }
};

// Sets LC_ALL, LC_MESSAGES and LANG (nullptr: unset) and puts them back afterwards.
class Locale {
public:
    Locale(const char* lcAll, const char* lcMessages = nullptr, const char* lang = nullptr) {
        Set("LC_ALL", lcAll);
        Set("LC_MESSAGES", lcMessages);
        Set("LANG", lang);
    }
    ~Locale() {
        for (const auto& [name, value] : m_saved) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }
    Locale(const Locale&) = delete;
    Locale& operator=(const Locale&) = delete;

private:
    void Set(const std::string& name, const char* value) {
        const char* old = std::getenv(name.c_str());
        m_saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        if (value) {
            setenv(name.c_str(), value, 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    std::map<std::string, std::optional<std::string>> m_saved;
};

}  // namespace langtest
