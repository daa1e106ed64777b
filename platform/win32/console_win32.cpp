// The console of the process that started this GUI program, which Windows does not attach.
#include <windows.h>

#include <cstdio>

#include "command_line_source.h"
#include "dual_calls.h"

namespace {

constexpr size_t kConsoleBufferSize = 0x6500;

using AttachConsoleFunction = BOOL(WINAPI*)(DWORD);

}  // namespace

uint32_t AttachParentConsole() {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  const DWORD type =
      output != nullptr && output != INVALID_HANDLE_VALUE ? GetFileType(output) : FILE_TYPE_UNKNOWN;
  // A file or a pipe already takes the output where the caller wants it: a log, findstr, a
  // build script reading the result.
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
    const UINT saved = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    return saved;
  }
  // AttachConsole is missing before Windows XP, so it is looked up rather than imported.
  const HMODULE kernel = LoadLibraryUtf8("kernel32.dll");
  const FARPROC found = kernel != nullptr ? GetProcAddress(kernel, "AttachConsole") : nullptr;
  uint32_t saved = 0;
  if (found != nullptr) {
    const auto attach =
        reinterpret_cast<AttachConsoleFunction>(reinterpret_cast<void (*)()>(found));
    attach(ATTACH_PARENT_PROCESS);
    if (std::freopen("CONOUT$", "w", stdout) != nullptr) {
      std::setvbuf(stdout, nullptr, _IOLBF, kConsoleBufferSize);
    }
    saved = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
  }
  if (kernel != nullptr) FreeLibrary(kernel);
  return saved;
}

void ReleaseParentConsole(uint32_t saved_code_page) {
  // Everything is written while the console still decodes UTF-8.
  std::fflush(stdout);
  if (saved_code_page != 0) SetConsoleOutputCP(saved_code_page);
  FreeConsole();
}
