// UI-automation helper for the Wine runs: reads the main window and its
// message boxes and presses their buttons, from a second process.
//
//   wine_ui_helper wait-window <seconds>   until the main window exists
//   wine_ui_helper state                   title, model list, port list, button
//   wine_ui_helper boxes                   every open dialog: caption|text|owner
//   wine_ui_helper wait-box <seconds>      until a dialog is open; prints it
//   wine_ui_helper wait-no-box <seconds>   until no dialog is open
//   wine_ui_helper press-ok                OK on the first open dialog
//   wine_ui_helper cancel                  Cancel on the first open dialog
//   wine_ui_helper post-start <n>          n Start Burn commands, back to back
//   wine_ui_helper close                   closes the main window
//   wine_ui_helper focus                   which control has the keyboard focus
//
// Exit code 0 on success, 1 when a wait times out or nothing is there.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kStartBurnId = 2;
constexpr int kPortListId = 7;
constexpr int kModelListId = 8;
constexpr int kMessageTextId = 0xFFFF;  // the text static of a message box

HWND MainWindow() { return FindWindowA("WindowsApp", nullptr); }

std::string Text(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::vector<HWND> Dialogs() {
  std::vector<HWND> found;
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        char cls[64] = {};
        GetClassNameA(window, cls, sizeof cls);
        if (std::strcmp(cls, "#32770") == 0 && IsWindowVisible(window)) {
          reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string DialogText(HWND dialog) {
  HWND text = GetDlgItem(dialog, kMessageTextId);
  return text != nullptr ? Text(text) : std::string();
}

void PrintDialog(HWND dialog) {
  const HWND owner = GetWindow(dialog, GW_OWNER);
  std::printf("%s|%s|%s\n", Text(dialog).c_str(), DialogText(dialog).c_str(),
              owner == MainWindow() && owner != nullptr ? "owner=main" : "owner=other");
}

std::vector<std::string> ComboEntries(HWND combo) {
  std::vector<std::string> entries;
  const auto count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    // Across processes Wine hands the ANSI form back cut after one character;
    // the wide form arrives whole.
    wchar_t wide[256] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) < 256) {
      SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
    }
    char text[512] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    entries.emplace_back(text);
  }
  return entries;
}

void PrintCombo(const char* name, HWND combo) {
  const auto entries = ComboEntries(combo);
  const auto selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  std::string list;
  for (const auto& entry : entries) list += (list.empty() ? "" : ",") + entry;
  std::printf("%s.entries=%s\n", name, list.c_str());
  std::printf("%s.selected=%s\n", name,
              selected >= 0 && selected < static_cast<LRESULT>(entries.size()) ? entries[selected].c_str() : "");
  std::printf("%s.enabled=%d\n", name, IsWindowEnabled(combo) ? 1 : 0);
}

int State() {
  HWND main = MainWindow();
  if (main == nullptr) return 1;
  RECT outer{};
  GetWindowRect(main, &outer);
  std::printf("title=%s\n", Text(main).c_str());
  std::printf("size=%ldx%ld\n", outer.right - outer.left, outer.bottom - outer.top);
  std::printf("origin=%ld,%ld\n", outer.left, outer.top);
  POINT client{0, 0};
  ClientToScreen(main, &client);
  std::printf("client=%ld,%ld\n", client.x, client.y);
  PrintCombo("model", GetDlgItem(main, kModelListId));
  PrintCombo("port", GetDlgItem(main, kPortListId));
  HWND button = GetDlgItem(main, kStartBurnId);
  std::printf("button.text=%s\n", Text(button).c_str());
  std::printf("button.enabled=%d\n", IsWindowEnabled(button) ? 1 : 0);
  std::printf("button.style=%08lx\n", static_cast<unsigned long>(GetWindowLongA(button, GWL_STYLE)));
  return 0;
}

// "focus=window" (the main window itself), "focus=<control id>" or "focus=none".
int Focus() {
  HWND main = MainWindow();
  if (main == nullptr) return 1;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) return 1;
  if (info.hwndFocus == main) {
    std::printf("focus=window\n");
  } else if (info.hwndFocus != nullptr && GetParent(info.hwndFocus) == main) {
    std::printf("focus=%d\n", GetDlgCtrlID(info.hwndFocus));
  } else {
    std::printf("focus=none\n");
  }
  return 0;
}

template <typename Done>
int WaitFor(const char* seconds, Done done) {
  const DWORD limit = GetTickCount() + static_cast<DWORD>(std::atof(seconds) * 1000);
  while (!done()) {
    if (static_cast<LONG>(GetTickCount() - limit) > 0) return 1;
    Sleep(50);
  }
  return 0;
}

int PressOnFirstDialog(int id) {
  const auto dialogs = Dialogs();
  if (dialogs.empty()) return 1;
  PostMessageA(dialogs.front(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialogs.front(), id)));
  return 0;
}

int PostStart(int count) {
  HWND main = MainWindow();
  if (main == nullptr) return 1;
  HWND button = GetDlgItem(main, kStartBurnId);
  for (int i = 0; i < count; ++i) {
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kStartBurnId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string command = argv[1];
  const char* argument = argc > 2 ? argv[2] : "0";
  int result = 2;
  if (command == "wait-window") result = WaitFor(argument, [] { return MainWindow() != nullptr; });
  if (command == "state") result = State();
  if (command == "boxes") {
    for (HWND dialog : Dialogs()) PrintDialog(dialog);
    result = 0;
  }
  if (command == "wait-box") {
    result = WaitFor(argument, [] { return !Dialogs().empty(); });
    if (result == 0) PrintDialog(Dialogs().front());
  }
  if (command == "wait-no-box") result = WaitFor(argument, [] { return Dialogs().empty(); });
  if (command == "press-ok") result = PressOnFirstDialog(IDOK);
  if (command == "cancel") result = PressOnFirstDialog(IDCANCEL);
  if (command == "post-start") result = PostStart(std::atoi(argument));
  if (command == "focus") result = Focus();
  if (command == "close") result = PostMessageA(MainWindow(), WM_CLOSE, 0, 0) ? 0 : 1;
  std::fflush(stdout);
  return result;
}
