#pragma once
// One simulated PLC: its running firmware and its bootloader, fed with the
// tool's bytes as they arrive and answering with bytes that carry their own
// arrival times. The PLC keeps no clock of its own; every call brings the time.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "sim/fault_plan.h"
#include "sim/model_rules.h"
#include "sim/plc_config.h"

namespace sim {

struct TranscriptEntry {
  uint64_t atUs = 0;
  bool toPlc = false;
  std::vector<uint8_t> bytes;
};

struct PlcEvent {
  uint64_t atUs = 0;
  std::string what;
};

class SimulatedPlc {
 public:
  // Throws std::invalid_argument for a model the catalogue lacks.
  explicit SimulatedPlc(PlcConfig config);

  // The tool's bytes. A byte has reached the PLC whole at `atUs`.
  void Receive(uint8_t byte, uint64_t atUs, LineSpeed speed);
  // `count` bytes sent back to back from `startUs`, `charUs` apart; returns
  // the time the last one has arrived.
  uint64_t Receive(const uint8_t* data, size_t count, uint64_t startUs, double charUs,
                   LineSpeed speed);

  // The PLC's bytes, queued with their arrival times.
  size_t ArrivedCount(uint64_t nowUs) const;
  size_t QueuedCount() const { return output_.size(); }
  // Arrival time of the n-th queued byte (n from 1); 0 when fewer are queued.
  uint64_t ArrivalOf(size_t n) const;
  uint64_t NextArrival() const { return output_.empty() ? 0 : output_.front().second; }
  // Takes up to `max` bytes that have arrived by `nowUs`.
  size_t Take(uint8_t* buffer, size_t max, uint64_t nowUs);

  // The tool's side of the link goes away / comes back: the unplug and replug
  // of the cable, or the power-off and -on, for the models that restart so.
  void LinkClosed(uint64_t atUs);
  void LinkOpened(uint64_t atUs);
  void PowerCycle(uint64_t atUs);
  // Time-driven changes (the restart of the models that restart by themselves).
  void Advance(uint64_t nowUs);

  // The cable: pulled by the fault plan after so many of the tool's bytes, or
  // by a test. Returns how many of `count` bytes still get through.
  uint32_t CableLets(uint32_t count, uint64_t atUs);
  bool CablePulled() const { return cablePulled_; }
  void PullCable(uint64_t atUs);
  void PlugCable(uint64_t atUs);

  PlcState State() const { return state_; }
  LineSpeed ExpectedSpeed() const;
  const ModelRules& Rules() const { return rules_; }
  const PlcConfig& Config() const { return config_; }
  PlcConfig& MutableConfig() { return config_; }
  const PlcCounters& Counters() const { return counters_; }
  // Times the request (with that index for blocks and ERASEs) has come.
  uint32_t Attempts(Request request, uint32_t index = 0) const;

  // The data of every stored block in order, 0x1A fill of a short last block included.
  const std::vector<uint8_t>& ReceivedImage() const { return image_; }
  bool ImageComplete() const { return state_ == PlcState::Done; }
  // True when the final EOT came and the stored blocks hold exactly `intended`
  // followed by 0x1A up to the next block boundary, and nothing else.
  bool HoldsExactly(const uint8_t* intended, size_t length) const;
  // The same for a whole image file: compares against the part the tool sends.
  bool HoldsImage(const uint8_t* image, size_t length) const;
  uint32_t ErasedBytes() const { return erasedBytes_; }

  const std::vector<TranscriptEntry>& Transcript() const { return transcript_; }
  const std::vector<PlcEvent>& Events() const { return events_; }
  bool HasEvent(const std::string& what) const;

 private:
  enum class ReplyForm { Frame, Raw };

  void ReceiveByte(uint8_t byte, uint64_t atUs);
  void FrameByte(uint8_t byte, uint64_t atUs);
  void HandleFirmwareFrame(const std::vector<uint8_t>& body, uint64_t atUs);
  void HandleFunction64(const std::vector<uint8_t>& body, uint64_t atUs);
  void HandleRegisterRead(const std::vector<uint8_t>& body, uint64_t atUs);
  void HandleBootloaderFrame(const std::vector<uint8_t>& body, uint64_t atUs);
  void BootloaderByte(uint8_t byte, uint64_t atUs);
  void BootloaderCommand(Request request, uint64_t atUs);
  void BlockByte(uint8_t byte, uint64_t atUs);
  void JudgeBlock(uint64_t atUs);

  // Counts the attempt and returns the fault that hits it, if any.
  const Fault* NextFault(Request request, uint32_t index);
  static bool CarriesOut(const Fault* fault);
  void SendFrame(std::vector<uint8_t> body, const Fault* fault, uint64_t atUs,
                 uint32_t latencyUs);
  void SendRaw(std::vector<uint8_t> bytes, const Fault* fault, uint64_t atUs,
               uint32_t latencyUs);
  void Send(const std::vector<uint8_t>& bytes, uint64_t startUs);

  void BeginRestart(uint64_t atUs);
  void EnterBootloader(uint64_t atUs, const char* why);
  void Event(uint64_t atUs, std::string what);
  void Record(bool toPlc, uint8_t byte, uint64_t atUs);
  void ResetParsers();
  uint8_t Variant() const { return rules_.aio ? 0x5B : 0x59; }
  double CharMicros() const;

  PlcConfig config_;
  ModelRules rules_;
  uint16_t firmwareId_ = 0;
  uint16_t bootloaderId_ = 0;
  PlcState state_ = PlcState::Firmware;
  PlcCounters counters_;
  std::map<std::pair<Request, uint32_t>, uint32_t> attempts_;

  // Parsers.
  bool inFrame_ = false;
  std::string frameText_;
  std::string command_;
  std::vector<uint8_t> block_;
  uint64_t lastBlockByteUs_ = 0;
  bool eraseArmed_ = false;

  // Restart and reconnect.
  uint64_t restartAtUs_ = 0;
  bool disconnected_ = false;
  bool cablePulled_ = false;
  uint64_t cableBytes_ = 0;

  // Bootloader session.
  uint32_t erasedBytes_ = 0;
  bool eraseClosed_ = false;  // an EOT has ended the erase sequence
  uint8_t expectedSeq_ = 1;
  std::vector<uint8_t> image_;

  // Replies on their way to the tool.
  std::deque<std::pair<uint8_t, uint64_t>> output_;
  uint64_t outputFreeUs_ = 0;

  std::vector<TranscriptEntry> transcript_;
  uint64_t lastInputUs_ = 0;
  std::vector<PlcEvent> events_;
};

}  // namespace sim
