// Calling commands, and the small helpers every compiled routine uses.
#pragma once
#include <cstdint>
#include "runtime/value.h"

namespace velmora {

// Runs a command with a fresh zero result record and hands the record back.
ValueRecord CallCoreCommand(Command command, int32_t argumentCount, ValueRecord* arguments);
// The same for extension libraries; the library number is not used.
ValueRecord CallLibraryCommand(Command command, int32_t library, int32_t argumentCount,
                               ValueRecord* arguments);

// Product of the dimension sizes (0 for null or no dimensions); optionally the first element.
uint32_t ArrayElementCount(const ArrayBlock* array, void** firstElement = nullptr);
uint32_t TextLengthOrZero(const char* text);
// Always a new heap block, even when every part is empty.
char* ConcatTexts(int32_t count, const char* const* parts);
// Truncates toward zero whatever the floating-point rounding mode.
int64_t TruncateToLong(double value);
void ZeroWords(uint32_t* words, int32_t count);

}  // namespace velmora
