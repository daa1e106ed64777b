// The command line's own parts: splitting the text romspan.exe gets, and joining a typed path to
// the current directory in both path styles, with a fake directory query.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "resolve_full_path.h"
#include "split_command_line.h"

namespace {

TEST(SplitCommandLine, GivesAtMostNineArgumentsInOrder) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {" \t  \t", {}},
      {"-ExpandROM \"C:\\My ROMs\\game.smc\" 1MB", {"-ExpandROM", "C:\\My ROMs\\game.smc", "1MB"}},
      {"a\"b c\"d\te", {"ab cd", "e"}},
      {"x \"\" y a\"\"b", {"x", "", "y", "ab"}},
      {"\"open quote\tto end", {"open quote\tto end"}},
      {"a\\\"b c\" d\\", {"a\\b c", "d\\"}},  // a backslash is ordinary
      {"1 2 3 4 5 6 7 8 \"9 x\"     \"ten", {"1", "2", "3", "4", "5", "6", "7", "8", "9 x"}},
  };
  for (auto [text, arguments] : cases) {
    char* argv[kMaxArgumentCount] = {};
    const int argc = SplitCommandLine(text.data(), static_cast<uint32_t>(text.size()), argv);
    ASSERT_GE(argc, 1);
    EXPECT_STREQ(argv[0], "");
    EXPECT_EQ(std::vector<std::string>(argv + 1, argv + argc), arguments) << text;
  }
}

std::optional<std::string> fake_directory;  // nullopt: the query fails

uint32_t FakeCurrentDirectory(uint32_t capacity, char* buffer) {
  if (capacity != 0) buffer[0] = '\0';
  if (!fake_directory) return 0;
  const uint32_t needed = static_cast<uint32_t>(fake_directory->size() + 1);
  if (needed > capacity) return needed;
  std::copy_n(fake_directory->c_str(), needed, buffer);
  return needed - 1;
}

TEST(ResolveFullPath, JoinsBareNamesInBothStyles) {
  constexpr PathStyle kWin = PathStyle::kWindows, kPosix = PathStyle::kPosix;
  const std::string n8000(8000, 'n'), d190 = "/" + std::string(189, 'd');
  const std::string d8191 = "d/" + std::string(8189, 'n'), c8191 = "C:" + std::string(8189, 'n');
  const struct {
    PathStyle style;
    std::optional<std::string> directory;
    std::string path;
    std::optional<std::string> resolved;  // nullopt: refused
  } cases[] = {
      {kWin, "C:\\roms", "game.smc", "C:\\roms\\game.smc"},
      {kWin, "C:\\", "game.smc", "C:\\game.smc"},
      {kWin, "\\\\host\\share\\", "g.smc", "\\\\host\\share\\g.smc"},
      {kWin, "C:\\roms", "z:game.smc", "z:game.smc"},
      {kWin, "C:\\roms", "1:game.smc", "C:\\roms\\1:game.smc"},
      {kWin, "C:\\roms", "sub\\game.smc", "sub\\game.smc"},
      {kWin, "C:\\roms", "", "C:\\roms\\"},
      {kPosix, "/home/u", "game.smc", "/home/u/game.smc"},
      {kPosix, "/", "game.smc", "/game.smc"},
      {kPosix, "/home/u", "C:game.smc", "/home/u/C:game.smc"},
      {kPosix, "/home/u", "a\\b.smc", "/home/u/a\\b.smc"},
      {kPosix, std::nullopt, "game.smc", "game.smc"},
      {kPosix, "/", d8191, d8191},
      {kPosix, "/", d8191 + "n", std::nullopt},
      {kWin, "C:\\", c8191, c8191},
      {kWin, "C:\\", c8191 + "n", std::nullopt},
      {kWin, std::nullopt, std::string(8191, 'n'), std::nullopt},
      {kPosix, "/", std::string(8190, 'n'), std::string(8190, 'n')},
      // With an 8000-byte name, a directory of 190 bytes is the longest whose join still fits.
      {kPosix, d190, n8000, d190 + "/" + n8000},
      {kPosix, d190 + "d", n8000, n8000},
  };
  for (const auto& c : cases) {
    fake_directory = c.directory;
    std::string out(kFullPathCapacity + 16, '#');
    const bool accepted =
        ResolveFullPath(out.data(), c.path.c_str(), c.style, FakeCurrentDirectory);
    EXPECT_EQ(out.substr(kFullPathCapacity), std::string(16, '#')) << "overflow";
    EXPECT_EQ(accepted ? std::optional<std::string>(out.c_str()) : std::nullopt, c.resolved)
        << c.path.substr(0, 40) << " in " << c.directory.value_or("<none>").substr(0, 40);
  }
}

}  // namespace
