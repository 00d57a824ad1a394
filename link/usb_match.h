#pragma once
// Which device path belongs to the PLC, and whether it fits the path buffer.
// Platform-free so that the rule is tested natively as well as under Wine.

#include <cstddef>

// The PLC's vendor/product text as the driver writes it into the device path.
inline constexpr char kPlcVidPid[] = "vid_0b7e&pid_0001";

// The buffer that holds the device path, then "\" and the suffix.
inline constexpr size_t kUsbPathSize = 300;

// A plain byte-wise substring search: the upper-case form does not match.
bool IsPlcDevicePath(const char* devicePath);

// True when `devicePath` followed by "\", `suffix` and the terminator fits
// kUsbPathSize bytes. A longer path is skipped rather than cut.
bool UsbPathFits(const char* devicePath, const char* suffix);
