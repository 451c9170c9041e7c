#include "gui/help/CFolderLock.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace SHTMLHelper::SCHMFile {

CFolderLock::~CFolderLock() {
    Release();
}

void CFolderLock::Release() {
    if (m_fd >= 0) {
        close(m_fd);  // releases the lock
        m_fd = -1;
    }
}

bool CFolderLock::TryLock(const QString& path) {
    Release();
    const int fd = open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool CFolderLock::IsHeld(const QString& path) {
    CFolderLock probe;
    return !probe.TryLock(path);
}

}  // namespace SHTMLHelper::SCHMFile
