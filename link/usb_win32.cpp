// USB discovery with SetupAPI: the PLC's driver offers the device under the USB
// device interface class, with "vid_0b7e&pid_0001" in its path.

#include "link/usb_win32.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "link/os_links.h"
#include "link/usb_win32_api.h"
#include "link/usb_match.h"
#include "link/win32_handle_link.h"

// The record sizes come from sizeof, so the 64-bit build passes its own; a
// 32-bit build must agree with the sizes the 32-bit platform expects.
#if !defined(_WIN64)
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 5);
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 28);
static_assert(sizeof(SP_DEVINFO_DATA) == 28);
#endif

// GUID_DEVINTERFACE_USB_DEVICE
const GUID USB_DRIVER_GUID = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

UsbWin32Api PlatformUsbApi() {
  return UsbWin32Api{SetupDiGetClassDevsA,
                     SetupDiEnumDeviceInterfaces,
                     SetupDiGetDeviceInterfaceDetailA,
                     SetupDiDestroyDeviceInfoList,
                     CreateFileA,
                     CloseHandle,
                     GetLastError};
}

UsbWin32Api& UsbApi() {
  static UsbWin32Api api = PlatformUsbApi();
  return api;
}

namespace {

HANDLE OpenShared(const char* path) {
  return UsbApi().createFile(path, GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

}  // namespace

HANDLE OpenOneDevice(HDEVINFO deviceInfo, PSP_DEVICE_INTERFACE_DATA interfaceData, char* path) {
  DWORD required = 0;
  UsbApi().getDeviceInterfaceDetail(deviceInfo, interfaceData, nullptr, 0, &required, nullptr);
  // The record must hold at least its fixed part before its size is written.
  if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return INVALID_HANDLE_VALUE;
  std::unique_ptr<void, FreeDeleter> memory(std::malloc(required));
  if (!memory) return INVALID_HANDLE_VALUE;
  auto* detail = static_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(memory.get());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!UsbApi().getDeviceInterfaceDetail(deviceInfo, interfaceData, detail, required, nullptr,
                                         nullptr)) {
    return INVALID_HANDLE_VALUE;
  }
  // A path that cannot take "\" after it in the buffer is passed over, never cut.
  if (!UsbPathFits(detail->DevicePath, "")) return INVALID_HANDLE_VALUE;
  std::strcpy(path, detail->DevicePath);
  if (!IsPlcDevicePath(path)) return INVALID_HANDLE_VALUE;
  return OpenShared(path);
}

HANDLE OpenUsbDevice(const GUID* interfaceClass, char* path) {
  HDEVINFO deviceInfo =
      UsbApi().getClassDevs(interfaceClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (deviceInfo == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
  SP_DEVICE_INTERFACE_DATA interfaceData;
  std::memset(&interfaceData, 0, sizeof interfaceData);
  interfaceData.cbSize = sizeof interfaceData;
  HANDLE found = INVALID_HANDLE_VALUE;
  for (DWORD index = 0; index < 0x7FFFFFFF; ++index) {
    if (UsbApi().enumDeviceInterfaces(deviceInfo, nullptr, interfaceClass, index, &interfaceData)) {
      found = OpenOneDevice(deviceInfo, &interfaceData, path);
      if (found != INVALID_HANDLE_VALUE) break;
    } else if (UsbApi().getLastError() == ERROR_NO_MORE_ITEMS) {
      break;
    }
  }
  UsbApi().destroyDeviceInfoList(deviceInfo);
  return found;
}

int GetUsbDeviceFileName(const GUID* interfaceClass, char* path) {
  HANDLE handle = OpenUsbDevice(interfaceClass, path);
  if (handle == INVALID_HANDLE_VALUE) return 0;
  UsbApi().closeHandle(handle);
  return 1;
}

Link* OpenMyDevPipe(const char* suffix) {
  char path[kUsbPathSize];
  std::memset(path, 0, sizeof path);
  if (GetUsbDeviceFileName(&USB_DRIVER_GUID, path) == 0) return nullptr;
  if (!UsbPathFits(path, suffix)) return nullptr;
  std::strcat(path, "\\");
  std::strcat(path, suffix);
  HANDLE handle = OpenShared(path);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return new Win32HandleLink(handle);
}
