#include "update/native_image.h"

#include <cstdint>

// The image file, assembled into read-only data as it is.
asm(".section .rodata\n"
    ".balign 16\n"
    ".globl plcburn_image_begin\n"
    ".hidden plcburn_image_begin\n"
    "plcburn_image_begin:\n"
    ".incbin \"" PLCBURN_IMAGE_PATH "\"\n"
    ".globl plcburn_image_end\n"
    ".hidden plcburn_image_end\n"
    "plcburn_image_end:\n"
    ".previous\n");

extern "C" const uint8_t plcburn_image_begin[];
extern "C" const uint8_t plcburn_image_end[];

namespace {

class LinkedImage final : public BuiltInImage {
 public:
  bool Load(ImageBytes* out) override {
    out->data = plcburn_image_begin;
    out->length = static_cast<uint32_t>(plcburn_image_end - plcburn_image_begin);
    return true;
  }
  // The bytes belong to the program; there is nothing to free.
  void Release() override {}
  const char* FileName() const override { return PLCBURN_IMAGE_NAME; }
};

}  // namespace

BuiltInImage& NativeBuiltInImage() {
  static LinkedImage image;
  return image;
}
