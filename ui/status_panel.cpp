#include "ui/status_panel.h"

#include <cstdio>
#include <cstring>

#include "catalogue/shared_state.h"

namespace {

// The class background: system colour 0. The brush is the system's, never deleted.
HBRUSH BackgroundBrush() { return GetSysColorBrush(COLOR_SCROLLBAR); }

void Fill(HDC dc, LONG left, LONG top, LONG right, LONG bottom, HBRUSH brush) {
  const RECT area{left, top, right, bottom};
  FillRect(dc, &area, brush);
}

void Text(HDC dc, int x, int y, const char* text) {
  TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
}

}  // namespace

void DisplayElapsedTime(HWND, HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  Fill(dc, 160, 70, 335, 90, BackgroundBrush());
  char number[16];
  std::snprintf(number, sizeof number, "%3d%c", elapsedTime.Load(), 0);
  Text(dc, 160, 70, "Elapsed Time:              sec");
  Text(dc, 270, 70, number);
}

void DisplayProgressBar(HWND, HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  Fill(dc, 10, 105, 520, 125, white);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  const LONG right = 10 + (510 * progress.Load()) / 100;
  Fill(dc, 10, 105, right, 125, red);
  Fill(dc, 10, 140, 130, 160, BackgroundBrush());
  char label[32];
  std::snprintf(label, sizeof label, "Progress:            %c%c", '%', 0);
  char number[16];
  std::snprintf(number, sizeof number, "%3d%c", progress.Load(), 0);
  Text(dc, 10, 140, label);
  Text(dc, 85, 140, number);
  DeleteObject(white);
  DeleteObject(red);
}

void DisplayStatus(HWND, HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  Fill(dc, 160, 140, 300, 160, BackgroundBrush());
  Text(dc, 160, 140, "Status: ");
  static const char* const kStateWords[] = {"Idle", "Erasing", "Programming"};
  const int32_t state = flashStatus.Load();
  if (state >= 0 && state <= 2) Text(dc, 209, 140, kStateWords[state]);
}

void DisplayErrCounter(HWND, HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  Fill(dc, 320, 140, 540, 160, BackgroundBrush());
  char text[64];
  std::snprintf(text, sizeof text, "# of Error/Total Error: %d/%d%c", errCounter.Load(),
                totalErrCounter.Load(), 0);
  Text(dc, 320, 140, text);
}

void DisplayDate(HWND, HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  Text(dc, 300, 25, "Date: 2022/06/13");
}

void DisplayLogo(HWND, HDC dc) {
  // Loaded and released on every call, so repainting holds nothing.
  auto* logo = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kLogoResource),
                                               IMAGE_BITMAP, kLogoWidth, kLogoHeight, LR_DEFAULTCOLOR));
  if (logo == nullptr) return;
  HDC memory = CreateCompatibleDC(dc);
  SelectObject(memory, logo);
  BITMAP info{};
  GetObjectA(logo, sizeof info, &info);
  BitBlt(dc, 435, 15, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
  // Deleting the memory DC first frees the bitmap from it, so the bitmap can go too.
  DeleteDC(memory);
  DeleteObject(logo);
}

void DisplayPanel(HWND window, HDC dc) {
  DisplayElapsedTime(window, dc);
  DisplayProgressBar(window, dc);
  DisplayStatus(window, dc);
  DisplayErrCounter(window, dc);
  DisplayDate(window, dc);
}
