#pragma once
// How one simulated PLC is set up, and what it counts while it runs.

#include <cstdint>
#include <optional>
#include <string>

#include "sim/fault_plan.h"

namespace sim {

enum class StartState {
  Firmware,    // the running firmware answers
  Bootloader,  // an interrupted update: the bootloader answers from the start
  RunMode,     // the running firmware refuses the handshake (0x15, 1)
};

enum class PlcState {
  Firmware,
  RunMode,
  Restarting,         // between the follow-up and the bootloader, hearing nothing
  AwaitingReconnect,  // waits for the replug / power cycle
  Bootloader,         // the bootloader's commands
  Receiving,          // after "UPDATE": blocks and the final EOT
  Done,               // the final EOT was acknowledged
};

// The line settings under which a byte reached the PLC. A COM model's UART
// hears only bytes sent at its own speed; Any is for links without a speed
// (USB) and for hosts that cannot tell.
enum class LineSpeed { Any, Slow, Fast, Other };

struct PlcConfig {
  std::string model = "KQ200";
  std::optional<uint16_t> firmwareId;    // default: the catalogue id
  std::optional<uint16_t> bootloaderId;  // default: what that model's bootloader reports
  uint16_t d1386 = 0;
  uint16_t d1001 = 0;
  uint16_t d1148 = 0;
  uint8_t firmwareVersion = 0x12;  // byte 4 of the version query's reply
  uint8_t bootVersionA = 0x01;     // the two bytes after ACK in "VERSION"'s reply
  uint8_t bootVersionB = 0x20;
  StartState start = StartState::Firmware;
  uint32_t restartDelayMs = 300;   // follow-up to bootloader, for the models that restart by themselves
  // PM7-D-V2, PM7-D-V4 and PN7-MOB: true, they restart on the erase request
  // itself and never answer it; false, they ACK it and wait for the follow-up.
  bool silentEraseRestart = true;
  bool checkLineSpeed = true;      // COM models lose bytes sent at the wrong speed
  bool checkErasedRegion = true;   // a block beyond the erased flash gets 0x16
  uint32_t replyLatencyUs = 500;   // request heard to first reply character
  uint32_t eraseLatencyUs = 20000; // one "ERASE"
  bool keepTranscript = true;
  // Replies leave one character time apart at the line settings in force; off,
  // they arrive whole after their latency (a pseudo-terminal without wire pacing).
  bool paceOutput = true;
  FaultPlan faults;
};

struct PlcCounters {
  uint32_t probes = 0;
  uint32_t handshakes = 0;      // answered by the running firmware (or refused in RUN mode)
  uint32_t idQueries = 0;
  uint32_t registerReads = 0;
  uint32_t versionQueries = 0;
  uint32_t eraseRequests = 0;
  uint32_t followUps = 0;
  uint32_t bootHandshakes = 0;
  uint32_t bootIds = 0;
  uint32_t bootVersions = 0;
  uint32_t erases = 0;          // acknowledged "ERASE"
  uint32_t eraseEots = 0;       // acknowledged EOT ending the erase
  uint32_t updates = 0;         // acknowledged "UPDATE"
  uint32_t blocksAccepted = 0;
  uint32_t blocksRejected = 0;  // bad CRC, sequence number or complement: no ACK
  uint32_t duplicateBlocks = 0; // the previous block again: ACK, not stored
  uint32_t blocksDiscarded = 0; // a frame cut off by a pause
  uint32_t finalEots = 0;
  uint32_t flashWriteErrors = 0;
  uint32_t restarts = 0;
  uint32_t reconnects = 0;      // bootloader reached through a replug / power cycle
  uint32_t framesIgnored = 0;   // bad LRC, lower-case, not for this state
  uint32_t bytesIgnored = 0;
  uint32_t bytesAtWrongSpeed = 0;
  uint32_t faultsApplied = 0;
};

}  // namespace sim
