// DownloadPicture: one worker, one picture.
#include "app/downloader.h"
#include <windows.h>
#include "app/window_units.h"
#include "program/dll_command_numbers.h"
#include "web/internet_calls.h"

namespace velmora::app {

using namespace routine;

namespace {

// ".<process id>-<file number>.part": the process id keeps the name apart from
// whatever another process, or an earlier one that ended abruptly, left behind.
constexpr int32_t TemporarySuffixRoom = 27;
// 148 GBK bytes are at most 222 UTF-8 bytes: with ".jpg" and the suffix, under 255.
constexpr int32_t NameRoom = 148;

// An error or login page answered with 200 is no picture: after blanks it
// starts with markup, which no picture format does, and no picture starts
// with a run of blanks as long as the first bytes the fetch keeps.
bool LooksLikeWebPage(const Bytes& firstBytes) {
    const uint8_t* data = firstBytes.Data();
    uint32_t at = 0, length = firstBytes.Length();
    if (length >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) at = 3;
    while (at < length && (data[at] == ' ' || data[at] == '\t' || data[at] == '\r' || data[at] == '\n')) ++at;
    return length > 0 && (at == length || data[at] == '<');
}

// A folder that took the picture's name is no downloaded picture.
bool IsFolder(const Text& path) { return FileExists(Join(path, "\\*").Arg()); }

// A text's length as the platform counts it (UTF-16 units): a character
// that code page 936 lacks takes four bytes in the program, one or two there.
int32_t PlatformLength(const char* text) {
    Bytes wide = ToWideText(text);
    return ByteSetLength(wide) / 2 - 1;
}

// The Pictures folder \ the safe name .jpg. The whole path, with the
// temporary name's suffix, stays within the platform's 260 characters (the
// name's bytes are at least its characters, so its room is never more than
// there is), and the name within what file systems that count UTF-8 bytes
// (255) hold; the ".jpg" is never cut. Empty when not even one byte of a
// name would fit.
Text TargetPath(const char* name) {
    const Text& folder = runFolder;
    int32_t room = MAX_PATH - 1 - PlatformLength(folder.Arg()) - TextLength("\\") - TextLength(".jpg") -
                   TemporarySuffixRoom;
    if (room > NameRoom) room = NameRoom;
    if (room < 1) return Text();  // a folder that leaves no room for any name
    Text safeName = SafeFileName(name, room);
    return Join(folder, "\\", safeName, ".jpg");
}

void CloseFileHandle(int32_t handle) {
    const uint32_t word = static_cast<uint32_t>(handle);
    rt().CallDllCommand(program::DllCloseHandle, &word, 1);
}

// Streams the picture into a temporary file beside its target and gives it
// the target's name once it is whole and is a picture; otherwise nothing of
// it stays. The memory this takes does not grow with the picture.
bool SavePicture(const char* url, const Text& target, int32_t fileNumber) {
    Text process = ToText(static_cast<int32_t>(rt().CallDllCommand(program::DllGetCurrentProcessId, nullptr, 0)));
    Text number = ToText(fileNumber);
    Text temporary = Join(target, ".", process, "-", number, ".part");
    int32_t file = CreateTemporaryFile(temporary);
    if (!file) return false;
    FetchOutcome outcome;
    Bytes firstBytes;
    int32_t length = HttpSaveFile(url, file, MaximumPictureBytes, outcome, firstBytes);
    CloseFileHandle(file);
    bool whole = outcome.status >= 200 && outcome.status < 300 && outcome.complete && length > 0 &&
                 !LooksLikeWebPage(firstBytes);
    if (!whole) {
        DiscardTemporaryFile(temporary);
        return false;
    }
    return PublishTemporaryFile(temporary, target);
}

}  // namespace

void __stdcall DownloadPicture(int32_t fileNumber) {
    SeekToFileStart(fileNumber);
    Text record = ReadText(fileNumber);
    CloseFile(fileNumber);
    TextArray parts = SplitText(record.Arg(), "|");
    if (parts.Count() >= 2) {
        const char* name = parts.TextAt(1) ? parts.TextAt(1) : "";
        const char* url = parts.TextAt(2) ? parts.TextAt(2) : "";
        Text target = TargetPath(name);
        if (target.Empty() || IsFolder(target)) {
            AppendLogLine(Join("下载失败：", name));
            CountOne();
        } else if (!FileExists(target.Arg())) {
            int32_t line = AppendLogLine(Join("正在下载：", name));
            bool saved = SavePicture(url, target, fileNumber);
            CountOne();
            ReplaceLogLine(line, Join(saved ? "下载完成：" : "下载失败：", name));
        } else {
            AppendLogLine(Join("已经下载：", name));
            CountOne();
        }
    }
    SetLabelCaption(ProgressText());
}

}  // namespace velmora::app
