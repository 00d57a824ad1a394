#include "tests/ui/window_fixture.h"

#include <string>

HiddenWindow::HiddenWindow(WNDPROC procedure) {
  static int classes = 0;
  const std::string name = "PlcBurnTestWindow" + std::to_string(++classes);
  WNDCLASSEXA cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = procedure;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = name.c_str();
  if (!RegisterClassExA(&cls)) return;
  window_ = CreateWindowExA(0, name.c_str(), "test", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
}

HiddenWindow::~HiddenWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

HWND HiddenWindow::AddSortedList(int id) {
  return CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_SORT | CBS_HASSTRINGS,
                         0, 0, 100, 200, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

void HiddenWindow::Pump(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  while (static_cast<LONG>(GetTickCount() - end) < 0) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(5);
  }
}
