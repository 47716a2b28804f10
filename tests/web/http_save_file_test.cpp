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
using testing::ServerUrl;

struct Saved {
    int32_t written = -1, status = -1, complete = -1;
    std::string file, first;
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
    ByteSetBlock* first = nullptr;
    ValueRecord arguments[6] = {
        {reinterpret_cast<uint32_t>(url.c_str()), 0, Type::Text},
        {reinterpret_cast<uint32_t>(file), 0, Type::Integer},
        limit ? ValueRecord{static_cast<uint32_t>(limit), 0, Type::Integer} : ValueRecord{},
        {reinterpret_cast<uint32_t>(&saved.status), 0, Type::Integer},
        {reinterpret_cast<uint32_t>(&saved.complete), 0, Type::Integer},
        {reinterpret_cast<uint32_t>(&first), 0, Type::ByteSet},
    };
    DWORD start = GetTickCount();
    saved.written = static_cast<int32_t>(CallLibraryCommand(InternetCommand(CmdHttpSaveFile), 2, 6, arguments).low);
    saved.milliseconds = GetTickCount() - start;
    CloseHandle(file);
    saved.file = FileContent(path);
    if (first) saved.first.assign(reinterpret_cast<const char*>(first->data()), first->length);
    FreeMemory(first);
    DeleteFileA(path);
    return saved;
}

TEST(HttpSaveFile, TheBodyGoesToTheFileAndTheFirstBytesComeBack) {
    Saved saved = Save(ServerUrl("/r?size=3000000&seed=3"));
    EXPECT_EQ(saved.written, 3000000);
    EXPECT_EQ(saved.status, 200);
    EXPECT_EQ(saved.complete, 1);
    EXPECT_TRUE(saved.file == PatternBytes(3000000, 3)) << "the file is not the body";
    EXPECT_EQ(saved.first, PatternBytes(web::FirstBytesKept, 3));
    Saved small = Save(ServerUrl("/r?body=tiny"));
    EXPECT_EQ(small.file, "tiny");
    EXPECT_EQ(small.first, "tiny");
    Saved missing = Save(ServerUrl("/r?status=404&body=%3Chtml%3Egone%3C/html%3E"));
    EXPECT_EQ(missing.status, 404) << "the body of any answer is saved; the status tells";
    EXPECT_EQ(missing.first, "<html>gone</html>");
}

TEST(HttpSaveFile, AnAnnouncedLengthAboveTheLimitIsNotReadAtAll) {
    // Three gigabytes announced, and the server would send them for ever.
    Saved saved = Save(ServerUrl("/r?size=0&cl=3221225472&endless=1"), 1 << 20);
    EXPECT_EQ(saved.written, 0);
    EXPECT_EQ(saved.complete, 0);
    EXPECT_EQ(saved.status, 200);
    EXPECT_TRUE(saved.file.empty());
    EXPECT_LT(saved.milliseconds, 3000u);
}

TEST(HttpSaveFile, ABodyWithoutALengthThatPassesTheLimitStopsThere) {
    Saved saved = Save(ServerUrl("/r?size=1000&endless=1&cl=none"), 1 << 20);
    EXPECT_EQ(saved.complete, 0);
    EXPECT_LE(saved.written, 1 << 20);
    EXPECT_GT(saved.written, (1 << 20) - 65536) << "it read up to the limit";
    EXPECT_EQ(saved.file.size(), static_cast<size_t>(saved.written));
    Saved exact = Save(ServerUrl("/r?size=65536"), 65536);
    EXPECT_EQ(exact.complete, 1) << "a body of exactly the limit is whole";
}

TEST(HttpSaveFile, WhatCannotBeProvenWholeIsNotComplete) {
    Saved cut = Save(ServerUrl("/r?size=400000&cut=200000"));
    EXPECT_EQ(cut.complete, 0);
    EXPECT_EQ(cut.file, PatternBytes(400000).substr(0, cut.file.size()));
    EXPECT_EQ(Save(ServerUrl("/r?size=40000&chunked=1")).complete, 0) << "a chunked body cannot be proven whole";
    Saved paddedLength = Save(ServerUrl("/r?size=40000&cut=20000&cl=" + std::string(40, '0') + "40000"));
    EXPECT_EQ(paddedLength.complete, 0) << "a long Content-Length is still read and compared";
    Saved unwritable = Save(ServerUrl("/r?size=40000"), 0, GENERIC_READ);
    EXPECT_EQ(unwritable.complete, 0) << "a write that failed";
    EXPECT_EQ(unwritable.written, 0);
    EXPECT_EQ(Save("").written, 0);
    EXPECT_EQ(Save("http://127.0.0.1:1/refused").status, 0);
}

}  // namespace
}  // namespace velmora
