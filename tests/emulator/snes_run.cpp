// A headless libretro front end: loads an SNES core, boots a ROM image from memory, runs a number
// of frames and saves the console's work RAM to a file. Everything the core logs goes to standard
// output, so the memory map it chose for the image can be read there.
//
//   snes_run CORE IMAGE FRAMES WRAM_FILE
#include <dlfcn.h>
#include <libretro.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "rom_image.h"

namespace {

void* core = nullptr;

// The core's function of that name, typed as libretro.h declares it; a core without it ends the
// run.
void* Symbol(const char* name) {
  void* symbol = dlsym(core, name);
  if (symbol == nullptr) {
    std::printf("front end: the core lacks %s\n", name);
    std::exit(1);
  }
  return symbol;
}
#define CORE(function) reinterpret_cast<decltype(&function)>(Symbol(#function))

void Log(retro_log_level, const char* format, ...) {
  char line[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof(line), format, arguments);
  va_end(arguments);
  std::string text = line;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  std::printf("core: %s\n", text.c_str());
}

// Unanswered requests, GET_VARIABLE included, leave the core its defaults (bsnes-mercury reads
// the value it put there, so it must not be cleared) and no folder to look for firmware in.
bool Environment(unsigned command, void* data) {
  if (command == RETRO_ENVIRONMENT_GET_LOG_INTERFACE)
    static_cast<retro_log_callback*>(data)->log = Log;
  return command == RETRO_ENVIRONMENT_GET_LOG_INTERFACE ||
         command == RETRO_ENVIRONMENT_SET_PIXEL_FORMAT ||
         command == RETRO_ENVIRONMENT_SET_VARIABLES ||
         command == RETRO_ENVIRONMENT_SET_SUBSYSTEM_INFO ||
         command == RETRO_ENVIRONMENT_SET_CONTROLLER_INFO ||
         command == RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS ||
         command == RETRO_ENVIRONMENT_SET_MEMORY_MAPS;
}

// Runs the image and leaves its work RAM in `wram`; false when the core refused or crashed early.
bool RunImage(const Bytes& image, unsigned frames, Bytes& wram) {
  CORE(retro_set_environment)(Environment);
  CORE(retro_init)();
  // Every callback is set: the core calls the audio batch one without checking it.
  CORE(retro_set_video_refresh)([](const void*, unsigned, unsigned, size_t) {});
  CORE(retro_set_audio_sample)([](int16_t, int16_t) {});
  CORE(retro_set_audio_sample_batch)([](const int16_t*, size_t frames) { return frames; });
  CORE(retro_set_input_poll)([] {});
  CORE(retro_set_input_state)([](unsigned, unsigned, unsigned, unsigned) -> int16_t { return 0; });
  const retro_game_info game = {nullptr, image.data(), image.size(), nullptr};
  const bool loaded = CORE(retro_load_game)(&game);
  if (loaded) {
    retro_system_av_info av{};
    CORE(retro_get_system_av_info)(&av);
    for (unsigned frame = 0; frame < frames; ++frame) CORE(retro_run)();
    const auto* ram =
        static_cast<const uint8_t*>(CORE(retro_get_memory_data)(RETRO_MEMORY_SYSTEM_RAM));
    if (ram != nullptr)
      wram.assign(ram, ram + CORE(retro_get_memory_size)(RETRO_MEMORY_SYSTEM_RAM));
    std::printf("front end: ran %u frames; work RAM %zu bytes\n", frames, wram.size());
    CORE(retro_unload_game)();
  } else {
    std::printf("front end: the core did not load the image\n");
  }
  CORE(retro_deinit)();
  return loaded && !wram.empty();
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// The core keeps a few small objects of its own to the end; the leak check is for this front
// end, not for the core, which is built without the sanitizers.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:bsnes_mercury_accuracy_libretro.so\n";
}
#endif

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: snes_run CORE IMAGE FRAMES WRAM_FILE\n");
    return 2;
  }
  core = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (core == nullptr) {
    std::printf("front end: %s\n", dlerror());
    return 1;
  }
  Bytes wram;
  const bool ran =
      RunImage(ReadWholeFile(argv[2]), unsigned(std::strtoul(argv[3], nullptr, 10)), wram);
  std::fflush(stdout);
  // The core stays loaded: its static destructors run at exit and expect its code to be there.
  return ran && WriteWholeFile(argv[4], wram) ? 0 : 1;
}
