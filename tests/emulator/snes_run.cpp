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
#include <vector>

#include "rom_image.h"

namespace {

struct Core {
  void* library = nullptr;
  void (*set_environment)(retro_environment_t) = nullptr;
  void (*set_video_refresh)(retro_video_refresh_t) = nullptr;
  void (*set_audio_sample)(retro_audio_sample_t) = nullptr;
  void (*set_audio_sample_batch)(retro_audio_sample_batch_t) = nullptr;
  void (*set_input_poll)(retro_input_poll_t) = nullptr;
  void (*set_input_state)(retro_input_state_t) = nullptr;
  void (*init)() = nullptr;
  void (*deinit)() = nullptr;
  void (*get_system_info)(retro_system_info*) = nullptr;
  void (*get_system_av_info)(retro_system_av_info*) = nullptr;
  bool (*load_game)(const retro_game_info*) = nullptr;
  void (*unload_game)() = nullptr;
  void (*run)() = nullptr;
  void* (*get_memory_data)(unsigned) = nullptr;
  size_t (*get_memory_size)(unsigned) = nullptr;
};

unsigned frames_shown = 0;

template <typename Function>
bool Resolve(void* library, const char* name, Function& function) {
  void* symbol = dlsym(library, name);
  if (symbol == nullptr) std::printf("front end: the core lacks %s\n", name);
  function = reinterpret_cast<Function>(symbol);
  return symbol != nullptr;
}

bool OpenCore(const char* path, Core& core) {
  core.library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (core.library == nullptr) {
    std::printf("front end: %s\n", dlerror());
    return false;
  }
  void* lib = core.library;
  return Resolve(lib, "retro_set_environment", core.set_environment) &&
         Resolve(lib, "retro_set_video_refresh", core.set_video_refresh) &&
         Resolve(lib, "retro_set_audio_sample", core.set_audio_sample) &&
         Resolve(lib, "retro_set_audio_sample_batch", core.set_audio_sample_batch) &&
         Resolve(lib, "retro_set_input_poll", core.set_input_poll) &&
         Resolve(lib, "retro_set_input_state", core.set_input_state) &&
         Resolve(lib, "retro_init", core.init) && Resolve(lib, "retro_deinit", core.deinit) &&
         Resolve(lib, "retro_get_system_info", core.get_system_info) &&
         Resolve(lib, "retro_get_system_av_info", core.get_system_av_info) &&
         Resolve(lib, "retro_load_game", core.load_game) &&
         Resolve(lib, "retro_unload_game", core.unload_game) &&
         Resolve(lib, "retro_run", core.run) &&
         Resolve(lib, "retro_get_memory_data", core.get_memory_data) &&
         Resolve(lib, "retro_get_memory_size", core.get_memory_size);
}

void LogFromCore(retro_log_level, const char* format, ...) {
  char line[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof(line), format, arguments);
  va_end(arguments);
  std::string text = line;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  std::printf("core: %s\n", text.c_str());
}

bool Environment(unsigned command, void* data) {
  switch (command) {
    case RETRO_ENVIRONMENT_GET_LOG_INTERFACE:
      static_cast<retro_log_callback*>(data)->log = LogFromCore;
      return true;
    case RETRO_ENVIRONMENT_SET_PIXEL_FORMAT:
    case RETRO_ENVIRONMENT_SET_VARIABLES:
    case RETRO_ENVIRONMENT_SET_SUBSYSTEM_INFO:
    case RETRO_ENVIRONMENT_SET_CONTROLLER_INFO:
    case RETRO_ENVIRONMENT_SET_INPUT_DESCRIPTORS:
    case RETRO_ENVIRONMENT_SET_MEMORY_MAPS:
      return true;
    default:
      // Unanswered, including GET_VARIABLE: the core then keeps the default it put into `value`
      // (bsnes-mercury dereferences that value, so it must not be cleared) and
      // GET_SYSTEM_DIRECTORY, which leaves it without a folder to look for firmware in.
      return false;
  }
}

void VideoRefresh(const void*, unsigned, unsigned, size_t) {
  ++frames_shown;
}
void AudioSample(int16_t, int16_t) {}
size_t AudioSampleBatch(const int16_t*, size_t frames) {
  return frames;
}
void InputPoll() {}
int16_t InputState(unsigned, unsigned, unsigned, unsigned) {
  return 0;
}

// Runs the image and leaves its work RAM in `wram`; false when the core refused or crashed early.
bool RunImage(Core& core, const Bytes& image, unsigned frames, Bytes& wram) {
  core.set_environment(Environment);
  core.init();
  // Every callback is set: the core calls the audio batch one without checking it.
  core.set_video_refresh(VideoRefresh);
  core.set_audio_sample(AudioSample);
  core.set_audio_sample_batch(AudioSampleBatch);
  core.set_input_poll(InputPoll);
  core.set_input_state(InputState);

  retro_system_info info{};
  core.get_system_info(&info);
  std::printf("front end: core %s %s\n", info.library_name, info.library_version);

  retro_game_info game{};
  game.data = image.data();
  game.size = image.size();
  bool loaded = core.load_game(&game);
  if (loaded) {
    retro_system_av_info av{};
    core.get_system_av_info(&av);
    for (unsigned frame = 0; frame < frames; ++frame) core.run();
    const auto* ram = static_cast<const uint8_t*>(core.get_memory_data(RETRO_MEMORY_SYSTEM_RAM));
    const size_t size = core.get_memory_size(RETRO_MEMORY_SYSTEM_RAM);
    if (ram != nullptr) wram.assign(ram, ram + size);
    std::printf("front end: ran %u frames, %u shown; work RAM %zu bytes\n", frames, frames_shown,
                size);
    core.unload_game();
  } else {
    std::printf("front end: the core did not load the image\n");
  }
  core.deinit();
  return loaded && !wram.empty();
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// The core keeps a few small objects of its own to the end (192 bytes from bsnes-mercury); the
// leak check is for this front end, not for the core, which is built without the sanitizers.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:bsnes_mercury_accuracy_libretro.so\n";
}
#endif

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: snes_run CORE IMAGE FRAMES WRAM_FILE\n");
    return 2;
  }
  const Bytes image = ReadWholeFile(argv[2]);
  const unsigned frames = static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10));
  if (image.empty()) {
    std::printf("front end: cannot read %s\n", argv[2]);
    return 1;
  }
  Core core;
  Bytes wram;
  const bool ran = OpenCore(argv[1], core) && RunImage(core, image, frames, wram);
  std::fflush(stdout);
  if (!ran || !WriteWholeFile(argv[4], wram)) return 1;
  // The core stays loaded: its static destructors run at exit and expect its code to be there.
  return 0;
}
