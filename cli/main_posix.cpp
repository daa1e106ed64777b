// romspan for Linux and macOS: the shell has split and unquoted the arguments already.
#include <csignal>

#include "parse_command_line.h"
#include "split_command_line.h"

int main(int argc, char** argv) {
  // The exit code reports the job: a closed pipe or the file-size limit fails a write, which
  // the job reports, instead of killing the program.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
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
