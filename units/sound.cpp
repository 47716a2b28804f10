#include "units/sound.h"
#include <mutex>

namespace velmora {

bool PlayUnitSound(LPCSTR sound, HMODULE module, DWORD flags) {
    using PlaySoundFunction = BOOL(WINAPI*)(LPCSTR, HMODULE, DWORD);
    static PlaySoundFunction play = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        if (HMODULE winmm = LoadLibraryA("winmm.dll"))
            play = reinterpret_cast<PlaySoundFunction>(reinterpret_cast<void*>(GetProcAddress(winmm, "PlaySoundA")));
    });
    return play && play(sound, module, flags);
}

}  // namespace velmora
