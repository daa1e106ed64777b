// The Win32 platform wrappers against the real system calls (under Wine), in both API forms.
#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "command_line_source.h"
#include "conversion_buffers.h"
#include "dual_calls.h"
#include "platform_calls.h"
#include "text_modes.h"

namespace {

// Independent of the layer under test: the system's own UTF-8 conversion.
std::wstring Wide(const std::string& text) {
  std::wstring out(text.size(), L'\0');
  out.resize(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                 static_cast<int>(out.size())));
  return out;
}

std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

std::array<int, 4> Flags() {
  return {wide_buffer_in_use, wide_ansi_buffer_in_use, utf8_buffer_in_use, ansi_buffer_in_use};
}
constexpr std::array<int, 4> kClear{0, 0, 0, 0};

// The ANSI code page (1252 under Wine) holds "ä" but neither "₿" nor "🎮".
const std::string kAnsiName = "Zelda \xC3\xA4.sfc";
const std::string kWideOnlyName = "Zelda \xC3\xA4 \xE2\x82\xBF \xF0\x9F\x8E\xAE.sfc";

struct Modes {
  uint8_t wide_api;
  uint8_t utf8_code_page;
};

// Each test gets a scratch folder with a non-ASCII name; the modes and the current directory are
// restored and every static buffer must be free again when it ends.
class Win32Test : public ::testing::TestWithParam<Modes> {
 protected:
  void SetUp() override {
    wide_api_mode = GetParam().wide_api;
    utf8_code_page_valid = GetParam().utf8_code_page;
    WCHAR temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    scratch_ = std::wstring(temp) + L"romspan w32 \x00E4 " +
               std::to_wstring(GetCurrentProcessId()) + L"\\";
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);  // left by an earlier run with this id
    ASSERT_TRUE(CreateDirectoryW(scratch_.c_str(), nullptr));
    GetCurrentDirectoryW(MAX_PATH, temp);
    saved_directory_ = temp;
  }
  void TearDown() override {
    EXPECT_EQ(Flags(), kClear) << "wide, wide_ansi, utf8, ansi left taken";
    wide_buffer_in_use = wide_ansi_buffer_in_use = utf8_buffer_in_use = ansi_buffer_in_use = 0;
    wide_api_mode = utf8_code_page_valid = 0;
    SetCurrentDirectoryW(saved_directory_.c_str());
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(scratch_, error)) {
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::filesystem::remove_all(scratch_, error);
    EXPECT_FALSE(error) << "scratch folder left: " << error.message();
  }
  // Internal text of a path in the scratch folder.
  std::string Path(const std::string& name) const { return Utf8(scratch_) + name; }
  // What the scratch folder holds, by the system's own listing.
  std::vector<std::wstring> Listing() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((scratch_ + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if (found.cFileName[0] != L'.') names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }
  std::wstring scratch_;
  std::wstring saved_directory_;
};

INSTANTIATE_TEST_SUITE_P(, Win32Test,
                         ::testing::Values(Modes{1, 1}, Modes{1, 0}, Modes{0, 1}, Modes{0, 0}),
                         [](const ::testing::TestParamInfo<Modes>& info) {
                           return std::string(info.param.wide_api ? "Wide" : "Narrow") +
                                  (info.param.utf8_code_page ? "Utf8CodePage" : "OwnCodec");
                         });

// A stream that opens anyway is closed, so that the scratch folder can go.
void ExpectRefused(const std::string& path, const char* mode) {
  FILE* stream = OpenFileUtf8(path.c_str(), mode);
  EXPECT_EQ(stream, nullptr) << path << " " << mode;
  if (stream != nullptr) std::fclose(stream);
}

std::string ReadAll(FILE* stream, size_t most) {
  std::string text(most, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), stream));
  return text;
}

