#include "cli/progress_display.h"

#include <chrono>

#include "catalogue/shared_state.h"

namespace {

const char* PhaseWord(int32_t status) {
  switch (status) {
    case 0:
      return "Idle";
    case 1:
      return "Erasing";
    case 2:
      return "Programming";
    default:
      return "";
  }
}

}  // namespace

std::string ProgressDisplay::StatusLine() {
  char line[160];
  std::snprintf(line, sizeof line,
                "Status: %-11s  Progress: %3d %%  Elapsed Time: %3d sec  # of Error/Total Error: %d/%d",
                PhaseWord(flashStatus), static_cast<int>(progress), static_cast<int>(elapsedTime),
                static_cast<int>(errCounter), static_cast<int>(totalErrCounter));
  return line;
}

void ProgressDisplay::Start() {
  if (running_) return;
  running_ = true;
  timerRunning_ = true;
  thread_ = std::thread([this] { Run(); });
}

void ProgressDisplay::Stop() {
  if (!running_) return;
  running_ = false;
  thread_.join();
  std::lock_guard<std::mutex> hold(lock_);
  BreakLine();
}

void ProgressDisplay::BreakLine() {
  if (lineOpen_) std::fputc('\n', out_);
  lineOpen_ = false;
  lastLine_.clear();
  std::fflush(out_);
}

void ProgressDisplay::Draw(const std::string& line) {
  if (terminal_) {
    if (line == lastLine_) return;
    // Pad over what a longer previous line left behind.
    const size_t pad = lastLine_.size() > line.size() ? lastLine_.size() - line.size() : 0;
    std::fprintf(out_, "\r%s%*s", line.c_str(), static_cast<int>(pad), "");
    lineOpen_ = true;
    lastLine_ = line;
  } else {
    const std::string key = std::string(PhaseWord(flashStatus)) + "/" + std::to_string(progress / 10);
    if (key == lastPlainKey_) return;
    std::fprintf(out_, "%s\n", line.c_str());
    lastPlainKey_ = key;
  }
  std::fflush(out_);
}

void ProgressDisplay::Run() {
  using Clock = std::chrono::steady_clock;
  auto nextSecond = Clock::now() + std::chrono::seconds(1);
  while (running_) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (timerRunning_ && Clock::now() >= nextSecond) {
      ++elapsedTime;
      nextSecond += std::chrono::seconds(1);
    }
    if (paused_) continue;
    std::lock_guard<std::mutex> hold(lock_);
    if (running_ && !paused_) Draw(StatusLine());
  }
}
