// The Win32 platform calls against the real system (under Wine), in both API forms and with both
// UTF-8 converters: the narrow forms are what an old Windows takes, which romspan.exe under Wine
// never does.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <filesystem>
#include <string>

#include "command_line_source.h"
#include "conversion_buffers.h"
#include "dual_calls.h"
#include "platform_calls.h"
#include "text_modes.h"

namespace {

// The system's own conversions, independent of the layer under test.
std::wstring Wide(const std::string& text) {
  std::wstring out(text.size(), L'\0');
  out.resize(
      MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), int(out.size())));
  return out;
}
std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(),
                                 int(out.size()), nullptr, nullptr));
  return out;
}
std::string ReadAll(FILE* stream) {
  std::string text(256, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), stream));
  std::fclose(stream);
  return text;
}

// The ANSI code page (1252 under Wine) holds "ä" but neither "₿" nor "🎮".
const std::string kAnsiName = "Zelda \xC3\xA4.sfc";
const std::string kWideOnlyName = "Zelda \xC3\xA4 \xE2\x82\xBF \xF0\x9F\x8E\xAE.sfc";

struct Modes {
  uint8_t wide_api, utf8_code_page;
};

// Each test gets a scratch folder with a non-ASCII name, and must leave every buffer free.
class Win32 : public testing::TestWithParam<Modes> {
 protected:
  void SetUp() override {
    wide_api_mode = GetParam().wide_api;
    utf8_code_page_valid = GetParam().utf8_code_page;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    scratch_ =
        std::wstring(temp) + L"romspan \x00E4 " + std::to_wstring(GetCurrentProcessId()) + L"\\";
    std::filesystem::remove_all(scratch_);
    ASSERT_TRUE(CreateDirectoryW(scratch_.c_str(), nullptr));
    name_ = wide_api_mode ? kWideOnlyName : kAnsiName;
  }
  void TearDown() override {
    EXPECT_EQ(Flags(), (std::array<int, 4>{})) << "wide, wide_ansi, utf8, ansi left taken";
    wide_api_mode = utf8_code_page_valid = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(scratch_))
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(scratch_);
  }
  static std::array<int, 4> Flags() {
    return {wide_buffer_in_use, wide_ansi_buffer_in_use, utf8_buffer_in_use, ansi_buffer_in_use};
  }
  std::string Path(const std::string& name) const { return Utf8(scratch_) + name; }
  std::vector<std::wstring> Listing() const {
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(scratch_))
      names.push_back(entry.path().filename());
    return names;
  }
  std::wstring scratch_;
  std::string name_;  // a name the API form can hold
};

INSTANTIATE_TEST_SUITE_P(, Win32,
                         testing::Values(Modes{1, 1}, Modes{1, 0}, Modes{0, 1}, Modes{0, 0}),
                         [](const auto& info) {
                           return std::string(info.param.wide_api ? "Wide" : "Narrow") +
                                  (info.param.utf8_code_page ? "Utf8CodePage" : "OwnCodec");
                         });

void ExpectRefused(const std::string& path, const char* mode) {
  FILE* stream = OpenFileUtf8(path.c_str(), mode);
  EXPECT_EQ(stream, nullptr) << path << " " << mode;
  if (stream != nullptr) std::fclose(stream);
}

