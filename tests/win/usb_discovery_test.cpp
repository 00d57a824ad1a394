// USB discovery against a stand-in machine: the SetupAPI and file calls are
// answered from a list of device interfaces, and every open is recorded.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "link/os_links.h"
#include "link/usb_match.h"
#include "link/usb_win32.h"
#include "link/usb_win32_api.h"
#include "link/win32_handle_link.h"

namespace {

struct FakeInterface {
  std::string path;
  bool pathOpens = true;  // the interface path (the test open)
  bool pipeOpens = true;  // the path with "\" and the suffix (the link)
  bool enumFails = false; // enumeration of this index fails with another error
};

struct FakeOpen {
  std::string path;
  DWORD access, share, disposition, flags;
  HANDLE handle;
};

struct FakeMachine {
  bool noDeviceSet = false;
  std::vector<FakeInterface> interfaces;
  std::string suffix;
  // What the discovery did.
  int enumerations = 0;
  int destroyed = 0;
  std::vector<DWORD> detailSizeFields;
  std::vector<FakeOpen> opens;
  std::vector<HANDLE> closed;
  DWORD lastError = 0;
};

FakeMachine* machine = nullptr;
const auto kDeviceSet = reinterpret_cast<HDEVINFO>(0x5E70);

HDEVINFO WINAPI FakeGetClassDevs(const GUID* classGuid, PCSTR enumerator, HWND parent, DWORD flags) {
  EXPECT_EQ(std::memcmp(classGuid, &USB_DRIVER_GUID, sizeof(GUID)), 0);
  EXPECT_EQ(enumerator, nullptr);
  EXPECT_EQ(parent, nullptr);
  EXPECT_EQ(flags, static_cast<DWORD>(DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  return machine->noDeviceSet ? INVALID_HANDLE_VALUE : kDeviceSet;
}

WINBOOL WINAPI FakeEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device, const GUID*,
                                        DWORD index, PSP_DEVICE_INTERFACE_DATA data) {
  EXPECT_EQ(set, kDeviceSet);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(data->cbSize, sizeof(SP_DEVICE_INTERFACE_DATA));
  ++machine->enumerations;
  if (index >= machine->interfaces.size()) {
    machine->lastError = ERROR_NO_MORE_ITEMS;
    return FALSE;
  }
  if (machine->interfaces[index].enumFails) {
    machine->lastError = ERROR_INVALID_PARAMETER;
    return FALSE;
  }
  data->Reserved = index;
  return TRUE;
}

WINBOOL WINAPI FakeGetDetail(HDEVINFO, PSP_DEVICE_INTERFACE_DATA data,
                             PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD size, PDWORD required,
                             PSP_DEVINFO_DATA) {
  const std::string& path = machine->interfaces[data->Reserved].path;
  const DWORD needed = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) +
                                          path.size() + 1);
  if (required != nullptr) *required = needed;
  if (detail == nullptr || size < needed) {
    machine->lastError = ERROR_INSUFFICIENT_BUFFER;
    return FALSE;
  }
  machine->detailSizeFields.push_back(detail->cbSize);
  std::memcpy(detail->DevicePath, path.c_str(), path.size() + 1);
  return TRUE;
}

WINBOOL WINAPI FakeDestroy(HDEVINFO set) {
  EXPECT_EQ(set, kDeviceSet);
  ++machine->destroyed;
  return TRUE;
}

HANDLE WINAPI FakeCreateFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE templateFile) {
  EXPECT_EQ(security, nullptr);
  EXPECT_EQ(templateFile, nullptr);
  bool opens = false;
  for (const FakeInterface& i : machine->interfaces) {
    if (path == i.path) opens = opens || i.pathOpens;
    if (path == i.path + "\\" + machine->suffix) opens = opens || i.pipeOpens;
  }
  // Far beyond any real handle of the test process.
  HANDLE handle = opens ? reinterpret_cast<HANDLE>(0x100000 + 4 * machine->opens.size())
                        : INVALID_HANDLE_VALUE;
  machine->opens.push_back({path, access, share, disposition, flags, handle});
  return handle;
}

