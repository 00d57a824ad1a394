#include "ui/program_image.h"

#ifndef PLCBURN_IMAGE_NAME
#define PLCBURN_IMAGE_NAME "KQ200_v1.12.10_20220613_01.bin"
#endif

Win32ResourceImage& ProgramImage() {
  static Win32ResourceImage image(PLCBURN_IMAGE_NAME);
  return image;
}
