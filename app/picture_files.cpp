// The temporary files of pictures being saved. A picture is written under a
// temporary name beside its target and takes its name only when whole; the
// temporary files in use are listed here, so the shutdown can remove them
// whatever the workers are doing at that moment. fileSection guards the list
// and `closing`, and is held only around one file operation at a time, never
// around a fetch, a wait or a call on the window, so the shutdown gets it at once.
#include "app/downloader.h"
#include <windows.h>
#include <cstring>
#include "program/dll_command_numbers.h"
#include "threads/thread_calls.h"

namespace velmora::app {

using namespace routine;

int32_t fileSection = 0;
std::atomic<bool> closing{false};

namespace {

// Empty slots are free. Like every global of the program it lives until the
// process ends, so it is never destroyed under a worker or after the runtime.
TextArray& temporaryFiles = *new TextArray;

// A file just closed can stay held for a moment under Wine (a sharing
// violation when it is renamed or deleted at once): a few short retries ride it out.
constexpr int FileAttempts = 50;
// At shutdown the retries of all files together stay within half a second.
constexpr int ShutdownRetries = 25;
constexpr uint32_t RetryMilliseconds = 20;

void Pause() { rt().CallDllCommand(program::DllSleep, &RetryMilliseconds, 1); }

// The file DLL commands are the platform's wide ones: paths go as ToWideText makes them.
uint32_t WidePathWord(const Bytes& path) { return reinterpret_cast<uint32_t>(path.Data()); }

bool MoveFileWithoutReplacing(const Text& from, const Text& to) {
    Bytes wideFrom = ToWideText(from.Arg()), wideTo = ToWideText(to.Arg());
    const uint32_t words[2] = {WidePathWord(wideFrom), WidePathWord(wideTo)};
    return rt().CallDllCommand(program::DllMoveFile, words, 2) != 0;
}

bool DeleteFileAt(const Text& path) {
    Bytes wide = ToWideText(path.Arg());
    const uint32_t word = WidePathWord(wide);
    return rt().CallDllCommand(program::DllDeleteFile, &word, 1) != 0;
}

// A new file, written by this program alone; others may only delete it,
// which is how the shutdown removes it under a worker still writing.
int32_t CreateNewFile(const Text& path) {
    constexpr uint32_t GenericWrite = 0x40000000, ShareDelete = 4, CreateNew = 1, NormalFile = 0x80;
    Bytes wide = ToWideText(path.Arg());
    const uint32_t words[7] = {WidePathWord(wide), GenericWrite, ShareDelete, 0, CreateNew, NormalFile, 0};
    auto handle = static_cast<int32_t>(rt().CallDllCommand(program::DllCreateFile, words, 7));
    return handle == -1 ? 0 : handle;
}

void Remember(const Text& path) {
    for (uint32_t i = 1; i <= temporaryFiles.Count(); ++i)
        if (!temporaryFiles.TextAt(i)) return temporaryFiles.SetText(i, path.Get());
    temporaryFiles.AppendText(path.Get());
}

void Forget(const Text& path) {
    for (uint32_t i = 1; i <= temporaryFiles.Count(); ++i)
        if (temporaryFiles.TextAt(i) && std::strcmp(temporaryFiles.TextAt(i), path.Arg()) == 0)
            return temporaryFiles.SetText(i, nullptr);
}

}  // namespace

int32_t CreateTemporaryFile(const Text& path) {
    HeldSection held(fileSection);
    int32_t file = closing ? 0 : CreateNewFile(path);
    if (file) Remember(path);
    return file;
}

bool PublishTemporaryFile(const Text& temporary, const Text& target) {
    for (int attempt = 0; attempt < FileAttempts; ++attempt) {
        bool ending = false, moved = false;
        {
            HeldSection held(fileSection);
            ending = closing;
            moved = !ending && MoveFileWithoutReplacing(temporary, target);
            if (moved) Forget(temporary);
        }
        if (moved) return true;
        if (ending) return false;  // the shutdown removes it
        if (FileExists(target.Arg())) break;  // another worker took the name
        Pause();
    }
    DiscardTemporaryFile(temporary);
    return false;
}

void DiscardTemporaryFile(const Text& temporary) {
    for (int attempt = 0; attempt < FileAttempts; ++attempt) {
        bool ending = false, gone = false;
        {
            HeldSection held(fileSection);
            ending = closing;
            gone = !ending && (DeleteFileAt(temporary) || !FileExists(temporary.Arg()));
            if (gone) Forget(temporary);
        }
        if (gone || ending) return;
        Pause();
    }
}

void RemoveTemporaryFiles() {
    HeldSection held(fileSection);
    closing = true;
    int retries = ShutdownRetries;
    for (uint32_t i = 1; i <= temporaryFiles.Count(); ++i) {
        Text path = Join(temporaryFiles.TextAt(i));
        if (path.Empty()) continue;
        // A worker may still be writing: its file is deleted now and vanishes
        // when the process ends and takes the worker's handle with it.
        while (!DeleteFileAt(path) && FileExists(path.Arg()) && retries-- > 0) Pause();
    }
}

}  // namespace velmora::app
