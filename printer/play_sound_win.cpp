#include "printer/play_sound_win.h"

#include <atomic>

#include "common/system_library_win.h"

namespace {

using PlaySoundFn = BOOL(WINAPI*)(LPCSTR, HMODULE, DWORD);

std::atomic<bool> g_loaded{false};

PlaySoundFn BoundPlaySound() {
  // A function-local static is initialised once, also when threads race for it.
  static const PlaySoundFn play = [] {
    HMODULE library = LoadSystemLibrary("winmm.dll");  // never freed, see the header
    g_loaded = library != nullptr;
    return GetProcAs<PlaySoundFn>(library, "PlaySoundA");
  }();
  return play;
}

}  // namespace

BOOL PlaySoundOnDemand(LPCSTR sound, HMODULE module, DWORD flags) {
  const PlaySoundFn play = BoundPlaySound();
  return play != nullptr ? play(sound, module, flags) : FALSE;
}

bool IsSoundLibraryLoaded() { return g_loaded; }
