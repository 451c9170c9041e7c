// The second copy's side of the single-instance signal: tells the first copy
// of the same instance name that another copy started. Tries the D-Bus session
// bus first, then the local socket, and waits for the first copy to answer, so
// that a copy that exits at once after it knows its signal was heard.
#pragma once

#include <string>

enum class InstanceTransport { None, DBus, LocalSocket };

class CInstanceSignal {
public:
    // Signals the first copy; answers the way that reached it, None when nothing
    // answered within `timeoutMs` (the first copy may still be starting, so both
    // ways are tried again until then). Needs the Qt application object.
    static InstanceTransport Send(const std::wstring& instanceName, int timeoutMs = 5000);

private:
    static bool SendOverDBus(const std::wstring& instanceName, int timeoutMs);
    static bool SendOverSocket(const std::wstring& instanceName, int timeoutMs);
};
