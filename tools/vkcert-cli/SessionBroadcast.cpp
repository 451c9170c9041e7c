#include "SessionBroadcast.h"

#include "desktop/BroadcastSignal.h"

#if VKCLI_BROADCAST
#include <dbus/dbus.h>

#include <cstring>
#include <memory>
#endif

namespace vkcli {

#if VKCLI_BROADCAST
namespace {

constexpr int kBusTimeoutMs = 2000;

struct ConnectionClose {
    void operator()(DBusConnection* c) const {
        dbus_connection_close(c);
        dbus_connection_unref(c);
    }
};
struct MessageUnref {
    void operator()(DBusMessage* m) const { dbus_message_unref(m); }
};
using Connection = std::unique_ptr<DBusConnection, ConnectionClose>;
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

// The session bus as the window finds it (the same library's lookup); null when there is none.
Connection OpenSessionBus() {
    DBusError error;
    dbus_error_init(&error);
    Connection bus(dbus_bus_get_private(DBUS_BUS_SESSION, &error));
    dbus_error_free(&error);
    if (bus) {
        dbus_connection_set_exit_on_disconnect(bus.get(), FALSE);
    }
    return bus;
}

// Messages of one connection reach the bus in order: once this call is answered, the bus has
// handled the signal sent before it, even though the program ends right after.
void WaitForBus(DBusConnection* bus) {
    Message call(dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                              "org.freedesktop.DBus", "GetId"));
    if (!call) {
        return;
    }
    DBusError error;
    dbus_error_init(&error);
    DBusMessage* reply =
        dbus_connection_send_with_reply_and_block(bus, call.get(), kBusTimeoutMs, &error);
    if (reply != nullptr) {
        dbus_message_unref(reply);
    }
    dbus_error_free(&error);
}

}  // namespace

bool PostSessionBroadcast(const std::string& name, std::uint32_t number, std::uint64_t wParam,
                          std::int64_t lParam) {
    // The bus library takes only valid UTF-8 and ends the program otherwise.
    if (!dbus_validate_utf8(name.c_str(), nullptr)) {
        return false;
    }
    Connection bus = OpenSessionBus();
    if (!bus) {
        return false;
    }
    Message signal(dbus_message_new_signal(kBroadcastPath, kBroadcastInterface, kBroadcastMember));
    if (!signal) {
        return false;
    }
    const char* text = name.c_str();
    dbus_uint32_t n = number;
    dbus_uint64_t w = wParam;
    dbus_int64_t l = lParam;
    if (!dbus_message_append_args(signal.get(), DBUS_TYPE_STRING, &text, DBUS_TYPE_UINT32, &n,
                                  DBUS_TYPE_UINT64, &w, DBUS_TYPE_INT64, &l, DBUS_TYPE_INVALID) ||
        std::strcmp(dbus_message_get_signature(signal.get()), kBroadcastSignature) != 0 ||
        !dbus_connection_send(bus.get(), signal.get(), nullptr)) {
        return false;
    }
    WaitForBus(bus.get());
    return true;
}

#else

bool PostSessionBroadcast(const std::string&, std::uint32_t, std::uint64_t, std::int64_t) {
    return false;  // built without the bus library
}

#endif

}  // namespace vkcli
