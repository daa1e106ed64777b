#include "conversion_buffers.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "text_test_support.h"

namespace {

using ConversionTest = TextModeTest;
INSTANTIATE_TEST_SUITE_P(, ConversionTest, ::testing::Values(0, 1), ModeName);
using ConversionPlatformTest = TextTest;

bool IsStatic(const void* p) {
  return p == wide_buffer || p == wide_ansi_buffer || p == utf8_buffer || p == ansi_buffer;
}

std::array<int, 4> Flags() {
  return {wide_buffer_in_use, wide_ansi_buffer_in_use, utf8_buffer_in_use, ansi_buffer_in_use};
}

const std::string kName = "Zelda \xC3\xA4 \xE2\x82\xBF \xF0\x9F\x8E\xAE.sfc";
const WideString kWideName = WIDE("Zelda \x00E4 \x20BF \xD83C\xDFAE.sfc");

TEST_P(ConversionTest, MissingInputGivesNoneAndCountZero) {
  uint32_t counts[6] = {7, 7, 7, 7, 7, 7};
  EXPECT_EQ(ToWide(nullptr), nullptr);
  EXPECT_EQ(ToAnsi(nullptr), nullptr);
  EXPECT_EQ(FromWide(nullptr, &counts[0]), nullptr);
  EXPECT_EQ(FromAnsi(nullptr, &counts[1]), nullptr);
  EXPECT_EQ(ToWideAlloc(nullptr, &counts[2]), nullptr);
  EXPECT_EQ(FromWideAlloc(nullptr, &counts[3]), nullptr);
  EXPECT_EQ(FromAnsiAlloc(nullptr, &counts[4]), nullptr);
  EXPECT_EQ(ToAnsiAlloc(nullptr, &counts[5]), nullptr);
  for (const uint32_t count : counts) EXPECT_EQ(count, 0u);
}

TEST_P(ConversionTest, EmptyTextIsTheTerminatorInItsStaticBuffer) {
  uint32_t from_wide = 0, from_ansi = 0;
  WideChar* wide = ToWide("");
  char* narrow = FromWide(WIDE(""), &from_wide);
  char* ansi = ToAnsi("");
  EXPECT_EQ(wide, wide_buffer);
  EXPECT_EQ(narrow, utf8_buffer);
  EXPECT_EQ(ansi, ansi_buffer);
  EXPECT_EQ(wide[0] | narrow[0] | ansi[0], 0);
  EXPECT_EQ(from_wide, 1u);
  ReleaseNarrow(narrow);
  narrow = FromAnsi("", &from_ansi);
  EXPECT_EQ(narrow, utf8_buffer);
  EXPECT_EQ(from_ansi, 1u);
  EXPECT_EQ(Flags(), (std::array<int, 4>{1, 0, 1, 1}));
  ReleaseWide(wide);
  ReleaseNarrow(narrow);
  ReleaseNarrow(ansi);
}

// A taken buffer sends the next result to the heap, never to the other buffer of its kind, and
// leaves the live result alone; ToAnsi then makes its intermediate on the heap.
TEST_P(ConversionTest, LiveResultsShareNothingAndReleaseInEitherOrder) {
  for (const bool first_released_first : {true, false}) {
    WideChar* first = ToWide("first");
    WideChar* second = ToWide("second");
    char* held = FromWide(WIDE("held"), nullptr);
    char* other = FromWide(WIDE("other"), nullptr);
    char* ansi = ToAnsi("\xC3\xA9");
    EXPECT_EQ(first, wide_buffer);
    EXPECT_EQ(held, utf8_buffer);
    EXPECT_EQ(ansi, ansi_buffer);
    EXPECT_FALSE(IsStatic(second) || IsStatic(other));
    EXPECT_EQ(WideString(first) + WideString(second), WIDE("firstsecond"));
    EXPECT_EQ(std::string(held) + other + ansi, "heldother\xE9");
    EXPECT_EQ(Flags(), (std::array<int, 4>{1, 0, 1, 1}));
    ReleaseWide(first_released_first ? first : second);
    ReleaseWide(first_released_first ? second : first);
    ReleaseNarrow(held);
    ReleaseNarrow(other);
    ReleaseNarrow(ansi);
    WideChar* third = ToWide("third");
    EXPECT_EQ(third, wide_buffer);
    ReleaseWide(third);
  }
}

TEST_P(ConversionTest, RoundTripKeepsEveryCharacter) {
  uint32_t bytes = 0, units = 0, alloc_bytes = 0;
  WideChar* wide = ToWide(kName.c_str());
  char* back = FromWide(wide, &bytes);
  WideChar* wide_alloc = ToWideAlloc(kName.c_str(), &units);
  char* back_alloc = FromWideAlloc(wide_alloc, &alloc_bytes);
  EXPECT_EQ(WideString(wide), kWideName);
  EXPECT_EQ(WideString(wide_alloc), kWideName);
  EXPECT_EQ(back, kName);
  EXPECT_EQ(back_alloc, kName);
  EXPECT_EQ(units, kWideName.size() + 1);
  EXPECT_EQ(bytes, kName.size() + 1);
  EXPECT_EQ(alloc_bytes, kName.size() + 1);
  ReleaseWide(wide);
  ReleaseNarrow(back);
  std::free(wide_alloc);
  std::free(back_alloc);
}

TEST_P(ConversionTest, AnsiIsLatin1WithQuestionMarksOutsideIt) {
  uint32_t bytes = 0, alloc_bytes = 0, ansi_bytes = 0;
  char* internal = FromAnsi("\xE9t\xE9", &bytes);
  char* internal_alloc = FromAnsiAlloc("\xE9t\xE9", &alloc_bytes);
  char* ansi = ToAnsi(kName.c_str());
  char* ansi_alloc = ToAnsiAlloc(kName.c_str(), &ansi_bytes);
  EXPECT_STREQ(internal, "\xC3\xA9t\xC3\xA9");
  EXPECT_STREQ(internal_alloc, "\xC3\xA9t\xC3\xA9");
  EXPECT_STREQ(ansi, "Zelda \xE4 ? ??.sfc");
  EXPECT_STREQ(ansi_alloc, "Zelda \xE4 ? ??.sfc");
  EXPECT_EQ((std::array<uint32_t, 3>{bytes, alloc_bytes, ansi_bytes}),
            (std::array<uint32_t, 3>{6, 6, 17}));
  ReleaseNarrow(internal);
  ReleaseNarrow(ansi);
  std::free(internal_alloc);
  std::free(ansi_alloc);
}

TEST_P(ConversionTest, HeapOnlyConversionsNeverTouchStaticBuffers) {
  wide_buffer[0] = wide_ansi_buffer[0] = WIDE('#');
  utf8_buffer[0] = ansi_buffer[0] = '#';
  uint32_t counts[4] = {};
  WideChar* wide = ToWideAlloc("", &counts[0]);
  char* results[] = {FromWideAlloc(WIDE(""), &counts[1]), FromAnsiAlloc("\xE9", &counts[2]),
                     ToAnsiAlloc("\xC3\xA9", &counts[3])};
  EXPECT_EQ(wide[0], 0);
  EXPECT_EQ(std::string(results[0]) + '|' + results[1] + '|' + results[2], "|\xC3\xA9|\xE9");
  EXPECT_EQ((std::array<uint32_t, 4>{counts[0], counts[1], counts[2], counts[3]}),
            (std::array<uint32_t, 4>{1, 1, 3, 2}));
  EXPECT_FALSE(IsStatic(wide) || IsStatic(results[0]) || IsStatic(results[1]) ||
               IsStatic(results[2]));
  EXPECT_EQ((WideString{wide_buffer[0], wide_ansi_buffer[0]}), WIDE("##"));
  EXPECT_EQ((std::string{utf8_buffer[0], ansi_buffer[0]}), "##");
  std::free(wide);
  for (char* result : results) std::free(result);
}

// The codec drops broken input, the platform's UTF-8 code page replaces it.
TEST_P(ConversionTest, BrokenInputFollowsTheActivePath) {
  const bool platform = GetParam() != 0;
  WideChar* wide = ToWide("A\xC3(");
  uint32_t bytes = 0;
  char* narrow = FromWide(WIDE("\xDC00"), &bytes);
  EXPECT_EQ(WideString(wide), platform ? WIDE("A\xFFFD(") : WIDE("A("));
  EXPECT_STREQ(narrow, platform ? "\xEF\xBF\xBD" : "");
  EXPECT_EQ(bytes, platform ? 4u : 1u);
  ReleaseWide(wide);
  ReleaseNarrow(narrow);
}

// Placement follows the converted size: 2100 two-byte characters are 4200 bytes but 2101 units.
TEST_P(ConversionTest, AnsiStepHoldsExactly4096Bytes) {
  std::string e_acute;
  for (int i = 0; i < 2100; ++i) e_acute += "\xC3\xA9";
  WideChar* wide = ToWide(e_acute.c_str());
  EXPECT_EQ(wide, wide_buffer);
  EXPECT_EQ(WideString(wide), WideString(2100, WIDE('\x00E9')));
  ReleaseWide(wide);
  for (const uint32_t length : {4095u, 4096u}) {
    char* ansi = ToAnsi(std::string(length, 'a').c_str());
    EXPECT_EQ(ansi == ansi_buffer, length == 4095);
    EXPECT_EQ(std::strlen(ansi), length);
    EXPECT_EQ(Flags(), (std::array<int, 4>{0, 0, 0, length == 4095}));
    ReleaseNarrow(ansi);
  }
}

TEST_F(ConversionPlatformTest, StaticBufferHoldsExactly4096ConvertedUnits) {
  utf8_code_page_valid = 1;
  for (const uint32_t length : {4095u, 4096u}) {
    SCOPED_TRACE(length);
    const bool fits = length == 4095;
    const std::string text(length, 'a');
    uint32_t bytes = 0, ansi_bytes = 0;
    WideChar* wide = ToWide(text.c_str());
    char* narrow = FromWide(WideString(length, WIDE('a')).c_str(), &bytes);
    EXPECT_EQ(wide == wide_buffer, fits);
    EXPECT_EQ(narrow == utf8_buffer, fits);
    EXPECT_EQ(Flags(), (std::array<int, 4>{fits, 0, fits, 0}));
    EXPECT_EQ(WideString(wide).size(), length);
    EXPECT_EQ(bytes, length + 1);
    ReleaseWide(wide);
    ReleaseNarrow(narrow);
    narrow = FromAnsi(text.c_str(), &ansi_bytes);
    EXPECT_EQ(narrow == utf8_buffer, fits);
    EXPECT_EQ(ansi_bytes, length + 1);
    EXPECT_EQ(Flags(), (std::array<int, 4>{0, 0, fits, 0}));
    ReleaseNarrow(narrow);
  }
  // 1365 three-byte characters from 1365 units fill the 4096 bytes exactly.
  char* narrow = FromWide(WideString(1365, WIDE('\x20AC')).c_str(), nullptr);
  EXPECT_EQ(narrow, utf8_buffer);
  EXPECT_EQ(std::strlen(narrow), 4095u);
  ReleaseNarrow(narrow);
}

TEST_F(ConversionPlatformTest, ReleaseClearsOnlyItsOwnBufferAndIgnoresNone) {
  wide_buffer_in_use = wide_ansi_buffer_in_use = utf8_buffer_in_use = ansi_buffer_in_use = 1;
  ReleaseNarrow(nullptr);
  ReleaseWide(nullptr);
  EXPECT_EQ(Flags(), (std::array<int, 4>{1, 1, 1, 1}));
  ReleaseNarrow(ansi_buffer);
  ReleaseWide(wide_ansi_buffer);
  EXPECT_EQ(Flags(), (std::array<int, 4>{1, 0, 1, 0}));
  ReleaseNarrow(utf8_buffer);
  ReleaseWide(wide_buffer);
}

}  // namespace
