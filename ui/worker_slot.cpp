#include "ui/worker_slot.h"

#include <atomic>

namespace {
std::atomic<bool> workerRunning{false};
}

bool TryClaimWorker() { return !workerRunning.exchange(true); }
void ReleaseWorker() { workerRunning.store(false); }
bool WorkerRunning() { return workerRunning.load(); }
