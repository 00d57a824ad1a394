// The worker's operator from a thread that is not the window's: timer 5 stops
// before the call returns, and the button follows the worker.
#include "ui/win32_operator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/ui/window_fixture.h"

namespace {

std::atomic<int> elapsedTicks{0};

LRESULT CALLBACK CountingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kElapsedTimer) ++elapsedTicks;
  if (HandleOperatorRequest(window, message)) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(Win32Operator, StopsTheWindowsTimerFromTheWorkerThread) {
  HiddenWindow window(CountingProcedure);
  if (window.handle() == nullptr) GTEST_SKIP() << "no display: Wine creates no windows";
  HWND button = CreateWindowExA(0, "BUTTON", "Start Burn", WS_CHILD, 0, 0, 10, 10, window.handle(), nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  Win32Operator ui;
  ui.Bind(window.handle(), button);
  SetTimer(window.handle(), kElapsedTimer, 10, nullptr);
  HiddenWindow::Pump(100);
  ASSERT_GT(elapsedTicks.load(), 0) << "the timer runs";

  std::atomic<bool> returned{false};
  std::atomic<bool> buttonEnabledInWorker{true};
  std::thread worker([&] {
    ui.EnableStartControl(false);
    buttonEnabledInWorker = IsWindowEnabled(button) != FALSE;
    ui.StopElapsedTimer();
    returned = true;
  });
  while (!returned) HiddenWindow::Pump(10);
  worker.join();
  const int ticksAtStop = elapsedTicks.load();
  HiddenWindow::Pump(150);
  EXPECT_EQ(elapsedTicks.load(), ticksAtStop) << "no tick after StopElapsedTimer returned";
  EXPECT_FALSE(buttonEnabledInWorker.load());
  ui.EnableStartControl(true);
  EXPECT_TRUE(IsWindowEnabled(button));
}

}  // namespace
