// The program's resources as Windows finds them: icon 1, logo bitmap 12 and
// the built-in image "BIN" 8, linked into this test exactly as into PlcBurn.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

TEST(WindowsResources, IconIsOne128By128TrueColourImage) {
  HRSRC group = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  ASSERT_NE(group, nullptr);
  ASSERT_GE(SizeofResource(nullptr, group), 6u + 14u);
  const auto* dir = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, group)));
  uint16_t count;
  std::memcpy(&count, dir + 4, sizeof count);
  EXPECT_EQ(count, 1);
  uint16_t bitCount;
  std::memcpy(&bitCount, dir + 6 + 6, sizeof bitCount);
  EXPECT_EQ(dir[6], 128);
  EXPECT_EQ(dir[7], 128);
  EXPECT_EQ(bitCount, 24);

  HICON icon = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, 128, 128, 0));
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP colour{};
  GetObjectA(info.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, 128);
  EXPECT_EQ(colour.bmHeight, 128);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
}

TEST(WindowsResources, LogoIs708By218TrueColour) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(12), MAKEINTRESOURCEA(2));  // RT_BITMAP
  ASSERT_NE(found, nullptr);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(
      LockResource(LoadResource(nullptr, found)));
  EXPECT_EQ(header->biWidth, 708);
  EXPECT_EQ(header->biHeight, 218);
  EXPECT_EQ(header->biBitCount, 24);
  EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RGB));

  HBITMAP logo = static_cast<HBITMAP>(LoadImageA(
      GetModuleHandleA(nullptr), MAKEINTRESOURCEA(12), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(logo, nullptr);
  BITMAP info{};
  GetObjectA(logo, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 708);
  EXPECT_EQ(info.bmHeight, 218);
  EXPECT_EQ(info.bmBitsPixel, 24);
  DeleteObject(logo);
}

TEST(WindowsResources, BuiltInImageIsTheConfiguredFile) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(8), "BIN");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, found), static_cast<DWORD>(PLCBURN_IMAGE_LENGTH));
  HGLOBAL loaded = LoadResource(nullptr, found);
  ASSERT_NE(loaded, nullptr);
  EXPECT_NE(LockResource(loaded), nullptr);
  FreeResource(loaded);
}

}  // namespace
