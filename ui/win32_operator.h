#pragma once
// The worker's operator on Windows: message boxes owned by the main window,
// the Start Burn button, timer 5 and a plain sleep.

#include <windows.h>

#include "update/operator.h"

inline constexpr UINT_PTR kElapsedTimer = 5;
inline constexpr UINT_PTR kRepaintTimer = 6;

// Sent by the worker to the main window: the window thread stops timer 5 for it.
inline constexpr UINT kMsgStopElapsedTimer = WM_APP + 5;

class Win32Operator final : public Operator {
 public:
  // Set on the window thread before the worker starts; the worker only reads.
  void Bind(HWND mainWindow, HWND startButton);

  void ShowMessage(const char* text, const char* caption, MessageIcon icon) override;
  void EnableStartControl(bool enabled) override;
  void StopElapsedTimer() override;
  void WaitSeconds(unsigned seconds) override;

 private:
  HWND mainWindow_ = nullptr;
  HWND startButton_ = nullptr;
};

// For the window procedure: handles the worker's requests; false for any other message.
bool HandleOperatorRequest(HWND window, UINT message);
