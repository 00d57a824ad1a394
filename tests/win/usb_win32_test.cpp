// Under Wine no device offers the USB device interface class: the enumeration
// ends at once and nothing is opened.
#include "link/usb_win32.h"

#include <gtest/gtest.h>

#include <cstring>

#include "link/os_links.h"
#include "link/usb_match.h"

namespace {

TEST(UsbWin32, NoPlcPresent) {
  char path[kUsbPathSize];
  std::memset(path, 0, sizeof path);
  EXPECT_EQ(GetUsbDeviceFileName(&USB_DRIVER_GUID, path), 0);
  EXPECT_EQ(OpenUsbDevice(&USB_DRIVER_GUID, path), INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenMyDevPipe(""), nullptr);
  EXPECT_EQ(OsLinkProvider().OpenUsb(""), nullptr);
}

TEST(SerialWin32, MissingPortIsNullLink) {
  EXPECT_EQ(OpenComLink("COM250"), nullptr);
  EXPECT_EQ(OsLinkProvider().OpenCom("COM250"), nullptr);
  CloseLink(nullptr);  // the invalid link closes quietly
}

}  // namespace
