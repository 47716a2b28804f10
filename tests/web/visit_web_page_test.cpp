// VisitWebPage and GetPageText against real WinINet and our server.
#include <gtest/gtest.h>
#include "tests/web/web_test_support.h"
#include "web/visit_web_page.h"

namespace velmora::web {
namespace {

using testing::RequestsContaining;
using testing::ServerUrl;
using testing::Utf8;

std::string S(const Text& text) { return text.Get() ? text.Get() : ""; }
std::string S(const Bytes& bytes) {
    return bytes.Length() ? std::string(reinterpret_cast<const char*>(bytes.Data()), bytes.Length()) : "";
}
Text T(const std::string& text) { return routine::Join(text.c_str()); }

// The header lines of a raw request, in order, without the request line.
std::vector<std::string> HeaderLines(const std::string& request) {
    std::vector<std::string> lines;
    size_t end = request.find("\r\n\r\n");
    size_t from = request.find("\r\n") + 2;
    while (from < end) {
        size_t at = request.find("\r\n", from);
        lines.push_back(request.substr(from, at - from));
        from = at + 2;
    }
    return lines;
}

size_t IndexOfLine(const std::vector<std::string>& lines, const std::string& line) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == line) return i;
    return SIZE_MAX;
}

TEST(VisitWebPage, PlainGetSendsTheDefaultHeadersInOrder) {
    Text url = T(ServerUrl("/echo?plain=1"));
    Text extra;
    Bytes body = VisitWebPage(url, {}, {}, {}, {}, &extra);
    std::string request = S(body);
    ASSERT_EQ(request.rfind("GET /echo?plain=1 HTTP/1.1\r\n", 0), 0u) << request;
    auto lines = HeaderLines(request);
    size_t referer = IndexOfLine(lines, "Referer: " + S(url));
    size_t accept = IndexOfLine(lines, "Accept: */*");
    size_t language = IndexOfLine(lines, "Accept-Language: zh-cn");
    size_t type = IndexOfLine(lines, "Content-Type: application/x-www-form-urlencoded");
    ASSERT_NE(referer, SIZE_MAX) << request;
    EXPECT_LT(referer, accept);
    EXPECT_LT(accept, language);
    EXPECT_LT(language, type);
    EXPECT_NE(request.find("ZEMRA"), std::string::npos) << "the default agent";
    EXPECT_EQ(S(extra), "Referer: " + S(url) +
                            "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded")
        << "the defaults are appended to the caller's variable";
}

TEST(VisitWebPage, UserAgentLineIsTheAgentWithOrWithoutALineEnd) {
    for (const char* headers : {"User-Agent: Probe/1", "User-Agent: Probe/1\r\nX-Other: 2"}) {
        Text url = T(ServerUrl("/echo?agent=1"));
        Text extra = T(headers);
        std::string request = S(VisitWebPage(url, {}, {}, {}, {}, &extra));
        EXPECT_NE(request.find("User-Agent: Probe/1\r\n"), std::string::npos) << request;
        EXPECT_EQ(request.find("ZEMRA"), std::string::npos) << request;
    }
}

TEST(VisitWebPage, CookiesAreSentAndMerged) {
    Text url = T(ServerUrl("/r?body=c&h=Set-Cookie:b=3;%20path=/&h=Set-Cookie:c=deleted;%20path=/&cookies=1"));
    Text cookies = T("a=1; b=2");
    Text received;
    VisitWebPage(url, {}, {}, &cookies, &received);
    EXPECT_EQ(S(cookies), "b=3; a=1");
    EXPECT_EQ(S(received), "b=3;c=deleted;");
    auto requests = RequestsContaining("cookies=1");
    ASSERT_FALSE(requests.empty());
    EXPECT_NE(requests.back().find("\r\nCookie: a=1; b=2\r\n"), std::string::npos) << requests.back();
}

std::string Fetch(const std::string& query) {
    Text url = T(ServerUrl("/r?" + query));
    return S(VisitWebPage(url));
}

TEST(VisitWebPage, CharsetMarkerDecidesTheConversion) {
    const std::string chinese = testing::Encode(Utf8(L"中文"));
    EXPECT_EQ(Fetch("body=123456789charset=utf-8" + chinese), "123456789charset=utf-8中文") << "marker at byte 10";
    std::string padding(599, 'x');
    EXPECT_EQ(Fetch("body=" + padding + "charset=utf-8" + chinese), padding + "charset=utf-8" + Utf8(L"中文"))
        << "marker at byte 600: not converted";
    EXPECT_EQ(Fetch("ctype=text/html;%20charset=utf-8&body=" + chinese), "中文") << "marker in the headers";
    EXPECT_EQ(Fetch("body=123456789charset=UTF-8" + chinese), "123456789charset=UTF-8" + Utf8(L"中文"));
    EXPECT_EQ(Fetch("ctype=text/html;%20charset=UTF-8&body=" + chinese), Utf8(L"中文"));
}

