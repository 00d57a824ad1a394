#pragma once
// The COM port name inside a device's friendly name, as the port list shows it.

// A port name is at most 9 characters and its terminator.
inline constexpr unsigned kPortNameSize = 10;

// "Communications Port (COM1)" gives "COM1": the text from just after the "("
// of the first "(COM" to just before the last ")". Returns false and leaves
// `out` untouched when there is no "(COM", no ")" after it, or the name would
// not fit its 10 bytes.
bool PortNameFromFriendlyName(const char* friendlyName, char out[kPortNameSize]);
