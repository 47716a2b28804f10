#include "runtime/runtime_app.h"
#include "units/framework/keyboard.h"

namespace velmora {
namespace {
RuntimeApp* theRuntimeApp = nullptr;
}

RuntimeApp& App() { return *theRuntimeApp; }
RuntimeApp* AppIfCreated() { return theRuntimeApp; }

RuntimeApp::RuntimeApp(const ProgramHeader* programHeader, int (*entry)())
    : header(programHeader), programEntry(entry) {
    theRuntimeApp = this;
}

RuntimeApp::~RuntimeApp() {
    if (theRuntimeApp == this) theRuntimeApp = nullptr;
}

int RuntimeApp::InitInstance() { return programEntry ? programEntry() : 0; }

int RuntimeApp::ExitInstance() {
    RunShutdownSequence(0);
    return ExitCodeOr(0);
}

bool RuntimeApp::PreTranslateMessage(MSG* message) { return TranslateWindowKey(*message); }

}  // namespace velmora
