// Brings the windows of the calling (window) thread to the front, as a first
// copy does when a second copy started: every top-level window that is not a
// tool window is restored when minimised, visible ones are raised, the main
// windows first and the active modal dialog last, and the last one raised is
// activated.
#pragma once

void BringWindowsToFront();
