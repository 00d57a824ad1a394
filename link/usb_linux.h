#pragma once
// The PLC's USB device on Linux. The kernel names no device path as Windows
// does; the device is found in sysfs by its vendor and product ids, and its
// link is the tty that the kernel gave one of its interfaces (ttyACM* from
// cdc_acm, ttyUSB* from a USB-serial driver). The roots are parameters so that
// the search also runs against a small fake tree.

#include <string>
#include <vector>

#include "link/link.h"

inline constexpr char kPlcUsbVendor[] = "0b7e";
inline constexpr char kPlcUsbProduct[] = "0001";
inline constexpr char kSysfsRoot[] = "/sys";
inline constexpr char kDevRoot[] = "/dev";

struct PlcUsbDevice {
  std::string name;               // the sysfs device name, e.g. "1-1.4"
  std::vector<std::string> ttys;  // the device nodes of its ttys, e.g. "/dev/ttyACM0"
};

// Every present device with the PLC's ids, in text order of their names; a
// device whose driver gave it no tty is listed with none.
std::vector<PlcUsbDevice> FindPlcUsbDevices(const std::string& sysfsRoot,
                                            const std::string& devRoot);

// The first PLC tty that opens, in the order above; a tty that another
// program holds is passed over. A non-empty suffix names a path below the tty,
// which does not exist: the open fails. OpenMyDevPipe is this with the real roots.
Link* OpenMyDevPipeAt(const std::string& sysfsRoot, const std::string& devRoot,
                      const char* suffix);
