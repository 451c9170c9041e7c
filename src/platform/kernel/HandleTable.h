// The process's kernel handles: each handle value stands for one kernel object until it is
// closed. Values are never reused, so a stale handle fails instead of reaching a new object.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/WinTypes.h"
#include "platform/kernel/KernelObject.h"

class CHandleTable {
public:
    static CHandleTable& Instance();

    HANDLE Add(std::shared_ptr<CKernelObject> object);
    // The object of a handle, or null when the handle is not open.
    std::shared_ptr<CKernelObject> Find(HANDLE handle) const;
    // Takes the handle out of the table; answers its object, or null when it was not open.
    std::shared_ptr<CKernelObject> Remove(HANDLE handle);

private:
    CHandleTable() = default;

    mutable std::mutex m_mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<CKernelObject>> m_objects;
    std::uintptr_t m_next = 1;
};
