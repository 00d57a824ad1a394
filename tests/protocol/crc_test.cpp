#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "protocol/block_transfer.h"

namespace {

uint16_t BitwiseCrc(const std::vector<uint8_t>& data) {
  uint16_t crc = 0;
  for (uint8_t byte : data) {
    crc = static_cast<uint16_t>(crc ^ (byte << 8));
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
  }
  return crc;
}

TEST(CrcTest, CheckValueOfTheNineDigits) {
  const std::string digits = "123456789";
  EXPECT_EQ(CRC(reinterpret_cast<const uint8_t*>(digits.data()), 9), 0x31C3);
}

TEST(CrcTest, EmptyInputGivesZero) {
  const uint8_t none[1] = {0xFF};
  EXPECT_EQ(CRC(none, 0), 0);
}

TEST(CrcTest, AgreesWithTheBitwiseDefinitionOnRandomBlocks) {
  std::mt19937 random(20221211);
  for (const size_t length : {1u, 2u, 127u, 128u, 256u, 1000u}) {
    for (int round = 0; round < 20; ++round) {
      std::vector<uint8_t> data(length);
      for (uint8_t& byte : data) byte = static_cast<uint8_t>(random() & 0xFF);
      ASSERT_EQ(CRC(data.data(), static_cast<int32_t>(length)), BitwiseCrc(data)) << length;
    }
  }
}

TEST(CrcTest, ResultStaysInSixteenBits) {
  std::vector<uint8_t> ones(256, 0xFF);
  const int crc = CRC(ones.data(), 256);
  EXPECT_GE(crc, 0);
  EXPECT_LE(crc, 0xFFFF);
}

}  // namespace
