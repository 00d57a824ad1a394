// Whatever bytes arrive, in whatever state, the PLC neither breaks nor
// stores a block that was not intact and in sequence.
#include <gtest/gtest.h>

#include <random>

#include "tests/sim/sim_test_support.h"

namespace {

TEST(StreamRobustness, RandomBytesInEveryState) {
  const sim::StartState kStarts[] = {sim::StartState::Firmware, sim::StartState::Bootloader,
                                     sim::StartState::RunMode};
  std::mt19937 random(20261211);
  for (const char* model : {"RU7", "30PN7-AIO", "KQ200", "PM7-D-V2"}) {
    for (sim::StartState start : kStarts) {
      sim::PlcConfig c = simtest::Model(model);
      c.start = start;
      c.checkLineSpeed = false;
      c.keepTranscript = false;
      sim::SimulatedPlc plc(c);
      uint64_t t = 0;
      // Words the PLC knows, mixed into the noise so that every state is reached.
      const std::string kWords[] = {":006401594552415345D2\r\n", ":00640159063C\r\n",
                                    ":0064015B4552415345D0\r\n", ":0064015B063A\r\n",
                                    "ERASE", "UPDATE", "\x04", "\x02\x01\xFE", "ID", "VERSION"};
      for (int round = 0; round < 20000; ++round) {
        t += random() % 3000;
        if (random() % 8 == 0) {
          const std::string& w = kWords[random() % std::size(kWords)];
          plc.Receive(reinterpret_cast<const uint8_t*>(w.data()), w.size(), t, 90.0,
                      sim::LineSpeed::Any);
        } else {
          plc.Receive(static_cast<uint8_t>(random()), t, sim::LineSpeed::Any);
        }
        if (random() % 500 == 0) plc.LinkClosed(t);
        if (random() % 500 == 1) plc.LinkOpened(t);
        uint8_t sink[64];
        plc.Take(sink, sizeof sink, t);
      }
      // Random bytes make an intact block with the right CRC only by a miracle.
      EXPECT_EQ(plc.ReceivedImage().size() % plc.Rules().blockSize, 0u) << model;
      EXPECT_EQ(plc.Counters().blocksAccepted * plc.Rules().blockSize,
                plc.ReceivedImage().size()) << model;
    }
  }
}

}  // namespace
