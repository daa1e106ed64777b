// Shared set-up of the text tests: each test starts and must end as a fresh process would.
#pragma once

#include <gtest/gtest.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <array>
#include <cstddef>
#include <string>

#include "conversion_buffers.h"
#include "text_modes.h"
#include "wide_char.h"

// Wide literals and strings in the platform's wide character type.
#ifdef _WIN32
#define WIDE(literal) L##literal
#else
#define WIDE(literal) u##literal
#endif
using WideString = std::basic_string<WideChar>;

class TextTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ((std::array<int, 4>{wide_buffer_in_use, wide_ansi_buffer_in_use, utf8_buffer_in_use,
                                  ansi_buffer_in_use}),
              (std::array<int, 4>{0, 0, 0, 0}))
        << "wide, wide_ansi, utf8, ansi left taken";
    wide_buffer_in_use = wide_ansi_buffer_in_use = utf8_buffer_in_use = ansi_buffer_in_use = 0;
    utf8_code_page_valid = 0;
  }
};

// Runs once with the program's own codec and once with the platform's UTF-8 code page.
class TextModeTest : public TextTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override { utf8_code_page_valid = static_cast<uint8_t>(GetParam()); }
};

inline std::string ModeName(const ::testing::TestParamInfo<int>& info) {
  return info.param != 0 ? "Utf8CodePage" : "OwnCodec";
}

// Units a heap block can hold, so growth steps can be checked; 0 where the C library cannot tell.
template <typename Unit>
size_t BlockUnits(const Unit* block) {
#ifdef __GLIBC__
  return malloc_usable_size(const_cast<Unit*>(block)) / sizeof(Unit);
#else
  (void)block;
  return 0;
#endif
}
