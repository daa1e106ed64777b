#include "command_line_text.h"

#include <cstdlib>
#include <cstring>

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

char* CopyArgumentsText(const char* line, uint32_t length, uint32_t* out_length) {
  if (out_length != nullptr) *out_length = 0;
  if (line == nullptr) return nullptr;
  uint32_t p = 0;
  while (p < length && IsBlank(line[p])) ++p;
  // Quotes keep blanks inside the name and stay part of it.
  for (bool in_quotes = false; p < length && (in_quotes || !IsBlank(line[p])); ++p) {
    if (line[p] == '"') in_quotes = !in_quotes;
  }
  while (p < length && IsBlank(line[p])) ++p;
  if (p >= length) return nullptr;

  const uint32_t arguments_length = length - p;
  char* arguments = static_cast<char*>(std::malloc(arguments_length + 1));
  if (arguments == nullptr) return nullptr;
  std::memcpy(arguments, line + p, arguments_length);
  arguments[arguments_length] = '\0';
  if (out_length != nullptr) *out_length = arguments_length;
  return arguments;
}
