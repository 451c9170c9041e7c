// The session-bus signal that carries a broadcast posting between programs: sent by the Qt hub and
// by programs without Qt, heard by the hub. Its arguments: the registered message's name (empty
// for a message that is not registered), the sender's number for it, wParam and lParam.
#pragma once

inline constexpr const char* kBroadcastPath = "/org/vkcert/Broadcast";
inline constexpr const char* kBroadcastInterface = "org.vkcert.Broadcast";
inline constexpr const char* kBroadcastMember = "Message";
// string name, uint32 number, uint64 wParam, int64 lParam
inline constexpr const char* kBroadcastSignature = "sutx";
