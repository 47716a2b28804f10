// Resources the runtime takes from the program's own module (program/
// runtime_resources.rc); read by the resource compiler too, so only defines.
#pragma once

#define VELMORA_DEFAULT_ICON 1031  // a window's icon when its template has none
#define VELMORA_HAND_CURSOR 1032   // mouse-pointer code 14
