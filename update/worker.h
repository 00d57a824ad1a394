#pragma once
// The update worker: one whole update of the built-in image for the selected
// model, from the size check to the final message and the clean-up.

#include "link/link.h"
#include "update/builtin_image.h"
#include "update/operator.h"

// The worker's start argument. On Windows the operator holds the main window
// and the Start Burn button.
struct ParamStruct {
  Operator* ui = nullptr;
  LinkProvider* links = nullptr;
  BuiltInImage* image = nullptr;
};

extern ParamStruct paramStruct;

// Thread body; returns 0 in every case.
unsigned StartBurn(void* param);

// Releases the built-in image.
void CloseFile();
