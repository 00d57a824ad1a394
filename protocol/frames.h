#pragma once
// Modbus-ASCII frames of the first stage: ':' + hex pairs + LRC + CR LF.

#include <cstdint>

// Decodes `count` hex characters of `text` in place into count/2 bytes and
// returns their 8-bit sum: 0 when every character is an upper-case hex digit and
// the LRC matches, 1 at the first character that is not, else the nonzero sum.
// Never reads past `count` characters.
uint8_t CheckLRC(uint8_t* text, uint8_t count);

// Reply lengths in characters, CR LF included.
inline constexpr uint32_t kStatusReplyLength = 19;    // ':' + 8 bytes as hex + CR LF
inline constexpr uint32_t kRegisterReplyLength = 15;  // ':' + 6 bytes as hex + CR LF
inline constexpr uint32_t kDummyReadLength = 11;      // DummyComm's reads, never decoded
