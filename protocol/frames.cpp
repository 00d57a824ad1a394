#include "protocol/frames.h"

namespace {

// Only upper-case digits: the PLC never sends lower case, and a reply that has
// it did not come from the PLC.
int HexValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

uint8_t CheckLRC(uint8_t* text, uint8_t count) {
  uint8_t sum = 0;
  const uint8_t* read = text;
  uint8_t* write = text;
  // Whole pairs only: a lone last character of an odd count is left unread.
  while (count >= 2) {
    const int high = HexValue(read[0]);
    if (high < 0) return 1;
    const int low = HexValue(read[1]);
    if (low < 0) return 1;
    read += 2;
    const auto byte = static_cast<uint8_t>(high * 16 + low);
    *write++ = byte;
    sum = static_cast<uint8_t>(sum + byte);
    count = static_cast<uint8_t>(count - 2);
  }
  return sum;
}
