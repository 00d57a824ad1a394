#pragma once
// First-stage replies as the PLC's firmware sends them, built here on their
// own so that the tests do not judge the code with its own frame builder.

#include <cstdint>
#include <initializer_list>

#include "tests/support/scripted_link.h"

namespace plctest {

// ':' + each byte as two upper-case hex digits + the LRC + CR LF.
Bytes AsciiFrame(std::initializer_list<uint8_t> bytes);
Bytes AsciiFrame(const Bytes& bytes);

// A 19-character status reply: station 0, function 0x64, two bytes not
// examined, then bytes 4, 5 and 6 (status, identifier or refusal details).
Bytes StatusReply(uint8_t byte4, uint8_t byte5 = 0, uint8_t byte6 = 0);
// A 15-character read-holding-registers reply for one register.
Bytes RegisterReply(uint16_t value);

// The LRC of a frame's bytes: two's complement of their 8-bit sum.
uint8_t Lrc(const Bytes& bytes);

}  // namespace plctest
