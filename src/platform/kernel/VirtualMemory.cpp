#include "platform/kernel/VirtualMemory.h"

#include <sys/mman.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace {

// Sizes of the live allocations, which unmapping needs and the callers do not pass.
struct Allocations {
    std::mutex mutex;
    std::map<void*, std::size_t> sizes;
};

Allocations& Live() {
    static Allocations live;
    return live;
}

}  // namespace

void* VirtualAlloc(void* address, std::size_t size, DWORD allocationType, DWORD protect) {
    if (address || size == 0 || allocationType != (MEM_COMMIT | MEM_RESERVE) ||
        protect != PAGE_READWRITE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // Fewer page faults and TLB misses on large buffers; only a hint.
    madvise(p, size, MADV_HUGEPAGE);
    std::lock_guard lock(Live().mutex);
    Live().sizes.emplace(p, size);
    return p;
}

BOOL VirtualFree(void* address, std::size_t size, DWORD freeType) {
    if (size != 0 || freeType != MEM_RELEASE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::size_t mapped = 0;
    {
        std::lock_guard lock(Live().mutex);
        auto it = Live().sizes.find(address);
        if (it == Live().sizes.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        mapped = it->second;
        Live().sizes.erase(it);
    }
    if (munmap(address, mapped) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}
