// Which identifiers the running firmware (CheckID_A) and the bootloader
// (CheckID_B) may report for each catalogue model.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "catalogue/catalogue.h"
#include "protocol/bootloader_commands.h"
#include "protocol/runtime_commands.h"
#include "tests/protocol/protocol_fixture.h"
#include "tests/support/ascii_frames.h"

namespace {

struct IdentifierRule {
  const char* model;
  std::vector<uint16_t> firstStage;   // accepted by CheckID_A
  std::vector<uint16_t> secondStage;  // accepted by CheckID_B
};

// Identifier-12 boards also exist as 13; bootloaders reached over a COM port
// report the identifier without its top bit; USB bootloaders report it whole.
const IdentifierRule kRules[kModelCount] = {
    {"PM7-PN7-V2", {0x000C, 0x000D}, {0x000C, 0x000D}},
    {"RU7", {0x000E}, {0x000E}},
    {"RV7", {0x000F}, {0x000F}},
    {"RC7", {0x0013}, {0x0013}},
    {"PM7-D-V2", {0x000C, 0x000D}, {0x000C, 0x000D}},
    {"TK", {0x0015}, {0x0015}},
    {"PL8", {0x0000}, {0x0000}},
    {"30PN7-AIO", {0x000D}, {0x000D}},
    {"RV-V3", {0x0008}, {0x0008}},
    {"QLT-PM7-V2", {0xA001}, {0x2001}},
    {"TK-G", {0xA002}, {0xA002}},
    {"RC7-G", {0xA003}, {0x2003}},
    {"KQ300", {0x3000}, {0x3000}},
    {"PM-PN-PL7", {0x0003}, {0x0003}},
    {"PN7-MOB", {0xA006}, {0x2006}},
    {"RC28", {0x0013}, {0x0013}},
    {"PM7-F", {0x0017}, {0x0017}},
    {"KQ200", {0x3010}, {0x3010}},
    {"KQ200-AIO", {0x3010}, {0x3010}},
    {"TK26", {0x0015}, {0x0015}},
    {"PM8-PN8", {0x0020}, {0x0020}},
    {"HVC-W", {0xA00B}, {0xA00B}},
    {"KQ100", {0x3020}, {0x3020}},
    {"PN8-AIO", {0x0020}, {0x0020}},
    {"PM7-PN7-V4", {0x000C, 0x000D}, {0x000C, 0x000D}},
    {"RV-V4", {0x0008}, {0x0008}},
    {"QLT-PM7-V4", {0xA001}, {0x2001}},
    {"PM8-BUNDLE", {0x0020}, {0x0020}},
    {"PM7-D-V4", {0x000C, 0x000D}, {0x000C, 0x000D}},
    {"RW8RV8", {0x0022}, {0x0022}},
    {"RV8-AIO", {0x0022}, {0x0022}},
};

bool Contains(const std::vector<uint16_t>& set, uint16_t id) {
  return std::find(set.begin(), set.end(), id) != set.end();
}

class IdentifierRulesTest : public ProtocolTest {};

TEST_F(IdentifierRulesTest, EachModelAcceptsExactlyItsIdentifiers) {
  for (int row = 0; row < kModelCount; ++row) {
    const IdentifierRule& rule = kRules[row];
    const uint16_t own = plcID[row];
    const std::vector<uint16_t> probes = {own,
                                          static_cast<uint16_t>(own ^ 0x8000),
                                          static_cast<uint16_t>(own & 0x7FFF),
                                          static_cast<uint16_t>(own | 0x8000),
                                          static_cast<uint16_t>(own + 1),
                                          0x000C,
                                          0x000D,
                                          0x0000};
    for (const uint16_t probe : probes) {
      SCOPED_TRACE(::testing::Message() << rule.model << " probe 0x" << std::hex << probe);
      const auto high = static_cast<uint8_t>(probe >> 8);
      const auto low = static_cast<uint8_t>(probe & 0xFF);

      plctest::ScriptedLink& first = Fresh(rule.model);
      first.Answer(plctest::StatusReply(0x06, high, low));
      const unsigned firstResult = CheckID_A(&first);
      EXPECT_EQ(firstResult == 0, Contains(rule.firstStage, probe)) << firstResult;
      if (firstResult != 0) {
        EXPECT_EQ(firstResult, 0x18u);
      }

      plctest::ScriptedLink& second = Fresh(rule.model);
      second.Answer({0x06, high, low});
      const uint8_t secondResult = CheckID_B(&second);
      EXPECT_EQ(secondResult == 0, Contains(rule.secondStage, probe)) << int{secondResult};
      if (secondResult != 0) {
        EXPECT_EQ(secondResult, 16);
      }
    }
  }
}

}  // namespace
