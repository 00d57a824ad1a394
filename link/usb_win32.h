#pragma once
// USB discovery on Windows: the PLC's device among the present devices of the
// USB device interface class, recognised by the vendor/product text in its path.

#include <windows.h>
#include <setupapi.h>

extern const GUID USB_DRIVER_GUID;

// Fetches the interface's device path into `path` (kUsbPathSize bytes) and opens
// it when it is the PLC's. INVALID_HANDLE_VALUE otherwise.
HANDLE OpenOneDevice(HDEVINFO deviceInfo, PSP_DEVICE_INTERFACE_DATA interfaceData, char* path);

// The first PLC device of the class that opens; its path stays in `path`.
HANDLE OpenUsbDevice(const GUID* interfaceClass, char* path);

// 1 when the PLC's device was found and opened (the test handle is closed
// again, the path stays in `path`), 0 otherwise.
int GetUsbDeviceFileName(const GUID* interfaceClass, char* path);
