#include "sim/fault_plan.h"

#include <cstdlib>
#include <random>
#include <sstream>

namespace sim {

namespace {

struct RequestNameEntry {
  Request request;
  const char* name;
};
constexpr RequestNameEntry kRequestNames[] = {
    {Request::Probe, "probe"},
    {Request::Handshake, "handshake"},
    {Request::IdQuery, "id"},
    {Request::ReadD1386, "d1386"},
    {Request::ReadD1001, "d1001"},
    {Request::ReadD1148, "d1148"},
    {Request::VersionQuery, "version"},
    {Request::EraseRequest, "erase"},
    {Request::FollowUp, "followup"},
    {Request::BootHandshake, "boot-handshake"},
    {Request::BootId, "boot-id"},
    {Request::BootVersion, "boot-version"},
    {Request::BootErase, "boot-erase"},
    {Request::BootEraseEot, "boot-erase-eot"},
    {Request::BootUpdate, "boot-update"},
    {Request::Block, "block"},
    {Request::FinalEot, "final-eot"},
    {Request::Any, "any"},
};

struct KindNameEntry {
  FaultKind kind;
  const char* name;
};
constexpr KindNameEntry kKindNames[] = {
    {FaultKind::NoReply, "noreply"},     {FaultKind::LostReply, "lostreply"},
    {FaultKind::Refusal, "refusal"},     {FaultKind::WrongId, "wrongid"},
    {FaultKind::BadLrc, "badlrc"},       {FaultKind::LowerCaseHex, "lowercase"},
    {FaultKind::Garbage, "garbage"},     {FaultKind::ShortReply, "short"},
    {FaultKind::LateReply, "late"},      {FaultKind::FlashWriteError, "flasherror"},
    {FaultKind::PullCable, "pull"},
};

std::optional<uint32_t> ParseNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 0);
  if (end == nullptr || *end != '\0' || value > 0xFFFFFFFFul) return std::nullopt;
  return static_cast<uint32_t>(value);
}

}  // namespace

bool Fault::Hits(Request r, uint32_t attemptNo, uint32_t indexNo) const {
  if (kind == FaultKind::PullCable) return false;
  if (request != Request::Any && request != r) return false;
  if ((r == Request::Block || r == Request::BootErase) && request != Request::Any &&
      indexNo != index) {
    return false;
  }
  return attemptNo >= attempt && attemptNo - attempt < attempts;
}

const Fault* FaultPlan::Find(Request r, uint32_t attemptNo, uint32_t indexNo) const {
  for (const Fault& f : faults) {
    if (f.Hits(r, attemptNo, indexNo)) return &f;
  }
  return nullptr;
}

std::optional<uint32_t> FaultPlan::CablePullAfter() const {
  std::optional<uint32_t> after;
  for (const Fault& f : faults) {
    if (f.kind == FaultKind::PullCable && (!after || f.afterBytes < *after)) after = f.afterBytes;
  }
  return after;
}

