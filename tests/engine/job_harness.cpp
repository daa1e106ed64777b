#include "job_harness.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "expansion_job.h"
#include "notify.h"

ScratchFile::ScratchFile() {
  std::string pattern = testing::TempDir() + "romspan-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed for " << pattern;
  dir_ = pattern;
  path_ = dir_ + "/game.smc";
}

ScratchFile::~ScratchFile() {
  unlink(path_.c_str());
  rmdir(dir_.c_str());
}

JobRun RunJobAt(const std::string& path, uint32_t size_code) {
  std::strcpy(rom_path, path.c_str());
  command_line_mode = true;
  testing::internal::CaptureStdout();
  const bool ok = RunExpansionJob(nullptr, size_code);
  std::fflush(stdout);
  return {ok, testing::internal::GetCapturedStdout(), {}};
}

JobRun RunJob(const Bytes& image, uint32_t size_code) {
  ScratchFile scratch;
  EXPECT_TRUE(WriteWholeFile(scratch.path(), image));
  JobRun run = RunJobAt(scratch.path(), size_code);
  run.file = ReadWholeFile(scratch.path());
  return run;
}

std::vector<Span> Every(uint32_t count, Span first, uint32_t to_step, uint32_t from_step) {
  std::vector<Span> spans;
  for (uint32_t i = 0; i < count; ++i)
    spans.push_back({first.to + i * to_step, first.from + i * int64_t{from_step}, first.length});
  return spans;
}

Bytes Expect(const Bytes& original, uint32_t base, uint32_t rom_length,
             const std::vector<Span>& spans, const std::vector<Patch>& patches) {
  const Bytes old(original.begin() + base, original.end());
  Bytes want(original.begin(), original.begin() + base);
  want.resize(base + rom_length, 0);
  std::copy(old.begin(), old.begin() + std::min<size_t>(old.size(), rom_length),
            want.begin() + base);
  for (const Span& span : spans) {
    for (uint32_t i = 0; i < span.length; ++i) {
      const uint64_t from = static_cast<uint64_t>(span.from) + i;
      want.at(base + span.to + i) = span.from != kZeros && from < old.size() ? old[from] : 0;
    }
  }
  for (const Patch& patch : patches) want.at(base + patch.at) = patch.value;
  return want;
}

testing::AssertionResult SameBytes(const Bytes& got, const Bytes& want) {
  size_t first = SIZE_MAX, differing = 0;
  for (size_t i = 0; i < std::min(got.size(), want.size()); ++i) {
    if (got[i] == want[i]) continue;
    if (differing++ == 0) first = i;
  }
  if (got.size() == want.size() && differing == 0) return testing::AssertionSuccess();
  char text[200];
  std::snprintf(text, sizeof(text),
                "length 0x%zX (want 0x%zX); %zu bytes differ, the first at 0x%zX: 0x%02X (want "
                "0x%02X)",
                got.size(), want.size(), differing, first == SIZE_MAX ? 0 : first,
                first == SIZE_MAX ? 0 : got[first], first == SIZE_MAX ? 0 : want[first]);
  return testing::AssertionFailure() << text;
}

void Poke(Bytes& image, uint32_t at, const std::string& text) {
  std::copy(text.begin(), text.end(), image.begin() + at);
}
