// The model preset from the built-in image's file name.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"
#include "update/preset.h"

namespace {

class Preset : public ::testing::Test {
 protected:
  void SetUp() override { ResetSharedState(); }
  void ExpectSelected(const char* model) {
    EXPECT_STREQ(selectedPLC, model);
    EXPECT_STREQ(SelectedModelName(), model);
    ModelEntry row = CatalogueRow(selectedPLCIdx);
    EXPECT_EQ(selectedPLCID.Load(), row.id);
  }
};

TEST_F(Preset, TheDeliveredImageNamePresetsKq200) {
  EXPECT_TRUE(PresetModelFromImageName("KQ200_v1.12.10_20220613_01.bin", "30PN7-AIO"));
  ExpectSelected("KQ200");
}

// Longer than the 31-byte start-up buffer: the model still comes from the prefix.
TEST_F(Preset, ALongFileNameStillPresetsItsModel) {
  const char* name = "PM7-PN7-V2_v1.00.00_20221211_01.bin";
  ASSERT_GT(std::strlen(name), 31u);
  EXPECT_TRUE(PresetModelFromImageName(name, "30PN7-AIO"));
  ExpectSelected("PM7-PN7-V2");
}

TEST_F(Preset, AVeryLongNameNeverOverflowsTheModelName) {
  const std::string name = std::string(300, 'K') + "_v1.bin";
  selectedPLC[kModelNameSlot - 1] = '\0';
  EXPECT_FALSE(PresetModelFromImageName(name.c_str(), "RU7"));
  ExpectSelected("RU7");
}

TEST_F(Preset, ThePrefixIsTheTextBeforeTheFirstUnderscore) {
  EXPECT_TRUE(PresetModelFromImageName("KQ200-AIO_v2_x.bin", "RU7"));
  ExpectSelected("KQ200-AIO");
}

// Neither a name without '_' nor an unknown prefix names a model; the first
// entry of the sorted list is taken instead.
TEST_F(Preset, UnknownNamesFallBackToTheFirstListEntry) {
  for (const char* name : {"KQ200.bin", "KQ999_v1.bin", "_KQ200.bin", "", "KQ20_v1.bin"}) {
    ResetSharedState();
    EXPECT_FALSE(PresetModelFromImageName(name, "RU7")) << name;
    ExpectSelected("RU7");
  }
  ResetSharedState();
  EXPECT_FALSE(PresetModelFromImageName(nullptr, nullptr));
  ExpectSelected("30PN7-AIO");  // first in a case-blind alphabetical list
}

// The list finds an entry without regard to case; the row then follows the
// entry's spelling, so the list, the name and the row agree.
TEST_F(Preset, ALowerCasePrefixSelectsTheListedModel) {
  EXPECT_TRUE(PresetModelFromImageName("kq200_v1.bin", "RU7"));
  ExpectSelected("KQ200");
}

}  // namespace
