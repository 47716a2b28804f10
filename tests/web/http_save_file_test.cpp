// HttpSaveFile against real WinINet and our server: the body goes to the
// file as it arrives, the size limit holds, and the report tells the truth.
#include <gtest/gtest.h>
#include <fstream>
#include <sstream>
#include "runtime/calling.h"
#include "runtime/memory.h"
#include "tests/web/web_test_support.h"
#include "web/http_read_file.h"
#include "web/http_save_file.h"

namespace velmora {
namespace {

using testing::PatternBytes;
using testing::RequestsContaining;
using testing::SecureUrl;
using testing::ServerUrl;
using testing::TrustTestCertificateAuthority;

struct Saved {
    int32_t written = -1, status = -1, ending = -1, failure = -1, systemError = -1;
    std::string file, first, last;
    DWORD milliseconds = 0;
};

std::string FileContent(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

Saved Save(const std::string& url, int32_t limit = 0, DWORD access = GENERIC_WRITE) {
    char folder[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "vsf", 0, path);
    HANDLE file = CreateFileA(path, access, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    Saved saved;
    ByteSetBlock *first = nullptr, *last = nullptr;
    auto integer = [](int32_t& variable) { return ValueRecord{reinterpret_cast<uint32_t>(&variable), 0, Type::Integer}; };
    ValueRecord arguments[9] = {
        {reinterpret_cast<uint32_t>(url.c_str()), 0, Type::Text},
        {reinterpret_cast<uint32_t>(file), 0, Type::Integer},
        limit ? ValueRecord{static_cast<uint32_t>(limit), 0, Type::Integer} : ValueRecord{},
        integer(saved.status),
        integer(saved.ending),
        {reinterpret_cast<uint32_t>(&first), 0, Type::ByteSet},
        integer(saved.failure),
        integer(saved.systemError),
        {reinterpret_cast<uint32_t>(&last), 0, Type::ByteSet},
    };
    DWORD start = GetTickCount();
    saved.written = static_cast<int32_t>(CallLibraryCommand(InternetCommand(CmdHttpSaveFile), 2, 9, arguments).low);
    saved.milliseconds = GetTickCount() - start;
    CloseHandle(file);
    saved.file = FileContent(path);
    if (first) saved.first.assign(reinterpret_cast<const char*>(first->data()), first->length);
    if (last) saved.last.assign(reinterpret_cast<const char*>(last->data()), last->length);
    FreeMemory(first);
    FreeMemory(last);
    DeleteFileA(path);
    return saved;
}

TEST(HttpSaveFile, TheBodyGoesToTheFileAndTheFirstBytesComeBack) {
    Saved saved = Save(ServerUrl("/r?size=3000000&seed=3"));
    EXPECT_EQ(saved.written, 3000000);
    EXPECT_EQ(saved.status, 200);
    EXPECT_EQ(saved.ending, web::FetchAtLength);
    EXPECT_EQ(saved.failure, web::FetchFine);
    EXPECT_TRUE(saved.file == PatternBytes(3000000, 3)) << "the file is not the body";
    EXPECT_EQ(saved.first, PatternBytes(3000000, 3).substr(0, web::FirstBytesKept));
    EXPECT_EQ(saved.last, PatternBytes(3000000, 3).substr(3000000 - web::LastBytesKept));
    Saved small = Save(ServerUrl("/r?body=tiny"));
    EXPECT_EQ(small.file, "tiny");
    EXPECT_EQ(small.first, "tiny");
    EXPECT_EQ(small.last, "tiny");
    Saved missing = Save(ServerUrl("/r?status=404&body=%3Chtml%3Egone%3C/html%3E"));
    EXPECT_EQ(missing.status, 404) << "the body of any answer is saved; the status tells";
    EXPECT_EQ(missing.first, "<html>gone</html>");
}

TEST(HttpSaveFile, AnAnnouncedLengthAboveTheLimitIsNotReadAtAll) {
    // Three gigabytes announced, and the server would send them for ever.
    Saved saved = Save(ServerUrl("/r?size=0&cl=3221225472&endless=1"), 1 << 20);
    EXPECT_EQ(saved.written, 0);
    EXPECT_EQ(saved.ending, web::FetchCut);
    EXPECT_EQ(saved.failure, web::FetchTooLarge);
    EXPECT_EQ(saved.status, 200);
    EXPECT_TRUE(saved.file.empty());
    EXPECT_LT(saved.milliseconds, 3000u);
}

TEST(HttpSaveFile, ABodyWithoutALengthThatPassesTheLimitStopsThere) {
    Saved saved = Save(ServerUrl("/r?size=1000&endless=1&cl=none"), 1 << 20);
    EXPECT_EQ(saved.ending, web::FetchCut);
    EXPECT_EQ(saved.failure, web::FetchTooLarge);
    EXPECT_LE(saved.written, 1 << 20);
    EXPECT_GT(saved.written, (1 << 20) - 65536) << "it read up to the limit";
    EXPECT_EQ(saved.file.size(), static_cast<size_t>(saved.written));
    Saved exact = Save(ServerUrl("/r?size=65536"), 65536);
    EXPECT_EQ(exact.ending, web::FetchAtLength) << "a body of exactly the limit is whole";
}

// How each answer ends, and why one fails: the network, the server, the disk.
TEST(HttpSaveFile, EndingsAndFailures) {
    TrustTestCertificateAuthority();
    std::string httpsPicture = SecureUrl("/r?size=40000&seed=2");
    struct Row {
        const char* what;
        std::string url;
        int32_t ending, failure, status;
        DWORD access = GENERIC_WRITE;
    };
    const Row rows[] = {
        {"cut short", ServerUrl("/r?size=400000&cut=200000"), web::FetchCut, web::FetchFine, 200},
        {"a long Content-Length is still read and compared",
         ServerUrl("/r?size=40000&cut=20000&cl=" + std::string(40, '0') + "40000"), web::FetchCut, web::FetchFine, 200},
        {"chunked: no length announced", ServerUrl("/r?size=40000&chunked=1"), web::FetchUnframed, web::FetchFine, 200},
        {"closed with no length announced", ServerUrl("/r?size=40000&cl=none"), web::FetchUnframed, web::FetchFine, 200},
        {"a write that failed", ServerUrl("/r?size=40000"), web::FetchCut, web::FetchCannotWrite, 200, GENERIC_READ},
        {"refused", "http://127.0.0.1:1/refused", web::FetchCut, web::FetchCannotConnect, 0},
        {"three redirects, relative, then the picture", ServerUrl("/hop?n=3&code=307&then={{BASE}}/r?size=4000"),
         web::FetchAtLength, web::FetchFine, 200},
        {"a redirect loop", ServerUrl("/loop"), web::FetchCut, web::FetchTooManyRedirects, 0},
        {"from http to https", ServerUrl("/hop?n=0&code=301&then=" + testing::Encode(httpsPicture)),
         web::FetchAtLength, web::FetchFine, 200},
        {"a drip of a byte in 0.2 s", ServerUrl("/r?size=40&trickle=0.2"), web::FetchCut, web::FetchTimedOut, 200},
        {"silent before any byte", ServerUrl("/r?size=40000&stallhead=3"), web::FetchCut, web::FetchTimedOut, 0},
        {"silent after the headers", ServerUrl("/r?size=40000&stall=3"), web::FetchCut, web::FetchTimedOut, 200},
    };
    _putenv("VELMORA_NET_TIMEOUT_MS=1500");
    // The log is the server's whole life: count the loop's requests from here on.
    size_t loopsBefore = RequestsContaining("/loop").size();
    for (const Row& row : rows) {
        Saved saved = Save(row.url, 0, row.access);
        EXPECT_EQ(saved.ending, row.ending) << row.what;
        EXPECT_EQ(saved.failure, row.failure) << row.what;
        EXPECT_EQ(saved.status, row.status) << row.what;
        if (row.failure == web::FetchCannotWrite) {
            EXPECT_NE(saved.systemError, 0) << row.what;
        }
        if (row.ending == web::FetchCut && row.failure == web::FetchFine) {
            size_t size = row.url.find("400000") != std::string::npos ? 400000 : 40000;
            EXPECT_EQ(saved.file, PatternBytes(size).substr(0, saved.file.size())) << row.what << ": kept as it came";
        }
        if (row.failure == web::FetchTimedOut) {
            EXPECT_LT(saved.milliseconds, 2 * 1500u + 1000) << row.what;
        }
    }
    _putenv("VELMORA_NET_TIMEOUT_MS=");
    EXPECT_EQ(RequestsContaining("/loop").size() - loopsBefore, 1u + web::MaximumRedirects) << "the loop's requests";
    EXPECT_EQ(Save("").written, 0);
}

}  // namespace
}  // namespace velmora
