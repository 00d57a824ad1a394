#include "ui/win32_operator.h"

void Win32Operator::Bind(HWND mainWindow, HWND startButton) {
  mainWindow_ = mainWindow;
  startButton_ = startButton;
}

void Win32Operator::ShowMessage(const char* text, const char* caption, MessageIcon icon) {
  MessageBoxA(mainWindow_, text, caption, static_cast<UINT>(icon));
}

void Win32Operator::EnableStartControl(bool enabled) { EnableWindow(startButton_, enabled ? TRUE : FALSE); }

void Win32Operator::StopElapsedTimer() {
  // A timer belongs to the thread that owns its window; Windows refuses to
  // kill it from another thread. SendMessage returns only once the window
  // thread has stopped it, so the message that follows still comes after.
  if (GetWindowThreadProcessId(mainWindow_, nullptr) == GetCurrentThreadId()) {
    KillTimer(mainWindow_, kElapsedTimer);
  } else {
    SendMessageA(mainWindow_, kMsgStopElapsedTimer, 0, 0);
  }
}

void Win32Operator::WaitSeconds(unsigned seconds) { Sleep(seconds * 1000u); }

bool HandleOperatorRequest(HWND window, UINT message) {
  if (message != kMsgStopElapsedTimer) return false;
  KillTimer(window, kElapsedTimer);
  return true;
}