// A name the ANSI code page cannot hold reaches the narrow call mangled: it must open nothing,
// nor create a file under the mangled name. Only disk files open: NUL would, in the C runtime.
TEST_P(Win32, OpensDiskFilesOnly) {
  FILE* created = OpenFileUtf8(Path(name_).c_str(), "wb");
  ASSERT_NE(created, nullptr);
  std::fputs("header", created);
  std::fclose(created);
  FILE* update = OpenFileUtf8(Path(name_).c_str(), "r+b");
  ASSERT_NE(update, nullptr);
  std::fseek(update, 0, SEEK_END);
  std::fputs("+tail", update);
  std::fclose(update);
  EXPECT_EQ(ReadAll(_wfopen((scratch_ + Wide(name_)).c_str(), L"rb")), "header+tail");
  if (!wide_api_mode) {
    for (const char* mode : {"r+b", "wb"}) ExpectRefused(Path(kWideOnlyName), mode);
    EXPECT_EQ(GetFileAttributesUtf8(Path(kWideOnlyName).c_str()), kAttributesInvalid);
  }
  EXPECT_EQ(Listing(), std::vector<std::wstring>{Wide(name_)});
  const std::string folder = Utf8(scratch_.substr(0, scratch_.size() - 1));
  for (const std::string& path :
       {folder, std::string("NUL"), std::string("CON"), Path("missing.sfc")})
    for (const char* mode : {"rb", "r+b"}) ExpectRefused(path, mode);
  ExpectRefused(Path("no\\x.sfc"), "wb");
  EXPECT_EQ(GetFileAttributesUtf8(folder.c_str()) & 0x11u, kAttributeDirectory);
  EXPECT_EQ(GetFileAttributesUtf8(Path("missing.sfc").c_str()), kAttributesInvalid);
  EXPECT_EQ(GetFileAttributesUtf8(nullptr), kAttributesInvalid);
  // Read-only refuses writing whoever asks, as Windows does; Wine run by root would allow it.
  ASSERT_TRUE(SetFileAttributesW((scratch_ + Wide(name_)).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesUtf8(Path(name_).c_str()) & 0x11u, kAttributeReadOnly);
  EXPECT_EQ(ReadAll(OpenFileUtf8(Path(name_).c_str(), "rb")), "header+tail");
  for (const char* mode : {"r+b", "wb"}) ExpectRefused(Path(name_), mode);
}

// A run holds its ROM against every other writer but not against readers, builds its result in
// a working copy beside it and puts that in the ROM's place, keeping the ROM's attributes.
TEST_P(Win32, RunHoldsTheRomAndReplacesItWithItsWorkingCopy) {
  FILE* created = OpenFileUtf8(Path(name_).c_str(), "wb");
  ASSERT_NE(created, nullptr);
  std::fclose(created);
  ASSERT_TRUE(SetFileAttributesW((scratch_ + Wide(name_)).c_str(), FILE_ATTRIBUTE_HIDDEN));
  bool in_use = true;
  FILE* held = OpenFileExclusiveUtf8(Path(name_).c_str(), &in_use);
  ASSERT_NE(held, nullptr);
  EXPECT_FALSE(in_use);
  EXPECT_EQ(OpenFileExclusiveUtf8(Path(name_).c_str(), &in_use), nullptr);
  EXPECT_TRUE(in_use);
  ExpectRefused(Path(name_), "r+b");
  EXPECT_EQ(ReadAll(OpenFileUtf8(Path(name_).c_str(), "rb")), "");
  DiscardWorkingCopy(CreateWorkingCopyUtf8(Path(name_).c_str()));
  EXPECT_EQ(Listing().size(), 1u);
  FILE* copy = CreateWorkingCopyUtf8(Path(name_).c_str());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Listing().size(), 2u);
  std::fputs("new result", copy);
  EXPECT_TRUE(ReplaceWithWorkingCopyUtf8(copy, &held, Path(name_).c_str()));
  EXPECT_EQ(held, nullptr);
  EXPECT_EQ(Listing(), std::vector<std::wstring>{Wide(name_)});
  EXPECT_NE(GetFileAttributesW((scratch_ + Wide(name_)).c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(ReadAll(OpenFileUtf8(Path(name_).c_str(), "rb")), "new result");
}

// The directory fits with its terminator or the size it needs comes back, also while other
// conversions hold the static buffers.
TEST_P(Win32, CurrentDirectoryFitsExactlyOrReportsItsSize) {
  const std::wstring folder =
      scratch_ + Wide(wide_api_mode ? "Dir \xE2\x82\xBF\xF0\x9F\x8E\xAE" : "Dir \xC3\xA4");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
  const std::string expected = Utf8(folder);
  const uint32_t size = static_cast<uint32_t>(expected.size()) + 1;
  WideChar* held_wide = ToWide("held");
  char* held_utf8 = FromWide(L"h\x00E9ld", nullptr);
  char* held_ansi = ToAnsi("h\xC3\xA9ld");
  for (const auto& [capacity, result] :
       {std::pair{0u, size}, {1u, size}, {size - 1, size}, {size, size - 1}}) {
    std::string buffer(size + 10, '#');
    EXPECT_EQ(GetCurrentDirectoryUtf8(capacity, buffer.data()), result);
    EXPECT_EQ(buffer, capacity == 0    ? std::string(size + 10, '#')
                      : result == size ? '\0' + std::string(size + 9, '#')
                                       : expected + '\0' + std::string(10, '#'));
  }
  EXPECT_EQ(std::wstring(held_wide) + Wide(held_utf8), L"heldh\x00E9ld");
  EXPECT_STREQ(held_ansi, "h\xE9ld");
  ReleaseWide(held_wide);
  ReleaseNarrow(held_utf8);
  ReleaseNarrow(held_ansi);
  SetCurrentDirectoryW(saved);
  const HMODULE kernel = LoadLibraryUtf8("kernel32.dll");
  EXPECT_NE(GetProcAddress(kernel, "AttachConsole"), nullptr);
  EXPECT_EQ(LoadLibraryUtf8("no such module \xC3\xA4.dll"), nullptr);
}

TEST_P(Win32, StreamSizeCountsBufferedWritesAndPasses4GiB) {
  FILE* stream = OpenFileUtf8(Path(name_).c_str(), "w+b");
  ASSERT_NE(stream, nullptr);
  ASSERT_EQ(std::setvbuf(stream, nullptr, _IOFBF, 1 << 16), 0);
  uint64_t size = 0;
  std::fwrite(std::string(1000, 'x').data(), 1, 1000, stream);
  EXPECT_TRUE(GetStreamFileSize(stream, &size));
  EXPECT_EQ(size, 1000u);
  std::fseek(stream, 5000, SEEK_SET);
  std::fputc('y', stream);
  EXPECT_TRUE(GetStreamFileSize(stream, &size));
  EXPECT_EQ(size, 5001u);
  std::fclose(stream);
  EXPECT_FALSE(GetStreamFileSize(nullptr, &size));
  HANDLE file = CreateFileW((scratch_ + L"big.sfc").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            0, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = (LONGLONG{5} << 30) + 3;
  const bool made = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  if (!made) GTEST_SKIP() << "no sparse file here";
  stream = OpenFileUtf8(Path("big.sfc").c_str(), "rb");
  EXPECT_TRUE(GetStreamFileSize(stream, &size));
  EXPECT_EQ(size, (uint64_t{5} << 30) + 3);
  std::fclose(stream);
}

// The test runs itself again with known arguments, handed over in the environment; the child
// must get them back exactly, blanks, tab and quotes kept, after a quoted program name.
TEST(CommandLine, ArgumentsFollowTheProgramName) {
  uint32_t length = 99;
  char* arguments = GetCommandLineArguments(&length);
  const std::string got = arguments == nullptr ? "" : arguments;
  std::free(arguments);
  EXPECT_EQ(length, got.size());
  if (const wchar_t* wanted = _wgetenv(L"ROMSPAN_WANTED_ARGUMENTS")) {
    EXPECT_EQ(got, Utf8(wanted));
    return;
  }
  const std::wstring tail =
      L"--gtest_brief=1 --gtest_filter=CommandLine.*  \t\"x \x00E4 \x20BF\" \xD83C\xDFAE ";
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring line = L" \"" + std::wstring(self) + L"\" \t " + tail;
  ASSERT_TRUE(SetEnvironmentVariableW(L"ROMSPAN_WANTED_ARGUMENTS", tail.c_str()));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  ASSERT_TRUE(CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &child));
  SetEnvironmentVariableW(L"ROMSPAN_WANTED_ARGUMENTS", nullptr);
  DWORD exit_code = 99;
  WaitForSingleObject(child.hProcess, 60000);
  GetExitCodeProcess(child.hProcess, &exit_code);
  CloseHandle(child.hProcess);
  CloseHandle(child.hThread);
  EXPECT_EQ(exit_code, 0u);
}

}  // namespace
