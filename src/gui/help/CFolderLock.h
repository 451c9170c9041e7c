// An exclusive lock on a file, held while the object (and so the process) lives: the system
// releases it when the process ends in any way, killed included. A second holder, in this or
// another process, is refused while the first holds it.
#pragma once

#include <QString>

namespace SHTMLHelper::SCHMFile {

class CFolderLock {
public:
    CFolderLock() = default;
    ~CFolderLock();
    CFolderLock(const CFolderLock&) = delete;
    CFolderLock& operator=(const CFolderLock&) = delete;

    // Creates the file when needed and takes its lock without waiting; false when it cannot be
    // opened or somebody holds the lock.
    bool TryLock(const QString& path);

    // Whether somebody holds the lock of an existing file.
    static bool IsHeld(const QString& path);

private:
    void Release();

    int m_fd = -1;
};

}  // namespace SHTMLHelper::SCHMFile
