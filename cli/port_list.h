#pragma once
// The serial ports a COM model can be reached on, for --list-ports and the
// default port: /dev/ttyS* that the kernel found a UART behind, and every
// /dev/ttyUSB* and /dev/ttyACM*; in text order, as the window's list.

#include <string>
#include <vector>

std::vector<std::string> ListSerialPorts(const std::string& sysfsRoot, const std::string& devRoot);

// The name the worker shows in "CANNOT open <name> Port!!!": the path
// without "/dev/", at most 9 characters.
std::string PortDisplayName(const std::string& path);
