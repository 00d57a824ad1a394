#pragma once
// A link that writes every byte sent and received, with the time since the
// transcript began, to a file; for --transcript. Lines look like
//   12.345678 TX 02 01 FE ...
//   12.346012 RX 06
// with OPEN, CLOSE, SET and TIMEOUTS lines for what the worker did to the link.

#include <chrono>
#include <cstdio>

#include "link/link.h"

class Transcript {
 public:
  explicit Transcript(std::FILE* file) : file_(file), start_(std::chrono::steady_clock::now()) {}
  void Bytes(const char* direction, const uint8_t* data, uint32_t count);
  void Event(const char* what, const char* detail);

 private:
  void Stamp();
  std::FILE* file_;
  std::chrono::steady_clock::time_point start_;
};

class RecordingLink final : public Link {
 public:
  RecordingLink(Link* inner, Transcript* transcript) : inner_(inner), transcript_(transcript) {}
  Link* inner() const { return inner_; }

  uint32_t Write(const uint8_t* data, uint32_t count) override;
  uint32_t Read(uint8_t* buffer, uint32_t count) override;
  void SetTimeouts(const LinkTimeouts& timeouts) override;
  void ApplyLineSettings(LineSettings settings) override;

 private:
  Link* inner_;
  Transcript* transcript_;
};
