#pragma once
// Byte values and register numbers of the PLC's two protocols. Shared with the
// simulated PLC; the logic that uses them is not.

#include <cstdint>

namespace plc {

inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kNak = 0x15;               // byte 4 of a refusal reply
inline constexpr uint8_t kFlashWriteError = 0x16;   // bootloader's answer to a block it cannot write
inline constexpr uint8_t kEot = 0x04;
inline constexpr uint8_t kStx = 0x02;
inline constexpr uint8_t kBlockFill = 0x1A;         // pads a short last block

inline constexpr uint8_t kReplyKindFirmware = 5;    // ConfirmComm: running firmware answered
inline constexpr uint8_t kReplyKindBootloader = 6;  // ConfirmComm: bootloader answered

inline constexpr uint16_t kRegisterBase = 0x1000;   // Modbus address of D0
inline constexpr uint16_t kD1001 = 1001;
inline constexpr uint16_t kD1148 = 1148;
inline constexpr uint16_t kD1386 = 1386;

inline constexpr uint32_t kSectorSize = 4096;       // sector models erase by 4 KiB and keep the last one
inline constexpr uint32_t kReadConstantMs = 3000;
inline constexpr uint32_t kDummyConstantMs = 200;

}  // namespace plc
