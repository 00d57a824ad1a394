// The tool's own commands, called in the worker's order, against the
// simulated PLC on the virtual clock: the whole two-stage conversation ends
// with the PLC holding exactly the bytes that were meant to be sent.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"
#include "protocol/block_transfer.h"
#include "protocol/bootloader_commands.h"
#include "protocol/runtime_commands.h"
#include "sim/sim_link.h"

namespace {

bool InVersionReadSet(uint16_t id) {
  for (unsigned v : {0x3000u, 0x3010u, 0x0020u, 0xA00Bu, 0x3020u, 0x0022u}) {
    if (id == v) return true;
  }
  return false;
}

std::vector<uint8_t> TestImage(uint32_t length) {
  std::vector<uint8_t> image(length);
  for (uint32_t i = 0; i < length; ++i) image[i] = static_cast<uint8_t>((i * 131u) ^ (i >> 8));
  // Fill bytes inside the image must not be mistaken for the block fill.
  if (length > 4200) std::memset(image.data() + length - 4100, 0x1A, 4);
  return image;
}

enum class Outcome { Success, StoppedEarly, TransferFailed };

// One update as the worker runs it, ending at the first failing step.
class Conversation {
 public:
  Conversation(sim::PlcConfig config, uint32_t length)
      : bench_(std::move(config)), image_(TestImage(length)) {
    ResetSharedState();
    const std::string& name = bench_.plc.Config().model;
    std::strncpy(selectedPLC, name.c_str(), kModelNameSlot - 1);
    SelectModelByName(name.c_str());
    fin = image_.data();
    finEnd = image_.data() + image_.size();
    fileLength = length;
  }
  ~Conversation() { hSerial = nullptr; }

  Outcome Run() {
    const bool usb = bench_.plc.Rules().usb;
    hSerial = Open(usb);
    if (hSerial == nullptr) return Outcome::StoppedEarly;
    const Outcome outcome = Passes(usb);
    bench_.links.Close(hSerial);
    hSerial = nullptr;
    return outcome;
  }

  sim::SimBench& Bench() { return bench_; }
  const std::vector<uint8_t>& Image() const { return image_; }
  std::vector<std::string> steps;

 private:
  Link* Open(bool usb) { return usb ? bench_.links.OpenUsb("") : bench_.links.OpenCom("COM3"); }

  Outcome Passes(bool usb) {
    for (int pass = 0; pass < 2; ++pass) {
      DummyComm(hSerial);
      const unsigned kind = ConfirmComm(hSerial);
      steps.push_back("handshake " + std::to_string(kind));
      if (kind == 6) return SecondStage();
      if (kind != 5 || pass == 1) return Outcome::StoppedEarly;
      if (CheckID_A(hSerial) != 0) return Outcome::StoppedEarly;
      if (InVersionReadSet(selectedPLCID)) KQ_fu_version = static_cast<uint8_t>(read_fu_version_A());
      if (SendErase_A(hSerial) != 0) return Outcome::StoppedEarly;
      steps.push_back("erase request");
      switch (bench_.plc.Rules().restart) {
        case sim::RestartKind::ByItself:
          bench_.clock.AdvanceMillis(1000);
          break;
        case sim::RestartKind::Replug:
        case sim::RestartKind::PowerCycle:
          bench_.links.Close(hSerial);
          bench_.clock.AdvanceMillis(usb ? 5000 : 2000);
          hSerial = Open(usb);
          break;
      }
    }
    return Outcome::StoppedEarly;
  }

  Outcome SecondStage() {
    if (CheckID_B(hSerial) != 0) return Outcome::StoppedEarly;
    if (InVersionReadSet(selectedPLCID) && read_fu_version_B() != 0) return Outcome::StoppedEarly;
    if (SendErase_B(hSerial) != 0) return Outcome::StoppedEarly;
    if (SendUpdate(hSerial) != 0) return Outcome::StoppedEarly;
    steps.push_back("update");
    return SendFW(hSerial) == 0 ? Outcome::Success : Outcome::TransferFailed;
  }

