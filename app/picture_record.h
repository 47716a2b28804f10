// The record that hands a picture to its worker: the name and the address,
// separated by "|". Whatever they hold arrives whole: a "|", a "%" or a byte
// 0x1A (which would end the record as it is read back) travels as "%7C",
// "%25" or "%1A". Only single-byte characters are escaped: a double-byte
// character whose second byte is "|" stays as it is.
#pragma once
#include "commands/core_calls.h"

namespace velmora::app {

routine::Text PictureRecord(const char* name, const char* link);
// False when the text is no record (no separator).
bool ReadPictureRecord(const char* record, routine::Text& name, routine::Text& link);

}  // namespace velmora::app
