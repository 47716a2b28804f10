// Markers, header values, URL parts, cookies and the charset conversion.
#include <gtest/gtest.h>
#include "tests/web/web_test_support.h"
#include "web/url_routines.h"
#include "web/retry_after.h"

namespace velmora::web {
namespace {

std::string S(const Text& text) { return text.Get() ? text.Get() : ""; }
std::string S(const Bytes& bytes) {
    return bytes.Length() ? std::string(reinterpret_cast<const char*>(bytes.Data()), bytes.Length()) : "";
}
Bytes B(const std::string& data) {
    routine::ByteSetBuilder builder;
    builder.Append(reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size()));
    return builder.Finish();
}

TEST(ExtractBetween, QuoteMarkersCaseAndOrder) {
    EXPECT_EQ(S(ExtractBetween("a\"b\"c", "#引号", "#引号")), "b");
    EXPECT_EQ(S(ExtractBetween("]x[", "[", "]")), "") << "the right marker only before the left one";
    EXPECT_EQ(S(ExtractBetween("<A HREF=\"u\">", "href=\"", "\"")), "u");
    EXPECT_EQ(S(ExtractBetween("<A HREF=\"u\">", "href=\"", "\"", {}, true)), "");
    EXPECT_EQ(S(ExtractBetween("k=1;k=2;", "k=", ";", 4)), "2");
    EXPECT_EQ(S(ExtractBetween("ab", "a", "b")), "") << "adjacent markers";
    EXPECT_EQ(S(ExtractBetween("abc", "x", "c")), "");
}

TEST(HeaderLineValue, TrimmedTextAfterTheFirstColon) {
    EXPECT_EQ(S(HeaderLineValue("Location:  http://h:8/x ")), "http://h:8/x");
    EXPECT_EQ(S(HeaderLineValue("no colon")), "");
    EXPECT_EQ(S(HeaderLineValue("User-Agent: X")), "X");
}

TEST(UrlParts, HostPortAndPath) {
    EXPECT_EQ(S(UrlHost("host.example:8080/x")), "host.example");
    EXPECT_EQ(S(UrlHost("host.example:8080/x", false, true)), "host.example:8080");
    EXPECT_EQ(UrlPort("host.example:8080/x"), 8080);
    EXPECT_EQ(S(UrlHost("http://a.b.c.example/", true)), "c.example");
    EXPECT_EQ(S(UrlHost("a.b.example:8080", true, true)), "b.example:8080");
    EXPECT_EQ(S(UrlHost("HTTPS://Www.Example/Path")), "www.example");
    EXPECT_EQ(UrlPort("https://secure.example/"), 443);
    EXPECT_EQ(UrlPort("http://plain.example/"), 80);
    EXPECT_EQ(S(UrlPath("http://host.example")), "/");
    EXPECT_EQ(S(UrlPath("host/p?q=1")), "/p?q=1");
    EXPECT_EQ(S(UrlPath("http://127.0.0.1:81/zh-CN/windows/wallpaper/?T1=all")), "/zh-CN/windows/wallpaper/?T1=all");
    EXPECT_EQ(S(UrlHost("")), "");
    EXPECT_EQ(S(UrlPath("")), "/");
}

TEST(Cookies, MergeReplacesDeletesAndOrders) {
    Text cookies = routine::Join("a=1; b=2");
    Text received = routine::Join("b=3; c=deleted;");
    MergeCookies(cookies, received);
    EXPECT_EQ(S(cookies), "b=3; a=1");
    EXPECT_EQ(S(received), "b=3;c=deleted;") << "spaces removed in the caller's variable";
    EXPECT_EQ(S(RemoveDuplicateEntries("x; y; x", "; ")), "x; y");
    EXPECT_EQ(S(CookieName(" sid =42")), "sid");
    EXPECT_EQ(S(CookieName("flag")), "flag");
    TextArray entries = routine::SplitText("a=1;b=2", ";");
    EXPECT_TRUE(HasCookieNamed(entries, "b"));
    EXPECT_FALSE(HasCookieNamed(entries, "B"));
    EXPECT_TRUE(ArrayContainsText(entries, "a=1"));
    EXPECT_FALSE(ArrayContainsText(entries, "a"));
}

TEST(Charset, Utf8BecomesCodePage936) {
    EXPECT_EQ(S(Utf8ToGbk(Bytes())), "");
    EXPECT_EQ(S(Utf8ToGbk(B(testing::Utf8(L"中文 wallpaper")))), "中文 wallpaper");
    EXPECT_EQ(S(Utf8ToUtf16(B("ab"))), std::string("a\0b\0", 4));
    EXPECT_EQ(S(Utf8ToGbk(B("ok\xFF\xFE\xC3"))), "ok???") << "each broken sequence becomes one question mark";
    // What code page 936 lacks is not lost: the address goes back as the page wrote it.
    for (const wchar_t* text : {L"/img/Zo\u00EB \u0141\u00F3d\u017A.jpg", L"\U0001F341 \u79CB\u8272 \u20AC",
                                L"\u00E9t\u00E9 " L"\u00E9t\u00E9"}) {
        std::string utf8 = testing::Utf8(text);
        Bytes gbk = Utf8ToGbk(B(utf8));
        EXPECT_EQ(S(gbk).find('?'), std::string::npos) << utf8;
        EXPECT_EQ(std::string(GbkToUtf8(S(gbk).c_str()).Arg()), utf8);
    }
}

}  // namespace
}  // namespace velmora::web

namespace velmora {
namespace {

// Retry-After as servers send it: seconds or an HTTP date; what cannot be used is -1.
TEST(RetryAfter, SecondsDatesAndNonsense) {
    constexpr int64_t now = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT
    const struct {
        const char* value;
        int32_t seconds;
    } rows[] = {
        {"2", 2},
        {" 7 ", 7},
        {"0", 0},
        {"86400", web::LongestRetryAfter()},
        {"99999999999999999999", web::LongestRetryAfter()},
        {"-5", -1},
        {"soon", -1},
        {"", -1},
        {"1.5", -1},
        {"Sun, 06 Nov 1994 08:50:07 GMT", 30},
        {"Sun, 06 Nov 1994 08:49:37 GMT", -1},  // now: nothing to wait for
        {"Sat, 05 Nov 1994 08:49:37 GMT", -1},  // the past
        {"Thu, 01 Dec 1994 16:00:00 GMT", web::LongestRetryAfter()},
        {"Sun, 06 Nov 1994 08:50:07 UTC", -1},
        {"Sun, 06 Foo 1994 08:50:07 GMT", -1},
        {"Sunday, 06-Nov-94 08:50:07 GMT", -1},
    };
    for (const auto& row : rows) EXPECT_EQ(web::RetryAfterSeconds(row.value, now), row.seconds) << row.value;
}

}  // namespace
}  // namespace velmora
