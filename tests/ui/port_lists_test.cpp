// The port list filled from the devices present and with "USB", in a real
// sorted combo box. The COM devices are registry device entries that this
// test adds to the Wine prefix (as a serial driver would) and removes again.
#include "ui/port_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/shared_state.h"
#include "tests/ui/window_fixture.h"

namespace {

constexpr char kPortsKey[] = "SYSTEM\\CurrentControlSet\\Enum\\ROOT\\PORTS";
constexpr char kPortsClass[] = "{4D36E978-E325-11CE-BFC1-08002BE10318}";

std::vector<std::string> Entries(HWND list) {
  std::vector<std::string> entries;
  const auto count = SendMessageA(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[256] = {};
    SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    entries.emplace_back(text);
  }
  return entries;
}

std::string Selected(HWND list) {
  const auto index = SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return "";
  char text[256] = {};
  SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
  return text;
}

class PortLists : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSharedState();
    if (window_.handle() == nullptr) GTEST_SKIP() << "no display: Wine creates no windows";
    list_ = window_.AddSortedList(7);
    ASSERT_NE(list_, nullptr);
  }
  void TearDown() override {
    for (const auto& instance : added_) {
      RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kPortsKey) + "\\" + instance).c_str());
    }
    ResetSharedState();
  }

  // A present device of the Ports class with this friendly name.
  bool AddDevice(const std::string& friendlyName) {
    const std::string instance = "PLCBURNTEST" + std::to_string(added_.size());
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kPortsKey) + "\\" + instance).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    added_.push_back(instance);
    const auto set = [key](const char* name, const std::string& value) {
      return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    };
    const bool ok = set("FriendlyName", friendlyName) && set("ClassGUID", kPortsClass);
    RegCloseKey(key);
    return ok;
  }

  // The entries this test added, in list order (the prefix may have others).
  std::vector<std::string> OurEntries() const {
    std::vector<std::string> ours;
    for (const auto& entry : Entries(list_)) {
      if (std::find(ourNames_.begin(), ourNames_.end(), entry) != ourNames_.end()) ours.push_back(entry);
    }
    return ours;
  }

  HiddenWindow window_;
  HWND list_ = nullptr;
  std::vector<std::string> added_;
  const std::vector<std::string> ourNames_{"COM1", "COM3", "COM10", "COM4) (x"};
};

TEST_F(PortLists, UsbListHoldsOnlyUsbSelected) {
  for (const char* name : {"COM3", "COM10", "COM1"}) {
    SendMessageA(list_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  totalComPort = 3;
  EnumUSBPort(list_);
  EnumUSBPort(list_);
  EXPECT_EQ(Entries(list_), std::vector<std::string>{"USB"});
  EXPECT_EQ(Selected(list_), "USB");
  EXPECT_EQ(totalComPort, 1);
}

TEST_F(PortLists, ComPortsInTextOrderOnceEachAndNothingTooLong) {
  for (const char* name : {"Communications Port (COM3)", "USB Serial Port (COM10)", "Communications Port (COM1)",
                           "Serial Port (COM4) (x)", "ECP Printer Port (LPT1)", "Long Port (COM1234567890)",
                           "Open Port (COM7"}) {
    ASSERT_TRUE(AddDevice(name)) << "cannot add a device entry to the registry";
  }
  EnumComPort(list_);
  const auto baseline = Entries(list_).size();
  EnumComPort(list_);
  EXPECT_EQ(Entries(list_).size(), baseline) << "a second fill lists each port once";
  EXPECT_EQ(static_cast<size_t>(totalComPort), baseline);
  EXPECT_EQ(OurEntries(), (std::vector<std::string>{"COM1", "COM10", "COM3", "COM4) (x"}));
  for (const auto& entry : Entries(list_)) {
    EXPECT_LE(entry.size(), 9u) << entry;
    EXPECT_NE(entry.rfind("COM7", 0), 0u) << "a name without its ')' is skipped";
  }

  EnumUSBPort(list_);
  EXPECT_EQ(Entries(list_), std::vector<std::string>{"USB"});
  EXPECT_EQ(totalComPort, 1);
}

}  // namespace
