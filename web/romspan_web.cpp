// The web page's entry points into the engine. The page writes the picked ROM into the
// module's in-memory file system, runs one job on it there and reads the result back; the
// notifications reach the page as the command line's "title : text" lines on standard output.
#include <emscripten.h>

#include <cstdio>
#include <cstring>

#include "expansion_job.h"
#include "notify.h"
#include "size_names.h"

namespace {

bool SetRomPath(const char* path) {
  if (std::strlen(path) >= kRomPathCapacity) return false;
  std::strcpy(rom_path, path);
  command_line_mode = true;
  return true;
}

}  // namespace

extern "C" {

// Expands the file at `path` to the target named `size_name` (a command-line size name).
// Returns 1 for "Done!" and "No Effect!", 0 otherwise.
EMSCRIPTEN_KEEPALIVE int ExpandRomFile(const char* path, const char* size_name) {
  const SizeName* size = FindSizeName(size_name);
  if (size == nullptr || !SetRomPath(path)) return 0;
  const bool succeeded = RunExpansionJob(nullptr, size->size_code);
  std::fflush(stdout);
  return succeeded ? 1 : 0;
}

}  // extern "C"
