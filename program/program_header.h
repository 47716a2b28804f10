// The program header of Velmora.exe.
#pragma once
#include "runtime/program_header.h"

namespace velmora::program {

extern const ProgramHeader header;
constexpr uint32_t MainWindowId = 0x52010001;

}  // namespace velmora::program
