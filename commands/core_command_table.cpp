// The core library's used-command table, indexed by the core command number.
#include <iterator>
#include "commands/core_commands.h"
#include "commands/core_library.h"

namespace velmora {

using namespace commands;

extern const Command coreCommandTable[];  // external: the core library's descriptor points at it
const Command coreCommandTable[] = {
    ToInteger,        // 0
    ToText,           // 1
    ReplaceSubtext,   // 2
    SplitText,        // 3
    FindText,         // 4
    TextLength,       // 5
    RightText,        // 6
    OpenMemoryFile,   // 7
    WriteText,        // 8
    MessageBox,       // 9
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
    SeekToFileStart,  // 24
    ReadText,         // 25
    ReadEnvironment,  // 26
    FileExists,       // 27
    GetItemCount,     // 28
    InsertItem,       // 29
    WriteToFile,      // 30
    SetItemText,      // 31
    CreateDirectory,  // 32
    RunProgram,       // 33
    CloseFile,        // 34
    ToWideText,       // 35
    ReadKnownFolder,  // 36
    SystemMessage,    // 37
    ShowOnTaskbar,    // 38
};
static_assert(std::size(coreCommandTable) == CoreCommandCount);

Command CoreCommand(CoreCommandNumber number) { return coreCommandTable[number]; }

}  // namespace velmora
