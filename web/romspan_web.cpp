// The web page's entry points into the engine. The page writes the picked ROM into the
// module's in-memory file system, runs one job on it there and reads the result back. What the
// engine reports reaches the page on standard output: notifications as the command line's
// "title : text" lines, the facts of a ROM as "name<TAB>value" lines.
#include <emscripten.h>

#include <cstdio>
#include <cstring>

#include "copier_header_job.h"
#include "expansion_job.h"
#include "notify.h"
#include "rom_facts.h"
#include "size_names.h"

namespace {

bool SetRomPath(const char* path) {
  if (std::strlen(path) >= kRomPathCapacity) return false;
  std::strcpy(rom_path, path);
  command_line_mode = true;
  return true;
}

void PrintFact(void*, const char* name, const char* value) {
  std::printf("%s\t%s\n", name, value);
}

int Finish(bool succeeded) {
  std::fflush(stdout);
  return succeeded ? 1 : 0;
}

}  // namespace

extern "C" {

// Expands the file at `path` to the target named `size_name` (a command-line size name), and
// with `fix_checksum` also fixes its checksum in the same job. Returns 1 for "Done!" and
// "No Effect!", 0 otherwise.
EMSCRIPTEN_KEEPALIVE int ExpandRomFile(const char* path, const char* size_name, int fix_checksum) {
  const SizeName* size = FindSizeName(size_name);
  return Finish(size != nullptr && SetRomPath(path) &&
                RunExpansionJob(nullptr, size->size_code, fix_checksum != 0));
}

// Removes the copier header of the file at `path`, or adds one. Returns 1 for "Done!" and
// "No Effect!", 0 otherwise.
EMSCRIPTEN_KEEPALIVE int RemoveCopierHeader(const char* path) {
  return Finish(SetRomPath(path) && RunRemoveHeaderJob(nullptr));
}
EMSCRIPTEN_KEEPALIVE int AddCopierHeader(const char* path) {
  return Finish(SetRomPath(path) && RunAddHeaderJob(nullptr));
}

// Lists the facts of the file at `path` that -Info prints, the verdict on each size name
// included. Returns 0 when the file cannot be read.
EMSCRIPTEN_KEEPALIVE int DescribeRomFile(const char* path) {
  RomFacts facts;
  if (!SetRomPath(path) || !GatherRomFacts(nullptr, &facts)) return Finish(false);
  ListRomFacts(facts, PrintFact, nullptr);
  return Finish(true);
}

}  // extern "C"
