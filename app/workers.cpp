// DownloadPicture: one worker, one picture.
#include "app/downloader.h"
#include <windows.h>
#include "app/picture_check.h"
#include "app/picture_record.h"
#include "app/reasons.h"
#include "app/retries.h"
#include "app/window_units.h"
#include "program/dll_command_numbers.h"
#include "web/fetch_failure.h"
#include "web/internet_calls.h"
#include "web/url_routines.h"

namespace velmora::app {

using namespace routine;

namespace {

// ".<process id>-<file number>.part": the process id keeps the name apart from
// whatever another process, or an earlier one that ended abruptly, left behind.
constexpr int32_t TemporarySuffixRoom = 27;
// 148 GBK bytes are at most 222 UTF-8 bytes: with ".jpg" and the suffix, under 255.
constexpr int32_t NameRoom = 148;

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

// One try: streams the picture into a fresh temporary file beside its
// target and gives it the target's name once it is whole and is a picture;
// otherwise nothing of it stays. The memory this takes does not grow with
// the picture.
TryOutcome TryPicture(const char* url, const Text& target, int32_t fileNumber) {
    TryOutcome tried;
    Text process = ToText(static_cast<int32_t>(rt().CallDllCommand(program::DllGetCurrentProcessId, nullptr, 0)));
    Text number = ToText(fileNumber);
    Text temporary = Join(target, ".", process, "-", number, ".part");
    int32_t error = 0;
    int32_t file = CreateTemporaryFile(temporary, error);
    if (!file) {
        tried.reason = CannotWriteReason(error);
        return tried;
    }
    FetchOutcome outcome;
    Bytes first, last;
    int32_t length = HttpSaveFile(url, file, MaximumPictureBytes, outcome, first, last);
    CloseFileHandle(file);
    tried.status = outcome.status;
    tried.retryAfter = outcome.retryAfter;
    tried.server = ServerOf(outcome.address.Empty() ? url : outcome.address.Arg());
    tried.reason = FetchReason(outcome.failure, outcome.status, outcome.systemError, "256 MB");
    // Kept only when it is a picture, and a whole one: it ended at its announced
    // length, or, announcing none, it ends as its format ends. A body known to
    // be cut short is incomplete whatever its first bytes were.
    PictureFormat format = FormatOf(first.Data(), first.Length());
    bool incomplete = false;
    if (tried.reason.Empty() && outcome.ending == web::FetchCut) incomplete = true;
    if (tried.reason.Empty() && !incomplete && format == PictureFormat::None) tried.reason = Join(NotAPicture);
    bool whole = outcome.ending == web::FetchAtLength ||
                 (outcome.ending == web::FetchUnframed &&
                  EndsWhole(format, first.Data(), first.Length(), last.Data(), last.Length(), static_cast<uint32_t>(length)));
    if (tried.reason.Empty() && !whole) incomplete = true;
    if (incomplete) tried.reason = Join(Incomplete);
    tried.transient = Transient(outcome.failure, outcome.status, incomplete);
    if (!tried.reason.Empty()) {
        DiscardTemporaryFile(temporary);
        return tried;
    }
    int32_t publishError = PublishTemporaryFile(temporary, target);
    if (publishError) tried.reason = CannotWriteReason(publishError);
    return tried;
}

// Tries the picture until it is saved, fails for good, or has had its tries;
// waits between tries as the server asked, or 1 s, 2 s, 4 s. Answers why it
// failed (with the number of tries when more than one), or the empty text.
Text SavePicture(const char* url, const Text& target, int32_t fileNumber) {
    // The server the address names, and the one that answered after redirects:
    // a pause of either holds the next try.
    Text asked = ServerOf(url);
    Text answered = Join(asked);
    for (int32_t tries = 1;; ++tries) {
        WaitForServer(asked);
        WaitForServer(answered);
        TryOutcome tried = TryPicture(url, target, fileNumber);
        if (tried.reason.Empty()) return Text();
        int32_t wait = RetryWaitMilliseconds(tries, tried.retryAfter);
        answered = std::move(tried.server);
        // A server that asks for a pause gets it, from this worker's last try too.
        bool pauses = PausesServer(tried.status, tried.retryAfter);
        if (pauses) {
            PauseServer(answered, wait);
            if (!web::SameText(asked.Get(), answered.Get())) PauseServer(asked, wait);
        }
        if (!tried.transient || tries == MaximumTries || closing) return WithTries(tried.reason, tries);
        if (!pauses) WaitSayingSo(wait);  // a pause is waited out above, with every other worker
    }
}

}  // namespace

void __stdcall DownloadPicture(int32_t fileNumber) {
    SeekToFileStart(fileNumber);
    Text record = ReadText(fileNumber);
    CloseFile(fileNumber);
    Text nameText, url;
    if (ReadPictureRecord(record.Arg(), nameText, url)) {
        const char* name = nameText.Arg();
        Text target = TargetPath(name);
        if (target.Empty()) {
            Text reason = CannotWriteReason(ERROR_FILENAME_EXCED_RANGE);  // no room for any name
            AppendLogLine(FailedLine(name, reason.Arg()));
            CountOne(true);
        } else if (IsFolder(target)) {
            Text reason = CannotWriteReason(ERROR_ALREADY_EXISTS);  // a folder has the picture's name
            AppendLogLine(FailedLine(name, reason.Arg()));
            CountOne(true);
        } else if (!FileExists(target.Arg())) {
            int32_t line = AppendLogLine(Join("正在下载：", name));
            Text reason = SavePicture(url.Arg(), target, fileNumber);
            CountOne(!reason.Empty());
            ReplaceLogLine(line, reason.Empty() ? Join("下载完成：", name) : FailedLine(name, reason.Arg()));
        } else {
            AppendLogLine(Join("已经下载：", name));
            CountOne(false);
        }
    }
    ShowProgress();
}

}  // namespace velmora::app
