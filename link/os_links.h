#pragma once
// The operating system's links: a COM port by name, the PLC's USB device by
// its device path. One implementation per platform, chosen by the build
// (serial_win32.cpp/usb_win32.cpp on Windows, serial_posix.cpp/usb_linux.cpp
// elsewhere). A null Link* is the invalid handle.

#include "link/link.h"

// Opens a COM port by the name the port list shows ("COM1", "COM12") or, on
// POSIX, by a device path. No line settings are applied on opening.
Link* OpenComLink(const char* portName);

// Finds the PLC's USB device afresh and opens its path followed by "\" and
// `suffix` (the worker passes ""). Null when no device matches or the open fails.
Link* OpenMyDevPipe(const char* suffix);

// Closes and frees a link returned by the two functions above; null is ignored.
void CloseLink(Link* link);

// The provider the front ends hand to the worker: OpenComLink, OpenMyDevPipe
// and CloseLink. One instance for the whole program; shared by every platform
// (os_link_provider.cpp), so a backend implements only the three functions.
LinkProvider& OsLinkProvider();
