// Whole updates against a simulated PLC that misbehaves at random: lost,
// late, garbled and refused replies, flash write errors, a pulled cable, the
// wrong hardware variant, an old bootloader. Whatever happens, a run ends with
// one message, cleans up, and says "SUCCESSFUL" only when the PLC holds
// exactly the image.
//
// PLCBURN_FAULT_SEED and PLCBURN_FAULT_PLANS repeat or widen a run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>

#include "update/image_limit.h"
#include "whole_update.h"

namespace {

uint64_t FromEnvironment(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 0) : fallback;
}

bool IsSuccess(const std::string& text) {
  return text == msg::kSuccess || text == msg::kSuccessReplug;
}

// Registers and versions that make the PLC the selected model, most of the time.
void DrawPlc(std::mt19937_64& random, const std::string& model, sim::PlcConfig& config) {
  const bool pm7D = model == "PM7-D-V2" || model == "PM7-D-V4";
  const bool v4 = model.find("-V4") != std::string::npos;
  config.d1386 = pm7D ? 0x4138 : 0;
  config.d1001 = v4 ? 0x40 : 0x20;
  config.d1148 = (model == "RC28" || model == "TK26") ? 1 : 0;
  if (random() % 10 == 0) {
    static constexpr uint16_t kD1386[] = {0, 0x4137, 0x4138, 0x1234};
    config.d1386 = kD1386[random() % 4];
    config.d1001 = static_cast<uint16_t>(random() % 256);
    config.d1148 = static_cast<uint16_t>(random() % 2);
  }
  static constexpr uint8_t kVersions[] = {0x12, 0x12, 0x12, 0x09, 0x0F, 0x10, 0x11, 0x00};
  config.firmwareVersion = kVersions[random() % std::size(kVersions)];
  const uint8_t boot = kVersions[random() % std::size(kVersions)];
  config.bootVersionA = static_cast<uint8_t>(boot >> 4);
  config.bootVersionB = static_cast<uint8_t>((boot & 0x0F) << 4);
  const unsigned start = static_cast<unsigned>(random() % 20);
  config.start = start == 0 ? sim::StartState::RunMode
                 : start < 4 ? sim::StartState::Bootloader
                             : sim::StartState::Firmware;
}

// Small images keep 2,000 runs quick; now and then one of a few hundred blocks.
uint32_t DrawLength(std::mt19937_64& random, const std::string& model) {
  const uint32_t minimum = ImageMinimumFor(model.c_str());
  const uint32_t limit = ImageLimitFor(model.c_str()).maxLength;
  const uint32_t span = random() % 40 == 0 ? 65536 : 3000;
  return std::min(limit, minimum + 1 + static_cast<uint32_t>(random() % span));
}

TEST(RandomFaultPlans, SuccessOnlyWhenThePlcHoldsExactlyTheImage) {
  const uint64_t seed = FromEnvironment("PLCBURN_FAULT_SEED", 20221211);
  const uint64_t plans = FromEnvironment("PLCBURN_FAULT_PLANS", 2000);
  std::printf("fault plans: seed %llu, %llu plans\n", static_cast<unsigned long long>(seed),
              static_cast<unsigned long long>(plans));
  std::mt19937_64 random(seed);
  std::map<std::string, int> outcomes;
  int failures = 0;

  for (uint64_t plan = 0; plan < plans && failures < 5; ++plan) {
    const std::string model = plcList[random() % kModelCount];
    sim::PlcConfig config;
    config.model = model;
    DrawPlc(random, model, config);
    const uint32_t length = DrawLength(random, model);
    const sim::ModelRules rules = *sim::RulesFor(model);
    sim::RandomFaultOptions options;
    options.blocks = (sim::BytesSent(rules, length) + rules.blockSize - 1) / rules.blockSize;
    options.erases = std::max<uint32_t>(1, length / rules.eraseUnit + 1);
    options.allowPullCable = true;
    options.maxPullAfter = 4096;
    config.faults = sim::RandomFaultPlan(random(), options);

    WholeUpdate update(config, PatternImage(length, static_cast<uint32_t>(plan)));
    // An operator who gives up after many reconnects, so that no plan can
    // keep a run going for ever.
    int prompts = 0;
    auto giveUpAfterMany = [&] {
      if (++prompts > 20) update.bench.plc.PullCable(update.bench.clock.NowMicros());
    };
    auto replug = update.ui.onReplugPrompt;
    auto powerCycle = update.ui.onPowerCyclePrompt;
    update.ui.onReplugPrompt = [&] { replug(); giveUpAfterMany(); };
    update.ui.onPowerCyclePrompt = [&] { powerCycle(); giveUpAfterMany(); };
    update.Run();

    const std::string final = update.ui.FinalMessage().text;
    ++outcomes[final];
    const auto& bytes = update.image.Bytes();
    const bool holds = update.bench.plc.HoldsImage(bytes.data(), bytes.size());
    const ::testing::AssertionResult clean = update.EndedCleanly();
    if (!clean || (IsSuccess(final) && !holds) || prompts > 20) {
      ++failures;
      std::string faults;
      for (const auto& f : config.faults.faults) faults += "\n    " + sim::DescribeFault(f);
      ADD_FAILURE() << "plan " << plan << " (seed " << seed << "): " << model << ", " << length
                    << " bytes, final \"" << final << "\", PLC holds the image: " << holds
                    << ", prompts " << prompts << ", " << clean.message() << faults;
    }
  }

  std::vector<std::pair<int, std::string>> byCount;
  for (const auto& [text, count] : outcomes) byCount.emplace_back(count, text);
  std::sort(byCount.rbegin(), byCount.rend());
  std::printf("outcomes by final message:\n");
  for (const auto& [count, text] : byCount) std::printf("%6d  \"%s\"\n", count, text.c_str());
}

}  // namespace
