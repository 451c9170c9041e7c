// The lines a starting copy and the first copy exchange over the local socket.
#pragma once

inline constexpr char kInstanceActivate[] = "activate\n";
inline constexpr char kInstanceActivated[] = "activated\n";
// A line longer than this is not ours; the connection is dropped.
inline constexpr int kInstanceMaxLine = 64;
// How long the first copy keeps a connection open.
inline constexpr int kInstanceConnectionMs = 5000;
