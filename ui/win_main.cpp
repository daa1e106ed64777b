// The Windows entry point: settles how the program talks to the platform, then runs the
// command line when there is one and the main dialog otherwise.
#include <windows.h>

#include "instance_handle.h"
#include "main_dialog.h"
#include "run_command_line.h"
#include "text_modes.h"

namespace {

constexpr DWORD kVersionInfoSize = 148;  // OSVERSIONINFOA, as every Windows accepts it

HWND main_dialog = nullptr;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show_command) {
  instance_handle = instance;
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = kVersionInfoSize;
  GetVersionExA(&version);
  // Windows NT 4 and every NT-based Windows after it have the wide calls.
  wide_api_mode = version.dwMajorVersion >= 5 ||
                  (version.dwMajorVersion == 4 && version.dwPlatformId == VER_PLATFORM_WIN32_NT);
  utf8_code_page_valid = IsValidCodePage(CP_UTF8) != 0;

  if (command_line[0] != '\0') {
    int exit_code = 1;
    if (RunCommandLine(&exit_code)) return exit_code;
  }

  main_dialog = CreateMainDialog();
  if (main_dialog == nullptr) return 1;
  ShowWindow(main_dialog, show_command);

  // The narrow forms in both modes: the messages carry no text of the program's own.
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(main_dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return static_cast<int>(message.wParam);
}
