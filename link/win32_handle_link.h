#pragma once
// The Win32 link over one file handle: a COM port or the PLC's USB device path.
// Both are driven the same way; on the USB handle the comm-state and time-out
// calls simply fail, and their results are not examined.

#include <windows.h>

#include "link/link.h"

class Win32HandleLink final : public Link {
 public:
  explicit Win32HandleLink(HANDLE handle) : handle_(handle) {}
  ~Win32HandleLink() override;
  Win32HandleLink(const Win32HandleLink&) = delete;
  Win32HandleLink& operator=(const Win32HandleLink&) = delete;

  uint32_t Write(const uint8_t* data, uint32_t count) override;
  uint32_t Read(uint8_t* buffer, uint32_t count) override;
  void SetTimeouts(const LinkTimeouts& timeouts) override;
  void ApplyLineSettings(LineSettings settings) override;

  HANDLE Handle() const { return handle_; }

 private:
  HANDLE handle_;
};
