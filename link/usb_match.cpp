#include "link/usb_match.h"

#include <cstring>

bool IsPlcDevicePath(const char* devicePath) {
  return devicePath != nullptr && std::strstr(devicePath, kPlcVidPid) != nullptr;
}

bool UsbPathFits(const char* devicePath, const char* suffix) {
  const size_t needed = std::strlen(devicePath) + 1 + std::strlen(suffix) + 1;
  return needed <= kUsbPathSize;
}
