// The temporary files of pictures being saved. A picture is written under a
// temporary name beside its target and takes its name only when whole; the
// temporary files in use are listed here, so the shutdown can remove them
// whatever the workers are doing at that moment. fileSection guards the list
// and `closing`, and is held only around one file operation at a time, never
// around a fetch, a wait or a call on the window, so the shutdown gets it at once.
#include "app/downloader.h"
#include <windows.h>
#include <cstring>
#include <string_view>
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

// Why the DLL command just called failed; read before anything else can change it.
int32_t LastError() { return static_cast<int32_t>(rt().CallDllCommand(program::DllGetLastError, nullptr, 0)); }

bool MoveFileWithoutReplacing(const Text& from, const Text& to, int32_t& error) {
    Bytes wideFrom = ToWideText(from.Arg()), wideTo = ToWideText(to.Arg());
    const uint32_t words[2] = {WidePathWord(wideFrom), WidePathWord(wideTo)};
    bool moved = rt().CallDllCommand(program::DllMoveFile, words, 2) != 0;
    error = moved ? 0 : LastError();
    return moved;
}

bool DeleteFileAt(const Text& path) {
    Bytes wide = ToWideText(path.Arg());
    const uint32_t word = WidePathWord(wide);
    return rt().CallDllCommand(program::DllDeleteFile, &word, 1) != 0;
}

// A new file, written by this program alone; others may only delete it,
// which is how the shutdown removes it under a worker still writing.
int32_t CreateNewFile(const Text& path, int32_t& error) {
    constexpr uint32_t GenericWrite = 0x40000000, ShareDelete = 4, CreateNew = 1, NormalFile = 0x80;
    Bytes wide = ToWideText(path.Arg());
    const uint32_t words[7] = {WidePathWord(wide), GenericWrite, ShareDelete, 0, CreateNew, NormalFile, 0};
    auto handle = static_cast<int32_t>(rt().CallDllCommand(program::DllCreateFile, words, 7));
    error = handle == -1 ? LastError() : 0;
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

int32_t CreateTemporaryFile(const Text& path, int32_t& error) {
    HeldSection held(fileSection);
    error = 0;
    int32_t file = closing ? 0 : CreateNewFile(path, error);
    if (file) Remember(path);
    return file;
}

int32_t PublishTemporaryFile(const Text& temporary, const Text& target) {
    int32_t error = 0;
    for (int attempt = 0; attempt < FileAttempts; ++attempt) {
        bool ending = false, moved = false;
        {
            HeldSection held(fileSection);
            ending = closing;
            moved = !ending && MoveFileWithoutReplacing(temporary, target, error);
            if (moved) Forget(temporary);
        }
        if (moved) return 0;
        if (ending) return ERROR_OPERATION_ABORTED;  // the shutdown removes it
        if (FileExists(target.Arg())) break;  // another worker took the name
        Pause();
    }
    DiscardTemporaryFile(temporary);
    return error ? error : ERROR_ALREADY_EXISTS;
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

namespace {

// "<name>.jpg.<process id>-<number>.part", as SavePicture names them.
bool IsTemporaryName(const char* name) {
    std::string_view text(name ? name : "");
    constexpr std::string_view ending = ".part";
    if (text.size() < ending.size() || text.substr(text.size() - ending.size()) != ending) return false;
    text.remove_suffix(ending.size());
    size_t dot = text.rfind('.');
    if (dot == std::string_view::npos || dot < 4 || text.substr(dot - 4, 4) != ".jpg") return false;
    std::string_view numbers = text.substr(dot + 1);
    size_t dash = numbers.find('-');
    auto digits = [](std::string_view part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    return dash != std::string_view::npos && digits(numbers.substr(0, dash)) && digits(numbers.substr(dash + 1));
}

// Nobody has the file open: a writer of a live run holds its file, and no
// open without sharing succeeds beside it.
bool NobodyHolds(const Text& path) {
    constexpr uint32_t GenericRead = 0x80000000, OpenExisting = 3;
    Bytes wide = ToWideText(path.Arg());
    const uint32_t words[7] = {WidePathWord(wide), GenericRead, 0, 0, OpenExisting, 0, 0};
    auto handle = static_cast<int32_t>(rt().CallDllCommand(program::DllCreateFile, words, 7));
    if (handle == -1) return false;
    const uint32_t word = static_cast<uint32_t>(handle);
    rt().CallDllCommand(program::DllCloseHandle, &word, 1);
    return true;
}

}  // namespace

void RemoveDeadTemporaryFiles(const Text& folder) {
    // A process id alone cannot tell a dead run: the folder may be shared with other machines.
    Text pattern = Join(folder, "\\*.part");
    uint32_t search = 0;
    constexpr uint32_t FilesOnly = 1;
    for (;;) {
        Text name(reinterpret_cast<char*>(CallProgramService(ProgramService::FindFile,
                                                             reinterpret_cast<uint32_t>(pattern.Arg()), 0, FilesOnly,
                                                             reinterpret_cast<uint32_t>(&search))));
        if (name.Empty()) break;
        if (!IsTemporaryName(name.Arg())) continue;
        Text path = Join(folder, "\\", name);
        if (NobodyHolds(path)) DeleteFileAt(path);
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
