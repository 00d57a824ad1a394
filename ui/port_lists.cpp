#include "ui/port_lists.h"

#include <setupapi.h>

#include <cstring>

#include "catalogue/shared_state.h"
#include "link/port_name.h"

#ifndef _WIN64
static_assert(sizeof(SP_DEVINFO_DATA) == 28, "device information record of 32-bit Windows");
#endif

namespace {

// Removes what the last fill added; the list holds nothing else.
void ClearPortList(HWND portList) {
  for (int32_t i = 0; i < totalComPort; ++i) SendMessageA(portList, CB_DELETESTRING, 0, 0);
  totalComPort = 0;
}

}  // namespace

void EnumComPort(HWND portList) {
  HDEVINFO devices = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  if (devices == INVALID_HANDLE_VALUE) return;
  ClearPortList(portList);
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
    BYTE friendlyName[1024];
    std::memset(friendlyName, 0, sizeof friendlyName);
    // One byte less than the buffer: the name stays terminated even if the
    // property fills it.
    if (!SetupDiGetDeviceRegistryPropertyA(devices, &device, SPDRP_FRIENDLYNAME, nullptr, friendlyName,
                                           sizeof friendlyName - 1, nullptr)) {
      continue;
    }
    char portName[kPortNameSize];
    if (!PortNameFromFriendlyName(reinterpret_cast<const char*>(friendlyName), portName)) continue;
    SendMessageA(portList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(portName));
    ++totalComPort;
  }
  SetupDiDestroyDeviceInfoList(devices);
}

void EnumUSBPort(HWND portList) {
  ClearPortList(portList);
  SendMessageA(portList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("USB"));
  SendMessageA(portList, CB_SETCURSEL, 0, 0);
  totalComPort = 1;
}
