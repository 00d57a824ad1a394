#include "ui/win32_image.h"

bool Win32ResourceImage::Load(ImageBytes* out) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(kImageResource), "BIN");
  if (found == nullptr) return false;
  loaded_ = LoadResource(nullptr, found);
  if (loaded_ == nullptr) return false;
  out->data = static_cast<const uint8_t*>(LockResource(loaded_));
  out->length = SizeofResource(nullptr, found);
  return out->data != nullptr;
}

void Win32ResourceImage::Release() {
  if (loaded_ != nullptr) FreeResource(loaded_);
  loaded_ = nullptr;
}
