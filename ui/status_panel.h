#pragma once
// The status panel painted on the main window's client area from the shared
// counters. Each call paints one element and keeps no GDI object.

#include <windows.h>

void DisplayElapsedTime(HWND window, HDC dc);
void DisplayProgressBar(HWND window, HDC dc);
void DisplayStatus(HWND window, HDC dc);
void DisplayErrCounter(HWND window, HDC dc);
void DisplayDate(HWND window, HDC dc);
void DisplayLogo(HWND window, HDC dc);

// The five elements a paint request repaints, in their order (no logo).
void DisplayPanel(HWND window, HDC dc);

// Bitmap resource of the logo and its drawn size.
inline constexpr int kLogoResource = 12;
inline constexpr int kLogoWidth = 87;
inline constexpr int kLogoHeight = 28;
