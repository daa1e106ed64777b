#include "utf8_codec.h"

#include <string>

#include "text_test_support.h"

namespace {

using Utf8CodecTest = TextTest;

TEST_F(Utf8CodecTest, DecodeDropsInvalidSequencesWithoutReplacement) {
  const struct {
    std::string bytes;
    WideString units;
  } cases[] = {
      {"\x41\xC3\x28", WIDE("\x0041\x0028")},
      {"\xC0\x80", WIDE("")},
      {"\xED\xA0\x80", WIDE("")},
      {"\xF0\x9F\x98\x80", WIDE("\xD83D\xDE00")},
      {"\xF4\x90\x80\x80", WIDE("")},
      {"\x80", WIDE("")},
      {"\xE2\x82\x41", WIDE("A")},
      {"\xE2\x82\xAC", WIDE("\x20AC")},
      {"\xF8\x41\xFF", WIDE("A")},
      {"\xC3", WIDE("")},
      {"\xDF\xBF\xE0\xA0\x80", WIDE("\x07FF\x0800")},
      {"\xEF\xBF\xBF", WIDE("\xFFFF")},
      {"\xF4\x8F\xBF\xBF", WIDE("\xDBFF\xDFFF")},
      {"\xF0\x8F\xBF\xBF", WIDE("")},
  };
  for (const auto& c : cases) {
    for (const bool allow_static : {true, false}) {
      uint32_t units = 0;
      WideChar* wide = DecodeUtf8(c.bytes.c_str(), allow_static, &units);
      ASSERT_NE(wide, nullptr);
      EXPECT_EQ(WideString(wide), c.units) << testing::PrintToString(c.bytes);
      EXPECT_EQ(units, c.units.size() + 1);
      EXPECT_EQ(wide == wide_buffer, allow_static);
      ReleaseWide(wide);
    }
  }
}

TEST_F(Utf8CodecTest, EncodeDropsUnpairedSurrogates) {
  const struct {
    WideString units;
    std::string bytes;
  } cases[] = {
      {WIDE("\xDC00"), ""},
      {WIDE("\xD83D\x0041"), "A"},
      {WIDE("\xD83D\xDE00"), "\xF0\x9F\x98\x80"},
      {WIDE("\xD83D"), ""},
      {WIDE("\xD83D\xD83D\xDE00"), "\xF0\x9F\x98\x80"},
      {WIDE("\x007F\x0080\x07FF\x0800\xFFFF"), "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
  };
  for (const auto& c : cases) {
    uint32_t bytes = 0;
    char* text = EncodeUtf8(c.units.c_str(), true, &bytes);
    EXPECT_EQ(text, utf8_buffer);
    EXPECT_EQ(std::string(text), c.bytes);
    EXPECT_EQ(bytes, c.bytes.size() + 1);
    ReleaseNarrow(text);
  }
}

// Rows: length in units (decode) or bytes (encode), allow_static, heap capacity (0: static).
TEST_F(Utf8CodecTest, GrowsInSteps1024AndFreesTheStaticBufferOnMove) {
  const uint32_t decode[][3] = {{4093, 1, 0}, {4094, 1, 5120}, {5117, 1, 5120}, {5118, 1, 6144},
                                {0, 0, 1024}, {1021, 0, 1024}, {1022, 0, 2048}};
  const uint32_t encode[][3] = {{4091, 1, 0}, {4092, 1, 5120}, {5115, 1, 5120}, {5116, 1, 6144},
                                {0, 0, 1024}, {1019, 0, 1024}, {1020, 0, 2048}};
  const auto check_capacity = [](const auto* block, uint32_t capacity) {
    if (capacity == 0 || BlockUnits(block) == 0) return;
    EXPECT_GE(BlockUnits(block), capacity);
    EXPECT_LT(BlockUnits(block), capacity + 1024);
  };
  for (const auto& [length, allow_static, capacity] : decode) {
    SCOPED_TRACE(length);
    uint32_t units = 0;
    WideChar* wide = DecodeUtf8(std::string(length, 'a').c_str(), allow_static != 0, &units);
    EXPECT_EQ(WideString(wide), WideString(length, WIDE('a')));
    EXPECT_EQ(units, length + 1);
    EXPECT_EQ(wide == wide_buffer, capacity == 0);
    EXPECT_EQ(wide_buffer_in_use, capacity == 0 ? 1 : 0);
    check_capacity(wide, capacity);
    ReleaseWide(wide);
  }
  for (const auto& [length, allow_static, capacity] : encode) {
    SCOPED_TRACE(length);
    uint32_t bytes = 0;
    char* text = EncodeUtf8(WideString(length, WIDE('a')).c_str(), allow_static != 0, &bytes);
    EXPECT_EQ(std::string(text), std::string(length, 'a'));
    EXPECT_EQ(bytes, length + 1);
    EXPECT_EQ(text == utf8_buffer, capacity == 0);
    EXPECT_EQ(utf8_buffer_in_use, capacity == 0 ? 1 : 0);
    check_capacity(text, capacity);
    ReleaseNarrow(text);
  }
}

}  // namespace
