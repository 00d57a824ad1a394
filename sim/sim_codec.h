#pragma once
// The simulated PLC's own framing code: Modbus-ASCII frames with their LRC and
// the block CRC, written apart from the tool's so that a fault in one shows up
// as a disagreement with the other.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// Two's complement of the 8-bit sum.
uint8_t ModbusLrc(const std::vector<uint8_t>& bytes);

// ':' + upper-case hex of `bytes` + their LRC + CR LF.
std::string AsciiFrame(const std::vector<uint8_t>& bytes);

// The bytes of a frame body (the hex between ':' and CR LF), LRC included, or
// nothing when a character is not an upper-case hex digit, the count is odd or
// the LRC does not match.
std::optional<std::vector<uint8_t>> DecodeFrameBody(const std::string& hex);

// CRC-16/XMODEM, one bit at a time.
uint16_t Crc16Xmodem(const uint8_t* data, size_t length);

// 10 bits a character at 9600 baud (7E1) and at 115200 baud (8N1).
inline constexpr double kSlowCharMicros = 10.0 * 1e6 / 9600.0;
inline constexpr double kFastCharMicros = 10.0 * 1e6 / 115200.0;

}  // namespace sim
