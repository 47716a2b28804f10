#include "app/program_entry.h"
#include <cfenv>
#include "app/downloader.h"
#include "program/program_header.h"
#include "runtime/facade.h"
#include "threads/thread_calls.h"

namespace velmora::app {
namespace {

// Every other global starts at zero. The file section lives as long as the
// program: the shutdown takes it whether or not a run ever started.
void InitGlobals() { fileSection = routine::CreateCriticalSection(); }
int StartupRoutine() { return 0; }

}  // namespace

int ProgramEntry() {
    using namespace routine;
    CallProgramService(ProgramService::InitializeRuntime);
    std::fesetenv(FE_DFL_ENV);  // round to nearest, every exception masked
    InitGlobals();
    CallProgramService(ProgramService::SetCleanupRoutine, reinterpret_cast<uint32_t>(&CleanupGlobals));
    StartupRoutine();
    rt().LoadStartupWindow(program::MainWindowId);
    rt().RunMessageLoop();
    return 0;
}

}  // namespace velmora::app
