// HttpReadFile against real WinINet and our server.
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>
#include "runtime/calling.h"
#include "runtime/memory.h"
#include "tests/web/web_test_support.h"
#include "web/http_read_file.h"
#include "web/internet_client.h"
#include "web/wininet_api.h"

namespace velmora {
namespace {

using testing::PatternBytes;
using testing::RequestsContaining;
using testing::ServerUrl;

std::string Read(const std::string& url) {
    ValueRecord argument{reinterpret_cast<uint32_t>(url.c_str()), 0, Type::Text};
    ValueRecord result = CallLibraryCommand(InternetCommand(CmdHttpReadFile), 2, 1, &argument);
    auto* bytes = reinterpret_cast<ByteSetBlock*>(result.low);
    if (!bytes) return "";
    EXPECT_NE(bytes->length, 0u);
    std::string body(reinterpret_cast<const char*>(bytes->data()), bytes->length);
    FreeMemory(bytes);
    return body;
}

TEST(HttpReadFile, ErrorPagesAndFragments) {
    EXPECT_EQ(Read(ServerUrl("/r?status=404&body=%3Chtml%3Egone%3C/html%3E")), "<html>gone</html>");
    EXPECT_EQ(Read(ServerUrl("/r?body=frag&tag=fragment#part")), "frag");
    auto requests = RequestsContaining("tag=fragment");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].find('#'), std::string::npos);
}

TEST(HttpReadFile, RequestCarriesTheFixedAgentVersionAndHeaders) {
    Read(ServerUrl("/r?body=x&tag=headers"));
    auto requests = RequestsContaining("tag=headers");
    ASSERT_EQ(requests.size(), 1u);
    const std::string& request = requests[0];
    EXPECT_EQ(request.rfind("GET /r?body=x&tag=headers HTTP/1.0\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"), std::string::npos)
        << request;
    EXPECT_NE(request.find("Accept: */*"), std::string::npos) << request;
    EXPECT_EQ(request.find("Referer"), std::string::npos);
    EXPECT_EQ(request.find("Cookie"), std::string::npos);
}

TEST(HttpReadFile, ChunkSizeFollowsContentLength) {
    EXPECT_EQ(Read(ServerUrl("/r?body=12345")), "12345");
    EXPECT_EQ(web::LastChunkSize(), 6u);
    EXPECT_EQ(Read(ServerUrl("/r?size=500000")), PatternBytes(500000));
    EXPECT_EQ(web::LastChunkSize(), 102400u);
    EXPECT_EQ(Read(ServerUrl("/r?size=30000&cl=none")), PatternBytes(30000));
    EXPECT_EQ(web::LastChunkSize(), 10240u);
    Read(ServerUrl("/r?size=100&cl=0"));
    EXPECT_EQ(web::LastChunkSize(), 10240u) << "a length of 0 is not used";
}

TEST(HttpReadFile, EmptyOrUnparsableUrlsOpenNothing) {
    size_t before = RequestsContaining("").size();
    EXPECT_EQ(Read(""), "");
    EXPECT_EQ(Read("not a url"), "");
    EXPECT_EQ(Read("http://127.0.0.1:1/refused"), "");
    EXPECT_EQ(RequestsContaining("").size(), before) << "no request arrived";
}

TEST(HttpReadFile, CutConnectionGivesWhatArrived) {
    std::string body = Read(ServerUrl("/r?size=50000&cut=20000"));
    EXPECT_LE(body.size(), 20000u);
    EXPECT_EQ(body, PatternBytes(50000).substr(0, body.size()));
}

TEST(HttpReadFile, ASilentServerEndsTheFetchAtTheTimeout) {
    _putenv("VELMORA_NET_TIMEOUT_MS=1500");
    DWORD start = GetTickCount();
    std::string body = Read(ServerUrl("/r?size=100&stall=6"));
    DWORD elapsed = GetTickCount() - start;
    _putenv("VELMORA_NET_TIMEOUT_MS=");
    EXPECT_LT(elapsed, 5000u) << "the fetch waited for the stalled server";
    EXPECT_TRUE(body.empty() || body == PatternBytes(100)) << body.size();
}

// The internet handle each connection was made on.
std::mutex parentsLock;
std::vector<HINTERNET> parents;
decltype(&::InternetConnectA) realConnect = nullptr;
HINTERNET WINAPI ConnectNotingTheParent(HINTERNET internet, LPCSTR host, INTERNET_PORT port, LPCSTR user,
                                        LPCSTR password, DWORD service, DWORD flags, DWORD_PTR context) {
    {
        std::lock_guard<std::mutex> guard(parentsLock);
        parents.push_back(internet);
    }
    return realConnect(internet, host, port, user, password, service, flags, context);
}

TEST(HttpReadFile, TwentyConcurrentFetchesShareOneHandle) {
    auto& api = const_cast<web::WinInetApi&>(web::WinInet());
    ASSERT_TRUE(api.loaded);
    parents.clear();
    realConnect = std::exchange(api.InternetConnectA, ConnectNotingTheParent);
    constexpr int fetches = 20;
    std::string bodies[fetches];
    std::vector<std::thread> threads;
    for (int i = 0; i < fetches; ++i)
        threads.emplace_back([i, &bodies] {
            bodies[i] = Read(ServerUrl("/r?size=" + std::to_string(20000 + 997 * i) + "&seed=" + std::to_string(i)));
        });
    for (auto& thread : threads) thread.join();
    api.InternetConnectA = realConnect;
    for (int i = 0; i < fetches; ++i) EXPECT_EQ(bodies[i], PatternBytes(20000 + 997 * i, i)) << "fetch " << i;

    HINTERNET shared = web::Client().Handle("");
    ASSERT_NE(shared, nullptr);
    ASSERT_EQ(parents.size(), static_cast<size_t>(fetches));
    for (HINTERNET parent : parents) EXPECT_EQ(parent, shared) << "a fetch connected on an internet handle of its own";
}

}  // namespace
}  // namespace velmora
