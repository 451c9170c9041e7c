#include "program/token/CReaderLock.h"

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/kernel/Handles.h"
#include "platform/kernel/Mutex.h"

std::wstring CReaderLock::MutexName(std::wstring_view readerName) {
    std::wstring name = kReaderLockPrefix;
    name.append(readerName);
    return name;
}

CReaderLock::CReaderLock(std::wstring_view readerName) {
    const std::wstring name = MutexName(readerName);
    m_handle = CreateMutexW(nullptr, TRUE, name.c_str());
    if (m_handle == nullptr) {
        return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        m_owned = true;
        return;
    }
    // Someone has the name: wait for it through a handle of our own.
    HANDLE opened = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    if (opened != nullptr) {
        CloseHandle(m_handle);
        m_handle = opened;
    }
    const DWORD wait = WaitForSingleObject(m_handle, INFINITE);
    // A previous owner that died holding the mutex leaves it to us.
    m_owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

CReaderLock::~CReaderLock() {
    if (m_handle != nullptr) {
        if (m_owned) {
            ReleaseMutex(m_handle);
        }
        CloseHandle(m_handle);
        m_handle = nullptr;
    }
}
