#include "web/http_save_file.h"
#include <windows.h>
#include <cstring>
#include <memory>
#include <new>
#include "commands/command_args.h"
#include "commands/disk_writes.h"
#include "runtime/memory.h"
#include "web/http_get.h"
#include "web/wininet_api.h"

namespace velmora::web {
namespace {

constexpr uint32_t ReadSize = 65536;

// Stores a new byte set into the caller's byte-set variable, freeing what it held.
void StoreByteSet(const ValueRecord& variable, const uint8_t* data, uint32_t length) {
    if (variable.type != Type::ByteSet || variable.low == 0) return;
    auto** slot = reinterpret_cast<ByteSetBlock**>(variable.low);
    ByteSetBlock* fresh = nullptr;
    if (length) {
        fresh = static_cast<ByteSetBlock*>(commands::AllocResult(8 + length));
        fresh->dimensions = 1;
        fresh->length = length;
        std::memcpy(fresh->data(), data, length);
    }
    ByteSetBlock* old = *slot;
    *slot = fresh;
    FreeMemory(old);
}

}  // namespace

void HttpSaveFile(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    commands::Args args(count, arguments);
    auto file = reinterpret_cast<HANDLE>(args[1].low);
    // Without a limit of the caller's, the count it answers is the limit.
    int64_t limit = args.Given(2) && args.Int(2) > 0 ? args.Int(2) : INT32_MAX;
    FetchReport report{args.Given(3) ? reinterpret_cast<int32_t*>(args[3].low) : nullptr,
                       args.Given(4) ? reinterpret_cast<int32_t*>(args[4].low) : nullptr};
    report.Set(0, false);
    StoreByteSet(args[5], nullptr, 0);
    if (file == nullptr || file == INVALID_HANDLE_VALUE) return;
    HttpGet get(args.Text(0));
    if (!get.Sent()) return;

    int32_t status = get.Status();
    int64_t announced = get.AnnouncedLength();
    if (announced > limit) {
        get.Abandon();
        return report.Set(status, false);
    }
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[ReadSize]);
    if (!buffer) return report.Set(status, false);

    uint8_t first[FirstBytesKept];
    uint32_t firstLength = 0;
    int64_t written = 0;
    bool clean = false;
    for (;;) {
        DWORD read = 0;
        if (!WinInet().InternetReadFile(get.Request(), buffer.get(), ReadSize, &read)) break;
        if (read == 0) {
            clean = true;
            break;
        }
        if (written + read > limit) {  // past the limit: what came before stays, incomplete
            get.Abandon();
            break;
        }
        if (firstLength < FirstBytesKept) {
            uint32_t taken = read < FirstBytesKept - firstLength ? read : FirstBytesKept - firstLength;
            std::memcpy(first + firstLength, buffer.get(), taken);
            firstLength += taken;
        }
        if (!commands::WriteToDisk(file, buffer.get(), read)) {
            get.Abandon();
            break;
        }
        written += read;
    }
    bool lengthMatches = announced == HttpGet::NoLength || written == announced;
    report.Set(status, clean && !get.Chunked() && lengthMatches);
    StoreByteSet(args[5], first, firstLength);
    commands::SetInt(result, static_cast<int32_t>(written));
}

}  // namespace velmora::web
