#include "ui/start_burn.h"

#include <process.h>

#include <cstdint>

#include "catalogue/shared_state.h"
#include "link/os_links.h"
#include "ui/win32_operator.h"
#include "ui/worker_slot.h"
#include "update/worker.h"

namespace {

Win32Operator win32Operator;

void __cdecl RunWorker(void* param) {
  StartBurn(param);
  ReleaseWorker();
}

}  // namespace

void StartBurnCommand(HWND mainWindow, HWND startButton, BuiltInImage& image) {
  if (!TryClaimWorker()) return;
  isFileChosed = 1;
  win32Operator.Bind(mainWindow, startButton);
  paramStruct.ui = &win32Operator;
  paramStruct.links = &OsLinkProvider();
  paramStruct.image = &image;
  SetTimer(mainWindow, kElapsedTimer, 1000, nullptr);
  if (_beginthread(RunWorker, 0, &paramStruct) == static_cast<uintptr_t>(-1)) {
    // No thread, no run: give the slot back so that Start Burn still works.
    KillTimer(mainWindow, kElapsedTimer);
    ReleaseWorker();
  }
}