  sim::SimBench bench_;
  std::vector<uint8_t> image_;
};

struct ModelCase {
  const char* model;
  uint32_t length;
  uint32_t blockSize;
};

class WholeConversation : public ::testing::TestWithParam<ModelCase> {};

TEST_P(WholeConversation, EndsWithThePlcHoldingTheImage) {
  const ModelCase& c = GetParam();
  sim::PlcConfig config;
  config.model = c.model;
  Conversation talk(config, c.length);
  ASSERT_EQ(talk.Run(), Outcome::Success) << testing::PrintToString(talk.steps);
  const sim::SimulatedPlc& plc = talk.Bench().plc;
  EXPECT_EQ(plc.Rules().blockSize, c.blockSize);
  EXPECT_TRUE(plc.HoldsImage(talk.Image().data(), talk.Image().size()));
  EXPECT_EQ(plc.Counters().eraseEots, 1u);
  EXPECT_EQ(plc.Counters().finalEots, 1u);
  EXPECT_EQ(plc.Counters().blocksRejected, 0u);
  EXPECT_EQ(plc.Counters().bytesAtWrongSpeed, 0u);
  EXPECT_EQ(plc.Counters().restarts, 1u);
  EXPECT_TRUE(talk.Bench().links.Balanced());
  EXPECT_EQ(totalErrCounter, 0);
  RecordProperty("virtual_ms", static_cast<int>(talk.Bench().clock.NowMillis()));
}

INSTANTIATE_TEST_SUITE_P(
    BlockSizeGroups, WholeConversation,
    ::testing::Values(ModelCase{"RU7", 10000, 128},        // COM, restarts by itself
                      ModelCase{"PM7-D-V2", 70000, 128},   // COM, power cycle, silent erase
                      ModelCase{"TK26", 5000, 128},        // USB with small blocks
                      ModelCase{"30PN7-AIO", 12288, 256},  // COM, the AIO frames
                      ModelCase{"TK-G", 40000, 256},       // USB, bit 15 kept
                      ModelCase{"KQ200-AIO", 40960, 256},  // USB, version gate
                      ModelCase{"KQ200", 20000, 256},      // sector: last 4 KiB kept
                      ModelCase{"HVC-W", 8192, 256}),      // sector, exact sectors
    [](const auto& tc) {
      std::string name = tc.param.model;
      for (char& ch : name) {
        if (ch == '-') ch = '_';
      }
      return name;
    });

TEST(WholeConversationVariants, PowerCycleModelThatAcknowledgesTheEraseRequest) {
  sim::PlcConfig config;
  config.model = "PN7-MOB";
  config.silentEraseRestart = false;
  Conversation talk(config, 3000);
  ASSERT_EQ(talk.Run(), Outcome::Success) << testing::PrintToString(talk.steps);
  EXPECT_EQ(talk.Bench().plc.Counters().followUps, 1u);
  EXPECT_TRUE(talk.Bench().plc.HoldsImage(talk.Image().data(), talk.Image().size()));
}

TEST(WholeConversationVariants, StartingInTheBootloaderGoesStraightToStageTwo) {
  sim::PlcConfig config;
  config.model = "QLT-PM7-V2";
  config.start = sim::StartState::Bootloader;
  Conversation talk(config, 1000);
  ASSERT_EQ(talk.Run(), Outcome::Success);
  EXPECT_EQ(talk.steps.front(), "handshake 6");
  EXPECT_TRUE(talk.Bench().plc.HoldsImage(talk.Image().data(), 1000));
}

// Random fault plans: whatever goes wrong, the transfer is reported as done
// only when the PLC holds exactly the image.
TEST(WholeConversationFaults, SuccessOnlyWithTheWholeImage) {
  int successes = 0;
  int failures = 0;
  for (const char* model : {"RU7", "KQ200", "TK", "PM7-D-V4"}) {
    for (uint64_t seed = 1; seed <= 150; ++seed) {
      sim::PlcConfig config;
      config.model = model;
      sim::RandomFaultOptions options;
      options.blocks = 12;
      options.erases = 2;
      options.allowPullCable = true;
      options.maxPullAfter = 3000;
      config.faults = sim::RandomFaultPlan(seed * 7919 + 13, options);
      Conversation talk(config, 6000);
      const Outcome outcome = talk.Run();
      const bool holds = talk.Bench().plc.HoldsImage(talk.Image().data(), talk.Image().size());
      if (outcome == Outcome::Success) {
        ++successes;
        EXPECT_TRUE(holds) << model << " seed " << seed;
      } else {
        ++failures;
      }
      EXPECT_TRUE(talk.Bench().links.Balanced()) << model << " seed " << seed;
    }
  }
  EXPECT_GT(successes, 0);
  EXPECT_GT(failures, 0);
}

}  // namespace
