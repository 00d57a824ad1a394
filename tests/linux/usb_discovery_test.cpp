// Discovery of the PLC's USB tty against small fake sysfs trees, and the open
// of what it finds through a pseudo-terminal standing in for /dev/ttyACM0.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/os_links.h"
#include "link/usb_linux.h"
#include "pty_pair.h"

namespace fs = std::filesystem;

namespace {

struct FakeDevice {
  std::string name;
  std::string vendor;
  std::string product;
  std::vector<std::string> ttyPaths;  // relative to the device dir
};

class FakeSysfs {
 public:
  FakeSysfs() {
    char pattern[] = "/tmp/plcburn-sysfs-XXXXXX";
    root_ = ::mkdtemp(pattern);
    fs::create_directories(Devices());
    fs::create_directories(Dev());
  }
  ~FakeSysfs() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  FakeSysfs(const FakeSysfs&) = delete;
  FakeSysfs& operator=(const FakeSysfs&) = delete;

  void Add(const FakeDevice& d) {
    const fs::path dir = Devices() / d.name;
    fs::create_directories(dir);
    std::ofstream(dir / "idVendor") << d.vendor << "\n";
    std::ofstream(dir / "idProduct") << d.product << "\n";
    for (const auto& tty : d.ttyPaths) fs::create_directories(dir / tty);
  }
  std::string Sys() const { return (root_ / "sys").string(); }
  fs::path Dev() const { return root_ / "dev"; }

 private:
  fs::path Devices() const { return root_ / "sys" / "bus" / "usb" / "devices"; }
  fs::path root_;
};

std::vector<std::string> AllTtys(const FakeSysfs& tree) {
  std::vector<std::string> ttys;
  for (const auto& device : FindPlcUsbDevices(tree.Sys(), tree.Dev().string())) {
    for (const auto& tty : device.ttys) ttys.push_back(fs::path(tty).filename().string());
  }
  return ttys;
}

const FakeDevice kPlcAcm{"1-1", "0b7e", "0001", {"1-1:1.0/tty/ttyACM0"}};
const FakeDevice kPlcUsbSerial{"2-3.1", "0b7e", "0001", {"2-3.1:1.0/ttyUSB1/tty/ttyUSB1"}};
const FakeDevice kOtherVendor{"1-2", "0403", "6001", {"1-2:1.0/ttyUSB0/tty/ttyUSB0"}};
const FakeDevice kOtherProduct{"1-3", "0b7e", "0002", {"1-3:1.0/tty/ttyACM1"}};
const FakeDevice kPlcNoTty{"1-4", "0b7e", "0001", {"1-4:1.0"}};
const FakeDevice kRootHub{"usb1", "1d6b", "0002", {"1-0:1.0"}};

TEST(UsbDiscovery, FindsTheTtysOfThePlcDevicesOnly) {
  struct Case {
    const char* what;
    std::vector<FakeDevice> devices;
    std::vector<std::string> ttys;
    size_t deviceCount;
  };
  const std::vector<Case> cases = {
      {"no device at all", {}, {}, 0},
      {"only other devices", {kRootHub, kOtherVendor, kOtherProduct}, {}, 0},
      {"one PLC on cdc_acm", {kRootHub, kOtherVendor, kPlcAcm}, {"ttyACM0"}, 1},
      {"one PLC on a USB-serial driver", {kPlcUsbSerial}, {"ttyUSB1"}, 1},
      {"two PLCs, in name order", {kPlcUsbSerial, kPlcAcm}, {"ttyACM0", "ttyUSB1"}, 2},
      {"a PLC whose driver gave it no tty", {kPlcNoTty}, {}, 1},
  };
  for (const Case& c : cases) {
    FakeSysfs tree;
    for (const auto& d : c.devices) tree.Add(d);
    EXPECT_EQ(AllTtys(tree), c.ttys) << c.what;
    EXPECT_EQ(FindPlcUsbDevices(tree.Sys(), tree.Dev().string()).size(), c.deviceCount) << c.what;
  }
}

TEST(UsbDiscovery, InterfaceEntriesAndUpperCaseIdsDoNotMatch) {
  FakeSysfs tree;
  tree.Add({"1-1:1.0", "0b7e", "0001", {"tty/ttyACM5"}});  // an interface, not a device
  tree.Add({"1-5", "0B7E", "0001", {"1-5:1.0/tty/ttyACM6"}});
  EXPECT_TRUE(AllTtys(tree).empty());
}

TEST(UsbDiscovery, NoSysfsAtAllFindsNothing) {
  EXPECT_TRUE(FindPlcUsbDevices("/nonexistent-sysfs", "/dev").empty());
  EXPECT_EQ(OpenMyDevPipeAt("/nonexistent-sysfs", "/dev", ""), nullptr);
}

class UsbOpen : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pty_.ok()); }
  void LinkDevNode(const std::string& name) {
    fs::create_symlink(pty_.path(), tree_.Dev() / name);
  }
  FakeSysfs tree_;
  PtyPair pty_;
};

TEST_F(UsbOpen, OpensTheTtyOfThePlcAndCarriesBytes) {
  tree_.Add(kPlcAcm);
  LinkDevNode("ttyACM0");
  Link* link = OpenMyDevPipeAt(tree_.Sys(), tree_.Dev().string(), "");
  ASSERT_NE(link, nullptr);
  const uint8_t id[] = {'I', 'D'};
  EXPECT_EQ(link->Write(id, 2), 2u);
  char got[2] = {};
  EXPECT_EQ(::read(pty_.master(), got, 2), 2);
  EXPECT_EQ(std::string(got, 2), "ID");
  CloseLink(link);
}

TEST_F(UsbOpen, APlcWithoutTtyOrANonEmptySuffixGivesTheInvalidLink) {
  tree_.Add(kPlcNoTty);
  EXPECT_EQ(OpenMyDevPipeAt(tree_.Sys(), tree_.Dev().string(), ""), nullptr);
  tree_.Add(kPlcAcm);
  LinkDevNode("ttyACM0");
  EXPECT_EQ(OpenMyDevPipeAt(tree_.Sys(), tree_.Dev().string(), "pipe0"), nullptr);
}

TEST_F(UsbOpen, APlcHeldByAnotherProgramIsPassedOverForTheNext) {
  PtyPair second;
  ASSERT_TRUE(second.ok());
  tree_.Add(kPlcAcm);
  tree_.Add(kPlcUsbSerial);
  LinkDevNode("ttyACM0");
  fs::create_symlink(second.path(), tree_.Dev() / "ttyUSB1");
  Link* holder = OpenComLink(pty_.path().c_str());
  ASSERT_NE(holder, nullptr);
  Link* link = OpenMyDevPipeAt(tree_.Sys(), tree_.Dev().string(), "");
  ASSERT_NE(link, nullptr);
  const uint8_t byte = 0x04;
  EXPECT_EQ(link->Write(&byte, 1), 1u);
  uint8_t got = 0;
  EXPECT_EQ(::read(second.master(), &got, 1), 1) << "the second PLC got the byte";
  CloseLink(link);
  CloseLink(holder);
}

}  // namespace
