// A whole update of every catalogue model, on the virtual clock, with the
// largest image the model takes (the stand-in image for the sector models).

#include <gtest/gtest.h>

#include <string>

#include "update/image_limit.h"
#if defined(PLCBURN_NATIVE_IMAGE)
#include "update/native_image.h"
#endif
#include "whole_update.h"

namespace {

enum class Reconnect { Replug2s, Replug5s, PowerCycle2s, Wait1sLinkKept };

struct ModelCase {
  const char* model;
  uint16_t eraseCount;
  Reconnect reconnect;
  uint16_t d1386 = 0;  // registers that make the PLC the selected variant
  uint16_t d1001 = 0;
  uint16_t d1148 = 0;
};

std::vector<uint8_t> ImageAtLimit(const char* model) {
  const uint32_t limit = ImageLimitFor(model).maxLength;
#if defined(PLCBURN_NATIVE_IMAGE)
  if (IsSectorModel(model)) {
    ImageBytes bytes;
    BuiltInImage& standIn = NativeBuiltInImage();
    if (standIn.Load(&bytes) && bytes.length == limit) {
      std::vector<uint8_t> copy(bytes.data, bytes.data + bytes.length);
      standIn.Release();
      return copy;
    }
  }
#endif
  return PatternImage(limit, 0xC0FFEEu + limit);
}

class EveryModel : public ::testing::TestWithParam<ModelCase> {};

TEST_P(EveryModel, UpdatesWithTheLargestImageItTakes) {
  const ModelCase& c = GetParam();
  sim::PlcConfig config;
  config.model = c.model;
  config.d1386 = c.d1386;
  config.d1001 = c.d1001;
  config.d1148 = c.d1148;
  WholeUpdate update(config, ImageAtLimit(c.model));
  update.Run();
  ASSERT_TRUE(update.EndedCleanly());

  const OperatorEvent final = update.ui.FinalMessage();
  if (IsUsbModel(c.model)) {
    EXPECT_EQ(final.text, "Firmware update is SUCCESSFUL!, please REPLUG the USB cable");
    EXPECT_EQ(final.caption, "Information");
  } else {
    EXPECT_EQ(final.text, "Firmware update is SUCCESSFUL");
    EXPECT_EQ(final.caption, "INFORMATION");
  }
  EXPECT_EQ(final.icon, MessageIcon::Information);
  // The panel still shows the finished transfer while the message is up.
  EXPECT_EQ(final.flashStatus, 2);
  EXPECT_EQ(final.progress, 100);

  const auto& bytes = update.image.Bytes();
  const sim::SimulatedPlc& plc = update.bench.plc;
  EXPECT_TRUE(plc.HoldsImage(bytes.data(), bytes.size()));
  if (IsSectorModel(c.model)) {
    // The last sector is never sent: what the PLC holds ends 4096 bytes early.
    EXPECT_EQ(plc.ReceivedImage().size(), bytes.size() - 4096);
  }
  EXPECT_EQ(plc.Counters().erases, c.eraseCount);
  EXPECT_EQ(plc.Counters().eraseRequests, 1u);

  const auto messages = update.ui.Messages();
  const auto waits = update.ui.Waits();
  const auto opens = update.bench.links.Counters().opens;
  switch (c.reconnect) {
    case Reconnect::Replug2s:
    case Reconnect::Replug5s:
      ASSERT_EQ(messages.size(), 2u);
      EXPECT_EQ(messages[0].text, "Please REPLUG the USB Cable, and then press OK to continue");
      EXPECT_EQ(waits, std::vector<unsigned>{c.reconnect == Reconnect::Replug2s ? 2u : 5u});
      EXPECT_EQ(opens, 2u);
      break;
    case Reconnect::PowerCycle2s:
      ASSERT_EQ(messages.size(), 2u);
      EXPECT_EQ(messages[0].text, "Please POWER OFF=>ON the PLC, and then press OK to continue");
      EXPECT_EQ(waits, std::vector<unsigned>{2u});
      EXPECT_EQ(opens, 2u);
      break;
    case Reconnect::Wait1sLinkKept:
      EXPECT_EQ(messages.size(), 1u);
      EXPECT_EQ(waits, std::vector<unsigned>{1u});
      EXPECT_EQ(opens, 1u);
      break;
  }
  if (messages.size() == 2u) {
    EXPECT_EQ(messages[0].caption, "Information");
    EXPECT_EQ(messages[0].icon, MessageIcon::Information);
  }
  // The elapsed-seconds timer runs through the prompt and stops once, for the end.
  int stops = 0;
  for (const auto& e : update.ui.events) stops += e.kind == OperatorEvent::StopTimer;
  EXPECT_EQ(stops, 1);
}

std::string ModelCaseName(const ::testing::TestParamInfo<ModelCase>& param) {
  std::string name = param.param.model;
  for (char& ch : name) {
    if (ch == '-') ch = '_';
  }
  return "m" + name;
}

using R = Reconnect;
INSTANTIATE_TEST_SUITE_P(
    Catalogue, EveryModel,
    ::testing::Values(
        // model, ERASE count at the limit, reconnect, D1386, D1001, D1148
        ModelCase{"PM7-PN7-V2", 242, R::Wait1sLinkKept, 0, 0x30},
        ModelCase{"RU7", 242, R::Wait1sLinkKept}, ModelCase{"RV7", 242, R::Wait1sLinkKept},
        ModelCase{"RC7", 242, R::Wait1sLinkKept, 0, 0, 0},
        ModelCase{"PM7-D-V2", 5, R::PowerCycle2s, 0x4138, 0x30},
        ModelCase{"TK", 31, R::Replug2s, 0, 0, 0}, ModelCase{"PL8", 242, R::Wait1sLinkKept},
        ModelCase{"30PN7-AIO", 4, R::Wait1sLinkKept},
        ModelCase{"RV-V3", 242, R::Wait1sLinkKept, 0, 0x31},
        ModelCase{"QLT-PM7-V2", 242, R::Wait1sLinkKept, 0, 0x20},
        ModelCase{"TK-G", 31, R::Replug2s}, ModelCase{"RC7-G", 242, R::Wait1sLinkKept},
        ModelCase{"KQ300", 506, R::Replug5s}, ModelCase{"PM-PN-PL7", 242, R::Wait1sLinkKept},
        ModelCase{"PN7-MOB", 5, R::PowerCycle2s}, ModelCase{"RC28", 5, R::Wait1sLinkKept, 0, 0, 1},
        ModelCase{"PM7-F", 8, R::Wait1sLinkKept}, ModelCase{"KQ200", 506, R::Replug5s},
        ModelCase{"KQ200-AIO", 20, R::Replug5s}, ModelCase{"TK26", 8, R::Replug2s, 0, 0, 7},
        ModelCase{"PM8-PN8", 506, R::Replug5s}, ModelCase{"HVC-W", 506, R::Replug5s},
        ModelCase{"KQ100", 506, R::Replug5s}, ModelCase{"PN8-AIO", 20, R::Replug5s},
        ModelCase{"PM7-PN7-V4", 242, R::Wait1sLinkKept, 0x1234, 0x40},
        ModelCase{"RV-V4", 242, R::Wait1sLinkKept, 0, 0x4F},
        ModelCase{"QLT-PM7-V4", 242, R::Wait1sLinkKept, 0, 0xF0},
        ModelCase{"PM8-BUNDLE", 506, R::Replug5s},
        ModelCase{"PM7-D-V4", 5, R::PowerCycle2s, 0x4137, 0x45},
        ModelCase{"RW8RV8", 506, R::Replug5s}, ModelCase{"RV8-AIO", 20, R::Replug5s}),
    ModelCaseName);

}  // namespace
