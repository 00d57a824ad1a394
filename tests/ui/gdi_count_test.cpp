// Painting holds no GDI object: thousands of repaints leave the process's
// GDI object count where it was.
#include <gtest/gtest.h>

#include <cstdio>

#include "catalogue/shared_state.h"
#include "tests/ui/canvas.h"
#include "tests/ui/gdi_objects.h"
#include "ui/status_panel.h"

namespace {

TEST(PanelGdiObjects, CountSeesObjectsComeAndGo) {
  const GdiObjectCount before = CountGdiObjects();
  if (before.count < 0) GTEST_SKIP() << "no GDI object count on this platform";
  HBRUSH brushes[10];
  for (auto& brush : brushes) brush = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(CountGdiObjects().count, before.count + 10) << before.source;
  for (auto& brush : brushes) DeleteObject(brush);
  EXPECT_EQ(CountGdiObjects().count, before.count) << before.source;
}

TEST(PanelGdiObjects, RepaintingHoldsNothing) {
  ResetSharedState();
  Canvas canvas;
  const auto paintAll = [&canvas](int round) {
    elapsedTime = round;
    progress = round % 101;
    flashStatus = round % 4;
    errCounter = round % 7;
    totalErrCounter = round;
    DisplayPanel(nullptr, canvas.dc());
    DisplayLogo(nullptr, canvas.dc());
  };
  paintAll(0);  // first-use allocations of the system (fonts, stock objects)
  const GdiObjectCount before = CountGdiObjects();
  if (before.count < 0) GTEST_SKIP() << "no GDI object count on this platform";
  constexpr int kRounds = 5000;
  for (int round = 1; round <= kRounds; ++round) paintAll(round);
  const GdiObjectCount after = CountGdiObjects();
  std::printf("GDI objects (%s): %ld before, %ld after %d repaints\n", before.source.c_str(), before.count,
              after.count, kRounds);
  EXPECT_EQ(after.count, before.count);
  ResetSharedState();
}

}  // namespace
