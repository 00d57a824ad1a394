#include "link/port_name.h"

#include <cstring>

bool PortNameFromFriendlyName(const char* friendlyName, char out[kPortNameSize]) {
  const char* marker = std::strstr(friendlyName, "(COM");
  if (marker == nullptr) return false;
  const char* first = marker + 1;
  // The name runs to the last ")", so "Serial Port (COM4) (x)" gives "COM4) (x".
  const char* last = std::strrchr(first, ')');
  if (last == nullptr) return false;
  const auto length = static_cast<size_t>(last - first);
  if (length > kPortNameSize - 1) return false;
  std::memcpy(out, first, length);
  out[length] = '\0';
  return true;
}