// The narrow form gets a name the ANSI code page holds; one it cannot hold reaches the narrow
// call mangled and must open nothing, nor create a file under the mangled name.
TEST_P(Win32Test, OpenFileCreatesUpdatesAndRereadsANonAsciiName) {
  const std::string name = wide_api_mode ? kWideOnlyName : kAnsiName;
  FILE* created = OpenFileUtf8(Path(name).c_str(), "wb");
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(Flags(), kClear);
  std::fputs("header", created);
  std::fclose(created);
  FILE* update = OpenFileUtf8(Path(name).c_str(), "r+b");
  ASSERT_NE(update, nullptr);
  EXPECT_EQ(ReadAll(update, 6), "header");
  std::fseek(update, 0, SEEK_CUR);
  std::fputs("+tail", update);
  std::fclose(update);
  if (!wide_api_mode && GetACP() != CP_UTF8) {
    for (const char* mode : {"r+b", "wb"}) ExpectRefused(Path(kWideOnlyName), mode);
    EXPECT_EQ(GetFileAttributesUtf8(Path(kWideOnlyName).c_str()), kAttributesInvalid);
  }
  EXPECT_EQ(Listing(), std::vector<std::wstring>{Wide(name)});
  FILE* check = _wfopen((scratch_ + Wide(name)).c_str(), L"rb");
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(ReadAll(check, 64), "header+tail");
  std::fclose(check);
}

// The wrapper opens disk files only: NUL opens as a file in the C runtime but holds no ROM.
TEST_P(Win32Test, OpenFileRefusesWhatIsNoDiskFile) {
  const std::string folder = Utf8(scratch_.substr(0, scratch_.size() - 1));
  const struct {
    std::string path;
    const char* mode;
  } refused[] = {{folder, "rb"},
                 {folder, "r+b"},
                 {"NUL", "rb"},
                 {"NUL", "r+b"},
                 {"CON", "rb"},
                 {"CON", "r+b"},
                 {Path("missing.sfc"), "rb"},
                 {Path("no\\x.sfc"), "wb"}};
  for (const auto& item : refused) {
    ExpectRefused(item.path, item.mode);
    EXPECT_EQ(Flags(), kClear) << item.path;
  }
  EXPECT_EQ(GetFileAttributesUtf8(folder.c_str()) & 0x11u, kAttributeDirectory);
  EXPECT_EQ(GetFileAttributesUtf8(Path("missing.sfc").c_str()), kAttributesInvalid);
  EXPECT_EQ(GetFileAttributesUtf8(nullptr), kAttributesInvalid);
}

