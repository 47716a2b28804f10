// A DLL with exports of known argument sizes for the DLL-command tests.
#include <windows.h>
#include <cstdint>

extern "C" {

__declspec(dllexport) int32_t __stdcall Add2(int32_t a, int32_t b) { return a + b; }

__declspec(dllexport) int32_t __stdcall Sum5(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) {
    return a + 10 * b + 100 * c + 1000 * d + 10000 * e;
}

// Removes nothing: called with pushed arguments it leaves the stack off.
__declspec(dllexport) int32_t __cdecl CdeclAdd(int32_t a, int32_t b) { return a + b; }

// Exported by ordinal 12 only (see dll_probe.def).
int32_t __stdcall Twelve(int32_t a) { return a * 12; }

// Writes into a caller's text, as HttpQueryInfoA fills a text of spaces.
__declspec(dllexport) int32_t __stdcall FillText(char* text, int32_t* length) {
    const char reply[] = "filled";
    for (int32_t i = 0; i < *length && reply[i]; ++i) text[i] = reply[i];
    *length = 6;
    return 1;
}
}
