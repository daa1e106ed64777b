// Lists and pairs across a converter that stops at the first terminator, in both unit sizes.
#include "marker_lists.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// A literal with its inner and final terminators, less the one the compiler adds.
template <size_t N>
std::string Units(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

template <typename Unit>
std::basic_string<Unit> Take(Unit* block, size_t units) {
  std::basic_string<Unit> text(block, units);
  std::free(block);
  return text;
}

struct PackCase {
  const char* name;
  std::string input;   // as stored, every terminator written out
  std::string packed;  // \1 is the marker; the packed text's terminator written out
  bool pair;
};

class PackTest : public ::testing::TestWithParam<PackCase> {};

TEST_P(PackTest, PacksAndUnpacksInBothUnitSizes) {
  const PackCase& c = GetParam();
  char* narrow = c.pair ? PackPair(c.input.c_str()) : PackList(c.input.c_str());
  EXPECT_EQ(Take(narrow, c.packed.size()), c.packed);

  const std::wstring wide_input(c.input.begin(), c.input.end());
  WideChar* wide = c.pair ? PackPairW(wide_input.c_str()) : PackListW(wide_input.c_str());
  EXPECT_EQ(Take(wide, c.packed.size()), std::wstring(c.packed.begin(), c.packed.end()));

  // Unpacking restores the input up to the packed text's terminator.
  std::string unpacked = c.packed;
  UnpackMarkers(unpacked.data());
  EXPECT_EQ(unpacked, c.input.substr(0, c.packed.size()));
  std::wstring wide_unpacked(c.packed.begin(), c.packed.end());
  UnpackMarkers(wide_unpacked.data());
  EXPECT_EQ(wide_unpacked, wide_input.substr(0, c.packed.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PackTest,
    ::testing::Values(PackCase{"TwoStrings", Units("A\0B\0\0"), Units("A\1B\1\0"), false},
                      PackCase{"EmptyList", Units("\0\0"), Units("\1\0"), false},
                      PackCase{"RomFilter", Units("Roms\0*.smc;*.sfc\0All\0*.*\0\0"),
                               Units("Roms\1*.smc;*.sfc\1All\1*.*\1\0"), false},
                      PackCase{"Pair", Units("x\0y\0"), Units("x\1y\0"), true},
                      // Only the pair is read: whatever follows it stays out.
                      PackCase{"PairBeforeMore", Units("ab\0cd\0ef\0"), Units("ab\1cd\0"), true}),
    [](const auto& info) { return info.param.name; });

}  // namespace
