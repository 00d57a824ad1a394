#pragma once
// Faults the simulated PLC commits on request, chosen by exchange, attempt and
// (for blocks and ERASEs) index. A plan is plain data, so a test can build
// thousands of them from a seed.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// The requests the PLC tells apart. Attempts are counted per request kind (and
// per index for Block and BootErase) from the PLC's power-on, across passes.
enum class Request : uint8_t {
  Probe,          // ":007F81"
  Handshake,      // first-stage handshake answered by the running firmware
  IdQuery,
  ReadD1386,
  ReadD1001,
  ReadD1148,
  VersionQuery,
  EraseRequest,
  FollowUp,
  BootHandshake,  // the same handshake frame answered by the bootloader
  BootId,
  BootVersion,
  BootErase,      // index: the ERASE number, 0 first
  BootEraseEot,
  BootUpdate,
  Block,          // index: the block number in the image, 0 first
  FinalEot,
  Any,            // matches every request (attempt and index then count per kind)
};

enum class FaultKind : uint8_t {
  NoReply,          // the request is lost: no reply, nothing done
  LostReply,        // the request is carried out, its reply is lost
  Refusal,          // 0x15 with bytes 5 and 6 (first stage); 0x15 (bootloader)
  WrongId,          // the id replies carry `id`
  BadLrc,           // the LRC one off
  LowerCaseHex,     // a correct reply in lower-case hex digits
  Garbage,          // as many bytes of noise as the reply has
  ShortReply,       // only the first `length` characters (default: all but one)
  LateReply,        // the reply comes `delayMs` later (default 3500 ms)
  FlashWriteError,  // 0x16 to a block (or an ERASE)
  PullCable,        // the link dies after `afterBytes` bytes written by the tool
};

struct Fault {
  Request request = Request::Any;
  FaultKind kind = FaultKind::NoReply;
  uint32_t attempt = 0;   // first attempt hit, 0 = the first time the request comes
  uint32_t attempts = 1;  // consecutive attempts hit
  uint32_t index = 0;     // Block / BootErase only
  uint8_t byte5 = 2;      // Refusal
  uint8_t byte6 = 1;
  uint16_t id = 0xBEEF;   // WrongId
  uint32_t length = 0;    // ShortReply; 0: one character short
  uint32_t delayMs = 3500;  // LateReply
  uint32_t afterBytes = 0;  // PullCable

  bool Hits(Request r, uint32_t attemptNo, uint32_t indexNo) const;
};

struct FaultPlan {
  std::vector<Fault> faults;

  // The first fault that hits this attempt, if any (PullCable never does).
  const Fault* Find(Request r, uint32_t attemptNo, uint32_t indexNo) const;
  // The byte count after which the cable is pulled, if the plan pulls it.
  std::optional<uint32_t> CablePullAfter() const;
};

struct RandomFaultOptions {
  uint32_t maxFaults = 3;
  uint32_t maxAttempt = 7;    // attempts drawn from 0..maxAttempt-1
  uint32_t maxAttempts = 7;   // runs of 1..maxAttempts attempts
  uint32_t blocks = 16;       // block indexes drawn from 0..blocks-1
  uint32_t erases = 4;        // ERASE indexes drawn from 0..erases-1
  bool allowPullCable = false;
  uint32_t maxPullAfter = 4096;
};

// A plan drawn from `seed`; the same seed gives the same plan.
FaultPlan RandomFaultPlan(uint64_t seed, const RandomFaultOptions& options = {});

// Names used by plcsim's --fault option and in descriptions.
const char* RequestName(Request r);
const char* FaultKindName(FaultKind k);
std::optional<Request> RequestFromName(const std::string& name);
std::optional<FaultKind> FaultKindFromName(const std::string& name);

// "kind=norep,req=handshake,attempt=0,count=6,..." (see plcsim --help); nothing
// when a key or value is not understood.
std::optional<Fault> ParseFault(const std::string& text);
std::string DescribeFault(const Fault& fault);

}  // namespace sim
