#pragma once
// The image linked into a native (non-Windows) binary.

#include "update/builtin_image.h"

BuiltInImage& NativeBuiltInImage();
