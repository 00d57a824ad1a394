#pragma once
// The program's one built-in image, named by the build.

#include "ui/win32_image.h"

Win32ResourceImage& ProgramImage();
