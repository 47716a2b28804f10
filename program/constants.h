// The program's constant block: its literal texts and initial array images
// in one read-only record, so the runtime can recognise pointers into it.
#pragma once
#include <cstdint>

namespace velmora::program {

struct ConstantBlock {
    uint32_t emptyByteSet[2];  // {1, 0}: also the empty one-dimensional array
    char emptyText[4];
};

extern const ConstantBlock constants;

}  // namespace velmora::program
