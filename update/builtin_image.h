#pragma once
// The built-in image seam: the firmware image carried by the program.
// Win32: resource "BIN" 8. Native: bytes linked into the binary.

#include <cstdint>

struct ImageBytes {
  const uint8_t* data = nullptr;
  uint32_t length = 0;
};

class BuiltInImage {
 public:
  virtual ~BuiltInImage() = default;
  // False when the program carries no image.
  virtual bool Load(ImageBytes* out) = 0;
  virtual void Release() = 0;
  // The image's file name, e.g. "KQ200_v1.12.10_20220613_01.bin"; presets the model.
  virtual const char* FileName() const = 0;
};
