#pragma once
// One whole update against the simulated PLC on the virtual clock: the worker,
// a recording operator who replugs the cable and power-cycles the PLC when
// asked, and an image in memory.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"
#include "recording_operator.h"
#include "sim/sim_link.h"
#include "test_image.h"
#include "update/worker.h"

inline constexpr const char* kSimPort = "COM3";

inline bool IsPrompt(const std::string& text) {
  return text == msg::kReplugPrompt || text == msg::kPowerCyclePrompt;
}

class WholeUpdate {
 public:
  WholeUpdate(sim::PlcConfig config, std::vector<uint8_t> bytes)
      : bench(WithoutTranscript(std::move(config)), kSimPort),
        ui(&bench.clock),
        image(std::move(bytes)) {
    ui.onReplugPrompt = [this] {
      bench.plc.PullCable(bench.clock.NowMicros());
      bench.plc.PlugCable(bench.clock.NowMicros());
    };
    ui.onPowerCyclePrompt = [this] { bench.plc.PowerCycle(bench.clock.NowMicros()); };
  }

  // Selects the simulated PLC's model as the window does and runs StartBurn.
  void Run(const char* selectedModel = nullptr) {
    ResetSharedState();
    const char* model = selectedModel != nullptr ? selectedModel : bench.plc.Rules().name.c_str();
    std::strncpy(selectedPLC, model, sizeof selectedPLC - 1);
    SelectModelByName(selectedPLC);
    selectedComPort.Set(kSimPort);
    elapsedTime = 9;  // the window has been counting
    ParamStruct param{&ui, &bench.links, &image};
    result = StartBurn(&param);
  }

  std::vector<std::string> FinalMessages() const {
    std::vector<std::string> texts;
    for (const auto& m : ui.Messages()) {
      if (!IsPrompt(m.text)) texts.push_back(m.text);
    }
    return texts;
  }

  // What every end of a run shares: one final message, last; the five
  // counters at 0; the start control enabled after it; every opened link
  // closed exactly once; the image released once.
  ::testing::AssertionResult EndedCleanly() const {
    auto fail = [](const std::string& why) { return ::testing::AssertionFailure() << why; };
    if (result != 0) return fail("StartBurn returned " + std::to_string(result));
    const auto finals = FinalMessages();
    if (finals.size() != 1) return fail(std::to_string(finals.size()) + " final messages");
    if (ui.FinalMessage().text != finals[0]) return fail("a prompt came after the final message");
    if (elapsedTime.Load() != 0 || flashStatus.Load() != 0 || progress.Load() != 0 ||
        errCounter.Load() != 0 || totalErrCounter.Load() != 0) {
      return fail("a counter is not back at 0");
    }
    if (!ui.startEnabled || ui.IndexOfLast(OperatorEvent::EnableStart) <
                                ui.IndexOfLast(OperatorEvent::Message)) {
      return fail("start control not enabled after the final message");
    }
    if (!bench.links.Balanced()) return fail("a link was not closed exactly once");
    if (bench.links.Counters().nullCloses != 0) return fail("closed the invalid handle");
    if (image.loads != 1 || image.releases != 1) return fail("image not loaded and released once");
    return ::testing::AssertionSuccess();
  }

  sim::SimBench bench;
  RecordingOperator ui;
  TestImage image;
  unsigned result = 1;

 private:
  static sim::PlcConfig WithoutTranscript(sim::PlcConfig config) {
    config.keepTranscript = false;  // megabytes of bytes nobody reads here
    return config;
  }
};

// A fault on every attempt of one request.
inline sim::Fault Always(sim::Request request, sim::FaultKind kind) {
  sim::Fault fault;
  fault.request = request;
  fault.kind = kind;
  fault.attempts = 1000;
  return fault;
}

inline sim::Fault Refuse(sim::Request request, uint8_t byte5, uint8_t byte6) {
  sim::Fault fault = Always(request, sim::FaultKind::Refusal);
  fault.byte5 = byte5;
  fault.byte6 = byte6;
  return fault;
}
