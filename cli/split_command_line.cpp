#include "split_command_line.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

int SplitCommandLine(char* text, uint32_t length, char* argv[kMaxArgumentCount]) {
  argv[0] = text + length;  // the terminator after the text: an empty string
  int argc = 1;
  uint32_t read = 0, write = 0;
  while (read < length && argc < kMaxArgumentCount) {
    if (IsBlank(text[read])) {
      ++read;
      continue;
    }
    argv[argc++] = text + write;
    bool in_quotes = false;
    for (; read < length; ++read) {
      const char c = text[read];
      if (c == '"') {
        in_quotes = !in_quotes;
      } else if (IsBlank(c) && !in_quotes) {
        ++read;
        break;
      } else {
        text[write++] = c;
      }
    }
    text[write++] = '\0';
  }
  return argc;
}
