#pragma once
// The image in numbered, CRC-protected, acknowledged blocks, then EOT.

#include <cstdint>

class Link;

// 0 success, 16 a block or the EOT went unacknowledged, 22 flash write error.
uint8_t SendFW(Link* link);

// Copies `count` bytes from fin and advances it; never past finEnd (a request
// beyond the image's end copies only what is left and zero-fills the rest).
void FileRead(uint8_t* destination, int32_t count);

// CRC-16/XMODEM of `length` bytes, in the low 16 bits.
int CRC(const uint8_t* data, int32_t length);

// Data bytes per block for the selected model (128 or 256).
int32_t BlockSize();
