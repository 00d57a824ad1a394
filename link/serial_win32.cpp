// The COM port link on Windows: CreateFileA, the DCB and COMMTIMEOUTS records,
// synchronous ReadFile/WriteFile.

#include <windows.h>

#include <cstring>
#include <string>

#include "link/os_links.h"
#include "link/win32_handle_link.h"

Win32HandleLink::~Win32HandleLink() { CloseHandle(handle_); }

uint32_t Win32HandleLink::Write(const uint8_t* data, uint32_t count) {
  DWORD written = 0;
  WriteFile(handle_, data, count, &written, nullptr);
  return written;
}

uint32_t Win32HandleLink::Read(uint8_t* buffer, uint32_t count) {
  DWORD read = 0;
  ReadFile(handle_, buffer, count, &read, nullptr);
  return read;
}

void Win32HandleLink::SetTimeouts(const LinkTimeouts& timeouts) {
  COMMTIMEOUTS record{};
  record.ReadIntervalTimeout = timeouts.readInterval;
  record.ReadTotalTimeoutMultiplier = timeouts.readMultiplier;
  record.ReadTotalTimeoutConstant = timeouts.readConstant;
  record.WriteTotalTimeoutMultiplier = timeouts.writeMultiplier;
  record.WriteTotalTimeoutConstant = timeouts.writeConstant;
  SetCommTimeouts(handle_, &record);
}

void Win32HandleLink::ApplyLineSettings(LineSettings settings) {
  // Only these fields change; every other one keeps what the driver reported.
  DCB dcb;
  std::memset(&dcb, 0, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  GetCommState(handle_, &dcb);
  if (settings == LineSettings::Slow) {
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 7;
    dcb.Parity = EVENPARITY;
  } else {
    dcb.BaudRate = CBR_115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
  }
  dcb.StopBits = ONESTOPBIT;
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  SetCommState(handle_, &dcb);
}

Link* OpenComLink(const char* portName) {
  // A bare name does not reach COM10 and above; "\\.\" reaches every port,
  // so it goes in front of any name that is not already a device path.
  std::string path = portName;
  if (path.rfind("\\\\", 0) != 0) path = "\\\\.\\" + path;
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return new Win32HandleLink(handle);
}

void CloseLink(Link* link) { delete link; }
