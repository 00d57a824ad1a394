#include "sim/sim_codec.h"

namespace sim {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

uint8_t ModbusLrc(const std::vector<uint8_t>& bytes) {
  unsigned sum = 0;
  for (uint8_t b : bytes) sum += b;
  return static_cast<uint8_t>((0x100u - (sum & 0xFFu)) & 0xFFu);
}

std::string AsciiFrame(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text = ":";
  std::vector<uint8_t> all = bytes;
  all.push_back(ModbusLrc(bytes));
  for (uint8_t b : all) {
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 0x0F]);
  }
  text += "\r\n";
  return text;
}

std::optional<std::vector<uint8_t>> DecodeFrameBody(const std::string& hex) {
  if (hex.size() % 2 != 0 || hex.size() < 2) return std::nullopt;
  std::vector<uint8_t> bytes;
  unsigned sum = 0;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexValue(hex[i]);
    const int low = HexValue(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    const auto b = static_cast<uint8_t>(high * 16 + low);
    bytes.push_back(b);
    sum += b;
  }
  if ((sum & 0xFFu) != 0) return std::nullopt;
  return bytes;
}

namespace {

// The bitwise definition, run once per byte value: a block then costs one
// lookup per byte, which keeps the simulated PLC's turn short on a fast link.
struct CrcTable {
  uint16_t entry[256];
  constexpr CrcTable() : entry{} {
    for (int v = 0; v < 256; ++v) {
      uint16_t crc = static_cast<uint16_t>(v << 8);
      for (int bit = 0; bit < 8; ++bit) {
        crc = (crc & 0x8000u) != 0 ? static_cast<uint16_t>((crc << 1) ^ 0x1021u)
                                   : static_cast<uint16_t>(crc << 1);
      }
      entry[v] = crc;
    }
  }
};
constexpr CrcTable kCrcTable;

}  // namespace

uint16_t Crc16Xmodem(const uint8_t* data, size_t length) {
  uint16_t crc = 0;
  for (size_t i = 0; i < length; ++i) {
    crc = static_cast<uint16_t>((crc << 8) ^ kCrcTable.entry[((crc >> 8) ^ data[i]) & 0xFF]);
  }
  return crc;
}

}  // namespace sim
