// The passes of the stage loop: who answers decides the stage, whatever
// happened before.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "whole_update.h"

namespace {

TEST(StageSequence, APlcAlreadyInItsBootloaderGoesStraightToStage2) {
  sim::PlcConfig config;
  config.model = "KQ200";
  config.start = sim::StartState::Bootloader;
  WholeUpdate update(config, PatternImage(40960));
  update.Run();
  ASSERT_TRUE(update.EndedCleanly());
  EXPECT_EQ(update.ui.FinalMessage().text, msg::kSuccessReplug);
  EXPECT_EQ(update.ui.Messages().size(), 1u);  // no reconnect prompt
  EXPECT_TRUE(update.ui.Waits().empty());
  EXPECT_EQ(update.bench.plc.Counters().idQueries, 0u);
  EXPECT_EQ(update.bench.plc.Counters().eraseRequests, 0u);
  EXPECT_EQ(update.bench.links.Counters().opens, 1u);
  EXPECT_TRUE(update.bench.plc.HoldsImage(update.image.Bytes().data(), 40960));
}

// A provider that hands out the links of several PLCs in turn: the PLC that
// comes back after the reconnect is a different one (here: still running its
// firmware), as if the bootloader had started the old firmware again.
class PlcSequence final : public LinkProvider {
 public:
  explicit PlcSequence(std::vector<sim::SimLinkProvider*> plcs) : plcs_(std::move(plcs)) {}
  Link* OpenUsb(const char* suffix) override { return Next()->OpenUsb(suffix); }
  Link* OpenCom(const char* name) override { return Next()->OpenCom(name); }
  void Close(Link* link) override { owner_->Close(link); }

 private:
  sim::SimLinkProvider* Next() {
    owner_ = plcs_[next_ < plcs_.size() - 1 ? next_++ : next_];
    return owner_;
  }
  std::vector<sim::SimLinkProvider*> plcs_;
  size_t next_ = 0;
  sim::SimLinkProvider* owner_ = nullptr;
};

TEST(StageSequence, FirmwareAnsweringAgainAfterTheReconnectRunsStage1Again) {
  sim::PlcConfig config;
  config.model = "KQ100";
  config.keepTranscript = false;
  sim::SimBench first(config);
  sim::SimBench second(config);
  // Each PLC keeps its own clock; the operator's waits move the second one's.
  RecordingOperator ui(&second.clock);
  ui.onReplugPrompt = [&] {
    second.plc.PullCable(second.clock.NowMicros());
    second.plc.PlugCable(second.clock.NowMicros());
  };
  PlcSequence links({&first.links, &second.links});
  TestImage image(PatternImage(8192 + 4096));

  ResetSharedState();
  std::strcpy(selectedPLC, "KQ100");
  SelectModelByName(selectedPLC);
  ParamStruct param{&ui, &links, &image};
  EXPECT_EQ(StartBurn(&param), 0u);

  EXPECT_EQ(ui.FinalMessage().text, msg::kSuccessReplug);
  // Stage 1 twice, erase command and reconnect included, then stage 2.
  EXPECT_EQ(first.plc.Counters().eraseRequests, 1u);
  EXPECT_EQ(second.plc.Counters().eraseRequests, 1u);
  EXPECT_EQ(ui.Messages().size(), 3u);
  EXPECT_EQ(ui.Waits(), (std::vector<unsigned>{5, 5}));
  EXPECT_TRUE(second.plc.HoldsImage(image.Bytes().data(), image.Bytes().size()));
  EXPECT_TRUE(first.links.Balanced());
  EXPECT_TRUE(second.links.Balanced());
  EXPECT_EQ(image.releases, 1);
}

// The power-cycled PLC is opened again by the port the list shows at that
// moment; when that port leads nowhere the handshake meets the invalid handle.
TEST(StageSequence, ThePowerCycleReopenUsesThePortSelectedAtThatMoment) {
  sim::PlcConfig config;
  config.model = "PN7-MOB";
  WholeUpdate update(config, PatternImage(2000));
  update.ui.onPowerCyclePrompt = [&] {
    update.bench.plc.PowerCycle(update.bench.clock.NowMicros());
    selectedComPort.Set("COM7");
  };
  update.Run();
  ASSERT_TRUE(update.EndedCleanly());
  EXPECT_EQ(update.ui.FinalMessage().text, "NO RESPONSE @ State 1");
  const auto& log = update.bench.links.Log();
  EXPECT_NE(std::find(log.begin(), log.end(), "open COM7: failed"), log.end());
}

TEST(StageSequence, AUsbPlcThatDoesNotComeBackEndsWithNoResponse) {
  sim::PlcConfig config;
  config.model = "TK-G";
  WholeUpdate update(config, PatternImage(2000));
  update.ui.onReplugPrompt = [&] { update.bench.plc.PullCable(update.bench.clock.NowMicros()); };
  update.Run();
  ASSERT_TRUE(update.EndedCleanly());
  EXPECT_EQ(update.ui.FinalMessage().text, "NO RESPONSE @ State 1");
  EXPECT_EQ(update.bench.links.Counters().failedOpens, 1u);
}

// The models that restart by themselves are given one second with the link
// kept open; a restart that takes longer meets a PLC that does not answer yet.
TEST(StageSequence, ASlowRestartIsNotWaitedFor) {
  sim::PlcConfig config;
  config.model = "RU7";
  config.restartDelayMs = 30000;
  WholeUpdate update(config, PatternImage(2000));
  update.Run();
  ASSERT_TRUE(update.EndedCleanly());
  EXPECT_EQ(update.ui.FinalMessage().text, "NO RESPONSE @ State 1");
}

}  // namespace
