#include "desktop/DeviceChangeNotifier.h"

#include <QTimer>

CDeviceChangeNotifier::CDeviceChangeNotifier(QObject* parent, std::filesystem::path root,
                                             int mergeMs)
    : QObject(parent), m_watcher(std::move(root)), m_settle(new QTimer(this)) {
    m_settle->setSingleShot(true);
    m_settle->setInterval(mergeMs);
    connect(m_settle, &QTimer::timeout, this, &CDeviceChangeNotifier::OnBurstSettled);
}

CDeviceChangeNotifier::~CDeviceChangeNotifier() {
    // No watcher callback runs after this, so none can post to a dead object.
    m_watcher.Stop();
}

bool CDeviceChangeNotifier::Start() {
    try {
        return m_watcher.Start(
            [this](const std::string& reader, vkstore::TokenWorldWatcher::Change) {
                OnWatcherChange(reader);
            });
    } catch (const std::exception&) {
        return false;  // the store's folder cannot be made or read
    }
}

void CDeviceChangeNotifier::Stop() {
    m_watcher.Stop();
    m_settle->stop();
    std::lock_guard lock(m_lock);
    m_changed.clear();
    m_pending = false;
}

void CDeviceChangeNotifier::OnWatcherChange(const std::string& reader) {
    std::lock_guard lock(m_lock);
    m_changed.insert(reader);
    if (m_pending) {
        return;  // a notification is on its way and will carry this reader
    }
    m_pending = true;
    QMetaObject::invokeMethod(this, &CDeviceChangeNotifier::OnBurstStarted, Qt::QueuedConnection);
}

void CDeviceChangeNotifier::OnBurstStarted() {
    std::lock_guard lock(m_lock);
    if (m_pending) {  // not dropped by Stop since it was posted
        m_settle->start();
    }
}

void CDeviceChangeNotifier::OnBurstSettled() {
    std::set<std::string> changed;
    {
        std::lock_guard lock(m_lock);
        changed.swap(m_changed);
        m_pending = false;
    }
    if (changed.empty()) {
        return;
    }
    QStringList readers;
    for (const std::string& reader : changed) {
        readers << QString::fromStdString(reader);
    }
    emit DeviceChange(DBT_DEVNODES_CHANGED, readers);
}
