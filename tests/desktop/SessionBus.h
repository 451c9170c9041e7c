// The D-Bus session of a desktop test: a bus daemon of its own (for this process and the children
// it starts) or none, set up before the process first uses the bus; and event loop spinning.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <functional>
#include <string>

#include "support/ChildProcess.h"
#include "support/EnvOverride.h"

namespace vktest {

// A dbus-daemon of this test; stopped when the object goes.
class SessionBus {
public:
    SessionBus()
        : m_daemon(ChildProcess::Exec({"dbus-daemon", "--session", "--nofork", "--print-address"},
                                      true)) {
        if (m_daemon.ReadLine(m_address, 10000) && !m_address.empty()) {
            m_env.Set("DBUS_SESSION_BUS_ADDRESS", m_address.c_str());
        } else {
            ADD_FAILURE() << "dbus-daemon gave no address";
        }
    }

    const std::string& Address() const { return m_address; }

private:
    ChildProcess m_daemon;
    EnvOverride m_env;
    std::string m_address;
};

// No session bus for this process and its children: no address, and nothing
// for the bus library to start one with.
class NoSessionBus {
public:
    NoSessionBus() {
        m_env.Set("DBUS_SESSION_BUS_ADDRESS", nullptr);
        m_env.Set("DISPLAY", nullptr);
        m_env.Set("WAYLAND_DISPLAY", nullptr);
    }

private:
    EnvOverride m_env;
};

// Runs the event loop until `done` or the time is up; answers `done()`.
inline bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Runs the event loop for `ms`, for checks that something does not happen.
inline void SpinFor(int ms) {
    SpinUntil([] { return false; }, ms);
}

}  // namespace vktest
