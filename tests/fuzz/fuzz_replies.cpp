// Every command that judges replies, for any model, answered by whatever the
// fuzzer makes up: results stay within their codes, the counters within their
// limits, and no byte is read or written outside a buffer or the image.
//
// Input: model, command, two bytes of image length, then reactions, one per
// write: a control byte, a length byte and that many reply bytes.
#include <cstdint>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"
#include "protocol/block_transfer.h"
#include "protocol/bootloader_commands.h"
#include "protocol/runtime_commands.h"
#include "tests/support/ascii_frames.h"
#include "tests/support/model_selection.h"
#include "tests/support/scripted_link.h"

namespace {

using plctest::Bytes;
using plctest::Reaction;

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

bool OneOf(unsigned value, std::initializer_list<unsigned> codes) {
  for (unsigned code : codes) {
    if (value == code) return true;
  }
  return false;
}

// Control byte: bits 0-1 pick whole write with reply, short write, silence or a
// late reply; bit 2 wraps the bytes in a valid ASCII frame so that the decoded
// contents get explored rather than the LRC.
Reaction MakeReaction(uint8_t control, const uint8_t* bytes, size_t length) {
  Bytes reply(bytes, bytes + length);
  if ((control & 0x04) != 0) reply = plctest::AsciiFrame(reply);
  switch (control & 0x03) {
    case 1:
      return Reaction{static_cast<uint32_t>(control >> 3), reply, 0};
    case 2:
      return Reaction{};
    case 3:
      return Reaction{Reaction::kWhole, reply, 3500};
    default:
      return Reaction{Reaction::kWhole, reply, 0};
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  ResetSharedState();
  plctest::SelectModel(plcList[data[0] % kModelCount]);
  const unsigned command = data[1] % 13u;
  const uint32_t length = (static_cast<uint32_t>(data[2]) << 8 | data[3]) % 12289u;

  plctest::ScriptedLink link;
  hSerial = &link;
  for (size_t at = 4; at + 2 <= size;) {
    const uint8_t control = data[at];
    const size_t replyLength = data[at + 1] % 40u;
    at += 2;
    const size_t available = replyLength < size - at ? replyLength : size - at;
    link.Then(MakeReaction(control, data + at, available));
    at += available;
  }

  // The image on the heap at exactly its length, copied from one pattern so
  // that its filling adds no coverage features of its own.
  static const std::vector<uint8_t> pattern = [] {
    std::vector<uint8_t> bytes(12288);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 13);
    return bytes;
  }();
  const std::vector<uint8_t> image(pattern.begin(), pattern.begin() + length);
  fin = image.data();
  finEnd = image.data() + image.size();
  fileLength = length;

  unsigned result = 0;
  switch (command) {
    case 0:
      result = ConfirmComm(&link);
      Require(OneOf(result, {5, 6, 0x11, 0x12, 0x15, 0x16, 0x17, 0x18}));
      break;
    case 1:
      result = CheckID_A(&link);
      Require(OneOf(result, {0, 0x12, 0x13, 0x15, 0x17, 0x18}));
      break;
    case 2:
      result = SendErase_A(&link);
      Require(OneOf(result, {0, 0x13, 0x14, 0x15, 0x17, 0x18}));
      break;
    case 3:
      Require(READ_D1386(&link) <= 0xFFFF);
      break;
    case 4:
      Require(READ_D1001(&link) <= 0xFFFF);
      break;
    case 5:
      Require(READ_D1148(&link) <= 0xFFFF);
      break;
    case 6:
      Require(read_fu_version_A() <= 0xFF);
      break;
    case 7:
      DummyComm(&link);
      Require(errCounter == 0 && totalErrCounter == 0);
      break;
    case 8:
      Require(OneOf(CheckID_B(&link), {0, 16}));
      break;
    case 9:
      Require(OneOf(read_fu_version_B(), {0, 16}));
      break;
    case 10:
      Require(OneOf(SendErase_B(&link), {0, 16}));
      break;
    case 11:
      Require(OneOf(SendUpdate(&link), {0, 16}));
      break;
    default:
      Require(OneOf(SendFW(&link), {0, 16, 22}));
      Require(fin >= image.data() && fin <= finEnd);
      break;
  }
  Require(errCounter >= 0 && errCounter <= 6);
  Require(progress >= 0 && progress <= 100);
  Require(totalErrCounter >= 0);
  if (command <= 6) Require(totalErrCounter <= 11 && link.WriteLog().size() <= 18);
  hSerial = nullptr;
  return 0;
}
