#pragma once
// The largest image each model accepts, and the smallest a sector model can
// take: sector models keep their last 4096 bytes, so a shorter image would
// leave nothing to erase or send and the block count would run below zero.

#include <cstdint>

struct ImageLimit {
  uint32_t maxLength;
  const char* tooLargeMessage;
};

// The first group of the limit table that holds `modelName`.
ImageLimit ImageLimitFor(const char* modelName);

// 4096 for a sector model, 0 for every other.
uint32_t ImageMinimumFor(const char* modelName);

// The message that refuses an image of `length` bytes for `modelName`, or null
// when the model takes it.
const char* ImageSizeRefusal(const char* modelName, uint32_t length);
