// romspan for Linux and macOS: the shell has split and unquoted the arguments already.
#include "parse_command_line.h"
#include "split_command_line.h"

int main(int argc, char** argv) {
  if (argc <= 1) {
    PrintUsage();
    return 1;
  }
  char empty[] = "";
  char* arguments[kMaxArgumentCount] = {empty};
  int count = 1;
  for (int i = 1; i < argc && count < kMaxArgumentCount; ++i) arguments[count++] = argv[i];
  return RunArguments(count, arguments);
}