WINBOOL WINAPI FakeCloseHandle(HANDLE handle) {
  machine->closed.push_back(handle);
  return TRUE;
}

DWORD WINAPI FakeGetLastError() { return machine->lastError; }

const std::string kGuidText = "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
const std::string kMouse = "\\\\?\\usb#vid_046d&pid_c077#5&1f0a&0&1" + kGuidText;
const std::string kHub = "\\\\?\\usb#root_hub30#4&2b1d&0&0" + kGuidText;
const std::string kPlc = "\\\\?\\usb#vid_0b7e&pid_0001#6&3a9c&0&2" + kGuidText;
const std::string kSecondPlc = "\\\\?\\usb#vid_0b7e&pid_0001#6&3a9c&0&4" + kGuidText;

// A PLC path padded in its instance part to `length` characters.
std::string PlcPathOfLength(size_t length) {
  std::string path = kPlc;
  path.insert(path.find("#6&") + 1, length - path.size(), 'x');
  return path;
}

class UsbDiscovery : public testing::Test {
 protected:
  void SetUp() override {
    machine = &fake_;
    UsbApi() = UsbWin32Api{FakeGetClassDevs, FakeEnumDeviceInterfaces, FakeGetDetail, FakeDestroy,
                           FakeCreateFile,   FakeCloseHandle,          FakeGetLastError};
  }
  void TearDown() override {
    UsbApi() = PlatformUsbApi();
    machine = nullptr;
  }
  // The handle of a link that OpenMyDevPipe returned; the link is closed.
  HANDLE TakeHandle(Link* link) {
    auto* handleLink = dynamic_cast<Win32HandleLink*>(link);
    EXPECT_NE(handleLink, nullptr);
    HANDLE handle = handleLink != nullptr ? handleLink->Handle() : INVALID_HANDLE_VALUE;
    UsbApi() = PlatformUsbApi();  // the fake handle goes to the real CloseHandle, which refuses it
    CloseLink(link);
    return handle;
  }
  std::vector<std::string> OpenedPaths() const {
    std::vector<std::string> paths;
    for (const FakeOpen& o : fake_.opens) paths.push_back(o.path);
    return paths;
  }
  FakeMachine fake_;
};

TEST_F(UsbDiscovery, NoDeviceEndsAfterOneEnumeration) {
  EXPECT_EQ(OpenMyDevPipe(""), nullptr);
  EXPECT_EQ(fake_.enumerations, 1);
  EXPECT_EQ(fake_.destroyed, 1);
  EXPECT_TRUE(fake_.opens.empty());
}

TEST_F(UsbDiscovery, NoDeviceSetOpensNothing) {
  fake_.noDeviceSet = true;
  EXPECT_EQ(OpenMyDevPipe(""), nullptr);
  EXPECT_EQ(fake_.enumerations, 0);
  EXPECT_EQ(fake_.destroyed, 0);
}

TEST_F(UsbDiscovery, PlcAmongOtherDevicesIsOpenedTwice) {
  fake_.interfaces = {{kMouse}, {kHub}, {kPlc}, {kSecondPlc}};
  Link* link = OpenMyDevPipe("");
  ASSERT_NE(link, nullptr);
  // Only the PLC is opened: its interface path as a test, closed again, then
  // the path with a single "\" as the link.
  EXPECT_EQ(OpenedPaths(), (std::vector<std::string>{kPlc, kPlc + "\\"}));
  EXPECT_EQ(fake_.closed, std::vector<HANDLE>{fake_.opens[0].handle});
  for (const FakeOpen& o : fake_.opens) {
    EXPECT_EQ(o.access, static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE));
    EXPECT_EQ(o.share, static_cast<DWORD>(FILE_SHARE_READ | FILE_SHARE_WRITE));
    EXPECT_EQ(o.disposition, static_cast<DWORD>(OPEN_EXISTING));
    EXPECT_EQ(o.flags, 0u);
  }
  EXPECT_EQ(fake_.enumerations, 3);  // the search stops at the PLC
  EXPECT_EQ(fake_.destroyed, 1);
  EXPECT_EQ(fake_.detailSizeFields,
            std::vector<DWORD>(3, sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)));
  EXPECT_EQ(TakeHandle(link), fake_.opens[1].handle);
}

