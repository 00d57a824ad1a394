#include "ui/file_chooser.h"

#include <cstdio>
#include <cstring>

#include "catalogue/shared_state.h"
#include "ui/win32_globals.h"
#include "ui/worker_slot.h"

#ifndef _WIN64
static_assert(sizeof(OPENFILENAMEA) == 88, "open-file record of 32-bit Windows");
#endif

void RecordChosenFileLength(const char* path) {
  hf = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (hf == INVALID_HANDLE_VALUE) return;
  const DWORD size = GetFileSize(hf, nullptr);
  if (!WorkerRunning()) fileLength = size;
  CloseHandle(hf);
}

void ChooseFile(HWND mainWindow) {
  char saved[kFileNameSize] = {};
  if (isFileChosed) std::memcpy(saved, szFile, sizeof saved);
  std::memset(&ofn, 0, sizeof ofn);
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = mainWindow;
  szFile[0] = '\0';
  ofn.lpstrFile = szFile;
  ofn.nMaxFile = sizeof szFile;
  ofn.lpstrFilter = "Binary File (*.bin)\0*.bin\0All (*.*)\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (GetOpenFileNameA(&ofn)) {
    char pathText[270];
    std::snprintf(pathText, sizeof pathText, "Path: %s", szFile);
    SetWindowTextA(hwndFilePath, pathText);
    RecordChosenFileLength(szFile);
    isFileChosed = 1;
  } else {
    std::memcpy(szFile, saved, sizeof saved);
  }
}
