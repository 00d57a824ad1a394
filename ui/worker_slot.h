#pragma once
// At most one update worker: Start Burn claims the slot, the worker's thread
// gives it back when StartBurn returns.

// True when the slot was free and is now taken.
bool TryClaimWorker();
void ReleaseWorker();
bool WorkerRunning();
