// The worker on its own thread while the window thread paints: the panel's
// variables are read, the elapsed-seconds timer counts, the port list may be
// touched. Run under ThreadSanitizer by the tsan step.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "whole_update.h"

namespace {

// The window thread's side: what the status panel reads every 100 ms and the
// one-second timer's count, for as long as the timer runs.
class WindowThread {
 public:
  explicit WindowThread(std::atomic<bool>& timerRunning) : timerRunning_(timerRunning) {
    thread_ = std::thread([this] { Loop(); });
  }
  ~WindowThread() {
    done_ = true;
    thread_.join();
  }
  int64_t Paints() const { return paints_; }

 private:
  void Loop() {
    while (!done_) {
      const int32_t status = flashStatus;
      const int32_t percent = progress;
      const int32_t errors = errCounter + totalErrCounter;
      if (status < 0 || status > 2 || percent < 0 || percent > 100 || errors < 0) ++bad_;
      if (timerRunning_ && paints_ % 64 == 0) elapsedTime = elapsedTime + 1;
      selectedComPort.Set(kSimPort);
      ++paints_;
      std::this_thread::yield();
    }
    EXPECT_EQ(bad_, 0);
  }

  std::atomic<bool>& timerRunning_;
  std::atomic<bool> done_{false};
  std::thread thread_;
  std::atomic<int64_t> paints_{0};
  int bad_ = 0;
};

// Lets the window thread know when the worker stops the timer.
class TimerOperator final : public Operator {
 public:
  TimerOperator(Operator& inner, std::atomic<bool>& timerRunning)
      : inner_(inner), timerRunning_(timerRunning) {}
  void ShowMessage(const char* t, const char* c, MessageIcon i) override {
    inner_.ShowMessage(t, c, i);
  }
  void EnableStartControl(bool enabled) override { inner_.EnableStartControl(enabled); }
  void StopElapsedTimer() override {
    timerRunning_ = false;
    inner_.StopElapsedTimer();
  }
  void WaitSeconds(unsigned seconds) override { inner_.WaitSeconds(seconds); }

 private:
  Operator& inner_;
  std::atomic<bool>& timerRunning_;
};

TEST(WorkerThread, RunsAWholeUpdateWhileTheWindowPaints) {
  sim::PlcConfig config;
  config.model = "KQ200";
  WholeUpdate update(config, PatternImage(256 * 1024));
  ResetSharedState();
  std::strcpy(selectedPLC, "KQ200");
  SelectModelByName(selectedPLC);
  selectedComPort.Set(kSimPort);

  std::atomic<bool> timerRunning{true};
  TimerOperator ui(update.ui, timerRunning);
  ParamStruct param{&ui, &update.bench.links, &update.image};
  unsigned result = 1;
  {
    WindowThread window(timerRunning);
    std::thread worker([&] { result = StartBurn(&param); });
    worker.join();
    EXPECT_GT(window.Paints(), 0);
  }
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(update.ui.FinalMessage().text, msg::kSuccessReplug);
  EXPECT_TRUE(update.bench.plc.HoldsImage(update.image.Bytes().data(), 256 * 1024));
  EXPECT_EQ(flashStatus.Load(), 0);
  EXPECT_EQ(progress.Load(), 0);
  EXPECT_TRUE(update.ui.startEnabled);
}

}  // namespace
