#include "run_command_line.h"

#include <cstdlib>

#include "command_line_source.h"
#include "parse_command_line.h"
#include "split_command_line.h"

bool RunCommandLine(int* exit_code) {
  uint32_t length = 0;
  char* text = GetCommandLineArguments(&length);
  if (text == nullptr) return false;
  char* argv[kMaxArgumentCount];
  const int argc = SplitCommandLine(text, length, argv);
  const uint32_t saved_code_page = AttachParentConsole();
  *exit_code = RunArguments(argc, argv);
  std::free(text);
  ReleaseParentConsole(saved_code_page);
  return true;
}
