// DownloadPicture: one worker, one picture.
#include "app/downloader.h"
#include <windows.h>
#include "app/window_units.h"
#include "program/dll_command_numbers.h"
#include "threads/thread_calls.h"
#include "web/http_read_file.h"

namespace velmora::app {

using namespace routine;

namespace {

constexpr int32_t InternetLibraryNumber = 2;
constexpr int32_t TemporarySuffixRoom = 16;  // ".<file number>.part"
// 150 GBK bytes are at most 225 UTF-8 bytes: with ".jpg" and the suffix, under 255.
constexpr int32_t NameRoom = 150;

Bytes HttpReadFile(const char* url, int32_t& status, int32_t& complete) {
    ValueRecord statusVariable{reinterpret_cast<uint32_t>(&status), 0, Type::Integer};
    ValueRecord completeVariable{reinterpret_cast<uint32_t>(&complete), 0, Type::Integer};
    return Bytes::FromResult(Library(InternetCommand(CmdHttpReadFile), InternetLibraryNumber, TextArg(url),
                                     statusVariable, completeVariable));
}

// A file just closed can stay held for a moment under Wine (a sharing
// violation when it is renamed at once): a few short retries ride it out.
constexpr int FileAttempts = 50;
constexpr uint32_t RetryMilliseconds = 20;

bool RetriedFileCommand(program::DllCommandNumber command, const uint32_t* words, int32_t count,
                        const char* stopWhenExists) {
    for (int attempt = 0; attempt < FileAttempts; ++attempt) {
        if (rt().CallDllCommand(command, words, count) != 0) return true;
        if (stopWhenExists && FileExists(stopWhenExists)) return false;  // another worker took the name
        rt().CallDllCommand(program::DllSleep, &RetryMilliseconds, 1);
    }
    return false;
}

bool MoveWithoutReplacing(const Text& from, const Text& to) {
    const uint32_t words[2] = {reinterpret_cast<uint32_t>(from.Get()), reinterpret_cast<uint32_t>(to.Get())};
    return RetriedFileCommand(program::DllMoveFile, words, 2, to.Arg());
}

void DeleteFile(const Text& path) {
    const uint32_t word = reinterpret_cast<uint32_t>(path.Get());
    if (FileExists(path.Arg())) RetriedFileCommand(program::DllDeleteFile, &word, 1, nullptr);
}

// Appends a log line under logSection and answers its index.
int32_t AppendLogLine(const Text& line) {
    EnterSection(logSection);
    int32_t index = GetItemCount(LogList());
    InsertItem(LogList(), index, line.Arg());
    LeaveSection(logSection);
    return index;
}

void CountOne() {
    EnterSection(countSection);
    ++doneCount;
    LeaveSection(countSection);
}

// Writes the picture under a temporary name in the folder and gives it its
// name only when complete and no file has taken that name meanwhile.
bool StorePicture(const Bytes& bytes, const Text& target, int32_t fileNumber) {
    Text number = ToText(fileNumber);
    Text temporary = Join(target, ".", number, ".part");
    EnterSection(fileSection);
    bool stored = false;
    if (!closing) {
        stored = WriteToFile(temporary.Arg(), bytes) && MoveWithoutReplacing(temporary, target);
        if (!stored) DeleteFile(temporary);
    }
    LeaveSection(fileSection);
    return stored;
}

// An error or login page answered with 200 is no picture: it starts with
// markup, which no picture format does.
bool LooksLikeWebPage(const Bytes& bytes) {
    const uint8_t* data = bytes.Data();
    uint32_t at = 0, length = bytes.Length();
    if (length >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) at = 3;
    while (at < length && (data[at] == ' ' || data[at] == '\t' || data[at] == '\r' || data[at] == '\n')) ++at;
    return at < length && data[at] == '<';
}

// A folder that took the picture's name is no downloaded picture.
bool IsFolder(const Text& path) { return FileExists(Join(path, "\\*").Arg()); }

}  // namespace

void __stdcall DownloadPicture(int32_t fileNumber) {
    SeekToFileStart(fileNumber);
    Text record = ReadText(fileNumber);
    CloseFile(fileNumber);
    TextArray parts = SplitText(record.Arg(), "|");
    if (parts.Count() >= 2) {
        const char* name = parts.TextAt(1) ? parts.TextAt(1) : "";
        const char* url = parts.TextAt(2) ? parts.TextAt(2) : "";
        Text profile = ReadEnvironment("userprofile");
        // The whole path, with the temporary name's suffix, stays within the
        // platform's 260 characters, and the name within what file systems
        // that count UTF-8 bytes (255) hold; the ".jpg" is never cut.
        int32_t room = MAX_PATH - 1 - TextLength(profile.Arg()) - TextLength("\\Pictures\\") - TextLength(".jpg") -
                       TemporarySuffixRoom;
        if (room > NameRoom) room = NameRoom;
        Text safeName = SafeFileName(name, room > 1 ? room : 1);
        Text target = Join(profile, "\\Pictures\\", safeName, ".jpg");
        if (!FileExists(target.Arg()) || IsFolder(target)) {
            int32_t line = AppendLogLine(Join("正在下载：", name));
            int32_t status = 0, complete = 0;
            Bytes bytes = HttpReadFile(url, status, complete);
            CountOne();
            bool ok = status >= 200 && status < 300 && complete && ByteSetLength(bytes) != 0 &&
                      !LooksLikeWebPage(bytes) && StorePicture(bytes, target, fileNumber);
            Text finished = Join(ok ? "下载完成：" : "下载失败：", name);
            // Held while the line is replaced: another worker's append must not move it.
            EnterSection(logSection);
            SetItemText(LogList(), line, finished.Arg());
            LeaveSection(logSection);
        } else {
            AppendLogLine(Join("已经下载：", name));
            CountOne();
        }
    }
    SetLabelCaption(ProgressText());
}

}  // namespace velmora::app
