// Shared by the GUI tests of the language machinery: the application object,
// the test script's resources, and the locale of one test.
#pragma once

#include <QApplication>
#include <memory>
#include <span>
#include <stdexcept>

#include "program/app/ResFile.h"
#include "program/app/ResourceModule.h"

std::span<const unsigned char> LangTestResources();

namespace guitest {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "test_app_gui";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

inline std::shared_ptr<CResFile> TestModule() {
    auto file = std::make_shared<CResFile>();
    if (!file->Load(LangTestResources())) {
        throw std::runtime_error("test resources do not load");
    }
    return file;
}

// Makes a resource module current for the life of the object.
class UseModule {
public:
    explicit UseModule(std::shared_ptr<const CResFile> module) {
        SetResourceModule(std::move(module));
    }
    ~UseModule() { SetResourceModule(nullptr); }
    UseModule(const UseModule&) = delete;
    UseModule& operator=(const UseModule&) = delete;
};

}  // namespace guitest
