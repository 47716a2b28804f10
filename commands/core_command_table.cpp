// The core library's used-command table, indexed by the core command number.
#include "commands/core_commands.h"
#include "commands/core_library.h"

namespace velmora {

using namespace commands;

extern const Command coreCommandTable[CoreCommandCount];
const Command coreCommandTable[CoreCommandCount] = {
    ToInteger,        // 0
    ToText,           // 1
    ReplaceSubtext,   // 2
    SplitText,        // 3
    FindText,         // 4
    TextLength,       // 5
    RightText,        // 6
    nullptr,          // 7 OpenMemoryFile
    nullptr,          // 8 WriteText
    nullptr,          // 9 MessageBox
    TrimSpaces,       // 10
    CharFromCode,     // 11
    BitOr,            // 12
    LeftText,         // 13
    ToLower,          // 14
    ToByteSet,        // 15
    ByteSetLength,    // 16
    BlankByteSet,     // 17
    LeftBytes,        // 18
    BlankText,        // 19
    FindBytes,        // 20
    MidText,          // 21
    FindTextReverse,  // 22
    RemoveAllSpaces,  // 23
    nullptr,          // 24 SeekToFileStart
    nullptr,          // 25 ReadText
    nullptr,          // 26 ReadEnvironment
    nullptr,          // 27 FileExists
    nullptr,          // 28 GetItemCount
    nullptr,          // 29 InsertItem
    nullptr,          // 30 WriteToFile
    nullptr,          // 31 SetItemText
    nullptr,          // 32 CreateDirectory
    nullptr,          // 33 RunProgram
};

Command CoreCommand(CoreCommandNumber number) { return coreCommandTable[number]; }

}  // namespace velmora
