// A 5 MB body through VisitWebPage and HttpReadFile beside a plain WinINet
// read loop, against our loopback server in the same run. Prints a table.
#include <windows.h>
#include <wininet.h>
#include <cstdlib>
#include <string>
#include "bench/bench_table.h"
#include "program/program_header.h"
#include "runtime/calling.h"
#include "runtime/memory.h"
#include "runtime/runtime_app.h"
#include "web/http_read_file.h"
#include "web/visit_web_page.h"

using namespace velmora;

namespace {

std::string Url(size_t size) {
    const char* port = std::getenv("VELMORA_SERVER_PORT");
    return "http://127.0.0.1:" + std::string(port ? port : "9") + "/r?size=" + std::to_string(size);
}

volatile size_t sink;

void ThroughVisitWebPage(const std::string& url) {
    routine::Text address = routine::Join(url.c_str());
    sink = web::VisitWebPage(address).Length();
}

void ThroughHttpReadFile(const std::string& url) {
    ValueRecord argument{reinterpret_cast<uint32_t>(url.c_str()), 0, Type::Text};
    ValueRecord result = CallLibraryCommand(InternetCommand(CmdHttpReadFile), 2, 1, &argument);
    sink = ByteSetLengthOrZero(reinterpret_cast<ByteSetBlock*>(result.low));
    FreeMemory(reinterpret_cast<void*>(result.low));
}

// What a C++ programmer would write: one handle pair, a big buffer, a string.
void PlainLoop(const std::string& url, DWORD bufferSize) {
    HINTERNET internet = InternetOpenA("bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET file = InternetOpenUrlA(internet, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
    std::string body;
    std::string buffer(bufferSize, '\0');
    DWORD read = 0;
    while (InternetReadFile(file, buffer.data(), bufferSize, &read) && read) body.append(buffer.data(), read);
    InternetCloseHandle(file);
    InternetCloseHandle(internet);
    sink = body.size();
}

}  // namespace

int main() {
    RuntimeApp app(&program::header, nullptr);
    InitializeRuntime();
    const size_t size = 5 << 20;
    const double megabytes = static_cast<double>(size) / 1048576.0;
    const std::string url = Url(size), doubled = Url(2 * size);
    bench::PrintHeader("Fetching a 5 MB body from a loopback server (best of 5 runs)", "path");
    struct Row {
        const char* name;
        void (*ours)(const std::string&);
        DWORD plainBuffer;
    } rows[] = {
        {"VisitWebPage (1024-byte reads)", ThroughVisitWebPage, 1024},
        {"HttpReadFile (Content-Length chunks)", ThroughHttpReadFile, 102400},
    };
    for (const Row& row : rows) {
        double ours = bench::BestSeconds([&] { row.ours(url); });
        double plain = bench::BestSeconds([&] { PlainLoop(url, row.plainBuffer); });
        double ours2 = bench::BestSeconds([&] { row.ours(doubled); });
        bench::PrintRow(row.name, megabytes, ours, plain, ours2);
    }
    std::printf("\nplain: InternetOpenUrlA and an InternetReadFile loop with the same read size into a std::string.\n");
    return 0;
}
