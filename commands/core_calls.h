// Typed calls of the core commands for the program's routines: each builds
// the argument records, calls through CallCoreCommand and hands back an
// owned result, so routine code reads like its algorithm.
#pragma once
#include "commands/core_commands.h"
#include "runtime/facade.h"
#include "runtime/facade_arrays.h"

namespace velmora::routine {

inline ValueRecord CoreCall(CoreCommandNumber number) { return Core(CoreCommand(number)); }
template <class... Records>
ValueRecord CoreCall(CoreCommandNumber number, Records... records) {
    return Core(CoreCommand(number), records...);
}

inline ValueRecord OptionalStart(const Optional<int32_t>& start) { return OptionalIntArg(start); }

// Position of sought in text (1-based) or -1.
inline int32_t FindText(const char* text, const char* sought, Optional<int32_t> start, bool ignoreCase) {
    return static_cast<int32_t>(
        CoreCall(CmdFindText, TextArg(text), TextArg(sought), OptionalStart(start), BoolArg(ignoreCase)).low);
}
inline int32_t FindTextReverse(const char* text, const char* sought, bool ignoreCase) {
    return static_cast<int32_t>(
        CoreCall(CmdFindTextReverse, TextArg(text), TextArg(sought), Omitted(), BoolArg(ignoreCase)).low);
}
// Every occurrence, from the start, case-sensitive, as the program's calls do.
inline Text ReplaceSubtext(const char* text, const char* sought, const char* replacement) {
    return Text::FromResult(CoreCall(CmdReplaceSubtext, TextArg(text), TextArg(sought), TextArg(replacement),
                                     Omitted(), Omitted(), BoolArg(true)));
}
inline TextArray SplitText(const char* text, const char* delimiter) {
    return TextArray::FromResult(CoreCall(CmdSplitText, TextArg(text), TextArg(delimiter), Omitted()));
}
inline int32_t TextLength(const char* text) {
    return static_cast<int32_t>(CoreCall(CmdTextLength, TextArg(text)).low);
}
inline Text LeftText(const char* text, int32_t count) {
    return Text::FromResult(CoreCall(CmdLeftText, TextArg(text), IntArg(count)));
}
inline Text RightText(const char* text, int32_t count) {
    return Text::FromResult(CoreCall(CmdRightText, TextArg(text), IntArg(count)));
}
inline Text MidText(const char* text, int32_t start, int32_t count) {
    return Text::FromResult(CoreCall(CmdMidText, TextArg(text), IntArg(start), IntArg(count)));
}
inline Text TrimSpaces(const char* text) { return Text::FromResult(CoreCall(CmdTrimSpaces, TextArg(text))); }
inline Text RemoveAllSpaces(const char* text) {
    return Text::FromResult(CoreCall(CmdRemoveAllSpaces, TextArg(text)));
}
inline Text ToLower(const char* text) { return Text::FromResult(CoreCall(CmdToLower, TextArg(text))); }
inline Text CharFromCode(int32_t code) {
    return Text::FromResult(CoreCall(CmdCharFromCode, ValueRecord{static_cast<uint32_t>(code), 0, Type::Byte}));
}
inline Text BlankText(int32_t count) { return Text::FromResult(CoreCall(CmdBlankText, IntArg(count))); }

inline int32_t ToInteger(const char* text) { return static_cast<int32_t>(CoreCall(CmdToInteger, TextArg(text)).low); }
inline Text ToText(int32_t value) { return Text::FromResult(CoreCall(CmdToText, IntArg(value))); }
inline Text ToText(const Bytes& bytes) { return Text::FromResult(CoreCall(CmdToText, BytesArg(bytes))); }
inline Bytes ToByteSet(const char* text) { return Bytes::FromResult(CoreCall(CmdToByteSet, TextArg(text))); }
template <class... Ints>
int32_t BitOr(Ints... values) {
    return static_cast<int32_t>(CoreCall(CmdBitOr, IntArg(static_cast<int32_t>(values))...).low);
}
inline int32_t ByteSetLength(const Bytes& bytes) {
    return static_cast<int32_t>(CoreCall(CmdByteSetLength, BytesArg(bytes)).low);
}
inline Bytes BlankByteSet(int32_t count) { return Bytes::FromResult(CoreCall(CmdBlankByteSet, IntArg(count))); }
inline Bytes LeftBytes(const Bytes& bytes, int32_t count) {
    return Bytes::FromResult(CoreCall(CmdLeftBytes, BytesArg(bytes), IntArg(count)));
}
inline int32_t FindBytes(const Bytes& bytes, const Bytes& sought) {
    return static_cast<int32_t>(CoreCall(CmdFindBytes, BytesArg(bytes), BytesArg(sought), Omitted()).low);
}

// Files, environment and system.
inline int32_t OpenMemoryFile() { return static_cast<int32_t>(CoreCall(CmdOpenMemoryFile).low); }
inline bool WriteText(int32_t file, const char* text) {
    return CoreCall(CmdWriteText, IntArg(file), TextArg(text)).low != 0;
}
inline bool SeekToFileStart(int32_t file) { return CoreCall(CmdSeekToFileStart, IntArg(file)).low != 0; }
inline Text ReadText(int32_t file) { return Text::FromResult(CoreCall(CmdReadText, IntArg(file), Omitted())); }
inline bool CloseFile(int32_t file) { return CoreCall(CmdCloseFile, IntArg(file)).low != 0; }
inline Text ReadEnvironment(const char* name) { return Text::FromResult(CoreCall(CmdReadEnvironment, TextArg(name))); }
inline bool FileExists(const char* path) { return CoreCall(CmdFileExists, TextArg(path)).low != 0; }
inline bool WriteToFile(const char* path, const Bytes& bytes) {
    return CoreCall(CmdWriteToFile, TextArg(path), BytesArg(bytes)).low != 0;
}
inline bool CreateDirectory(const char* path) { return CoreCall(CmdCreateDirectory, TextArg(path)).low != 0; }
inline bool RunProgram(const char* commandLine, bool wait, Optional<int32_t> style = {}) {
    return CoreCall(CmdRunProgram, TextArg(commandLine), BoolArg(wait), OptionalIntArg(style)).low != 0;
}
inline Bytes ToWideText(const char* text) { return Bytes::FromResult(CoreCall(CmdToWideText, TextArg(text))); }
inline Text SystemMessage(int32_t code) { return Text::FromResult(CoreCall(CmdSystemMessage, IntArg(code))); }
inline Text ReadKnownFolder(KnownFolder folder) {
    return Text::FromResult(CoreCall(CmdReadKnownFolder, IntArg(folder)));
}
inline int32_t MessageBox(const char* text, int32_t flags, const char* caption) {
    return static_cast<int32_t>(CoreCall(CmdMessageBox, TextArg(text), IntArg(flags), TextArg(caption)).low);
}

// The window's taskbar button (units/framework/taskbar.h): state 0 cleared,
// 1 progress, 2 progress in the error state, 3 a flash when the window is not in front.
inline void ShowOnTaskbar(const ValueRecord& window, int32_t state, int32_t done, int32_t total) {
    CoreCall(CmdShowOnTaskbar, window, IntArg(state), IntArg(done), IntArg(total));
}

// List box methods, with the unit reference {window id, unit id, type key}.
inline int32_t GetItemCount(const ValueRecord& listBox) {
    return static_cast<int32_t>(CoreCall(CmdGetItemCount, listBox).low);
}
inline int32_t InsertItem(const ValueRecord& listBox, int32_t index, const char* text) {
    return static_cast<int32_t>(CoreCall(CmdInsertItem, listBox, IntArg(index), TextArg(text), Omitted()).low);
}
inline bool SetItemText(const ValueRecord& listBox, int32_t index, const char* text) {
    return CoreCall(CmdSetItemText, listBox, IntArg(index), TextArg(text)).low != 0;
}

// Joins texts into a new one: ConcatTexts, as compiled code joins with "+".
template <class... Parts>
Text Join(const Parts&... parts) {
    const char* pieces[] = {TextPointer(parts)...};
    return Text(ConcatTexts(static_cast<int32_t>(sizeof...(Parts)), pieces));
}

// Collects bytes into a byte set whose room doubles as it fills, so appending
// chunk after chunk never copies the whole body each time.
class ByteSetBuilder {
public:
    void Append(const uint8_t* data, uint32_t count) {
        if (count == 0) return;
        uint32_t length = bytes_.Length();
        if (8 + length + count > capacity_) {
            uint32_t wanted = capacity_ ? capacity_ : 4096;
            while (wanted < 8 + length + count) wanted *= 2;
            bytes_.Reset(static_cast<ByteSetBlock*>(rt().ReallocMemory(bytes_.Release(), wanted)));
            capacity_ = wanted;
        }
        ByteSetBlock* block = const_cast<ByteSetBlock*>(bytes_.Get());
        block->dimensions = 1;
        block->length = length + count;
        std::memcpy(block->data() + length, data, count);
    }
    uint32_t Length() const { return bytes_.Length(); }
    // The collected bytes as an exactly sized byte set (null when empty).
    Bytes Finish() {
        capacity_ = 0;
        if (bytes_.Length() == 0) return Bytes();
        uint32_t size = 8 + bytes_.Length();
        return Bytes(static_cast<ByteSetBlock*>(rt().ReallocMemory(bytes_.Release(), size)));
    }

private:
    Bytes bytes_;
    uint32_t capacity_ = 0;
};

}  // namespace velmora::routine