TEST_F(UsbDiscovery, PathBufferHoldsTheLastPathExamined) {
  char path[kUsbPathSize] = {};
  fake_.interfaces = {{kMouse}, {kPlc}, {kHub}};
  EXPECT_EQ(GetUsbDeviceFileName(&USB_DRIVER_GUID, path), 1);
  EXPECT_STREQ(path, kPlc.c_str());

  std::memset(path, 0, sizeof path);
  fake_.interfaces = {{kMouse}, {kHub}};
  EXPECT_EQ(GetUsbDeviceFileName(&USB_DRIVER_GUID, path), 0);
  EXPECT_STREQ(path, kHub.c_str());  // replaced in turn, none opened
}

TEST_F(UsbDiscovery, UpperCaseVendorTextDoesNotMatch) {
  std::string upper = kPlc;
  upper.replace(upper.find("vid_0b7e&pid_0001"), 17, "VID_0B7E&PID_0001");
  fake_.interfaces = {{upper}};
  EXPECT_EQ(OpenMyDevPipe(""), nullptr);
  EXPECT_TRUE(fake_.opens.empty());
}

TEST_F(UsbDiscovery, PlcHeldByAnotherProgramIsPassedOver) {
  fake_.interfaces = {{kPlc, /*pathOpens=*/false}, {kSecondPlc}};
  Link* link = OpenMyDevPipe("");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(OpenedPaths(), (std::vector<std::string>{kPlc, kSecondPlc, kSecondPlc + "\\"}));
  TakeHandle(link);
}

TEST_F(UsbDiscovery, FirstOfTwoPlcsIsUsed) {
  fake_.interfaces = {{kPlc}, {kSecondPlc}};
  Link* link = OpenMyDevPipe("");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(OpenedPaths(), (std::vector<std::string>{kPlc, kPlc + "\\"}));
  TakeHandle(link);
}

TEST_F(UsbDiscovery, OtherEnumerationFailureGoesOnWithTheNextIndex) {
  fake_.interfaces = {{kMouse, true, true, /*enumFails=*/true}, {kPlc}};
  Link* link = OpenMyDevPipe("");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(fake_.enumerations, 2);
  TakeHandle(link);
}

TEST_F(UsbDiscovery, FailedFinalOpenIsTheInvalidLink) {
  fake_.interfaces = {{kPlc, true, /*pipeOpens=*/false}};
  EXPECT_EQ(OpenMyDevPipe(""), nullptr);
  EXPECT_EQ(OpenedPaths(), (std::vector<std::string>{kPlc, kPlc + "\\"}));
  EXPECT_EQ(fake_.closed, std::vector<HANDLE>{fake_.opens[0].handle});
}

TEST_F(UsbDiscovery, SuffixFollowsTheBackslash) {
  fake_.suffix = "PIPE00";
  fake_.interfaces = {{kPlc}};
  Link* link = OpenMyDevPipe("PIPE00");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(OpenedPaths().back(), kPlc + "\\PIPE00");
  TakeHandle(link);
}

TEST_F(UsbDiscovery, PathTooLongForTheBufferIsSkippedNotCut) {
  // 298 characters take "\" and the terminator exactly; 299 do not.
  const std::string fits = PlcPathOfLength(298);
  const std::string tooLong = PlcPathOfLength(299);
  fake_.interfaces = {{tooLong}, {fits}};
  Link* link = OpenMyDevPipe("");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(OpenedPaths(), (std::vector<std::string>{fits, fits + "\\"}));
  TakeHandle(link);

  // Nothing lands beyond the 300 bytes the caller gives.
  struct Guarded {
    char path[kUsbPathSize];
    char guard[64];
  } buffer;
  std::memset(&buffer, '#', sizeof buffer);
  fake_ = FakeMachine{};
  fake_.interfaces = {{PlcPathOfLength(1000)}};
  EXPECT_EQ(GetUsbDeviceFileName(&USB_DRIVER_GUID, buffer.path), 0);
  EXPECT_EQ(std::string(buffer.guard, sizeof buffer.guard), std::string(sizeof buffer.guard, '#'));
}

}  // namespace
