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

// UTF-8 as a browser recognises it: a byte-order mark; "charset" in the
// Content-Type header (which decides when it names one), else within the
// page's first 1024 bytes; any case, quoted or not, "utf-8" or "utf8".
TEST(VisitWebPage, Utf8IsRecognisedAsBrowsersRecogniseIt) {
    const std::string chinese = testing::Encode(Utf8(L"中文"));
    struct Row {
        const char* what;
        std::string query, prefix;  // the page's text before "中文"
        bool converted;
    };
    std::string padding(599, 'x'), farPadding(1100, 'x');
    const Row rows[] = {
        {"exact marker at byte 10", "body=123456789charset=utf-8", "123456789charset=utf-8", true},
        {"in capitals", "body=123456789charset=UTF-8", "123456789charset=UTF-8", true},
        {"utf8 without the dash", "body=charset=utf8", "charset=utf8", true},
        {"HTML5 meta, quoted", "body=%3Cmeta%20charset=%22Utf-8%22%3E", "<meta charset=\"Utf-8\">", true},
        {"at byte 600", "body=" + padding + "charset=utf-8", padding + "charset=utf-8", true},
        {"beyond the first 1024 bytes", "body=" + farPadding + "charset=utf-8", farPadding + "charset=utf-8", false},
        {"the header, in capitals", "ctype=text/html;%20charset=UTF-8&body=", "", true},
        {"the header, quoted", "ctype=text/html;%20charset=%22utf-8%22&body=", "", true},
        {"the header names another charset", "ctype=text/html;%20charset=gbk&body=charset=utf-8", "charset=utf-8", false},
        {"a byte-order mark", "body=%EF%BB%BF", "", true},
        {"no declaration", "body=plain", "plain", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Fetch(row.query + chinese), row.prefix + (row.converted ? std::string("中文") : Utf8(L"中文"))) << row.what;
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

// Redirects followed as a browser follows them, at most MaximumRedirects,
// the Location resolved against the address asked; the visit says where it
// ended and why it failed.
TEST(VisitWebPage, RedirectsAreFollowedBoundedAndRelative) {
    struct Row {
        const char* what;
        std::string path, body, endsAt;
        int32_t failure, requests;
        const char* counted;
    };
    const Row rows[] = {
        {"three relative hops", "/hop?n=3&code=302&then={{BASE}}/r?body=here", "here", "/r?body=here", FetchFine, 4,
         "/hop?"},
        {"308", "/hop?n=1&code=308&then=/r?body=there", "there", "/r?body=there", FetchFine, 2, "/hop?"},
        {"303", "/hop?n=1&code=303&then=/r?body=after303", "after303", "/r?body=after303", FetchFine, 2, "/hop?"},
        {"a loop", "/loop", "", "/loop", FetchTooManyRedirects, 1 + MaximumRedirects, "/loop"},
    };
    for (const Row& row : rows) {
        size_t before = RequestsContaining(row.counted).size();
        Text url = T(ServerUrl(row.path));
        VisitOutcome outcome;
        std::string body = S(VisitWebPage(url, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, &outcome));
        EXPECT_EQ(body, row.body) << row.what;
        EXPECT_EQ(outcome.failure, row.failure) << row.what;
        EXPECT_EQ(RequestsContaining(row.counted).size() - before, static_cast<size_t>(row.requests)) << row.what;
        if (row.failure == FetchFine) {
            EXPECT_EQ(S(outcome.address), ServerUrl(row.endsAt)) << row.what;
            EXPECT_EQ(outcome.status, 200) << row.what;
        }
    }
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

TEST(VisitWebPage, AHeaderBlockOfAnySizeIsReadWhole) {
    Text url = T(ServerUrl("/r?body=still-here&headerpad=6000"));
    Text headers, redirect;
    std::string body = S(VisitWebPage(url, {}, {}, {}, {}, {}, &redirect, {}, {}, {}, &headers));
    EXPECT_EQ(body, "still-here");
    EXPECT_EQ(S(headers).rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_NE(S(headers).find("X-Pad-5900: "), std::string::npos) << "the block's last lines too";
    EXPECT_EQ(S(redirect), S(headers)) << "no Location: the whole block";
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
