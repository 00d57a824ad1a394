// CheckLRC against a plain reference decoder: same result, same bytes written,
// nothing read or written beyond the count.
#include <cstdint>
#include <cstring>
#include <vector>

#include "protocol/frames.h"

namespace {

int Digit(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

uint8_t Reference(std::vector<uint8_t>& text, uint8_t count) {
  unsigned sum = 0;
  for (size_t pair = 0; pair + 1 < count; pair += 2) {
    const int high = Digit(text[pair]);
    const int low = Digit(text[pair + 1]);
    if (high < 0 || low < 0) return 1;
    text[pair / 2] = static_cast<uint8_t>(high * 16 + low);
    sum += text[pair / 2];
  }
  return static_cast<uint8_t>(sum & 0xFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte is the count, cut to the characters that follow it.
  const auto count = static_cast<uint8_t>(data[0] < size - 1 ? data[0] : size - 1);
  // Exactly `count` characters on the heap: AddressSanitizer sees any overrun.
  std::vector<uint8_t> text(data + 1, data + 1 + count);
  std::vector<uint8_t> expected = text;
  const uint8_t result = CheckLRC(text.data(), count);
  if (result != Reference(expected, count) || text != expected) __builtin_trap();
  return 0;
}
