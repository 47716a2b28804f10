// The program's own entry: start the runtime, show the window, run the loop.
#pragma once

namespace velmora::app {
int ProgramEntry();
}
