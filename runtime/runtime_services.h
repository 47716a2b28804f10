// The runtime's numbered services, sent by libraries, unit types and the
// runtime's own window code through one entry point. The numbers are the
// contract with libraries built elsewhere; do not renumber.
#pragma once
#include <cstdint>

namespace velmora {

namespace Service {
constexpr int32_t WindowMap = 1001;          // → the window map
constexpr int32_t UnitType = 1002;           // type key → its descriptor
constexpr int32_t WindowCleanedUp = 2000;    // window id: its final clean-up is done
constexpr int32_t ToInteger = 2001;          // value record → Integer; fatal for no number
constexpr int32_t LiveUnit = 2006;           // window id, unit id → unit object or null
constexpr int32_t RequireUnit = 2007;        // the same; fatal when there is none
constexpr int32_t FireEvent = 2008;          // event record → handled
constexpr int32_t CreationBegins = 2009;     // events are held back
constexpr int32_t CreationEnds = 2010;       // events flow again
constexpr int32_t FreeArray = 2023;          // type code, array block
constexpr int32_t Allocate = 2024;           // byte count, may-fail flag → block
constexpr int32_t Free = 2025;               // block
constexpr int32_t Reallocate = 2026;         // block, byte count → block
constexpr int32_t Fatal = 2027;              // message; never returns
constexpr int32_t Exit = 2028;               // exit code; never returns
constexpr int32_t FireEventWithValues = 2031;  // {window, unit, event, count, argument records}
}  // namespace Service

int32_t RuntimeService(int32_t service, uint32_t parameter1, uint32_t parameter2);

}  // namespace velmora
