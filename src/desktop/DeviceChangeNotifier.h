// The device-change notification of the main window: watches the token store
// (a token inserted into, removed from or swapped in a reader, by any process)
// and emits DeviceChange on the thread that owns the notifier, once per burst
// of changes, naming every reader whose token changed.
//
//     auto* notifier = new CDeviceChangeNotifier(frame);
//     connect(notifier, &CDeviceChangeNotifier::DeviceChange, frame, &Frame::OnDeviceChange);
//     notifier->Start();
#pragma once

#include <QObject>
#include <QStringList>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>

#include "platform/WinTypes.h"
#include "platform/token/TokenWorld.h"
#include "platform/token/TokenWorldWatcher.h"

class QTimer;

// The event code of a change in the set of devices.
inline constexpr UINT DBT_DEVNODES_CHANGED = 7;

class CDeviceChangeNotifier : public QObject {
    Q_OBJECT
public:
    // Changes closer together than `mergeMs` make one notification.
    explicit CDeviceChangeNotifier(QObject* parent = nullptr,
                                   std::filesystem::path root = vkstore::TokenWorld::DefaultRoot(),
                                   int mergeMs = 100);
    ~CDeviceChangeNotifier() override;

    // Takes the present state of the store as the starting point; false when it
    // runs already or cannot watch.
    bool Start();
    // Stops watching and drops what was not notified yet; nothing is emitted
    // afterwards until the next Start. Owner's thread.
    void Stop();

signals:
    // event is DBT_DEVNODES_CHANGED; readers in name order, each once.
    void DeviceChange(UINT event, const QStringList& readers);

private:
    void OnWatcherChange(const std::string& reader);  // watcher thread
    void OnBurstStarted();                            // own thread
    void OnBurstSettled();                            // own thread

    vkstore::TokenWorldWatcher m_watcher;
    QTimer* m_settle;
    std::mutex m_lock;
    std::set<std::string> m_changed;  // guarded by m_lock
    bool m_pending = false;           // guarded by m_lock
};
