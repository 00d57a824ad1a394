#include "tests/ui/canvas.h"

Canvas::Canvas() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;  // top-down: row 0 is y = 0
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<uint32_t*>(bits);
  previous_ = SelectObject(dc_, bitmap_);
  HBRUSH untouched = CreateSolidBrush(kUntouched);
  const RECT all{0, 0, kWidth, kHeight};
  FillRect(dc_, &all, untouched);
  DeleteObject(untouched);
  GdiFlush();
}

Canvas::~Canvas() {
  SelectObject(dc_, previous_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

COLORREF Canvas::Pixel(int x, int y) const {
  GdiFlush();
  const uint32_t bgra = bits_[y * kWidth + x];
  return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

std::vector<uint32_t> Canvas::Pixels() const {
  GdiFlush();
  return std::vector<uint32_t>(bits_, bits_ + kWidth * kHeight);
}

bool Canvas::AreaIs(int left, int top, int right, int bottom, COLORREF colour) const {
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (Pixel(x, y) != colour) return false;
    }
  }
  return true;
}

COLORREF BackgroundColour() {
  // Through a fill, so that any rounding to the bitmap's format is the same.
  Canvas probe;
  const RECT one{0, 0, 1, 1};
  FillRect(probe.dc(), &one, GetSysColorBrush(COLOR_SCROLLBAR));
  return probe.Pixel(0, 0);
}
