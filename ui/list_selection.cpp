#include "ui/list_selection.h"

#include <cstring>

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"
#include "ui/port_lists.h"
#include "ui/win32_globals.h"
#include "update/preset.h"

namespace {

// Copies entry `index` into `out` (size bytes); false when there is no such
// entry or its text would not fit.
bool EntryText(HWND list, LRESULT index, char* out, size_t size) {
  if (index == CB_ERR) return false;
  const LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || static_cast<size_t>(length) >= size) return false;
  return SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(out)) != CB_ERR;
}

void CopySelectedPort(HWND portList, LRESULT index) {
  char name[256];
  // selectedComPort keeps 9 characters at most; port names are never longer.
  if (EntryText(portList, index, name, sizeof name)) selectedComPort.Set(name);
}

}  // namespace

void PresetModelList(HWND modelList, const char* imageFileName) {
  for (int row = 0; row < kModelCount; ++row) {
    SendMessageA(modelList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(plcList[row]));
  }
  char first[kModelNameSlot] = {};
  EntryText(modelList, 0, first, sizeof first);
  PresetModelFromImageName(imageFileName, first);
  // The list finds without regard to case; selectedPLC is the catalogue's
  // spelling by now, so the entry found is the model selected.
  const LRESULT found = SendMessageA(modelList, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(selectedPLC));
  SendMessageA(modelList, CB_SETCURSEL, found == CB_ERR ? 0 : static_cast<WPARAM>(found), 0);
  EnableWindow(modelList, FALSE);
}

void FillPortList(HWND portList) {
  if (IsUsbModel(selectedPLC)) {
    EnumUSBPort(portList);
  } else {
    EnumComPort(portList);
  }
}

void SelectFirstPort(HWND portList) {
  SendMessageA(portList, CB_SETCURSEL, 0, 0);
  CopySelectedPort(portList, SendMessageA(portList, CB_GETCURSEL, 0, 0));
}

void OnPortSelected(HWND portList) {
  const LRESULT index = SendMessageA(portList, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return;
  ComSelidx = static_cast<int32_t>(index);
  CopySelectedPort(portList, index);
}

void OnModelSelected(HWND modelList) {
  char name[kModelNameSlot];
  if (!EntryText(modelList, SendMessageA(modelList, CB_GETCURSEL, 0, 0), name, sizeof name)) return;
  std::memcpy(selectedPLC, name, sizeof name);
  SelectModelByName(selectedPLC);
  if (IsUsbModel(selectedPLC)) {
    EnumUSBPort(hComPortList);
  } else {
    EnumComPort(hComPortList);
    SendMessageA(hComPortList, CB_SETCURSEL, static_cast<WPARAM>(ComSelidx), 0);
  }
}
