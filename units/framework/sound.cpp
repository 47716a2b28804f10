#include "units/framework/sound.h"
#include <mmsystem.h>
#include <mutex>
#include "runtime/platform_functions.h"

namespace velmora {
namespace {

std::mutex soundLock;
SoundPlayer player = nullptr;
bool playerLoaded = false;
const void* playingBuffer = nullptr;  // the memory sound last started, perhaps still playing

SoundPlayer Player() {
    if (!playerLoaded) {
        playerLoaded = true;
        player = PlatformFunctionAs<SoundPlayer>("winmm.dll", "PlaySoundA");
    }
    return player;
}

}  // namespace

bool PlayUnitSound(LPCSTR sound, HMODULE module, DWORD flags) {
    std::lock_guard<std::mutex> hold(soundLock);
    SoundPlayer play = Player();
    if (!play || !play(sound, module, flags)) return false;  // a refused sound leaves the one before playing
    playingBuffer = flags & SND_MEMORY ? sound : nullptr;
    return true;
}

void StopUnitSound(const void* buffer) {
    std::lock_guard<std::mutex> hold(soundLock);
    if (!buffer || buffer != playingBuffer) return;
    if (SoundPlayer play = Player()) play(nullptr, nullptr, 0);
    playingBuffer = nullptr;
}

void SetSoundPlayer(SoundPlayer replacement) {
    std::lock_guard<std::mutex> hold(soundLock);
    playerLoaded = replacement != nullptr;
    player = replacement;
    playingBuffer = nullptr;
}

}  // namespace velmora
