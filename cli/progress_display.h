#pragma once
// The status panel of the window as one terminal line: a thread reads the
// shared variables every 100 ms and redraws the line in place ('\r'), or
// prints a plain line at each change of phase and each tenth of the way when
// the output is not a terminal. It also counts the elapsed seconds, as the
// window's one-second timer does, until the worker stops it.

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

class ProgressDisplay {
 public:
  ProgressDisplay(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}
  ~ProgressDisplay() { Stop(); }
  ProgressDisplay(const ProgressDisplay&) = delete;
  ProgressDisplay& operator=(const ProgressDisplay&) = delete;

  void Start();
  // Ends the thread and the line.
  void Stop();
  void StopElapsedTimer() { timerRunning_ = false; }

  // Held by whoever prints while the thread runs.
  std::mutex& OutputLock() { return lock_; }
  // With OutputLock held: ends a drawn progress line so that the next text
  // starts at the left margin.
  void BreakLine();
  // While paused (a prompt waits for the operator), nothing is drawn.
  void Pause(bool paused) { paused_ = paused; }

  // The line for the present shared state, e.g.
  // "Status: Programming  Progress:  42 %  Elapsed Time:  17 sec  # of Error/Total Error: 0/0".
  static std::string StatusLine();

 private:
  void Run();
  void Draw(const std::string& line);

  std::FILE* out_;
  bool terminal_;
  std::mutex lock_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  std::atomic<bool> timerRunning_{false};
  std::atomic<bool> paused_{false};
  bool lineOpen_ = false;  // a '\r' line is on screen
  std::string lastLine_;
  std::string lastPlainKey_;
};
