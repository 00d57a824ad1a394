#pragma once
// After the stage-1 erase command the PLC restarts into its bootloader; how the
// link gets back to it depends on the model.

#include "link/link.h"
#include "update/operator.h"

// Closes and re-opens hSerial where the model needs it (USB replug, power cycle),
// or only waits with the link kept open.
void ReconnectAfterErase(Operator& ui, LinkProvider& links);
