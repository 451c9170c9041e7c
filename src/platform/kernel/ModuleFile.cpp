#include "platform/kernel/ModuleFile.h"

#include <dlfcn.h>

std::filesystem::path ProgramFile() {
    std::error_code ec;
    auto file = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : file;
}

std::filesystem::path ModuleFileOf(const void* address) {
    Dl_info info{};
    if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    return info.dli_fname;
}