TEST(GetPageText, ChinesePageArrivesAsGbkText) {
    std::string page = "<h3 class=\"headingBase headingM\">" + Utf8(L"秋天的落叶") + "</h3>";
    std::string text = S(GetPageText(ServerUrl("/r?ctype=text/html;%20charset=utf-8&body=" + testing::Encode(page)).c_str()));
    EXPECT_EQ(text, "<h3 class=\"headingBase headingM\">秋天的落叶</h3>");
    EXPECT_EQ(S(GetPageText("http://127.0.0.1:1/unreachable")), "");
}

TEST(VisitWebPage, NoRedirectFollowsA301ToAnotherHostKeepingThePath) {
    std::string port = std::getenv("VELMORA_SERVER_PORT");
    Text url = T("http://127.0.0.1:" + port + "/p?q=1");
    Text redirect;
    std::string body = S(VisitWebPage(url, {}, {}, {}, {}, {}, &redirect, true));
    EXPECT_EQ(body, "GET /p?q=1 HTTP/1.1");
    EXPECT_EQ(S(redirect).find("HTTP/1.1 200"), 0u) << "the second answer had no Location";
    auto requests = RequestsContaining("/p?q=1");
    ASSERT_GE(requests.size(), 2u);
    EXPECT_NE(requests[requests.size() - 1].find("Host: localhost:" + port), std::string::npos);
}

TEST(VisitWebPage, ARedirectLoopStopsAfterTwentyHops) {
    Text url = T(ServerUrl("/loop"));
    std::string body = S(VisitWebPage(url, {}, {}, {}, {}, {}, {}, true));
    EXPECT_EQ(body, "again");
    EXPECT_EQ(RequestsContaining("/loop").size(), 21u);
}

TEST(VisitWebPage, MethodTwoIsAGetWithABody) {
    Text url = T(ServerUrl("/echo?method=2"));
    Text post = T("k=v&x=1");
    Bytes postBytes;
    std::string request = S(VisitWebPage(url, 2, &post, {}, {}, {}, {}, {}, &postBytes));
    EXPECT_EQ(request.rfind("GET /echo?method=2 HTTP/1.1", 0), 0u) << request;
    EXPECT_EQ(request.substr(request.size() - 7), "k=v&x=1");
    EXPECT_EQ(S(postBytes), "k=v&x=1") << "written back to the caller";
    Text postUrl = T(ServerUrl("/echo?method=1"));
    EXPECT_EQ(S(VisitWebPage(postUrl, 1, &post)).rfind("POST /echo?method=1 HTTP/1.1", 0), 0u);
}

TEST(VisitWebPage, OversizedHeaderBlockLeavesTheSpacesAndKeepsTheBody) {
    Text url = T(ServerUrl("/r?body=still-here&headerpad=6000"));
    Text headers, redirect;
    std::string body = S(VisitWebPage(url, {}, {}, {}, {}, {}, &redirect, {}, {}, {}, &headers));
    EXPECT_EQ(body, "still-here");
    EXPECT_EQ(S(headers), std::string(5000, ' '));
    EXPECT_EQ(S(redirect), std::string(5000, ' '));
}

TEST(VisitWebPage, BadAnswersGiveEmptyOrPartialBodies) {
    EXPECT_EQ(Fetch("body=&cl=0"), "");
    EXPECT_EQ(Fetch("size=3000&cut=1000&cut1=1").size(), 1000u);
    EXPECT_EQ(Fetch("size=5000&cl=none"), testing::PatternBytes(5000));
    EXPECT_EQ(Fetch("size=4000&chunked=1"), testing::PatternBytes(4000));
    Text malformed = T("http://[::1");
    EXPECT_EQ(S(VisitWebPage(malformed)), "");
}

TEST(VisitWebPage, ASilentServerEndsTheRequestAtTheTimeout) {
    _putenv("VELMORA_NET_TIMEOUT_MS=1500");
    DWORD start = GetTickCount();
    std::string body = Fetch("size=100&stall=6");
    DWORD elapsed = GetTickCount() - start;
    _putenv("VELMORA_NET_TIMEOUT_MS=");
    EXPECT_LT(elapsed, 5000u) << "the request waited for the stalled server";
    EXPECT_TRUE(body.empty() || body == testing::PatternBytes(100)) << body.size();
}

}  // namespace
}  // namespace velmora::web
