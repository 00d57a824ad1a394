#include "tests/support/ascii_frames.h"

namespace plctest {

uint8_t Lrc(const Bytes& bytes) {
  unsigned sum = 0;
  for (uint8_t b : bytes) sum += b;
  return static_cast<uint8_t>((256 - sum % 256) % 256);
}

Bytes AsciiFrame(const Bytes& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  Bytes frame{':'};
  Bytes withLrc = bytes;
  withLrc.push_back(Lrc(bytes));
  for (uint8_t b : withLrc) {
    frame.push_back(static_cast<uint8_t>(kDigits[b >> 4]));
    frame.push_back(static_cast<uint8_t>(kDigits[b & 0x0F]));
  }
  frame.push_back('\r');
  frame.push_back('\n');
  return frame;
}

Bytes AsciiFrame(std::initializer_list<uint8_t> bytes) { return AsciiFrame(Bytes(bytes)); }

Bytes StatusReply(uint8_t byte4, uint8_t byte5, uint8_t byte6) {
  return AsciiFrame({0x00, 0x64, 0x01, 0x59, byte4, byte5, byte6});
}

Bytes RegisterReply(uint16_t value) {
  return AsciiFrame(
      {0x00, 0x03, 0x02, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value & 0xFF)});
}

}  // namespace plctest
