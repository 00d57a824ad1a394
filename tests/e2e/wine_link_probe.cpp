// Drives the Win32 COM link from a script: one command per line on stdin, one
// answer per line on stdout. Run under Wine by wine_link_test.py against a
// pseudo-terminal that the prefix maps to a COM port.
//
//   slow | fast                 apply the line settings       -> "ok"
//   timeouts <constant ms>      the commands' time-outs         -> "ok"
//   read <n>                    one read of n bytes             -> "read <count> <ms> <hex>"
//   write <hex>                 one write                       -> "wrote <count>"
//   quit
// The first line answers the open: "open ok" or "open failed".

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/os_links.h"

namespace {

std::string ToHex(const std::vector<uint8_t>& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t b : bytes) {
    hex += digits[b >> 4];
    hex += digits[b & 0xF];
  }
  return hex.empty() ? "-" : hex;
}

std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

void Answer(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: wine_link_probe <port name>\n", stderr);
    return 2;
  }
  Link* link = OpenComLink(argv[1]);
  Answer(link != nullptr ? "open ok" : "open failed");
  if (link == nullptr) return 1;

  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, stdin) != nullptr) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    const size_t space = line.find(' ');
    const std::string command = line.substr(0, space);
    const std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
    if (command == "slow" || command == "fast") {
      link->ApplyLineSettings(command == "slow" ? LineSettings::Slow : LineSettings::Fast);
      Answer("ok");
    } else if (command == "timeouts") {
      link->SetTimeouts(CommandTimeouts(static_cast<uint32_t>(std::stoul(argument))));
      Answer("ok");
    } else if (command == "read") {
      std::vector<uint8_t> bytes(std::stoul(argument));
      const auto start = std::chrono::steady_clock::now();
      const uint32_t count = link->Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
      bytes.resize(count);
      Answer("read " + std::to_string(count) + " " + std::to_string(ms) + " " + ToHex(bytes));
    } else if (command == "write") {
      const std::vector<uint8_t> bytes = FromHex(argument);
      Answer("wrote " + std::to_string(link->Write(bytes.data(), static_cast<uint32_t>(bytes.size()))));
    } else if (command == "quit") {
      break;
    } else {
      Answer("unknown " + command);
    }
  }
  CloseLink(link);
  return 0;
}
