// Splitting the command-line text into at most nine arguments.
#include "split_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SplitCase {
  const char* text;
  std::vector<std::string> arguments;  // entries 1.. of the vector
};

TEST(SplitCommandLineTest, GivesTheArgumentsInOrder) {
  const SplitCase cases[] = {
      {"", {}},
      {" \t  \t", {}},
      {"-ExpandROM game.smc 32", {"-ExpandROM", "game.smc", "32"}},
      {"-ExpandROM \"C:\\My ROMs\\game.smc\" 1MB", {"-ExpandROM", "C:\\My ROMs\\game.smc", "1MB"}},
      {"a\"b c\"d e", {"ab cd", "e"}},  // quotes inside a token
      {"\"a b\"c\td", {"a bc", "d"}},   // quoted start, a tab ends the token
      {"x \"\" y", {"x", "", "y"}},     // empty argument
      {"\"\"", {""}},                   // only an empty argument
      {"a\"\"b", {"ab"}},               // empty pair inside a token
      {"\"open quote\tto end", {"open quote\tto end"}},
      {"\t a\t\tb  \tc \t", {"a", "b", "c"}},  // runs of blanks and tabs
      {"a\\\"b c\" d\\", {"a\\b c", "d\\"}},   // backslash is ordinary
      {"1 2 3 4 5 6 7 8 9 10 11", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}},
      {"1 2 3 4 5 6 7 8 \"9 x\"     \"ten", {"1", "2", "3", "4", "5", "6", "7", "8", "9 x"}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(std::string("text: [") + c.text + "]");
    std::string text = c.text;
    char* argv[kMaxArgumentCount] = {};
    const int argc = SplitCommandLine(text.data(), static_cast<uint32_t>(text.size()), argv);
    std::vector<std::string> got;
    for (int i = 1; i < argc; ++i) got.emplace_back(argv[i]);
    EXPECT_EQ(got, c.arguments);
    ASSERT_NE(argv[0], nullptr);
    EXPECT_STREQ(argv[0], "");
  }
}

}  // namespace
