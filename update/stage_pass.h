#pragma once
// One pass of the worker's stage loop: the handshake finds out who answers,
// then stage 1 (running firmware) or stage 2 (bootloader).

#include <cstdint>

#include "link/link.h"
#include "update/operator.h"
#include "update/variant_checks.h"

// The values one run keeps across its passes.
struct UpdateRun {
  Operator* ui = nullptr;
  LinkProvider* links = nullptr;
  // Set at the start of every pass; only a successful stage-1 erase command
  // clears it, so every other outcome ends the run after that pass.
  bool endFlag = true;
  bool checkFailed[kCheckGroupCount] = {};
  uint8_t result = 0;  // the last command's code
};

// Runs one pass on hSerial. Every way out but the reconnect has shown the run's
// final message; the caller cleans up when run.endFlag is still set.
void RunStagePass(UpdateRun& run);
