#include "cli/port_list.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Linux creates ttyS0..ttyS31 whether or not a UART is there; sysfs tells the
// UART's type, 0 when there is none.
bool HasUart(const std::string& sysfsRoot, const std::string& name) {
  std::ifstream in(fs::path(sysfsRoot) / "class" / "tty" / name / "type");
  int type = 0;
  return static_cast<bool>(in >> type) && type != 0;
}

}  // namespace

std::vector<std::string> ListSerialPorts(const std::string& sysfsRoot, const std::string& devRoot) {
  std::vector<std::string> ports;
  std::error_code ec;
  for (fs::directory_iterator it(devRoot, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const bool usbSerial = StartsWith(name, "ttyUSB") || StartsWith(name, "ttyACM");
    const bool uart = StartsWith(name, "ttyS") && HasUart(sysfsRoot, name);
    if (usbSerial || uart) ports.push_back((fs::path(devRoot) / name).string());
  }
  std::sort(ports.begin(), ports.end());
  return ports;
}

std::string PortDisplayName(const std::string& path) {
  std::string name = StartsWith(path, "/dev/") ? path.substr(5) : path;
  if (name.size() > 9) name.resize(9);
  return name;
}
