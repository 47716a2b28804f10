// The core library's commands, by core command number.
#pragma once
#include <windows.h>
#include "runtime/value.h"

// The commands keep their own names; the platform's ANSI/wide macros must not rename them.
#undef MessageBox
#undef CreateDirectory

namespace velmora {

enum CoreCommandNumber : int32_t {
    CmdToInteger = 0,
    CmdToText = 1,
    CmdReplaceSubtext = 2,
    CmdSplitText = 3,
    CmdFindText = 4,
    CmdTextLength = 5,
    CmdRightText = 6,
    CmdOpenMemoryFile = 7,
    CmdWriteText = 8,
    CmdMessageBox = 9,
    CmdTrimSpaces = 10,
    CmdCharFromCode = 11,
    CmdBitOr = 12,
    CmdLeftText = 13,
    CmdToLower = 14,
    CmdToByteSet = 15,
    CmdByteSetLength = 16,
    CmdBlankByteSet = 17,
    CmdLeftBytes = 18,
    CmdBlankText = 19,
    CmdFindBytes = 20,
    CmdMidText = 21,
    CmdFindTextReverse = 22,
    CmdRemoveAllSpaces = 23,
    CmdSeekToFileStart = 24,
    CmdReadText = 25,
    CmdReadEnvironment = 26,
    CmdFileExists = 27,
    CmdGetItemCount = 28,
    CmdInsertItem = 29,
    CmdWriteToFile = 30,
    CmdSetItemText = 31,
    CmdCreateDirectory = 32,
    CmdRunProgram = 33,
    // Releases a memory file once its worker has read it, so a long run keeps none.
    CmdCloseFile = 34,
    // A text as the platform's wide functions take it, for the program's own
    // file DLL commands on any code page: a byte set of UTF-16 with its NUL.
    CmdToWideText = 35,
    // A folder the shell knows (KnownFolder below), as the user has it, moved
    // or redirected; the empty text when the shell names none.
    CmdReadKnownFolder = 36,
    // The system's own message for an error code (a file that could not be
    // written says why in the log), in the user's language, one line.
    CmdSystemMessage = 37,
    // The run's progress on the window's taskbar button, made on the window thread.
    CmdShowOnTaskbar = 38,
};

enum KnownFolder : int32_t {
    KnownFolderPictures = 1,
};

// The entry of a core command, as compiled code finds it in the library.
Command CoreCommand(CoreCommandNumber number);

namespace commands {
// Text commands.
void ReplaceSubtext(ValueRecord* result, int32_t count, ValueRecord* arguments);
void SplitText(ValueRecord* result, int32_t count, ValueRecord* arguments);
void FindText(ValueRecord* result, int32_t count, ValueRecord* arguments);
void FindTextReverse(ValueRecord* result, int32_t count, ValueRecord* arguments);
void TextLength(ValueRecord* result, int32_t count, ValueRecord* arguments);
void LeftText(ValueRecord* result, int32_t count, ValueRecord* arguments);
void RightText(ValueRecord* result, int32_t count, ValueRecord* arguments);
void MidText(ValueRecord* result, int32_t count, ValueRecord* arguments);
void TrimSpaces(ValueRecord* result, int32_t count, ValueRecord* arguments);
void RemoveAllSpaces(ValueRecord* result, int32_t count, ValueRecord* arguments);
void ToLower(ValueRecord* result, int32_t count, ValueRecord* arguments);
void CharFromCode(ValueRecord* result, int32_t count, ValueRecord* arguments);
void BlankText(ValueRecord* result, int32_t count, ValueRecord* arguments);
// Conversion, number and byte-set commands.
void ToInteger(ValueRecord* result, int32_t count, ValueRecord* arguments);
void ToText(ValueRecord* result, int32_t count, ValueRecord* arguments);
void BitOr(ValueRecord* result, int32_t count, ValueRecord* arguments);
void ToByteSet(ValueRecord* result, int32_t count, ValueRecord* arguments);
void ByteSetLength(ValueRecord* result, int32_t count, ValueRecord* arguments);
void BlankByteSet(ValueRecord* result, int32_t count, ValueRecord* arguments);
void LeftBytes(ValueRecord* result, int32_t count, ValueRecord* arguments);
void FindBytes(ValueRecord* result, int32_t count, ValueRecord* arguments);
// File, environment and system commands.
void OpenMemoryFile(ValueRecord* result, int32_t count, ValueRecord* arguments);
void WriteText(ValueRecord* result, int32_t count, ValueRecord* arguments);
void MessageBox(ValueRecord* result, int32_t count, ValueRecord* arguments);
void SeekToFileStart(ValueRecord* result, int32_t count, ValueRecord* arguments);
void ReadText(ValueRecord* result, int32_t count, ValueRecord* arguments);
void ReadEnvironment(ValueRecord* result, int32_t count, ValueRecord* arguments);
void FileExists(ValueRecord* result, int32_t count, ValueRecord* arguments);
void WriteToFile(ValueRecord* result, int32_t count, ValueRecord* arguments);
void CreateDirectory(ValueRecord* result, int32_t count, ValueRecord* arguments);
void RunProgram(ValueRecord* result, int32_t count, ValueRecord* arguments);
void CloseFile(ValueRecord* result, int32_t count, ValueRecord* arguments);
void ToWideText(ValueRecord* result, int32_t count, ValueRecord* arguments);
void ReadKnownFolder(ValueRecord* result, int32_t count, ValueRecord* arguments);
void SystemMessage(ValueRecord* result, int32_t count, ValueRecord* arguments);
void ShowOnTaskbar(ValueRecord* result, int32_t count, ValueRecord* arguments);
// List box methods.
void GetItemCount(ValueRecord* result, int32_t count, ValueRecord* arguments);
void InsertItem(ValueRecord* result, int32_t count, ValueRecord* arguments);
void SetItemText(ValueRecord* result, int32_t count, ValueRecord* arguments);
}  // namespace commands

}  // namespace velmora
