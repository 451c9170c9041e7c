#include "program/app/ResourceModule.h"

#include <mutex>

#include "res/EmbeddedResources.h"

namespace {

struct ModuleSlot {
    std::mutex lock;
    std::shared_ptr<const CResFile> module;
};

ModuleSlot& Slot() {
    static ModuleSlot slot;
    return slot;
}

}  // namespace

std::shared_ptr<const CResFile> LoadEmbeddedResources() {
    auto file = std::make_shared<CResFile>();
    file->Load(VkEmbeddedResources());
    return file;
}

std::shared_ptr<const CResFile> GetResourceModule() {
    auto& slot = Slot();
    std::lock_guard guard(slot.lock);
    if (!slot.module) {
        slot.module = LoadEmbeddedResources();
    }
    return slot.module;
}

void SetResourceModule(std::shared_ptr<const CResFile> module) {
    auto& slot = Slot();
    std::lock_guard guard(slot.lock);
    slot.module = std::move(module);
}
