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

// The core's function `name`, or a message and null.
template <typename Function = void (*)()>
Function Call(const char* name) {
  void* symbol = core != nullptr ? dlsym(core, name) : nullptr;
  if (symbol == nullptr) std::printf("front end: the core lacks %s\n", name);
  return reinterpret_cast<Function>(symbol);
}

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
  const auto set_environment = Call<void (*)(retro_environment_t)>("retro_set_environment");
  const auto set_video = Call<void (*)(retro_video_refresh_t)>("retro_set_video_refresh");
  const auto set_audio = Call<void (*)(retro_audio_sample_t)>("retro_set_audio_sample");
  const auto set_audio_batch =
      Call<void (*)(retro_audio_sample_batch_t)>("retro_set_audio_sample_batch");
  const auto set_input_poll = Call<void (*)(retro_input_poll_t)>("retro_set_input_poll");
  const auto set_input_state = Call<void (*)(retro_input_state_t)>("retro_set_input_state");
  const auto init = Call("retro_init"), run = Call("retro_run"), deinit = Call("retro_deinit");
  const auto get_av_info = Call<void (*)(retro_system_av_info*)>("retro_get_system_av_info");
  const auto load_game = Call<bool (*)(const retro_game_info*)>("retro_load_game");
  const auto unload_game = Call("retro_unload_game");
  const auto memory_data = Call<void* (*)(unsigned)>("retro_get_memory_data");
  const auto memory_size = Call<size_t (*)(unsigned)>("retro_get_memory_size");
  if (!set_environment || !set_video || !set_audio || !set_audio_batch || !set_input_poll ||
      !set_input_state || !init || !run || !deinit || !get_av_info || !load_game || !unload_game ||
      !memory_data || !memory_size)
    return false;
  set_environment(Environment);
  init();
  // Every callback is set: the core calls the audio batch one without checking it.
  set_video([](const void*, unsigned, unsigned, size_t) {});
  set_audio([](int16_t, int16_t) {});
  set_audio_batch([](const int16_t*, size_t frames) { return frames; });
  set_input_poll([] {});
  set_input_state([](unsigned, unsigned, unsigned, unsigned) -> int16_t { return 0; });
  const retro_game_info game = {nullptr, image.data(), image.size(), nullptr};
  const bool loaded = load_game(&game);
  if (loaded) {
    retro_system_av_info av{};
    get_av_info(&av);
    for (unsigned frame = 0; frame < frames; ++frame) run();
    const auto* ram = static_cast<const uint8_t*>(memory_data(RETRO_MEMORY_SYSTEM_RAM));
    if (ram != nullptr) wram.assign(ram, ram + memory_size(RETRO_MEMORY_SYSTEM_RAM));
    std::printf("front end: ran %u frames; work RAM %zu bytes\n", frames, wram.size());
    unload_game();
  } else {
    std::printf("front end: the core did not load the image\n");
  }
  deinit();
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
  if (core == nullptr) std::printf("front end: %s\n", dlerror());
  Bytes wram;
  const bool ran =
      RunImage(ReadWholeFile(argv[2]), unsigned(std::strtoul(argv[3], nullptr, 10)), wram);
  std::fflush(stdout);
  // The core stays loaded: its static destructors run at exit and expect its code to be there.
  return ran && WriteWholeFile(argv[4], wram) ? 0 : 1;
}
