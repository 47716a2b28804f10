#include "web/http_save_file.h"
#include <windows.h>
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include "commands/command_args.h"
#include "commands/disk_writes.h"
#include "runtime/memory.h"
#include "web/http_get.h"
#include "web/visit_web_page.h"
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

// Stores a new text into the caller's text variable, freeing what it held.
void StoreText(const ValueRecord& variable, const std::string& text) {
    if (variable.type != Type::Text || variable.low == 0) return;
    auto** slot = reinterpret_cast<char**>(variable.low);
    char* fresh = nullptr;
    if (!text.empty()) {
        fresh = static_cast<char*>(commands::AllocResult(static_cast<uint32_t>(text.size()) + 1));
        std::memcpy(fresh, text.c_str(), text.size() + 1);
    }
    char* old = *slot;
    *slot = fresh;
    FreeMemory(old);
}

// The caller's integer variables, each optional.
struct Report {
    int32_t* status = nullptr;
    int32_t* ending = nullptr;
    int32_t* failure = nullptr;
    int32_t* systemError = nullptr;
    int32_t* retryAfter = nullptr;
    void Set(int32_t statusValue, FetchEnding endingValue, FetchFailure failureValue, uint32_t error = 0) const {
        if (status) *status = statusValue;
        if (ending) *ending = endingValue;
        if (failure) *failure = failureValue;
        if (systemError) *systemError = static_cast<int32_t>(error);
    }
};

int32_t* IntegerVariable(const commands::Args& args, int32_t index) {
    return args.Given(index) ? reinterpret_cast<int32_t*>(args[index].low) : nullptr;
}

// The last bytes of what was written, kept in a ring as the body passes.
class TailKeeper {
public:
    void Add(const char* data, uint32_t count) {
        if (count >= LastBytesKept) {
            std::memcpy(bytes_, data + count - LastBytesKept, LastBytesKept);
            length_ = LastBytesKept;
            return;
        }
        uint32_t keep = std::min(length_, LastBytesKept - count);
        std::memmove(bytes_, bytes_ + length_ - keep, keep);
        std::memcpy(bytes_ + keep, data, count);
        length_ = keep + count;
    }
    const uint8_t* Data() const { return bytes_; }
    uint32_t Length() const { return length_; }

private:
    uint8_t bytes_[LastBytesKept];
    uint32_t length_ = 0;
};

}  // namespace

void HttpSaveFile(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    commands::Args args(count, arguments);
    auto file = reinterpret_cast<HANDLE>(args[1].low);
    // Without a limit of the caller's, the count it answers is the limit.
    int64_t limit = args.Given(2) && args.Int(2) > 0 ? args.Int(2) : INT32_MAX;
    Report report{IntegerVariable(args, 3), IntegerVariable(args, 4), IntegerVariable(args, 6),
                  IntegerVariable(args, 7), IntegerVariable(args, 9)};
    report.Set(0, FetchCut, FetchCannotConnect);
    if (report.retryAfter) *report.retryAfter = -1;
    StoreByteSet(args[5], nullptr, 0);
    StoreByteSet(args[8], nullptr, 0);
    if (file == nullptr || file == INVALID_HANDLE_VALUE) return;
    HttpGet get(args.Text(0));
    StoreText(args[10], get.Address());
    if (!get.Sent()) return report.Set(0, FetchCut, get.Failure());
    if (report.retryAfter) *report.retryAfter = get.RetryAfter();

    int32_t status = get.Status();
    int64_t announced = get.AnnouncedLength();
    if (announced > limit) {
        get.Abandon();
        return report.Set(status, FetchCut, FetchTooLarge);
    }
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[ReadSize]);
    if (!buffer) return report.Set(status, FetchCut, FetchCannotConnect);

    uint8_t first[FirstBytesKept];
    uint32_t firstLength = 0;
    TailKeeper last;
    int64_t written = 0;
    bool clean = false;
    FetchFailure failure = FetchFine;
    uint32_t systemError = 0;
    DripGuard drip(NetworkTimeoutMilliseconds(), GetTickCount());
    for (;;) {
        DWORD read = 0;
        if (!get.ReadSome(buffer.get(), ReadSize, read)) {
            // Timed out; a connection that broke leaves the body cut short.
            if (get.ReadFailure() == FetchTimedOut) failure = FetchTimedOut;
            break;
        }
        if (read == 0) {
            clean = true;
            break;
        }
        if (written + read > limit) {  // past the limit: what came before stays, incomplete
            get.Abandon();
            failure = FetchTooLarge;
            break;
        }
        if (firstLength < FirstBytesKept) {
            uint32_t taken = read < FirstBytesKept - firstLength ? read : FirstBytesKept - firstLength;
            std::memcpy(first + firstLength, buffer.get(), taken);
            firstLength += taken;
        }
        last.Add(buffer.get(), read);
        if (!commands::WriteToDisk(file, buffer.get(), read)) {
            systemError = GetLastError();
            get.Abandon();
            failure = FetchCannotWrite;
            break;
        }
        written += read;
        if (!drip.Fine(GetTickCount(), read)) {
            get.Abandon();
            failure = FetchTimedOut;
            break;
        }
    }
    // WinINet hides a chunked body's framing and ends one cut short as if it
    // were whole: only an announced length proves an ending; without one the
    // caller looks at how the content itself ends.
    FetchEnding ending = FetchCut;
    if (clean && failure == FetchFine) {
        if (announced == HttpGet::NoLength || get.Chunked())
            ending = FetchUnframed;
        else if (written == announced)
            ending = FetchAtLength;
    }
    report.Set(status, ending, failure, systemError);
    StoreByteSet(args[5], first, firstLength);
    StoreByteSet(args[8], last.Data(), last.Length());
    commands::SetInt(result, static_cast<int32_t>(written));
}

}  // namespace velmora::web
