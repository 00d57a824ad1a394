#pragma once
// The operator of the update tests: records every call in order and, like the
// person at the tool, acts on the reconnect prompts (the hooks unplug and
// replug the simulated PLC). Waits advance the virtual clock.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/shared_state.h"
#include "link/virtual_clock.h"
#include "update/messages.h"
#include "update/operator.h"

struct OperatorEvent {
  enum Kind { Message, EnableStart, StopTimer, Wait } kind;
  std::string text;     // Message
  std::string caption;  // Message
  MessageIcon icon = MessageIcon::Error;
  unsigned value = 0;  // Wait: seconds; EnableStart: 1 enabled, 0 disabled
  // The panel as the operator sees it while the message is up.
  int32_t flashStatus = 0;
  int32_t progress = 0;
};

class RecordingOperator final : public Operator {
 public:
  explicit RecordingOperator(VirtualClock* clock = nullptr) : clock_(clock) {}

  std::function<void()> onReplugPrompt;       // the USB cable is pulled and put back
  std::function<void()> onPowerCyclePrompt;   // the PLC is switched off and on

  void ShowMessage(const char* text, const char* caption, MessageIcon icon) override {
    OperatorEvent event{OperatorEvent::Message, text, caption, icon, 0, flashStatus, progress};
    events.push_back(event);
    if (event.text == msg::kReplugPrompt && onReplugPrompt) onReplugPrompt();
    if (event.text == msg::kPowerCyclePrompt && onPowerCyclePrompt) onPowerCyclePrompt();
  }
  void EnableStartControl(bool enabled) override {
    startEnabled = enabled;
    events.push_back({OperatorEvent::EnableStart, "", "", MessageIcon::Error, enabled ? 1u : 0u});
  }
  void StopElapsedTimer() override {
    events.push_back({OperatorEvent::StopTimer, "", "", MessageIcon::Error, 0});
  }
  void WaitSeconds(unsigned seconds) override {
    events.push_back({OperatorEvent::Wait, "", "", MessageIcon::Error, seconds});
    if (clock_ != nullptr) clock_->AdvanceMillis(uint64_t{seconds} * 1000);
  }

  std::vector<OperatorEvent> Messages() const {
    std::vector<OperatorEvent> shown;
    for (const auto& e : events) {
      if (e.kind == OperatorEvent::Message) shown.push_back(e);
    }
    return shown;
  }
  // The message that ended the run: the last one shown.
  OperatorEvent FinalMessage() const {
    const auto shown = Messages();
    return shown.empty() ? OperatorEvent{} : shown.back();
  }
  std::vector<unsigned> Waits() const {
    std::vector<unsigned> waits;
    for (const auto& e : events) {
      if (e.kind == OperatorEvent::Wait) waits.push_back(e.value);
    }
    return waits;
  }
  int IndexOfLast(OperatorEvent::Kind kind) const {
    for (int i = static_cast<int>(events.size()) - 1; i >= 0; --i) {
      if (events[static_cast<size_t>(i)].kind == kind) return i;
    }
    return -1;
  }

  std::vector<OperatorEvent> events;
  bool startEnabled = true;

 private:
  VirtualClock* clock_;
};
