#pragma once
// Command 2: starts the update worker on a thread of its own.

#include <windows.h>

#include "update/builtin_image.h"

// A command 2 while a worker runs starts nothing and leaves timer 5 alone.
void StartBurnCommand(HWND mainWindow, HWND startButton, BuiltInImage& image);
