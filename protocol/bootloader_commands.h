#pragma once
// The second-stage commands before the image: bare ASCII words to the
// bootloader, answered with raw bytes. Each returns 0 or 16 (0x10).

#include <cstdint>

class Link;

uint8_t CheckID_B(Link* link);
uint8_t read_fu_version_B();  // on hSerial; writes KQ_fu_version
uint8_t SendErase_B(Link* link);
uint8_t SendUpdate(Link* link);

// Number of "ERASE" commands SendErase_B sends for the selected model and an
// image of `length` bytes; 0 for an image a sector model cannot take.
uint16_t EraseCount(uint32_t length);
