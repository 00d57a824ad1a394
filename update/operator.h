#pragma once
// The operator seam: what the worker needs of the person at the tool.
// Win32: MessageBoxA owned by the main window, EnableWindow on the Start Burn
// button, KillTimer(5), Sleep. CLI: the terminal. Tests: a recorder.

enum class MessageIcon : unsigned { Error = 0x10, Information = 0x40 };  // MB_ICON* values

class Operator {
 public:
  virtual ~Operator() = default;
  // Modal: returns once the operator has acknowledged the message.
  virtual void ShowMessage(const char* text, const char* caption, MessageIcon icon) = 0;
  virtual void EnableStartControl(bool enabled) = 0;
  virtual void StopElapsedTimer() = 0;
  virtual void WaitSeconds(unsigned seconds) = 0;
};
