// The ends of a run before anything is exchanged: a missing image, an image the
// model cannot take, a link that cannot be opened.

#include <gtest/gtest.h>

#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"
#include "recording_operator.h"
#include "test_image.h"
#include "update/worker.h"

namespace {

// Opens nothing; counts what the worker asked for.
class UnreachableLinks final : public LinkProvider {
 public:
  Link* OpenCom(const char* name) override {
    comOpens.emplace_back(name);
    return nullptr;
  }
  Link* OpenUsb(const char*) override {
    ++usbOpens;
    return nullptr;
  }
  void Close(Link*) override { ++closes; }
  std::vector<std::string> comOpens;
  int usbOpens = 0;
  int closes = 0;
};

class EarlyExit : public ::testing::Test {
 protected:
  void SetUp() override { ResetSharedState(); }

  void Select(const char* model, const char* port = "COM1") {
    SelectModelByName(model);
    selectedComPort.Set(port);
  }

  // Runs one update of `length` bytes and checks what every early end shares.
  OperatorEvent Run(uint32_t length, bool missing = false) {
    TestImage image(PatternImage(length));
    image.missing = missing;
    elapsedTime = 7;  // the window's count so far
    ParamStruct param{&ui, &links, &image};
    EXPECT_EQ(StartBurn(&param), 0u);

    EXPECT_EQ(image.releases, 1);
    EXPECT_TRUE(ui.startEnabled);
    EXPECT_EQ(links.closes, 0);
    EXPECT_EQ(elapsedTime.Load(), 0);
    EXPECT_EQ(flashStatus.Load(), 0);
    EXPECT_EQ(progress.Load(), 0);
    EXPECT_EQ(errCounter.Load(), 0);
    EXPECT_EQ(totalErrCounter.Load(), 0);
    // Button off first, then the timer stops, the message shows, the button is back.
    EXPECT_EQ(ui.events.size(), 4u);
    if (ui.events.size() == 4u) {
      EXPECT_EQ(ui.events[0].kind, OperatorEvent::EnableStart);
      EXPECT_EQ(ui.events[0].value, 0u);
      EXPECT_EQ(ui.events[1].kind, OperatorEvent::StopTimer);
      EXPECT_EQ(ui.events[2].kind, OperatorEvent::Message);
      EXPECT_EQ(ui.events[3].kind, OperatorEvent::EnableStart);
    }
    const OperatorEvent final = ui.FinalMessage();
    EXPECT_EQ(final.caption, "ERROR");
    EXPECT_EQ(final.icon, MessageIcon::Error);
    return final;
  }

  int OpenAttempts() const { return links.usbOpens + static_cast<int>(links.comOpens.size()); }

