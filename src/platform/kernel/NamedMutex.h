// A mutex shared by every process of the user that opens the same name.
//
// Each name is a lock file in $XDG_RUNTIME_DIR/vkcert-mutexes (or /tmp/vkcert-<uid>, mode
// 0700, when there is no runtime folder). Byte 0 of the file tells existence: every process
// with a handle holds a shared lock on it, and a creator that can lock it exclusively knows
// that no live process has the name. Byte 1 is ownership: its owner holds an exclusive lock
// and keeps a 1 in that byte while it owns, so that the next owner learns when a process died
// holding it. The kernel drops both locks when a process ends, however it ends. Locks are
// open-file-description locks, so handles of one process never release each other's.
//
// Inside a process the mutex is re-entrant per thread, as the platform's is.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/kernel/KernelObject.h"

class CNamedMutex final : public CKernelObject {
public:
    // Opens the mutex called `name`, creating it when `create` is set (an empty name makes a
    // mutex of this process alone). `*existed` tells whether a live handle of any process
    // had the name. A creator that asks for ownership owns a newly made mutex at once.
    // Answers null with the last error on failure (ERROR_FILE_NOT_FOUND when opening a
    // name that does not exist).
    static std::shared_ptr<CNamedMutex> Open(const std::wstring& name, bool create,
                                             bool initialOwner, bool* existed);

    ~CNamedMutex() override;

    DWORD Wait(DWORD milliseconds) override;
    // FALSE with ERROR_NOT_OWNER when the calling thread does not own the mutex.
    bool Release();
    void OnHandleClosed() override;

    // The lock file name standing for a mutex name: the UTF-8 bytes with everything but
    // letters, digits and "-_.{}" escaped as %XX, or "~" and a SHA-256 when that is long.
    static std::string LockFileName(const std::wstring& name);
    // The folder of the lock files, created when missing; empty with the last error when it
    // cannot be made or is not the user's own.
    static std::string LockDirectory();

private:
    CNamedMutex(std::string key, int existenceFd, int ownershipFd);

    DWORD AcquireFileLock(DWORD milliseconds);
    void ReleaseFileLock();

    const std::string m_key;  // lock file path; empty for a mutex of this process alone
    int m_existenceFd;        // shared lock on byte 0 while this process has handles
    const int m_ownershipFd;  // exclusive lock on byte 1 while a thread here owns the mutex
    unsigned m_handles = 0;   // guarded by the process's registry lock

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_busy = false;  // a thread of this process owns the mutex or is acquiring it
    std::thread::id m_owner;
    unsigned m_recursion = 0;
    bool m_closed = false;  // every handle is closed

    friend class CNamedMutexRegistry;
};
