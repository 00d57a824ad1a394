#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/frames.h"
#include "tests/support/ascii_frames.h"

namespace {

// The text in a buffer of exactly its length, so that AddressSanitizer sees
// any read beyond it.
std::vector<uint8_t> Buffer(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(CheckLRCTest, DecodesInPlaceAndReturnsTheSum) {
  struct Case {
    const char* text;
    uint8_t count;
    uint8_t result;
    std::vector<uint8_t> decoded;  // the positions written
  };
  const Case cases[] = {
      {"007F81", 6, 0, {0x00, 0x7F, 0x81}},
      {"007F82", 6, 0x01, {0x00, 0x7F, 0x82}},  // LRC one too high
      {"007F80", 6, 0xFF, {0x00, 0x7F, 0x80}},  // one too low
      {"007f81", 6, 1, {0x00}},                 // lower case stops at its pair
      {"007FG1", 6, 1, {0x00, 0x7F}},           // bad character in the third pair
      {"0G7F81", 6, 1, {}},                     // bad second character of the first pair
      {" 07F81", 6, 1, {}},
      {"", 0, 0, {}},
      {"7F81", 4, 0x00, {0x7F, 0x81}},
      {"FF01", 4, 0x00, {0xFF, 0x01}},
      {"12", 2, 0x12, {0x12}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<uint8_t> buffer = Buffer(c.text);
    const std::vector<uint8_t> before = buffer;
    EXPECT_EQ(CheckLRC(buffer.data(), c.count), c.result);
    for (size_t i = 0; i < buffer.size(); ++i) {
      if (i < c.decoded.size()) {
        EXPECT_EQ(buffer[i], c.decoded[i]) << "position " << i;
      } else {
        EXPECT_EQ(buffer[i], before[i]) << "position " << i << " must keep its character";
      }
    }
  }
}

TEST(CheckLRCTest, StatusReplyDecodesIntoPositionsOneToEight) {
  plctest::Bytes reply = plctest::StatusReply(0x06, 0x30, 0x10);
  ASSERT_EQ(reply.size(), 19u);
  const plctest::Bytes before = reply;
  EXPECT_EQ(CheckLRC(reply.data() + 1, 16), 0);
  EXPECT_EQ(reply[0], ':');
  const uint8_t decoded[] = {0x00, 0x64, 0x01, 0x59, 0x06, 0x30, 0x10};
  for (int k = 0; k < 7; ++k) EXPECT_EQ(reply[k + 1], decoded[k]);
  for (size_t i = 9; i < reply.size(); ++i) EXPECT_EQ(reply[i], before[i]) << i;
}

TEST(CheckLRCTest, OddCountLeavesTheLoneCharacterUnread) {
  std::vector<uint8_t> buffer = Buffer("7F8");  // exactly 3 characters
  EXPECT_EQ(CheckLRC(buffer.data(), 3), 0x7F);
  EXPECT_EQ(buffer[0], 0x7F);
  EXPECT_EQ(buffer[2], '8');
}

TEST(CheckLRCTest, EveryByteValueRoundTrips) {
  // Each byte with its own LRC, in hex pairs: always a valid frame of sum 0.
  for (int value = 0; value < 256; ++value) {
    const plctest::Bytes frame = plctest::AsciiFrame({static_cast<uint8_t>(value)});
    std::vector<uint8_t> hex(frame.begin() + 1, frame.end() - 2);
    ASSERT_EQ(CheckLRC(hex.data(), 4), 0) << value;
    EXPECT_EQ(hex[0], value);
  }
}

}  // namespace
