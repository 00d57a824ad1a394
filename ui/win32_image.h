#pragma once
// The firmware image carried by the program as resource "BIN" 8.

#include <windows.h>

#include "update/builtin_image.h"

inline constexpr int kImageResource = 8;

class Win32ResourceImage final : public BuiltInImage {
 public:
  explicit Win32ResourceImage(const char* fileName) : fileName_(fileName) {}

  bool Load(ImageBytes* out) override;
  void Release() override;
  const char* FileName() const override { return fileName_; }

 private:
  const char* fileName_;
  HGLOBAL loaded_ = nullptr;
};
