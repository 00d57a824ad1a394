#pragma once
// A Link for unit tests, on a virtual clock. It records every call, answers
// each write from a script, and reads as the Windows driver does with an
// interval of MAXDWORD, a zero multiplier and a constant: bytes already waiting
// are returned at once; otherwise the read waits up to the read constant for the
// whole count and returns what has arrived by then. Waiting only moves the
// virtual clock, so six 3000 ms reads cost microseconds and still show as 18 s.
//
// Bytes arrive in order, like a serial line: a reply scheduled after a late one
// arrives after it. Nothing is ever purged; a reply that arrives after its read
// has ended stays queued for the next read.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/link.h"
#include "link/virtual_clock.h"

namespace plctest {

using Bytes = std::vector<uint8_t>;

// "ERASE" -> its bytes, no terminator.
Bytes Text(const std::string& text);

// How the link treats one write.
struct Reaction {
  static constexpr uint32_t kWhole = 0xFFFFFFFFu;
  uint32_t accept = kWhole;   // bytes the write takes; fewer is a short write
  Bytes reply;                // what the PLC sends back (also after a short write)
  uint64_t replyDelayMs = 0;  // after the write's end; beyond the read constant = late
};

struct WriteRecord {
  Bytes bytes;       // the bytes the caller asked to write
  uint32_t written;  // the count the write reported
  uint64_t atMicros;
};

struct ReadRecord {
  uint32_t asked;           // the count the caller asked for
  uint32_t readConstantMs;  // the read constant in force
  Bytes returned;           // the bytes the read delivered
  uint64_t startMicros;
  uint64_t endMicros;
};

enum class LinkCallKind { Write, Read, Timeouts, LineSettings };

// One entry per call, in call order; `index` points into that kind's log.
struct LinkCall {
  LinkCallKind kind;
  size_t index;
};

class ScriptedLink : public Link {
 public:
  // Uses `clock` when given (to share time with a simulated PLC), else its own.
  explicit ScriptedLink(VirtualClock* clock = nullptr);

  // --- the script: one reaction per write, in order ---
  ScriptedLink& Then(const Reaction& reaction);
  // The next write is taken whole and answered with `reply` after `delayMs`.
  ScriptedLink& Answer(const Bytes& reply, uint64_t delayMs = 0);
  ScriptedLink& AnswerTimes(int times, const Bytes& reply, uint64_t delayMs = 0);
  // The next writes are taken whole and get no answer.
  ScriptedLink& Silence(int times = 1);
  // The next writes take only `accepted` bytes and get no answer.
  ScriptedLink& FallShort(int times = 1, uint32_t accepted = 0);
  // Used for every write once the script is used up. Without one, a write is
  // taken whole and gets no answer.
  void SetResponder(std::function<Reaction(const Bytes& written)> responder);
  // Bytes that arrive `afterMs` from now, unasked.
  void Arrive(const Bytes& bytes, uint64_t afterMs = 0);

  // --- what happened ---
  const std::vector<WriteRecord>& WriteLog() const { return writes_; }
  const std::vector<ReadRecord>& ReadLog() const { return reads_; }
  const std::vector<LinkTimeouts>& TimeoutLog() const { return timeouts_; }
  const std::vector<LineSettings>& LineSettingsLog() const { return lineSettings_; }
  const std::vector<LinkCall>& Calls() const { return calls_; }
  std::vector<Bytes> WrittenBytes() const;  // every write's bytes, short ones included
  size_t ScriptLeft() const { return script_.size() - nextReaction_; }
  size_t QueuedBytes() const { return queue_.size(); }  // scheduled, not yet read

  VirtualClock& Clock() { return *clock_; }
  uint64_t NowMillis() const { return clock_->NowMillis(); }
  uint64_t NowMicros() const { return clock_->NowMicros(); }

  // --- Link ---
  uint32_t Write(const uint8_t* data, uint32_t count) override;
  uint32_t Read(uint8_t* buffer, uint32_t count) override;
  void SetTimeouts(const LinkTimeouts& timeouts) override;
  void ApplyLineSettings(LineSettings settings) override;

 private:
  struct QueuedByte {
    uint8_t value;
    uint64_t arrivalMicros;
  };
  void Schedule(const Bytes& bytes, uint64_t arrivalMicros);
  Reaction NextReaction(const Bytes& written);

  VirtualClock ownClock_;
  VirtualClock* clock_;
  LinkTimeouts current_{};
  std::vector<Reaction> script_;
  size_t nextReaction_ = 0;
  std::function<Reaction(const Bytes&)> responder_;
  std::vector<QueuedByte> queue_;  // arrival times never decrease

  std::vector<WriteRecord> writes_;
  std::vector<ReadRecord> reads_;
  std::vector<LinkTimeouts> timeouts_;
  std::vector<LineSettings> lineSettings_;
  std::vector<LinkCall> calls_;
};

}  // namespace plctest
