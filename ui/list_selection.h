#pragma once
// From the two lists' entries to the shared selection. A list index is never a
// catalogue row: the lists are sorted, so the entry's text is what counts.

#include <windows.h>

// Fills the model list from the catalogue, presets the model from the image's
// file name, shows it selected and locks the list.
void PresetModelList(HWND modelList, const char* imageFileName);

// The port list for the selected model's link: "USB" or the COM ports present.
void FillPortList(HWND portList);

// Start-up: selects the first port and copies it into selectedComPort.
void SelectFirstPort(HWND portList);

// CBN_SELCHANGE of the port list (7) and of the model list (8).
void OnPortSelected(HWND portList);
void OnModelSelected(HWND modelList);
