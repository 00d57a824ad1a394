// The image linked into the native build is the image file, byte for byte.

#include <gtest/gtest.h>

#if defined(PLCBURN_NATIVE_IMAGE)
#include <fstream>
#include <iterator>
#include <vector>

#include "update/native_image.h"
#include "update/preset.h"
#include "catalogue/shared_state.h"

TEST(NativeImage, HoldsTheImageFileAndItsName) {
  std::ifstream file(PLCBURN_IMAGE_FILE, std::ios::binary);
  ASSERT_TRUE(file) << PLCBURN_IMAGE_FILE;
  const std::vector<uint8_t> expected((std::istreambuf_iterator<char>(file)),
                                      std::istreambuf_iterator<char>());
  ImageBytes bytes;
  BuiltInImage& image = NativeBuiltInImage();
  ASSERT_TRUE(image.Load(&bytes));
  ASSERT_EQ(bytes.length, uint32_t{PLCBURN_IMAGE_LENGTH});
  ASSERT_EQ(bytes.length, expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.data));
  EXPECT_STREQ(image.FileName(), PLCBURN_IMAGE_NAME);
  image.Release();

  ResetSharedState();
  EXPECT_TRUE(PresetModelFromImageName(image.FileName(), nullptr));
}
#endif
