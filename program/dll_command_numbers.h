// Indexes of the program's DLL commands (library and export in program_header.cpp).
#pragma once
#include <cstdint>

namespace velmora::program {

enum DllCommandNumber : int32_t {
    DllInternetOpen = 0,
    DllInternetCloseHandle = 1,
    DllInternetConnect = 2,
    DllHttpOpenRequest = 3,
    DllHttpSendRequestText = 4,
    DllHttpSendRequestBytes = 5,
    DllInternetReadFile = 6,
    DllHttpQueryInfo = 7,
    DllWideCharToMultiByteMeasure = 8,
    DllWideCharToMultiByte = 9,
    DllMultiByteToWideChar = 10,
    DllInternetSetOption = 11,  // time-outs, so a silent server cannot hang a request
    DllMoveFile = 12,           // a finished picture takes its name only when complete
    DllDeleteFile = 13,         // and an unfinished one leaves nothing behind
    DllCloseHandle = 14,        // thread handles are released after their wait
    DllSleep = 15,              // a moment between attempts on a file still held elsewhere
    DllCreateFile = 16,         // a picture's temporary file, new and never shared but for deletion
    DllGetCurrentProcessId = 17,  // temporary names of their own, whatever another process left behind
    DllGetTickCount = 18,       // a fetch that drips is ended (fewer than 1024 bytes in a time-out)
    DllGetLastError = 19,       // why a file or a request failed, said in the log
    DllInternetQueryDataAvailable = 20,  // a page that drips is read as it drips, not 1024 bytes at a wait
    DllCommandCount = 21,
};

}  // namespace velmora::program
