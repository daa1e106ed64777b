// Turning the typed ROM path into a full path, in both path styles, with a fake current directory.
#include "resolve_full_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// What the fake directory query reports; nullopt makes the query fail.
std::optional<std::string> fake_directory;

uint32_t FakeCurrentDirectory(uint32_t capacity, char* buffer) {
  if (capacity != 0) buffer[0] = '\0';
  if (!fake_directory) return 0;
  const uint32_t needed = static_cast<uint32_t>(fake_directory->size() + 1);
  if (needed > capacity) return needed;
  std::memcpy(buffer, fake_directory->c_str(), needed);
  return needed - 1;
}

constexpr char kGuard = '\x5A';

// Resolves `path`; nullopt when it is refused. Fails the test if the output buffer overflows.
std::optional<std::string> Resolve(PathStyle style, std::optional<std::string> directory,
                                   const std::string& path) {
  fake_directory = std::move(directory);
  std::string out(kFullPathCapacity + 16, kGuard);
  const bool accepted = ResolveFullPath(out.data(), path.c_str(), style, FakeCurrentDirectory);
  EXPECT_EQ(out.substr(kFullPathCapacity), std::string(16, kGuard)) << "output overflowed";
  if (!accepted) return std::nullopt;
  return std::string(out.c_str());
}

struct ResolveCase {
  PathStyle style;
  std::optional<std::string> directory;
  std::string path;
  std::optional<std::string> expected;
};

void ExpectResolved(const std::vector<ResolveCase>& cases) {
  for (const ResolveCase& c : cases) {
    EXPECT_EQ(Resolve(c.style, c.directory, c.path), c.expected)
        << "directory [" << c.directory.value_or("<none>").substr(0, 40) << "] path ["
        << c.path.substr(0, 40) << "] (" << c.path.size() << " bytes)";
  }
}

constexpr PathStyle kWin = PathStyle::kWindows;
constexpr PathStyle kPosix = PathStyle::kPosix;
const std::optional<std::string> kNoDirectory;
const std::optional<std::string> kRefused;

TEST(ResolveFullPathTest, WindowsStyle) {
  ExpectResolved({{kWin, "C:\\roms", "game.smc", "C:\\roms\\game.smc"},
                  {kWin, "C:\\", "game.smc", "C:\\game.smc"},
                  {kWin, "C:\\roms", "C:/roms/game.smc", "C:/roms/game.smc"},
                  {kWin, "C:\\roms", "C:game.smc", "C:game.smc"},
                  {kWin, "C:\\roms", "z:game.smc", "z:game.smc"},
                  {kWin, "C:\\roms", "1:game.smc", "C:\\roms\\1:game.smc"},
                  {kWin, "C:\\roms", "sub\\game.smc", "sub\\game.smc"},
                  {kWin, "C:\\roms", "sub/game.smc", "sub/game.smc"},
                  {kWin, "\\\\host\\share\\", "g.smc", "\\\\host\\share\\g.smc"},
                  {kWin, "C:\\roms", "", "C:\\roms\\"},
                  {kWin, "C:\\", "", "C:\\"},
                  {kWin, kNoDirectory, "game.smc", "game.smc"}});
}

TEST(ResolveFullPathTest, PosixStyle) {
  ExpectResolved({{kPosix, "/home/u", "game.smc", "/home/u/game.smc"},
                  {kPosix, "/", "game.smc", "/game.smc"},
                  {kPosix, "/home/u", "roms/game.smc", "roms/game.smc"},
                  {kPosix, "/home/u", "./game.smc", "./game.smc"},
                  {kPosix, "/home/u", "/abs/game.smc", "/abs/game.smc"},
                  {kPosix, "/home/u", "C:game.smc", "/home/u/C:game.smc"},
                  {kPosix, "/home/u", "a\\b.smc", "/home/u/a\\b.smc"},
                  {kPosix, "/home/u", "my rom.smc", "/home/u/my rom.smc"},
                  {kPosix, "/home/u", "", "/home/u/"},
                  {kPosix, "/", "", "/"},
                  {kPosix, kNoDirectory, "game.smc", "game.smc"}});
}

const std::string kSlashed8191 = "d/" + std::string(8189, 'n');
const std::string kSlashed8192 = "d/" + std::string(8190, 'n');
// With an 8000-byte name, a directory of 190 bytes is the longest whose join still fits.
const std::string kDirectory190 = "/" + std::string(189, 'd');

TEST(ResolveFullPathTest, Lengths) {
  ExpectResolved({{kPosix, "/", kSlashed8191, kSlashed8191},
                  {kPosix, "/", kSlashed8192, kRefused},
                  {kWin, "C:\\", "C:" + std::string(8189, 'n'), "C:" + std::string(8189, 'n')},
                  {kWin, "C:\\", "C:" + std::string(8190, 'n'), kRefused},
                  {kPosix, "/", std::string(8191, 'n'), kRefused},
                  {kWin, kNoDirectory, std::string(8191, 'n'), kRefused},
                  {kPosix, "/", std::string(8192, 'n'), kRefused},
                  {kPosix, "/", std::string(8190, 'n'), std::string(8190, 'n')},
                  {kPosix, kDirectory190, std::string(8000, 'n'),
                   kDirectory190 + "/" + std::string(8000, 'n')},
                  {kPosix, kDirectory190 + "d", std::string(8000, 'n'), std::string(8000, 'n')}});
}

TEST(ResolveFullPathNative, JoinsABareNameToTheWorkingDirectory) {
  char out[kFullPathCapacity];
  ASSERT_TRUE(ResolveFullPath(out, "game.smc"));
  char* directory = getcwd(nullptr, 0);
  ASSERT_NE(directory, nullptr);
  const std::string root = directory;
  std::free(directory);
  EXPECT_EQ(std::string(out), (root == "/" ? "" : root) + "/game.smc");
}

}  // namespace
