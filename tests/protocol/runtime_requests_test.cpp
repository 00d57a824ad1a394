// Every request of the first stage, character for character, for a standard and
// an AIO model on each kind of link.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "catalogue/shared_state.h"
#include "protocol/runtime_commands.h"
#include "tests/protocol/protocol_fixture.h"
#include "tests/support/ascii_frames.h"

namespace {

using plctest::Bytes;
using plctest::Text;

struct RequestCase {
  const char* command;
  const char* model;
  std::function<void(Link*)> run;
  Bytes reply;                    // a reply the command accepts
  std::vector<const char*> sent;  // the requests, CR LF excluded
};

Bytes Ack() { return plctest::StatusReply(0x06); }

std::vector<RequestCase> Cases() {
  auto confirm = [](Link* l) { ConfirmComm(l); };
  auto checkId = [](Link* l) { CheckID_A(l); };
  auto erase = [](Link* l) { SendErase_A(l); };
  auto version = [](Link*) { read_fu_version_A(); };
  const Bytes reg = plctest::RegisterReply(1);
  std::vector<RequestCase> cases = {
      {"ConfirmComm", "PM7-PN7-V2", confirm, plctest::StatusReply(5), {":006401590141"}},
      {"ConfirmComm", "KQ200", confirm, plctest::StatusReply(5), {":006401590141"}},
      {"ConfirmComm", "30PN7-AIO", confirm, plctest::StatusReply(5), {":0064015B013F"}},
      {"ConfirmComm", "RV8-AIO", confirm, plctest::StatusReply(5), {":0064015B013F"}},
      {"read_fu_version_A", "PM7-PN7-V2", version, Ack(), {":00640159053D"}},
      {"read_fu_version_A", "KQ200-AIO", version, Ack(), {":00640159053D"}},
      {"READ_D1386", "PM7-PN7-V2", [](Link* l) { READ_D1386(l); }, reg, {":0003156A00017D"}},
      {"READ_D1001", "PN8-AIO", [](Link* l) { READ_D1001(l); }, reg, {":000313E9000100"}},
      {"READ_D1148", "KQ300", [](Link* l) { READ_D1148(l); }, reg, {":0003147C00016C"}},
  };
  for (const char* model : {"PM7-PN7-V2", "TK-G"}) {
    Bytes idReply = model[0] == 'P' ? plctest::StatusReply(0x06, 0x00, 0x0C)
                                    : plctest::StatusReply(0x06, 0xA0, 0x02);
    cases.push_back({"CheckID_A", model, checkId, idReply, {":006401594944B5"}});
    cases.push_back(
        {"SendErase_A", model, erase, Ack(), {":006401594552415345D2", ":00640159063C"}});
  }
  for (const char* model : {"30PN7-AIO", "KQ200-AIO"}) {
    Bytes idReply = model[0] == '3' ? plctest::StatusReply(0x06, 0x00, 0x0D)
                                    : plctest::StatusReply(0x06, 0x30, 0x10);
    cases.push_back({"CheckID_A", model, checkId, idReply, {":0064015B4944B3"}});
    cases.push_back(
        {"SendErase_A", model, erase, Ack(), {":0064015B4552415345D0", ":0064015B063A"}});
  }
  return cases;
}

class RuntimeRequestsTest : public ProtocolTest {};

TEST_F(RuntimeRequestsTest, EveryRequestIsSentCharacterForCharacter) {
  for (const RequestCase& c : Cases()) {
    SCOPED_TRACE(std::string(c.command) + " " + c.model);
    plctest::ScriptedLink& link = Fresh(c.model);
    link.Answer(c.reply);
    c.run(&link);
    ASSERT_EQ(link.WriteLog().size(), c.sent.size());
    for (size_t i = 0; i < c.sent.size(); ++i) {
      EXPECT_EQ(link.WriteLog()[i].bytes, Text(std::string(c.sent[i]) + "\r\n"));
    }
  }
}

TEST_F(RuntimeRequestsTest, DummyCommSendsItsProbeFiveTimesAndReadsTenTimes) {
  for (const char* model : {"PM7-PN7-V2", "30PN7-AIO", "KQ200"}) {
    SCOPED_TRACE(model);
    plctest::ScriptedLink& link = Fresh(model);
    link.SetResponder([](const Bytes&) {
      return plctest::Reaction{plctest::Reaction::kWhole, Text("junk"), 0};
    });
    DummyComm(&link);
    ASSERT_EQ(link.WriteLog().size(), 5u);
    for (const auto& write : link.WriteLog()) EXPECT_EQ(write.bytes, Text(":007F81\r\n"));
    ASSERT_EQ(link.ReadLog().size(), 10u);
    for (const auto& read : link.ReadLog()) {
      EXPECT_EQ(read.asked, 11u);
      EXPECT_EQ(read.readConstantMs, 200u);
    }
  }
}

}  // namespace
