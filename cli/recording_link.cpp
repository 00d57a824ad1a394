#include "cli/recording_link.h"

#include <string>

void Transcript::Stamp() {
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                      std::chrono::steady_clock::now() - start_)
                      .count();
  std::fprintf(file_, "%lld.%06lld ", static_cast<long long>(us / 1000000),
               static_cast<long long>(us % 1000000));
}

void Transcript::Bytes(const char* direction, const uint8_t* data, uint32_t count) {
  Stamp();
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string line(direction);
  line.reserve(3 + 3 * size_t{count} + 1);
  for (uint32_t i = 0; i < count; ++i) {
    line += ' ';
    line += kHex[data[i] >> 4];
    line += kHex[data[i] & 0x0F];
  }
  line += '\n';
  std::fputs(line.c_str(), file_);
}

void Transcript::Event(const char* what, const char* detail) {
  Stamp();
  std::fprintf(file_, "%s %s\n", what, detail);
  std::fflush(file_);
}

uint32_t RecordingLink::Write(const uint8_t* data, uint32_t count) {
  const uint32_t written = inner_->Write(data, count);
  transcript_->Bytes("TX", data, written);
  if (written != count) {
    transcript_->Event("SHORT-WRITE", (std::to_string(written) + "/" + std::to_string(count)).c_str());
  }
  return written;
}

uint32_t RecordingLink::Read(uint8_t* buffer, uint32_t count) {
  const uint32_t got = inner_->Read(buffer, count);
  transcript_->Bytes("RX", buffer, got);
  return got;
}

void RecordingLink::SetTimeouts(const LinkTimeouts& timeouts) {
  inner_->SetTimeouts(timeouts);
  transcript_->Event("TIMEOUTS", (std::to_string(timeouts.readConstant) + " ms").c_str());
}

void RecordingLink::ApplyLineSettings(LineSettings settings) {
  inner_->ApplyLineSettings(settings);
  transcript_->Event("SET", settings == LineSettings::Slow ? "9600 7E1" : "115200 8N1");
}