  RecordingOperator ui;
  UnreachableLinks links;
};

struct LimitCase {
  const char* model;
  uint32_t limit;
  const char* message;
};

std::string LimitCaseName(const ::testing::TestParamInfo<LimitCase>& param) {
  std::string name = param.param.model;
  for (char& ch : name) {
    if (ch == '-') ch = '_';
  }
  return name;
}

class ImageLimit : public EarlyExit, public ::testing::WithParamInterface<LimitCase> {};

// At the limit the worker goes on to open the link (which fails here); one
// byte more and it refuses with the group's text, opening nothing.
TEST_P(ImageLimit, AcceptsTheLimitAndRefusesOneByteMore) {
  const LimitCase& c = GetParam();
  Select(c.model);
  const std::string linkFailure =
      IsUsbModel(c.model) ? "CANNOT open USB Port!!!" : "CANNOT open COM1 Port!!!";
  EXPECT_EQ(Run(c.limit).text, linkFailure);
  EXPECT_EQ(OpenAttempts(), 1);

  ui = RecordingOperator{};
  links = UnreachableLinks{};
  EXPECT_EQ(Run(c.limit + 1).text, c.message);
  EXPECT_EQ(OpenAttempts(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryGroup, ImageLimit,
    ::testing::Values(
        LimitCase{"PM7-D-V2", 524288, "The file size EXCEEDS the MAXIMUM size (128 * 1024 * 4)"},
        LimitCase{"PM7-D-V4", 524288, "The file size EXCEEDS the MAXIMUM size (128 * 1024 * 4)"},
        LimitCase{"PN7-MOB", 524288, "The file size EXCEEDS the MAXIMUM size (128 * 1024 * 4)"},
        LimitCase{"RC28", 524288, "The file size EXCEEDS the MAXIMUM size (128 * 1024 * 4)"},
        LimitCase{"PM7-F", 917504, "The file size EXCEEDS the MAXIMUM size (128 * 1024 * 7)"},
        LimitCase{"TK26", 917504, "The file size EXCEEDS the MAXIMUM size (128 * 1024 * 7)"},
        LimitCase{"30PN7-AIO", 12288, "The file size EXCEEDS the MAXIMUM size (4 * 1024)"},
        LimitCase{"KQ200-AIO", 40960, "The file size EXCEEDS the MAXIMUM size (40 * 1024)"},
        LimitCase{"PN8-AIO", 40960, "The file size EXCEEDS the MAXIMUM size (40 * 1024)"},
        LimitCase{"RV8-AIO", 40960, "The file size EXCEEDS the MAXIMUM size (40 * 1024)"},
        LimitCase{"KQ200", 2076672, "The file size EXCEEDS the MAXIMUM size (2028 * 1024)"},
        LimitCase{"RW8RV8", 2076672, "The file size EXCEEDS the MAXIMUM size (2028 * 1024)"},
        LimitCase{"RU7", 493568, "The file size EXCEEDS the MAXIMUM size (2 * 1024 * 240)"},
        LimitCase{"TK", 493568, "The file size EXCEEDS the MAXIMUM size (2 * 1024 * 240)"},
        LimitCase{"TK-G", 493568, "The file size EXCEEDS the MAXIMUM size (2 * 1024 * 240)"},
        LimitCase{"RC7", 493568, "The file size EXCEEDS the MAXIMUM size (2 * 1024 * 240)"}),
    LimitCaseName);

// A sector model keeps its last 4096 bytes: a shorter image would leave a
// negative block count, so it is refused before the link is opened.
TEST_F(EarlyExit, SectorModelRefusesAnImageShorterThanOneSector) {
  Select("KQ300");
  EXPECT_EQ(Run(4095).text, "The file size is BELOW the MINIMUM size (4 * 1024)");
  EXPECT_EQ(OpenAttempts(), 0);
  ui = RecordingOperator{};
  EXPECT_EQ(Run(4096).text, "CANNOT open USB Port!!!");
}

TEST_F(EarlyExit, OtherModelsTakeShortImages) {
  Select("KQ200-AIO");
  EXPECT_EQ(Run(1).text, "CANNOT open USB Port!!!");
}

TEST_F(EarlyExit, MissingImageEndsLikeATooLargeOne) {
  Select("KQ200");
  EXPECT_EQ(Run(0, /*missing=*/true).text, "The firmware image is MISSING");
  EXPECT_EQ(OpenAttempts(), 0);
}

TEST_F(EarlyExit, NoImageAtAllIsMissingToo) {
  Select("KQ200");
  ParamStruct param{&ui, &links, nullptr};
  EXPECT_EQ(StartBurn(&param), 0u);
  EXPECT_EQ(ui.FinalMessage().text, "The firmware image is MISSING");
  EXPECT_TRUE(ui.startEnabled);
}

struct PortCase {
  const char* model;
  const char* port;
  const char* text;
};

class LinkFailure : public EarlyExit, public ::testing::WithParamInterface<PortCase> {};

TEST_P(LinkFailure, NamesThePortItCouldNotOpen) {
  Select(GetParam().model, GetParam().port);
  EXPECT_EQ(Run(1024).text, GetParam().text);
  if (IsUsbModel(GetParam().model)) {
    EXPECT_EQ(links.usbOpens, 1);
    EXPECT_TRUE(links.comOpens.empty());
  } else {
    ASSERT_EQ(links.comOpens.size(), 1u);
    EXPECT_EQ(links.comOpens[0], GetParam().port);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ports, LinkFailure,
    ::testing::Values(PortCase{"TK", "COM3", "CANNOT open USB Port!!!"},
                      PortCase{"RU7", "COM3", "CANNOT open COM3 Port!!!"},
                      PortCase{"RU7", "", "CANNOT open  Port!!!"},  // empty port list
                      PortCase{"PM7-PN7-V2", "COM123456", "CANNOT open COM123456 Port!!!"}));

}  // namespace
