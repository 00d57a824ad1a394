#pragma once
// What the simulated PLC knows of its own model: how it is reached, how it
// restarts into its bootloader, what its bootloader reports, how its flash is
// erased and how big its blocks are.

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

enum class RestartKind {
  ByItself,    // the bootloader comes up on its own shortly after the follow-up
  Replug,      // a USB PLC: the bootloader is there once the cable was replugged
  PowerCycle,  // the bootloader is there once the PLC was switched off and on
};

struct ModelRules {
  std::string name;
  uint16_t id = 0;             // what the running firmware reports
  uint16_t bootloaderId = 0;   // what the bootloader reports to "ID"
  bool usb = false;
  bool aio = false;            // speaks the 0x5B variant of the 0x64 requests
  bool sector = false;         // keeps its last 4 KiB; the tool never sends it
  uint32_t blockSize = 128;
  uint32_t eraseUnit = 2048;   // bytes made writable by one "ERASE"
  RestartKind restart = RestartKind::ByItself;
  bool eraseRequestMayGoUnanswered = false;  // restarts on the erase request itself
};

// Rules of the catalogue model `name`; nothing for a name the catalogue lacks.
std::optional<ModelRules> RulesFor(const std::string& name);

// How many leading bytes of an image of `length` bytes the tool sends to this
// model (all of it, or all but the last 4 KiB for the sector models).
uint32_t BytesSent(const ModelRules& rules, uint32_t length);

}  // namespace sim
