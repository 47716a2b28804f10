// A minimal program on the runtime for benchmarks and tools: the core
// library, an empty constant block, no window.
#pragma once

namespace velmora::host {

// Creates the runtime application object and initialises the runtime.
void StartRuntime();

}  // namespace velmora::host
