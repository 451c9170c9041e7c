// The single-instance guard: one per process, built during static construction
// (through SDP::singleton_auto_pointer) from the instance name of TInfo, which
// answers Name(). Building it decides, before any Qt object exists, whether
// another copy holds the name; later the second copy tells the first one, which
// brings its windows to the front.
//
//     static SDP::singleton_auto_pointer<STools::CAlreadyLaunched<CMutextInfo>> g_guard;
//     ...
//     QApplication app(argc, argv);
//     if (g_guard->IsAlreadyLaunched()) {
//         g_guard->SignalFirstCopy();
//         return 1;
//     }
//     g_guard->Listen([&] { BringWindowsToFront(); });
#pragma once

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <string>

#include "desktop/InstanceListener.h"
#include "desktop/InstanceSignal.h"
#include "desktop/RegisteredMessages.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/kernel/Handles.h"
#include "platform/kernel/Mutex.h"

namespace STools {

// How long the first copy waits before it comes forward, giving the starting
// copy time to end.
inline constexpr int kBringToFrontDelayMs = 200;

template <class TInfo>
class CAlreadyLaunched {
public:
    CAlreadyLaunched() : m_name(TInfo().Name()) {
        m_instanceMessage = RegisterWindowMessageW(m_name.c_str());
        Check();
    }

    ~CAlreadyLaunched() {
        delete m_listener.data();
        if (m_mutex != nullptr) {
            CloseHandle(m_mutex);
        }
    }

    CAlreadyLaunched(const CAlreadyLaunched&) = delete;
    CAlreadyLaunched& operator=(const CAlreadyLaunched&) = delete;

    // True when another live process held the instance name first.
    bool IsAlreadyLaunched() {
        Check();
        return m_alreadyLaunched;
    }

    const std::wstring& Name() const { return m_name; }
    UINT InstanceMessage() const { return m_instanceMessage; }

    // In a second copy, once the Qt application object exists: tells the first
    // copy; answers how it was reached (None also in a first copy).
    InstanceTransport SignalFirstCopy(int timeoutMs = 5000) {
        if (!IsAlreadyLaunched()) {
            return InstanceTransport::None;
        }
        return CInstanceSignal::Send(m_name, timeoutMs);
    }

    // In the first copy, once the Qt application object exists: calls
    // `bringToFront` on the window thread kBringToFrontDelayMs after each copy
    // that signals. False in a second copy, when it listens already, or when it
    // cannot listen at all.
    bool Listen(std::function<void()> bringToFront) {
        if (IsAlreadyLaunched() || m_listener || QCoreApplication::instance() == nullptr) {
            return false;
        }
        // Owned by the application object, so it goes before the connections it uses.
        auto* listener = new CInstanceListener(m_name, QCoreApplication::instance());
        QObject::connect(listener, &CInstanceListener::Activated, listener,
                         [listener, bringToFront] {
                             QTimer::singleShot(kBringToFrontDelayMs, listener, bringToFront);
                         });
        if (!listener->Listen()) {
            delete listener;
            return false;
        }
        m_listener = listener;
        return true;
    }

private:
    // Runs once: the name existed when another live process holds a handle.
    // Waiting for the mutex serialises copies that start at the same moment.
    void Check() {
        if (m_checked) {
            return;
        }
        m_checked = true;
        m_mutex = CreateMutexW(nullptr, FALSE, m_name.c_str());
        const DWORD created = GetLastError();
        if (m_mutex == nullptr) {
            return;  // a failed creation counts as the first copy
        }
        WaitForSingleObject(m_mutex, INFINITE);
        m_alreadyLaunched = created == ERROR_ALREADY_EXISTS;
        ReleaseMutex(m_mutex);
    }

    std::wstring m_name;
    UINT m_instanceMessage = 0;
    HANDLE m_mutex = nullptr;
    QPointer<CInstanceListener> m_listener;
    bool m_alreadyLaunched = false;
    bool m_checked = false;
};

}  // namespace STools
