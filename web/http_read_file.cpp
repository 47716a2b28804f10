#include "web/http_read_file.h"
#include <atomic>
#include <memory>
#include <new>
#include <string>
#include "commands/command_args.h"
#include "web/http_get.h"
#include "web/visit_web_page.h"
#include "web/wininet_api.h"

namespace velmora::web {
namespace {

constexpr uint32_t MaximumChunk = 102400;
constexpr uint32_t UnknownLengthChunk = 10240;

std::atomic<uint32_t> lastChunkSize{0};

// Content-Length + 1, capped; a missing or useless length gives 10240.
uint32_t ChunkSize(HINTERNET request) {
    char buffer[32] = {};
    DWORD length = sizeof buffer;
    if (!WinInet().HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, buffer, &length, nullptr)) return UnknownLengthChunk;
    uint64_t value = 0;
    for (const char* digit = buffer; *digit >= '0' && *digit <= '9' && value <= MaximumChunk; ++digit)
        value = value * 10 + static_cast<uint64_t>(*digit - '0');
    if (value == 0) return UnknownLengthChunk;
    return value + 1 < MaximumChunk ? static_cast<uint32_t>(value + 1) : MaximumChunk;
}

}  // namespace

uint32_t LastChunkSize() { return lastChunkSize.load(); }

void HttpReadFile(ValueRecord* result, int32_t count, ValueRecord* arguments) {
    commands::Args args(count, arguments);
    FetchReport report{args.Given(1) ? reinterpret_cast<int32_t*>(args[1].low) : nullptr,
                       args.Given(2) ? reinterpret_cast<int32_t*>(args[2].low) : nullptr};
    report.Set(0, false);
    HttpGet get(args.Text(0));
    if (!get.Sent()) return;

    uint32_t chunk = ChunkSize(get.Request());
    lastChunkSize = chunk;
    int32_t status = get.Status();
    int64_t announced = get.AnnouncedLength();
    bool provable = !get.Chunked();
    // A read buffer that cannot be had gives the empty result; the body
    // itself grows through the runtime's heap, where running out is fatal.
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[chunk]);
    if (!buffer) return;
    bool clean = false;
    std::string output;
    DripGuard drip(NetworkTimeoutMilliseconds(), GetTickCount());
    for (;;) {
        DWORD read = 0;
        if (!get.ReadSome(buffer.get(), chunk, read)) break;
        if (read == 0) {
            clean = true;
            break;
        }
        output.append(buffer.get(), read);
        if (!drip.Fine(GetTickCount(), read)) break;
    }
    bool lengthMatches = announced == HttpGet::NoLength || static_cast<int64_t>(output.size()) == announced;
    report.Set(status, clean && provable && lengthMatches);
    commands::SetByteSet(result, output);
}

}  // namespace velmora::web
