// Runs expansion jobs on synthetic ROM files and builds the files they should leave behind.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "rom_image.h"

// What the console shows for each outcome, written out as the user reads it.
inline constexpr char kDone[] = "Done! : ROM has been expanded.\n";
inline constexpr char kNoEffect[] = "No Effect! : The ROM was already this size or higher.\n";
inline constexpr char kFailed[] = "Failed! : Operation failed.\n";
inline constexpr char kMapUnknown[] =
    "Expansion Canceled! : Cannot determine ROM memory map type.\n";
inline constexpr char kNotSpecialChip[] =
    "Expansion Canceled! : This is not an SA-1 or S-DD1 game!\n";
inline constexpr char kNotLoRom[] = "Expansion Canceled! : This is not a LoROM game!\n";
inline constexpr char kLoRomTooLarge[] =
    "Expansion Canceled! : Cannot convert LoROM games > 8 mbits to ExHiROM.\n";
inline constexpr char kNotHiOrLoRom[] =
    "Expansion Canceled! : Cannot convert a non-HiROM or non-LoROM game to ExHiROM.\n";

// A file in a directory of its own under the test temp directory; both go away with it.
class ScratchFile {
 public:
  ScratchFile();
  ~ScratchFile();
  const std::string& path() const { return path_; }

 private:
  std::string dir_, path_;
};

struct JobRun {
  bool ok;          // what RunExpansionJob returned
  std::string out;  // everything it printed
  Bytes file;       // the file afterwards
};

// Runs the command-line job on the file at `path`; `file` stays empty.
JobRun RunJobAt(const std::string& path, uint32_t size_code);
// Writes `image` to a scratch file and runs the command-line job on it with `size_code`.
JobRun RunJob(const Bytes& image, uint32_t size_code);

// One piece of an expected layout, in ROM offsets (copier header excluded): `length` bytes at
// `to` come from the original ROM data at `from` (zeros past its end), or are zeros.
inline constexpr int64_t kZeros = -1;
struct Span {
  uint32_t to;
  int64_t from;
  uint32_t length;
};
struct Patch {
  uint32_t at;  // ROM offset
  uint8_t value;
};

// `count` spans, the first one `first`, each next one `to_step` and `from_step` further on.
std::vector<Span> Every(uint32_t count, Span first, uint32_t to_step, uint32_t from_step);

// The file a job should leave: the copier header (`base` bytes) of `original`, then its ROM data
// padded with zeros to `rom_length`, with `spans` laid over it in order and then `patches`.
Bytes Expect(const Bytes& original, uint32_t base, uint32_t rom_length,
             const std::vector<Span>& spans, const std::vector<Patch>& patches);

// Equal files; otherwise names the lengths, the first differing offset and the number of
// differing bytes.
testing::AssertionResult SameBytes(const Bytes& got, const Bytes& want);

// Writes `text` into `image` at file offset `at`.
void Poke(Bytes& image, uint32_t at, const std::string& text);
