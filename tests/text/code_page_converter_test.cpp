#include "code_page_converter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string PlatformWide(uint32_t code_page, const std::string& text) {
  const uint32_t needed = MultiByteToWide(code_page, text.c_str(), nullptr, 0);
  std::u16string out(needed, u'\xFFFF');
  EXPECT_EQ(MultiByteToWide(code_page, text.c_str(), out.data(), needed), needed);
  if (needed == 0 || out.back() != 0) return u"<refused or unterminated>";
  out.pop_back();
  return out;
}

std::string PlatformNarrow(uint32_t code_page, const std::u16string& text) {
  const uint32_t needed = WideToMultiByte(code_page, text.c_str(), nullptr, 0);
  std::string out(needed, '\xFF');
  EXPECT_EQ(WideToMultiByte(code_page, text.c_str(), out.data(), needed), needed);
  if (needed == 0 || out.back() != 0) return "<refused or unterminated>";
  out.pop_back();
  return out;
}

// Unlike the program's own codec, the UTF-8 code page replaces each ill-formed stretch.
TEST(CodePageConverterTest, Utf8CodePageReplacesIllFormedInput) {
  EXPECT_EQ(PlatformWide(kCodePageUtf8, "\x41\xC3\x28"), u"\x0041\xFFFD\x0028");
  EXPECT_EQ(PlatformWide(kCodePageUtf8, "\xC0\x80"), u"\xFFFD\xFFFD");
  EXPECT_EQ(PlatformWide(kCodePageUtf8, "\xED\xA0\x80"), u"\xFFFD\xFFFD\xFFFD");
  EXPECT_EQ(PlatformWide(kCodePageUtf8, "\xF4\x90\x80\x80"), u"\xFFFD\xFFFD\xFFFD\xFFFD");
  EXPECT_EQ(PlatformWide(kCodePageUtf8, "\xE2\x82\x41\xF0\x9F\x98"), u"\xFFFD\x0041\xFFFD");
  EXPECT_EQ(PlatformWide(kCodePageUtf8, "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"),
            u"\xD83D\xDE00\xDBFF\xDFFF");
  EXPECT_EQ(PlatformNarrow(kCodePageUtf8, u"\xDC00\xD83D\x0041\xD83D"),
            "\xEF\xBF\xBD\xEF\xBF\xBD\x41\xEF\xBF\xBD");
  EXPECT_EQ(PlatformNarrow(kCodePageUtf8, u"\x07FF\x0800\xD83D\xDE00"),
            "\xDF\xBF\xE0\xA0\x80\xF0\x9F\x98\x80");
}

TEST(CodePageConverterTest, AnsiCodePageIsLatin1) {
  EXPECT_EQ(PlatformWide(kCodePageAnsi, "A\xE9\xFF"), u"A\x00E9\x00FF");
  EXPECT_EQ(PlatformNarrow(kCodePageAnsi, u"A\x00E9\x00FF\x0100\x20BF\xD83C\xDFAE"),
            "A\xE9\xFF????");
}

TEST(CodePageConverterTest, CountsTheTerminatorAndRefusesWhatDoesNotFit) {
  for (const uint32_t code_page : {kCodePageAnsi, kCodePageUtf8}) {
    SCOPED_TRACE(code_page);
    char16_t wide[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(MultiByteToWide(code_page, "", nullptr, 0), 1u);
    EXPECT_EQ(MultiByteToWide(code_page, "abc", nullptr, 0), 4u);
    EXPECT_EQ(MultiByteToWide(code_page, "abc", wide, 3), 0u);
    EXPECT_EQ(MultiByteToWide(code_page, "abc", wide, 4), 4u);
    EXPECT_EQ(std::u16string(wide, 4), std::u16string(u"abc", 4));
    EXPECT_EQ(MultiByteToWide(code_page, "abc", nullptr, 4), 0u);
    EXPECT_EQ(MultiByteToWide(code_page, nullptr, wide, 4), 0u);
    char narrow[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(WideToMultiByte(code_page, u"abc", nullptr, 0), 4u);
    EXPECT_EQ(WideToMultiByte(code_page, u"abc", narrow, 3), 0u);
    EXPECT_EQ(WideToMultiByte(code_page, u"abc", narrow, 4), 4u);
    EXPECT_EQ(std::string(narrow, 4), std::string("abc", 4));
    EXPECT_EQ(WideToMultiByte(code_page, nullptr, narrow, 4), 0u);
  }
  EXPECT_EQ(MultiByteToWide(1252, "abc", nullptr, 0), 0u);
  EXPECT_EQ(WideToMultiByte(1252, u"abc", nullptr, 0), 0u);
}

}  // namespace
