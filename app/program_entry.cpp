#include "app/program_entry.h"
#include <cfenv>
#include "app/downloader.h"
#include "program/program_header.h"
#include "runtime/facade.h"

namespace velmora::app {
namespace {

void InitGlobals() {}  // every global starts at zero
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
