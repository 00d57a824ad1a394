#include "link/usb_linux.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "link/os_links.h"

namespace fs = std::filesystem;

namespace {

// The first line of a sysfs attribute, without its newline; empty if absent.
std::string ReadAttribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

std::vector<std::string> SortedEntries(const fs::path& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool IsDirectory(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}

// cdc_acm puts the tty under <interface>/tty/<name>; USB-serial drivers make
// <interface>/ttyUSB0 (with its own tty/ below).
std::vector<std::string> InterfaceTtys(const fs::path& interfaceDir) {
  std::vector<std::string> ttys;
  if (IsDirectory(interfaceDir / "tty")) {
    for (const auto& name : SortedEntries(interfaceDir / "tty")) ttys.push_back(name);
  }
  for (const auto& name : SortedEntries(interfaceDir)) {
    if (name != "tty" && name.rfind("tty", 0) == 0 && IsDirectory(interfaceDir / name)) {
      ttys.push_back(name);
    }
  }
  return ttys;
}

}  // namespace

std::vector<PlcUsbDevice> FindPlcUsbDevices(const std::string& sysfsRoot,
                                            const std::string& devRoot) {
  const fs::path devices = fs::path(sysfsRoot) / "bus" / "usb" / "devices";
  std::vector<PlcUsbDevice> found;
  for (const auto& name : SortedEntries(devices)) {
    if (name.find(':') != std::string::npos) continue;  // an interface, not a device
    const fs::path dir = devices / name;
    if (ReadAttribute(dir / "idVendor") != kPlcUsbVendor ||
        ReadAttribute(dir / "idProduct") != kPlcUsbProduct) {
      continue;
    }
    PlcUsbDevice device{name, {}};
    for (const auto& entry : SortedEntries(dir)) {
      if (entry.rfind(name + ":", 0) != 0) continue;
      for (const auto& tty : InterfaceTtys(dir / entry)) {
        device.ttys.push_back((fs::path(devRoot) / tty).string());
      }
    }
    found.push_back(std::move(device));
  }
  return found;
}

Link* OpenMyDevPipeAt(const std::string& sysfsRoot, const std::string& devRoot,
                      const char* suffix) {
  const std::string tail = (suffix != nullptr && suffix[0] != '\0') ? std::string("/") + suffix : "";
  for (const auto& device : FindPlcUsbDevices(sysfsRoot, devRoot)) {
    for (const auto& tty : device.ttys) {
      if (Link* link = OpenComLink((tty + tail).c_str())) return link;
    }
  }
  return nullptr;
}

Link* OpenMyDevPipe(const char* suffix) { return OpenMyDevPipeAt(kSysfsRoot, kDevRoot, suffix); }
