#pragma once
// The SetupAPI and file calls that USB discovery makes, as a table, so that a
// test can stand in for the devices of a machine. The real functions unless a
// test swaps the table.

#include <windows.h>
#include <setupapi.h>

struct UsbWin32Api {
  decltype(&SetupDiGetClassDevsA) getClassDevs;
  decltype(&SetupDiEnumDeviceInterfaces) enumDeviceInterfaces;
  decltype(&SetupDiGetDeviceInterfaceDetailA) getDeviceInterfaceDetail;
  decltype(&SetupDiDestroyDeviceInfoList) destroyDeviceInfoList;
  decltype(&CreateFileA) createFile;
  decltype(&CloseHandle) closeHandle;
  decltype(&GetLastError) getLastError;
};

// The table in use.
UsbWin32Api& UsbApi();
// The platform's own functions.
UsbWin32Api PlatformUsbApi();
