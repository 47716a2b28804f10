// Playing sounds with PlaySound, from a winmm loaded the first time a sound plays.
#pragma once
#include <windows.h>

namespace velmora {

// PlaySoundA's arguments; false when no sound could be played. A sound played
// asynchronously from memory keeps reading its buffer while it plays.
bool PlayUnitSound(LPCSTR sound, HMODULE module, DWORD flags);
// Stops playback when the buffer is the memory sound last started (starting a
// sound ends the one before): call before freeing a buffer once handed over.
void StopUnitSound(const void* buffer);

// Test seam: what plays the sounds (PlaySoundA unless a test sets another; null restores it).
using SoundPlayer = BOOL(WINAPI*)(LPCSTR sound, HMODULE module, DWORD flags);
void SetSoundPlayer(SoundPlayer player);

}  // namespace velmora
