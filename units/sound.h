// Playing sounds with PlaySound, from a winmm loaded the first time a sound plays.
#pragma once
#include <windows.h>

namespace velmora {

// PlaySoundA's arguments; false when no sound could be played.
bool PlayUnitSound(LPCSTR sound, HMODULE module, DWORD flags);

}  // namespace velmora
