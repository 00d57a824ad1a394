#pragma once
// The bootloader version: read for the models whose bootloader reports it, and
// judged for the AIO models whose old bootloaders cannot take an AIO firmware.

#include <cstdint>

// The identifiers whose bootloader version is read in both stages.
bool InVersionReadSet(uint16_t id);

// The gate's message for the selected model and `version` (high nibble major,
// low nibble minor), or null when the model may be updated.
const char* VersionGateRefusal(uint8_t version);
