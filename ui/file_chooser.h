#pragma once
// Command 1: the open-file dialog. The chosen file takes no part in an update.

#include <windows.h>

void ChooseFile(HWND mainWindow);

// Opens the chosen file to take its size into fileLength, unless a worker is
// running: the worker sends by that length, so a run in progress keeps its own.
void RecordChosenFileLength(const char* path);