TEST_P(Win32Test, ReadOnlyFileOpensForReadingOnly) {
  FILE* rom = OpenFileUtf8(Path(kAnsiName).c_str(), "wb");
  ASSERT_NE(rom, nullptr);
  std::fputs("rom", rom);
  std::fclose(rom);
  const std::wstring wide_path = scratch_ + Wide(kAnsiName);
  ASSERT_TRUE(SetFileAttributesW(wide_path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesUtf8(Path(kAnsiName).c_str()) & 0x11u, kAttributeReadOnly);
  FILE* reader = OpenFileUtf8(Path(kAnsiName).c_str(), "rb");
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(ReadAll(reader, 64), "rom");
  std::fclose(reader);
  // Refused for writing whoever asks, as Windows does; Wine run by root would allow it.
  ExpectRefused(Path(kAnsiName), "r+b");
  ExpectRefused(Path(kAnsiName), "wb");
}

// A run holds its ROM against every other writer but not against readers, builds its result in
// a working copy beside it and puts that in the ROM's place, keeping the ROM's attributes; a
// discarded copy leaves nothing behind.
TEST_P(Win32Test, RunHoldsTheRomAndReplacesItWithItsWorkingCopy) {
  const std::string rom = Path(wide_api_mode ? kWideOnlyName : kAnsiName);
  const auto entries = [this] {
    return std::distance(std::filesystem::directory_iterator(scratch_),
                         std::filesystem::directory_iterator());
  };
  FILE* created = OpenFileUtf8(rom.c_str(), "wb");
  ASSERT_NE(created, nullptr);
  std::fputs("old", created);
  std::fclose(created);
  ASSERT_TRUE(SetFileAttributesW(Wide(rom).c_str(), FILE_ATTRIBUTE_HIDDEN));

  bool in_use = true;
  FILE* held = OpenFileExclusiveUtf8(rom.c_str(), &in_use);
  ASSERT_NE(held, nullptr);
  EXPECT_FALSE(in_use);
  EXPECT_EQ(OpenFileExclusiveUtf8(rom.c_str(), &in_use), nullptr);
  EXPECT_TRUE(in_use);
  ExpectRefused(rom, "r+b");
  FILE* reader = OpenFileUtf8(rom.c_str(), "rb");
  EXPECT_NE(reader, nullptr);
  if (reader != nullptr) std::fclose(reader);

  FILE* discarded = CreateWorkingCopyUtf8(rom.c_str());
  ASSERT_NE(discarded, nullptr);
  EXPECT_EQ(entries(), 2);
  DiscardWorkingCopy(discarded);
  EXPECT_EQ(entries(), 1);

  FILE* copy = CreateWorkingCopyUtf8(rom.c_str());
  ASSERT_NE(copy, nullptr);
  std::fputs("new result", copy);
  EXPECT_TRUE(ReplaceWithWorkingCopyUtf8(copy, &held, rom.c_str()));
  EXPECT_EQ(held, nullptr);
  EXPECT_EQ(entries(), 1);
  EXPECT_NE(GetFileAttributesW(Wide(rom).c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  FILE* result = OpenFileUtf8(rom.c_str(), "rb");
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(ReadAll(result, 64), "new result");
  std::fclose(result);
  EXPECT_EQ(Flags(), kClear);
}

TEST_P(Win32Test, CurrentDirectoryFitsExactlyOrReportsItsSize) {
  const std::wstring folder =
      scratch_ + Wide(wide_api_mode ? "Dir \xE2\x82\xBF\xF0\x9F\x8E\xAE" : "Dir \xC3\xA4");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
  WCHAR current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  const std::string expected = Utf8(current);
  ASSERT_EQ(expected, Utf8(folder));
  const uint32_t size = static_cast<uint32_t>(expected.size()) + 1;
  const struct {
    uint32_t capacity, result;
  } cases[] = {{0, size}, {1, size}, {size - 1, size}, {size, size - 1}, {size + 9, size - 1}};
  for (const bool others_live : {false, true}) {
    WideChar* held_wide = others_live ? ToWide("held") : nullptr;
    char* held_utf8 = others_live ? FromWide(L"h\x00E9ld", nullptr) : nullptr;
    char* held_ansi = others_live ? ToAnsi("h\xC3\xA9ld") : nullptr;
    for (const auto& item : cases) {
      std::string buffer(size + 10, '#');
      EXPECT_EQ(GetCurrentDirectoryUtf8(item.capacity, buffer.data()), item.result);
      const std::string kept = item.capacity == 0        ? std::string(size + 10, '#')
                               : item.result == size - 1 ? expected + '\0' + std::string(10, '#')
                                                         : '\0' + std::string(size + 9, '#');
      EXPECT_EQ(buffer, kept) << item.capacity << (others_live ? " with others live" : "");
    }
    EXPECT_EQ(GetCurrentDirectoryUtf8(0, nullptr), size);
    if (!others_live) continue;
    EXPECT_EQ(Flags(), (std::array<int, 4>{1, 0, 1, 1}));
    EXPECT_EQ(std::wstring(held_wide) + Wide(held_utf8), L"heldh\x00E9ld");
    EXPECT_STREQ(held_ansi, "h\xE9ld");
    ReleaseWide(held_wide);
    ReleaseNarrow(held_utf8);
    ReleaseNarrow(held_ansi);
  }
}

TEST_P(Win32Test, LoadLibraryFindsKernel32) {
  const HMODULE kernel = LoadLibraryUtf8("kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  EXPECT_NE(GetProcAddress(kernel, "AttachConsole"), nullptr);
  EXPECT_EQ(Flags(), kClear);
  EXPECT_EQ(LoadLibraryUtf8("no such module \xC3\xA4.dll"), nullptr);
}

using Win32SingleModeTest = Win32Test;
INSTANTIATE_TEST_SUITE_P(, Win32SingleModeTest, ::testing::Values(Modes{1, 1}));

TEST_P(Win32SingleModeTest, StreamSizeCountsBufferedWrites) {
  FILE* stream = OpenFileUtf8(Path(kAnsiName).c_str(), "w+b");
  ASSERT_NE(stream, nullptr);
  ASSERT_EQ(std::setvbuf(stream, nullptr, _IOFBF, 1 << 16), 0);
  uint64_t size = 0;
  const std::string block(1000, 'x');
  std::fwrite(block.data(), 1, block.size(), stream);
  EXPECT_TRUE(GetStreamFileSize(stream, &size));
  EXPECT_EQ(size, 1000u);
  std::fseek(stream, 5000, SEEK_SET);
  std::fputc('y', stream);
  EXPECT_TRUE(GetStreamFileSize(stream, &size));
  EXPECT_EQ(size, 5001u);
  std::fclose(stream);
  EXPECT_FALSE(GetStreamFileSize(nullptr, &size));
}

TEST_P(Win32SingleModeTest, StreamSizeOfASparseFileBeyond4GiB) {
  constexpr uint64_t kSize = (uint64_t{5} << 30) + 3;
  const auto start = std::chrono::steady_clock::now();
  HANDLE file = CreateFileW((scratch_ + L"big.sfc").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(kSize);
  const bool made = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  if (!made || std::chrono::steady_clock::now() - start > std::chrono::seconds(2)) {
    GTEST_SKIP() << "no quick sparse file here";
  }
  FILE* stream = OpenFileUtf8(Path("big.sfc").c_str(), "rb");
  ASSERT_NE(stream, nullptr);
  uint64_t size = 0;
  EXPECT_TRUE(GetStreamFileSize(stream, &size));
  EXPECT_EQ(size, kSize);
  std::fclose(stream);
}

// The test runs itself again with known arguments, handed over in the environment; the child
// must get them back exactly, blanks, tab and quotes kept, after a quoted program name.
TEST_P(Win32SingleModeTest, CommandLineArgumentsFollowTheProgramName) {
  uint32_t length = 99;
  char* arguments = GetCommandLineArguments(&length);
  const std::string got = arguments == nullptr ? "" : arguments;
  std::free(arguments);
  EXPECT_EQ(length, got.size());
  const wchar_t* wanted = _wgetenv(L"ROMSPAN_WANTED_ARGUMENTS");
  if (wanted != nullptr) {
    EXPECT_EQ(got, Utf8(wanted));
    return;
  }
  int count = 0;
  LocalFree(CommandLineToArgvW(GetCommandLineW(), &count));
  EXPECT_EQ(got.empty(), count == 1) << got;

  const std::wstring tail =
      L"--gtest_brief=1 --gtest_filter=*CommandLineArguments*  \t\"x \x00E4 \x20BF\" \xD83C\xDFAE ";
  WCHAR self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring line = L" \"" + std::wstring(self) + L"\" \t " + tail;
  ASSERT_TRUE(SetEnvironmentVariableW(L"ROMSPAN_WANTED_ARGUMENTS", tail.c_str()));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  const bool started = CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &child);
  SetEnvironmentVariableW(L"ROMSPAN_WANTED_ARGUMENTS", nullptr);
  ASSERT_TRUE(started);
  DWORD exit_code = 99;
  WaitForSingleObject(child.hProcess, 60000);
  GetExitCodeProcess(child.hProcess, &exit_code);
  CloseHandle(child.hProcess);
  CloseHandle(child.hThread);
  EXPECT_EQ(exit_code, 0u);
}

}  // namespace
