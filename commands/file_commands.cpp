// Memory files and disk files: OpenMemoryFile, WriteText, SeekToFileStart,
// ReadText, FileExists, WriteToFile, CreateDirectory.
#include <memory>
#include <new>
#include <string>
#include "commands/command_args.h"
#include "commands/core_commands.h"
#include "commands/disk_writes.h"
#include "commands/value_text.h"
#include "runtime/file_table.h"
#include "runtime/platform_text.h"

namespace velmora::commands {

using framework::FileObject;

void OpenMemoryFile(ValueRecord* result, int32_t, ValueRecord*) {
    SetInt(result, Files().Register(std::make_unique<framework::MemoryFile>(1024), FileKindMemory));
}

void WriteText(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    FileHold file = Files().Find(args.Int(0));
    if (!file) return SetBool(result, false);
    uint32_t noted = file->Position();
    for (int32_t i = 1; i < args.Count(); ++i) {
        std::string text = ValueToText(args[i]);
        if (text.empty()) continue;
        if (!file->Write(text.data(), static_cast<uint32_t>(text.size()))) {
            file->Seek(noted, FileObject::Begin);
            return SetBool(result, false);
        }
    }
    SetBool(result, true);
}

void SeekToFileStart(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    FileHold file = Files().Find(Args(count, arguments).Int(0));
    SetBool(result, file && file->Seek(0, FileObject::Begin));
}

void ReadText(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    FileHold file = Files().Find(args.Int(0));
    if (!file) return;
    int64_t wanted = args.Given(1) ? args.Int(1) : static_cast<int64_t>(file->Length());
    if (wanted <= 0) return;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<size_t>(wanted)]);
    if (!buffer) {
        file->Seek(0, FileObject::End);
        return;
    }
    uint32_t noted = file->Position();
    uint32_t read = file->Read(buffer.get(), static_cast<uint32_t>(wanted));
    // A 0 or 0x1A byte ends the text and stays unread; so does a lead byte
    // whose trail byte is 0.
    uint32_t length = 0;
    bool terminated = false;
    while (length < read) {
        auto byte = static_cast<uint8_t>(buffer[length]);
        if (byte == 0 || byte == 0x1A) {
            terminated = true;
            break;
        }
        if (byte & 0x80) {
            if (length + 1 < read && buffer[length + 1] == 0) {
                terminated = true;
                noted += 1;
                break;
            }
            length += length + 1 < read ? 2 : 1;
        } else {
            length += 1;
        }
    }
    if (terminated) file->Seek(static_cast<int64_t>(noted) + length, FileObject::Begin);
    SetText(result, std::string_view(buffer.get(), length));
}

void CloseFile(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    SetBool(result, Files().Unregister(Args(count, arguments).Int(0)));
}

void FileExists(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    std::wstring path = WideFromText(Args(count, arguments).Text(0));
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return SetBool(result, false);
    FindClose(search);
    SetBool(result, true);
}

void WriteToFile(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    Args args(count, arguments);
    std::string path(args.Text(0));
    if (path.empty()) return SetBool(result, false);
    HANDLE file = CreateFileW(WideFromText(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return SetBool(result, false);
    bool ok = true;
    for (int32_t i = 1; i < args.Count() && ok; ++i) {
        std::string_view bytes = args.Bytes(i);
        if (!bytes.empty()) ok = WriteToDisk(file, bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
    ok = CloseHandle(file) && ok;
    SetBool(result, ok);
}

void CreateDirectory(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    std::wstring path = WideFromText(Args(count, arguments).Text(0));
    SetBool(result, CreateDirectoryW(path.c_str(), nullptr) != 0);
}

}  // namespace velmora::commands
