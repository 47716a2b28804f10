#include <windows.h>
#include "app/program_entry.h"
#include "program/program_header.h"
#include "runtime/runtime_app.h"

namespace {
velmora::RuntimeApp theApp(&velmora::program::header, velmora::app::ProgramEntry);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return velmora::framework::RunApplication(); }
