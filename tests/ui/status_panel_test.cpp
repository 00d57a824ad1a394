// The status panel painted into a memory bitmap, read back pixel by pixel.
#include "ui/status_panel.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "catalogue/shared_state.h"
#include "tests/ui/canvas.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class StatusPanel : public ::testing::Test {
 protected:
  void SetUp() override { ResetSharedState(); }
  void TearDown() override { ResetSharedState(); }
};

TEST_F(StatusPanel, RedBarEndsWherePercentPutsIt) {
  struct Case {
    int percent;
    int redEnd;  // first x that is not red
  };
  for (const Case c : {Case{0, 10}, Case{1, 15}, Case{50, 265}, Case{99, 514}, Case{100, 520}}) {
    SCOPED_TRACE("progress " + std::to_string(c.percent));
    Canvas canvas;
    progress = c.percent;
    DisplayProgressBar(nullptr, canvas.dc());
    EXPECT_TRUE(canvas.AreaIs(10, 105, c.redEnd, 125, kRed));
    EXPECT_TRUE(canvas.AreaIs(c.redEnd, 105, 520, 125, kWhite));
    // The track is (10, 105)-(520, 125) and nothing beyond it.
    EXPECT_TRUE(canvas.AreaIs(10, 104, 520, 105, Canvas::kUntouched));
    EXPECT_TRUE(canvas.AreaIs(10, 125, 520, 126, Canvas::kUntouched));
    EXPECT_TRUE(canvas.AreaIs(9, 105, 10, 125, Canvas::kUntouched));
    EXPECT_TRUE(canvas.AreaIs(520, 105, 521, 125, Canvas::kUntouched));
  }
}

// Painting a new value over an old one must give exactly the picture of the
// new value alone: every filled area covers the old digits.
TEST_F(StatusPanel, RepaintLeavesNoTraceOfOldValues) {
  struct Case {
    const char* element;
    std::function<void(HWND, HDC)> paint;
    std::function<void()> setOld;
    std::function<void()> setNew;
  };
  const Case cases[] = {
      {"elapsed time", DisplayElapsedTime, [] { elapsedTime = 88888; }, [] { elapsedTime = 5; }},
      {"progress", DisplayProgressBar, [] { progress = 100; }, [] { progress = 7; }},
      {"status", DisplayStatus, [] { flashStatus = 2; }, [] { flashStatus = 0; }},
      {"counters", DisplayErrCounter,
       [] {
         errCounter = 123;
         totalErrCounter = 45678;
       },
       [] {
         errCounter = 0;
         totalErrCounter = 0;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.element);
    Canvas repainted;
    c.setOld();
    c.paint(nullptr, repainted.dc());
    const auto oldPicture = repainted.Pixels();
    c.setNew();
    c.paint(nullptr, repainted.dc());

    Canvas fresh;
    c.paint(nullptr, fresh.dc());
    EXPECT_NE(oldPicture, fresh.Pixels()) << "the two values must look different";
    EXPECT_EQ(repainted.Pixels(), fresh.Pixels());
  }
}

TEST_F(StatusPanel, StateWordOnlyForKnownStates) {
  const COLORREF background = BackgroundColour();
  struct Case {
    int32_t state;
    bool wordDrawn;
  };
  for (const Case c : {Case{0, true}, Case{1, true}, Case{2, true}, Case{3, false}, Case{-1, false}}) {
    SCOPED_TRACE("flashStatus " + std::to_string(c.state));
    Canvas canvas;
    flashStatus = c.state;
    DisplayStatus(nullptr, canvas.dc());
    EXPECT_FALSE(canvas.AreaIs(160, 140, 209, 160, background)) << "\"Status: \" is always drawn";
    EXPECT_EQ(!canvas.AreaIs(209, 140, 300, 160, background), c.wordDrawn);
  }
}

TEST_F(StatusPanel, FilledAreasAreTheirRectanglesOnly) {
  const COLORREF background = BackgroundColour();
  struct Case {
    const char* element;
    void (*paint)(HWND, HDC);
    RECT area;
  };
  const Case cases[] = {
      {"elapsed time", DisplayElapsedTime, {160, 70, 335, 90}},
      {"progress label", DisplayProgressBar, {10, 140, 130, 160}},
      {"status", DisplayStatus, {160, 140, 300, 160}},
      {"counters", DisplayErrCounter, {320, 140, 540, 160}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.element);
    Canvas canvas;
    c.paint(nullptr, canvas.dc());
    const RECT& a = c.area;
    // Corners are clear of text; just outside the area nothing is painted.
    EXPECT_EQ(canvas.Pixel(a.left, a.bottom - 1), background);
    EXPECT_EQ(canvas.Pixel(a.right - 1, a.bottom - 1), background);
    EXPECT_EQ(canvas.Pixel(a.left, a.bottom), Canvas::kUntouched);
    EXPECT_EQ(canvas.Pixel(a.right, a.bottom - 1), Canvas::kUntouched);
    EXPECT_EQ(canvas.Pixel(a.left, a.top - 1), Canvas::kUntouched);
  }
}

TEST_F(StatusPanel, DateIsDrawnOverWhateverIsThere) {
  Canvas canvas;
  DisplayDate(nullptr, canvas.dc());
  // Transparent text on no fill: the text's own cells keep the old colour
  // between the glyphs, and the text is there.
  EXPECT_EQ(canvas.Pixel(300, 25), Canvas::kUntouched);
  EXPECT_FALSE(canvas.AreaIs(300, 25, 420, 45, Canvas::kUntouched));
  // Drawn again and again on itself, it stays within its glyphs (smoothed
  // edges may darken, nothing spreads).
  const auto once = canvas.Pixels();
  for (int i = 0; i < 50; ++i) DisplayDate(nullptr, canvas.dc());
  const auto many = canvas.Pixels();
  const uint32_t untouched = once[0];
  for (size_t i = 0; i < once.size(); ++i) {
    if (once[i] == untouched) {
      ASSERT_EQ(many[i], untouched) << "pixel " << i % Canvas::kWidth << "," << i / Canvas::kWidth;
    }
  }
}

TEST_F(StatusPanel, LogoIs87By28AtItsCorner) {
  Canvas canvas;
  DisplayLogo(nullptr, canvas.dc());
  EXPECT_NE(canvas.Pixel(435, 15), Canvas::kUntouched);
  EXPECT_NE(canvas.Pixel(435 + kLogoWidth - 1, 15 + kLogoHeight - 1), Canvas::kUntouched);
  EXPECT_TRUE(canvas.AreaIs(434, 15, 435, 15 + kLogoHeight, Canvas::kUntouched));
  EXPECT_TRUE(canvas.AreaIs(435 + kLogoWidth, 15, 436 + kLogoWidth, 15 + kLogoHeight, Canvas::kUntouched));
  EXPECT_TRUE(canvas.AreaIs(435, 15 + kLogoHeight, 435 + kLogoWidth, 16 + kLogoHeight, Canvas::kUntouched));
}

}  // namespace
