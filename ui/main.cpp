// The Windows program: one fixed-size window with the Start Burn button, the
// locked model list, the port list and the painted status panel.

#include <windows.h>

#include "catalogue/shared_state.h"
#include "ui/file_chooser.h"
#include "ui/list_selection.h"
#include "ui/program_image.h"
#include "ui/start_burn.h"
#include "ui/status_panel.h"
#include "ui/win32_globals.h"
#include "ui/win32_operator.h"

#ifndef _WIN64
static_assert(sizeof(WNDCLASSEXA) == 48, "window class record of 32-bit Windows");
#endif

namespace {

constexpr char kTitle[] = "Korvel PLC Firmware Update Program";
constexpr DWORD kMainStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kModelListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST |
                                  CBS_AUTOHSCROLL | CBS_SORT | CBS_HASSTRINGS;
constexpr DWORD kPortListStyle =
    WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_SORT | CBS_HASSTRINGS;
static_assert(kMainStyle == 0x00CA0000 && kButtonStyle == 0x50010001);
static_assert(kModelListStyle == 0x50210343 && kPortListStyle == 0x50210303);

// Command identifiers. None is 1: the dialog keys' Enter sends 1 (IDOK) when
// the focus is not on the button, and Escape sends 2 (IDCANCEL), the button's.
constexpr int kFileChooserCommand = 1;
constexpr int kStartBurnId = 2;
constexpr int kPortListId = 7;
constexpr int kModelListId = 8;
constexpr int kIconResource = 1;

HWND CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int width,
                 int height, int id, HINSTANCE instance) {
  return CreateWindowExA(0, cls, text, style, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

void OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const auto control = reinterpret_cast<HWND>(lParam);
  switch (HIWORD(wParam)) {
    case CBN_SELCHANGE:
      if (id == kPortListId) OnPortSelected(control);
      if (id == kModelListId) OnModelSelected(control);
      break;
    case BN_CLICKED:
      if (id == kFileChooserCommand) ChooseFile(window);
      if (id == kStartBurnId) StartBurnCommand(window, control, ProgramImage());
      break;
    default:
      break;
  }
}

// The dialog keys' default-button tracking takes BS_DEFPUSHBUTTON away from
// the button when the focus reaches it by Tab from the window itself, and
// Enter on it would then choose a file. Enter on Start Burn always starts.
void KeepStartBurnDefault(HWND window, const MSG& message) {
  if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN) return;
  HWND button = GetDlgItem(window, kStartBurnId);
  if (button == nullptr || GetFocus() != button) return;
  if ((GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) != BS_DEFPUSHBUTTON) {
    SendMessageA(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  }
}

void RepaintPanel(HWND window, bool withLogo) {
  HDC dc = GetDC(window);
  DisplayPanel(window, dc);
  if (withLogo) DisplayLogo(window, dc);
  ReleaseDC(window, dc);
}

}  // namespace

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      // The logo waits for the next repaint tick.
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      DisplayPanel(window, dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_TIMER:
      if (wParam == kElapsedTimer) ++elapsedTime;
      if (wParam == kRepaintTimer) RepaintPanel(window, true);
      return 0;
    case WM_COMMAND:
      OnCommand(window, wParam, lParam);
      return 0;
    default:
      if (HandleOperatorRequest(window, message)) return 0;
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconResource));
  windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(kIconResource));
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_SCROLLBAR + 1));
  windowClass.lpszClassName = szClassName;
  if (!RegisterClassExA(&windowClass)) return 0;

  HWND window = CreateWindowExA(0, szClassName, kTitle, kMainStyle, CW_USEDEFAULT, CW_USEDEFAULT, 544, 205,
                                HWND_DESKTOP, nullptr, instance, nullptr);
  CreateChild(window, "BUTTON", "Start Burn", kButtonStyle, 10, 60, 100, 30, kStartBurnId, instance);
  HWND modelList = CreateChild(window, "COMBOBOX", "", kModelListStyle, 10, 20, 120, 200, kModelListId, instance);
  PresetModelList(modelList, ProgramImage().FileName());
  hComPortList = CreateChild(window, "COMBOBOX", "", kPortListStyle, 160, 20, 100, 200, kPortListId, instance);
  FillPortList(hComPortList);
  SelectFirstPort(hComPortList);

  SetTimer(window, kRepaintTimer, 100, nullptr);
  ShowWindow(window, showState);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    // Dialog keys on a plain window: Tab, Enter and Escape.
    KeepStartBurnDefault(window, message);
    if (!IsDialogMessageA(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return static_cast<int>(message.wParam);
}
