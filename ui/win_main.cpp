// The Windows entry point: settles how the program talks to the platform, then runs the
// command line when there is one.
#include <windows.h>

#include "run_command_line.h"
#include "text_modes.h"

HINSTANCE instance_handle = nullptr;

namespace {

constexpr DWORD kVersionInfoSize = 148;  // OSVERSIONINFOA, as every Windows accepts it

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
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
  // Without arguments the program has no console to talk to and nothing to do yet.
  return 1;
}
