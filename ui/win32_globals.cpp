#include "ui/win32_globals.h"

HWND hComPortList = nullptr;
OPENFILENAMEA ofn{};
HANDLE hf = nullptr;
char szFile[kFileNameSize] = {};
HWND hwndFilePath = nullptr;
const char szClassName[] = "WindowsApp";
