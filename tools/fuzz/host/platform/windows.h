// The few platform names the fuzzed sources mention, for the host build: the
// parser and the text commands only carry these handles, never call the platform.
#pragma once
#include <cstdint>
struct HWND__;
struct HACCEL__;
struct HICON__;
typedef HWND__* HWND;
typedef HACCEL__* HACCEL;
typedef HICON__* HCURSOR;
typedef uint32_t DWORD;
typedef int BOOL;
typedef void* HANDLE;
