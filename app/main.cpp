#include <windows.h>
#include "app/program_entry.h"
#include "program/program_header.h"
#include "runtime/runtime_app.h"

namespace {
velmora::RuntimeApp theApp(&velmora::program::header, velmora::app::ProgramEntry);
}

// Workers may still be inside a fetch: the process ends here, before static
// destructors take the runtime object from under them.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { ExitProcess(static_cast<UINT>(velmora::framework::RunApplication())); }
