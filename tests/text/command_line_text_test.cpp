#include "command_line_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct ArgumentsCase {
  std::string line;
  const char* arguments;  // null: nothing follows the program name
};

TEST(CommandLineText, KeepsWhatFollowsTheProgramNameAsTyped) {
  const ArgumentsCase cases[] = {
      {"romspan.exe -ExpandROM a.smc 48", "-ExpandROM a.smc 48"},
      {"\"C:\\Program Files\\romspan.exe\"   -ExpandROM \"C:\\My ROMs\\game.smc\" 1MB ",
       "-ExpandROM \"C:\\My ROMs\\game.smc\" 1MB "},
      {"\"C:\\My Tools\"\\romspan.exe x", "x"},  // one name while no blank stands outside quotes
      {"C:\\a\"b c\"d.exe  x", "x"},
      {"  romspan.exe x", "x"},
      {"romspan.exe\t \tx\ty", "x\ty"},
      {"romspan.exe", nullptr},
      {"romspan.exe  \t ", nullptr},
      {"\"romspan.exe", nullptr},  // an unclosed quote swallows the rest
      {"", nullptr},
  };
  for (const ArgumentsCase& c : cases) {
    SCOPED_TRACE(c.line);
    uint32_t length = 99;
    char* arguments =
        CopyArgumentsText(c.line.c_str(), static_cast<uint32_t>(c.line.size()), &length);
    if (c.arguments == nullptr) {
      EXPECT_EQ(arguments, nullptr);
      EXPECT_EQ(length, 0u);
    } else {
      ASSERT_NE(arguments, nullptr);
      EXPECT_STREQ(arguments, c.arguments);
      EXPECT_EQ(length, std::strlen(c.arguments));
    }
    std::free(arguments);
  }
}

TEST(CommandLineText, NineteenBytesAfterAnUnquotedName) {
  const std::string line = "romspan " + std::string(19, 'a');
  uint32_t length = 0;
  char* arguments = CopyArgumentsText(line.c_str(), static_cast<uint32_t>(line.size()), &length);
  EXPECT_EQ(length, 19u);
  EXPECT_EQ(std::string(arguments), std::string(19, 'a'));
  std::free(arguments);
  EXPECT_EQ(CopyArgumentsText(nullptr, 0, &length), nullptr);
  EXPECT_EQ(length, 0u);
}

}  // namespace
