#pragma once
// The window thread's own variables: the port list, the open-file record and
// what the file chooser leaves behind. The worker never touches them.

#include <windows.h>

inline constexpr int kFileNameSize = 260;

extern HWND hComPortList;
extern OPENFILENAMEA ofn;
extern HANDLE hf;
extern char szFile[kFileNameSize];
extern HWND hwndFilePath;  // no such control is created; its text goes nowhere
extern const char szClassName[];
