// Internal UTF-8 text against the platform's wide and ANSI text: the program's own codec, the
// four static conversion buffers in both UTF-8 modes, the stand-in code page converters and the
// arguments text of a process command line.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include "code_page_converter.h"
#include "command_line_text.h"
#include "conversion_buffers.h"
#include "text_modes.h"
#include "utf8_codec.h"

namespace {

#ifdef _WIN32
#define WIDE(literal) L##literal
#else
#define WIDE(literal) u##literal
#endif
using WideString = std::basic_string<WideChar>;

std::array<int, 4> Flags() {
  return {wide_buffer_in_use, wide_ansi_buffer_in_use, utf8_buffer_in_use, ansi_buffer_in_use};
}
bool IsStatic(const void* p) {
  return p == wide_buffer || p == wide_ansi_buffer || p == utf8_buffer || p == ansi_buffer;
}

// Runs with the program's own codec (0) and the platform's UTF-8 code page (1); every test
// must leave the buffers free, as a fresh process has them.
class Text : public testing::TestWithParam<uint8_t> {
 protected:
  void SetUp() override { utf8_code_page_valid = GetParam(); }
  void TearDown() override {
    EXPECT_EQ(Flags(), (std::array<int, 4>{})) << "wide, wide_ansi, utf8, ansi left taken";
    wide_buffer_in_use = wide_ansi_buffer_in_use = utf8_buffer_in_use = ansi_buffer_in_use = 0;
  }
};
INSTANTIATE_TEST_SUITE_P(, Text, testing::Values(0, 1),
                         [](const auto& info) { return info.param ? "Utf8CodePage" : "OwnCodec"; });

// Ill-formed text: the program's own codec drops it, the UTF-8 code page replaces each ill-formed
// stretch with U+FFFD, as Windows does (Wine's own converter differs, so there only the codec is
// held to it). Surrogates pair only high (D800-DBFF) then low (DC00-DFFF).
#ifdef _WIN32
constexpr bool kStandIn = false;
#else
constexpr bool kStandIn = true;
#endif
const struct {
  std::string bytes;
  WideString dropped, replaced;
} kDecode[] = {
    {"\x41\xC3\x28", WIDE("A("), WIDE("A\xFFFD(")},
    {"\xC0\x80\x80\xC3", WIDE(""), WIDE("\xFFFD\xFFFD\xFFFD\xFFFD")},
    {"\xED\xA0\x80\xED\xBF\xBF", WIDE(""), WIDE("\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD")},
    {"\xF4\x90\x80\x80", WIDE(""), WIDE("\xFFFD\xFFFD\xFFFD\xFFFD")},
    {"\xF0\x8F\xBF\xBF", WIDE(""), WIDE("\xFFFD\xFFFD\xFFFD\xFFFD")},
    {"\xE2\x82\xC0\x41", WIDE("A"),
     WIDE("\xFFFD\xFFFD"
          "A")},
    {"\xE2\x82\x41\xF8\x42\xF0\x9F\x98", WIDE("AB"),
     WIDE("\xFFFD"
          "A\xFFFD"
          "B\xFFFD")},
    {"\xC1\xBF\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF", WIDE("\x0080\x07FF\x0800\xFFFF"),
     WIDE("\xFFFD\xFFFD\x0080\x07FF\x0800\xFFFF")},
    {"\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", WIDE("\xD83D\xDE00\xDBFF\xDFFF"),
     WIDE("\xD83D\xDE00\xDBFF\xDFFF")},
};
const struct {
  WideString units;
  std::string dropped, replaced;
} kEncode[] = {
    {WIDE("\xDC00\xD83D\x0041\xD83D"), "A",
     "\xEF\xBF\xBD\xEF\xBF\xBD"
     "A\xEF\xBF\xBD"},
    {WIDE("\xD83D\xD83D\xDE00"), "\xF0\x9F\x98\x80", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
    {WIDE("\xDC00\xDFFF"), "", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    {WIDE("\xDBFF\xDFFF\xD800\xDC00\xDBFF\xE000\xDFFF"),
     "\xF4\x8F\xBF\xBF\xF0\x90\x80\x80\xEE\x80\x80",
     "\xF4\x8F\xBF\xBF\xF0\x90\x80\x80\xEF\xBF\xBD\xEE\x80\x80\xEF\xBF\xBD"},
    {WIDE("\xD7FF\xDBFF\xDBFF\xDC00"), "\xED\x9F\xBF\xF4\x8F\xB0\x80",
     "\xED\x9F\xBF\xEF\xBF\xBD\xF4\x8F\xB0\x80"},
    {WIDE("\x007F\x0080\x07FF\x0800\xFFFF"), "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF",
     "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
};

TEST_P(Text, IllFormedTextIsDroppedOrReplaced) {
  for (const auto& [bytes, dropped, replaced] : kDecode) {
    for (const bool allow_static : {true, false}) {
      uint32_t count = 0;
      WideChar* wide = DecodeUtf8(bytes.c_str(), allow_static, &count);
      EXPECT_EQ(WideString(wide), dropped) << testing::PrintToString(bytes);
      EXPECT_EQ(count, dropped.size() + 1);
      EXPECT_EQ(wide == wide_buffer, allow_static);
      ReleaseWide(wide);
    }
    WideChar* wide = ToWide(bytes.c_str());
    if (kStandIn || !GetParam()) {
      EXPECT_EQ(WideString(wide), GetParam() ? replaced : dropped);
    }
    ReleaseWide(wide);
  }
  for (const auto& [units, dropped, replaced] : kEncode) {
    uint32_t count = 0, bytes = 0;
    char* text = EncodeUtf8(units.c_str(), true, &count);
    EXPECT_EQ(text, utf8_buffer);
    EXPECT_EQ(std::string(text), dropped) << testing::PrintToString(dropped);
    EXPECT_EQ(count, dropped.size() + 1);
    ReleaseNarrow(text);
    text = FromWide(units.c_str(), &bytes);
    EXPECT_EQ(std::string(text), GetParam() ? replaced : dropped)
        << testing::PrintToString(dropped);
    EXPECT_EQ(bytes, (GetParam() ? replaced : dropped).size() + 1);
    ReleaseNarrow(text);
  }
}

// Rows: decoded units, encoded bytes, allow_static. The decoder keeps room for a surrogate pair
// and the terminator, the encoder for four bytes and it: text that outgrows the static buffer
// moves to the heap and frees it.
TEST_P(Text, CodecMovesLongTextToTheHeap) {
  const uint32_t rows[][3] = {{4093, 4091, 1}, {4094, 4092, 1}, {5118, 5116, 1}, {1022, 1020, 0}};
  for (const auto& [units, bytes, allow_static] : rows) {
    const bool in_static = allow_static && units < 4094;
    WideChar* wide = DecodeUtf8(std::string(units, 'a').c_str(), allow_static, nullptr);
    EXPECT_EQ(WideString(wide), WideString(units, 'a'));
    EXPECT_EQ(wide_buffer_in_use, in_static) << units;
    ReleaseWide(wide);
    char* text = EncodeUtf8(WideString(bytes, 'a').c_str(), allow_static, nullptr);
    EXPECT_EQ(std::string(text), std::string(bytes, 'a'));
    EXPECT_EQ(utf8_buffer_in_use, in_static) << bytes;
    ReleaseNarrow(text);
  }
}

const std::string kName = "Zelda \xC3\xA4 \xE2\x82\xBF \xF0\x9F\x8E\xAE.sfc";
const WideString kWideName = WIDE("Zelda \x00E4 \x20BF \xD83C\xDFAE.sfc");

TEST_P(Text, ConversionsRoundTripAndCount) {
  uint32_t counts[6] = {9, 9, 9, 9, 9, 9};
  EXPECT_EQ(ToWide(nullptr), nullptr);
  EXPECT_EQ(ToAnsi(nullptr), nullptr);
  EXPECT_EQ(FromWide(nullptr, &counts[0]), nullptr);
  EXPECT_EQ(FromAnsi(nullptr, &counts[1]), nullptr);
  EXPECT_EQ(ToWideAlloc(nullptr, &counts[2]), nullptr);
  EXPECT_EQ(FromWideAlloc(nullptr, &counts[3]), nullptr);
  EXPECT_EQ(FromAnsiAlloc(nullptr, &counts[4]), nullptr);
  EXPECT_EQ(ToAnsiAlloc(nullptr, &counts[5]), nullptr);
  EXPECT_EQ(std::to_array(counts), (std::array<uint32_t, 6>{}));

  WideChar* wide = ToWide(kName.c_str());
  char* back = FromWide(wide, &counts[0]);
  char* ansi = ToAnsi(kName.c_str());  // Latin-1, '?' for what it lacks
  WideChar* wide_alloc = ToWideAlloc(kName.c_str(), &counts[1]);
  char* back_alloc = FromWideAlloc(wide_alloc, &counts[2]);
  char* ansi_alloc = ToAnsiAlloc(kName.c_str(), &counts[3]);
  EXPECT_TRUE(wide == wide_buffer && back == utf8_buffer && ansi == ansi_buffer);
  EXPECT_EQ(WideString(wide) + WIDE("|") + wide_alloc, kWideName + WIDE("|") + kWideName);
  EXPECT_EQ(std::string(back) + "|" + back_alloc, kName + "|" + kName);
  EXPECT_EQ(std::string(ansi) + "|" + ansi_alloc, "Zelda \xE4 ? ??.sfc|Zelda \xE4 ? ??.sfc");
  EXPECT_EQ((std::array<uint32_t, 4>{counts[0], counts[1], counts[2], counts[3]}),
            (std::array<uint32_t, 4>{uint32_t(kName.size() + 1), uint32_t(kWideName.size() + 1),
                                     uint32_t(kName.size() + 1), 17}));
  EXPECT_FALSE(IsStatic(wide_alloc) || IsStatic(back_alloc) || IsStatic(ansi_alloc));
  ReleaseWide(wide);
  ReleaseNarrow(back);
  ReleaseNarrow(ansi);
  char* latin = FromAnsi("\xE9t\xE9", &counts[0]);
  char* latin_alloc = FromAnsiAlloc("\xE9", &counts[1]);
  EXPECT_EQ(std::string(latin) + "|" + latin_alloc, "\xC3\xA9t\xC3\xA9|\xC3\xA9");
  EXPECT_EQ(latin, utf8_buffer);
  EXPECT_EQ((std::array<uint32_t, 2>{counts[0], counts[1]}), (std::array<uint32_t, 2>{6, 3}));
  ReleaseNarrow(latin);
  for (void* block : {(void*)wide_alloc, (void*)back_alloc, (void*)ansi_alloc, (void*)latin_alloc})
    std::free(block);
}

// A taken buffer sends the next result to the heap, never to another buffer, and leaves the
// live result alone; ToAnsi then makes its intermediate on the heap. Release order is free.
TEST_P(Text, LiveResultsShareNothing) {
  for (const bool first_released_first : {true, false}) {
    WideChar* first = ToWide("first");
    WideChar* second = ToWide("second");
    char* held = FromWide(WIDE("held"), nullptr);
    char* other = FromWide(WIDE("other"), nullptr);
    char* ansi = ToAnsi("\xC3\xA9");
    EXPECT_TRUE(first == wide_buffer && held == utf8_buffer && ansi == ansi_buffer);
    EXPECT_FALSE(IsStatic(second) || IsStatic(other));
    EXPECT_EQ(WideString(first) + second, WIDE("firstsecond"));
    EXPECT_EQ(std::string(held) + other + ansi, "heldother\xE9");
    EXPECT_EQ(Flags(), (std::array<int, 4>{1, 0, 1, 1}));
    ReleaseWide(first_released_first ? first : second);
    ReleaseWide(first_released_first ? second : first);
    ReleaseNarrow(nullptr);
    ReleaseWide(nullptr);
    ReleaseNarrow(held);
    ReleaseNarrow(other);
    ReleaseNarrow(ansi);
    EXPECT_EQ(Flags(), (std::array<int, 4>{}));
  }
  // A release clears its own buffer's flag only.
  wide_ansi_buffer_in_use = utf8_buffer_in_use = 1;
  ReleaseWide(wide_ansi_buffer);
  EXPECT_EQ(Flags(), (std::array<int, 4>{0, 0, 1, 0}));
  ReleaseNarrow(utf8_buffer);
}

// The static buffers hold 4095 units and the terminator (the codec keeps room for a whole
// sequence). 2100 two-byte characters are 4200 bytes but 2101 units; 1365 three-byte characters
// fill 4095 bytes exactly.
TEST_P(Text, StaticBuffersHoldExactly4096Units) {
  for (const uint32_t length : {4095u, 4096u}) {
    const bool fits = length == 4095;
    const std::string text(length, 'a');
    uint32_t bytes = 0, ansi_bytes = 0;
    WideChar* wide = ToWide(text.c_str());
    char* narrow = FromWide(WideString(length, 'a').c_str(), &bytes);
    char* ansi = ToAnsi(text.c_str());
    const int platform_fits = fits && GetParam();
    EXPECT_EQ(Flags(), (std::array<int, 4>{platform_fits, 0, platform_fits, fits})) << length;
    EXPECT_EQ(WideString(wide), WideString(length, 'a'));
    EXPECT_EQ(bytes, length + 1);
    EXPECT_EQ(std::string(ansi), text);
    ReleaseWide(wide);
    ReleaseNarrow(narrow);
    ReleaseNarrow(ansi);
    narrow = FromAnsi(text.c_str(), &ansi_bytes);
    EXPECT_EQ(narrow == utf8_buffer, fits && GetParam());
    EXPECT_EQ(ansi_bytes, length + 1);
    ReleaseNarrow(narrow);
  }
  std::string e_acute;
  for (int i = 0; i < 2100; ++i) e_acute += "\xC3\xA9";
  WideChar* wide = ToWide(e_acute.c_str());
  EXPECT_EQ(WideString(wide), WideString(2100, WIDE('\x00E9')));
  char* narrow = FromWide(WideString(1365, WIDE('\x20AC')).c_str(), nullptr);
  EXPECT_EQ(wide, wide_buffer);
  EXPECT_EQ(narrow == utf8_buffer, GetParam() == 1);
  ReleaseWide(wide);
  ReleaseNarrow(narrow);
}

#ifndef _WIN32
std::u16string Wide(uint32_t code_page, const std::string& text) {
  std::u16string out(MultiByteToWide(code_page, text.c_str(), nullptr, 0), u'#');
  out.resize(MultiByteToWide(code_page, text.c_str(), out.data(), out.size()));
  return out.empty() || out.back() != 0 ? u"<refused>" : out.substr(0, out.size() - 1);
}
std::string Narrow(uint32_t code_page, const std::u16string& text) {
  std::string out(WideToMultiByte(code_page, text.c_str(), nullptr, 0), '#');
  out.resize(WideToMultiByte(code_page, text.c_str(), out.data(), out.size()));
  return out.empty() || out.back() != 0 ? "<refused>" : out.substr(0, out.size() - 1);
}

TEST(CodePageConverter, ConvertsLikeWindows) {
  for (const auto& row : kDecode) EXPECT_EQ(Wide(kCodePageUtf8, row.bytes), row.replaced);
  for (const auto& row : kEncode) EXPECT_EQ(Narrow(kCodePageUtf8, row.units), row.replaced);
  EXPECT_EQ(Wide(kCodePageAnsi, "A\xE9\xFF"), u"A\x00E9\x00FF");
  EXPECT_EQ(Narrow(kCodePageAnsi, u"A\x00E9\x00FF\x0100\x20BF\xD83C\xDFAE"), "A\xE9\xFF????");
  for (const uint32_t code_page : {kCodePageAnsi, kCodePageUtf8}) {
    char16_t wide[4];
    char narrow[4];
    EXPECT_EQ(MultiByteToWide(code_page, "", nullptr, 0), 1u);
    EXPECT_EQ(MultiByteToWide(code_page, "abc", wide, 3), 0u);  // no room for the terminator
    EXPECT_EQ(MultiByteToWide(code_page, "abc", nullptr, 4), 0u);
    EXPECT_EQ(MultiByteToWide(code_page, nullptr, wide, 4), 0u);
    EXPECT_EQ(WideToMultiByte(code_page, u"abc", narrow, 3), 0u);
    EXPECT_EQ(WideToMultiByte(code_page, nullptr, narrow, 4), 0u);
  }
  EXPECT_EQ(MultiByteToWide(1252, "abc", nullptr, 0), 0u);  // no other code page
  EXPECT_EQ(WideToMultiByte(1252, u"abc", nullptr, 0), 0u);
}
#endif

TEST(CommandLineText, KeepsWhatFollowsTheProgramNameAsTyped) {
  const std::pair<std::string, const char*> cases[] = {
      {"\"C:\\Program Files\\romspan.exe\"   -ExpandROM \"C:\\My ROMs\\a.smc\" 1MB ",
       "-ExpandROM \"C:\\My ROMs\\a.smc\" 1MB "},
      {"\"C:\\My Tools\"\\romspan.exe x", "x"},  // one name while no blank is outside quotes
      {"C:\\a\"b c\"d.exe  x", "x"},
      {"  romspan.exe\t \tx\ty", "x\ty"},
      {"romspan " + std::string(19, 'a'), "aaaaaaaaaaaaaaaaaaa"},
      {"romspan.exe  \t ", nullptr},
      {"\"romspan.exe x", nullptr},  // an unclosed quote swallows the rest
      {"", nullptr},
  };
  for (const auto& [line, arguments] : cases) {
    uint32_t length = 99;
    char* got = CopyArgumentsText(line.c_str(), static_cast<uint32_t>(line.size()), &length);
    EXPECT_EQ(got ? std::string(got) : "<none>", arguments ? arguments : "<none>") << line;
    EXPECT_EQ(length, arguments ? std::strlen(arguments) : 0u) << line;
    std::free(got);
  }
  uint32_t length = 99;
  EXPECT_EQ(CopyArgumentsText(nullptr, 0, &length), nullptr);
  EXPECT_EQ(length, 0u);
}

}  // namespace