FaultPlan RandomFaultPlan(uint64_t seed, const RandomFaultOptions& options) {
  std::mt19937_64 random(seed);
  auto below = [&random](uint32_t n) {
    return n == 0 ? 0u : static_cast<uint32_t>(random() % n);
  };
  static constexpr Request kRequests[] = {
      Request::Handshake,    Request::IdQuery,      Request::ReadD1386,   Request::ReadD1001,
      Request::ReadD1148,    Request::VersionQuery, Request::EraseRequest, Request::FollowUp,
      Request::BootHandshake, Request::BootId,      Request::BootVersion, Request::BootErase,
      Request::BootEraseEot, Request::BootUpdate,   Request::Block,       Request::FinalEot,
  };
  static constexpr FaultKind kKinds[] = {
      FaultKind::NoReply,      FaultKind::LostReply, FaultKind::Refusal,   FaultKind::WrongId,
      FaultKind::BadLrc,       FaultKind::LowerCaseHex, FaultKind::Garbage, FaultKind::ShortReply,
      FaultKind::LateReply,    FaultKind::FlashWriteError,
  };
  FaultPlan plan;
  const uint32_t count = below(options.maxFaults + 1);
  for (uint32_t i = 0; i < count; ++i) {
    Fault f;
    f.request = kRequests[below(std::size(kRequests))];
    f.kind = kKinds[below(std::size(kKinds))];
    f.attempt = below(options.maxAttempt);
    f.attempts = 1 + below(options.maxAttempts);
    if (f.request == Request::Block) f.index = below(options.blocks);
    if (f.request == Request::BootErase) f.index = below(options.erases);
    f.byte5 = static_cast<uint8_t>(below(4));
    f.byte6 = static_cast<uint8_t>(below(6));
    f.id = static_cast<uint16_t>(random());
    f.length = below(19);
    f.delayMs = 3001 + below(3000);
    plan.faults.push_back(f);
  }
  if (options.allowPullCable && below(4) == 0) {
    Fault pull;
    pull.kind = FaultKind::PullCable;
    pull.afterBytes = below(options.maxPullAfter);
    plan.faults.push_back(pull);
  }
  return plan;
}

const char* RequestName(Request r) {
  for (const auto& e : kRequestNames) {
    if (e.request == r) return e.name;
  }
  return "?";
}

const char* FaultKindName(FaultKind k) {
  for (const auto& e : kKindNames) {
    if (e.kind == k) return e.name;
  }
  return "?";
}

std::optional<Request> RequestFromName(const std::string& name) {
  for (const auto& e : kRequestNames) {
    if (name == e.name) return e.request;
  }
  return std::nullopt;
}

std::optional<FaultKind> FaultKindFromName(const std::string& name) {
  for (const auto& e : kKindNames) {
    if (name == e.name) return e.kind;
  }
  return std::nullopt;
}

std::optional<Fault> ParseFault(const std::string& text) {
  Fault f;
  bool haveKind = false;
  std::stringstream items(text);
  std::string item;
  while (std::getline(items, item, ',')) {
    const size_t eq = item.find('=');
    if (eq == std::string::npos) return std::nullopt;
    const std::string key = item.substr(0, eq);
    const std::string value = item.substr(eq + 1);
    if (key == "kind") {
      const auto k = FaultKindFromName(value);
      if (!k) return std::nullopt;
      f.kind = *k;
      haveKind = true;
      continue;
    }
    if (key == "req") {
      const auto r = RequestFromName(value);
      if (!r) return std::nullopt;
      f.request = *r;
      continue;
    }
    const auto n = ParseNumber(value);
    if (!n) return std::nullopt;
    if (key == "attempt") {
      f.attempt = *n;
    } else if (key == "count") {
      f.attempts = *n;
    } else if (key == "index") {
      f.index = *n;
    } else if (key == "b5" && *n <= 0xFF) {
      f.byte5 = static_cast<uint8_t>(*n);
    } else if (key == "b6" && *n <= 0xFF) {
      f.byte6 = static_cast<uint8_t>(*n);
    } else if (key == "id" && *n <= 0xFFFF) {
      f.id = static_cast<uint16_t>(*n);
    } else if (key == "length") {
      f.length = *n;
    } else if (key == "delay") {
      f.delayMs = *n;
    } else if (key == "after") {
      f.afterBytes = *n;
    } else {
      return std::nullopt;
    }
  }
  if (!haveKind) return std::nullopt;
  return f;
}

std::string DescribeFault(const Fault& f) {
  std::ostringstream out;
  out << "kind=" << FaultKindName(f.kind) << ",req=" << RequestName(f.request)
      << ",attempt=" << f.attempt << ",count=" << f.attempts << ",index=" << f.index
      << ",b5=" << unsigned{f.byte5} << ",b6=" << unsigned{f.byte6} << ",id=" << f.id
      << ",length=" << f.length << ",delay=" << f.delayMs << ",after=" << f.afterBytes;
  return out.str();
}

}  // namespace sim
