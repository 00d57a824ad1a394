#pragma once
// An image held in memory, counting how often the worker loads and releases it.

#include <cstdint>
#include <string>
#include <vector>

#include "update/builtin_image.h"

class TestImage final : public BuiltInImage {
 public:
  explicit TestImage(std::vector<uint8_t> bytes, std::string name = "TEST_image.bin")
      : bytes_(std::move(bytes)), name_(std::move(name)) {}

  bool Load(ImageBytes* out) override {
    ++loads;
    if (missing) return false;
    out->data = bytes_.data();
    out->length = static_cast<uint32_t>(bytes_.size());
    return true;
  }
  void Release() override { ++releases; }
  const char* FileName() const override { return name_.c_str(); }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }

  bool missing = false;
  int loads = 0;
  int releases = 0;

 private:
  std::vector<uint8_t> bytes_;
  std::string name_;
};

// Pseudo-random bytes, so that a lost or repeated block shows in what the PLC holds.
inline std::vector<uint8_t> PatternImage(uint32_t length, uint32_t seed = 0x5EED) {
  std::vector<uint8_t> bytes(length);
  uint32_t x = seed | 1u;
  for (auto& b : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<uint8_t>(x >> 24);
  }
  return bytes;
}
