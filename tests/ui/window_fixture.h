#pragma once
// A hidden top-level window for tests that need real controls. Wine without
// a display creates no windows: such tests are skipped then.

#include <windows.h>

class HiddenWindow {
 public:
  explicit HiddenWindow(WNDPROC procedure = DefWindowProcA);
  ~HiddenWindow();
  HiddenWindow(const HiddenWindow&) = delete;
  HiddenWindow& operator=(const HiddenWindow&) = delete;

  HWND handle() const { return window_; }
  // A sorted drop-down list like the program's port list.
  HWND AddSortedList(int id);
  // Dispatches this thread's messages for `milliseconds`.
  static void Pump(DWORD milliseconds);

 private:
  HWND window_ = nullptr;
};
