#pragma once
// A 544x205 32-bit memory bitmap the size of the main window, selected into a
// memory DC, so the panel can be painted and read back pixel by pixel.

#include <windows.h>

#include <cstdint>
#include <vector>

class Canvas {
 public:
  static constexpr int kWidth = 544;
  static constexpr int kHeight = 205;
  // A colour the panel never paints, to tell painted from untouched pixels.
  static constexpr COLORREF kUntouched = RGB(0, 128, 0);

  Canvas();
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  COLORREF Pixel(int x, int y) const;
  std::vector<uint32_t> Pixels() const;
  // True when every pixel of [left, right) x [top, bottom) has `colour`.
  bool AreaIs(int left, int top, int right, int bottom, COLORREF colour) const;

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
};

// The panel's background: system colour 0, as GDI puts it into the bitmap.
COLORREF BackgroundColour();
