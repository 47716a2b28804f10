#include "web/visit_web_page.h"
#include <windows.h>
#include "runtime/test_settings.h"
#include "web/wininet_commands.h"

namespace velmora::web {

using namespace routine;
using namespace program;

namespace {

constexpr const char* defaultAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; ZEMRA; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; .NET "
    "CLR 3.5.21022)";

constexpr uint32_t OpenTypeDirect = 1, OpenTypeProxy = 3, ServiceHttp = 3, RawHeadersCrlf = 22;
constexpr uint32_t OptionConnectTimeout = 2, OptionSendTimeout = 5, OptionReceiveTimeout = 6;
constexpr int32_t FlagReload = static_cast<int32_t>(0x80000000), FlagNeedFile = 0x10, FlagNoCookies = 0x80000,
                  FlagNoAutoRedirect = 0x200000, FlagSecure = 0x800000, FlagIgnoreRedirectToHttps = 0x4000;
// A server answering 301 to itself would otherwise be followed for ever.
constexpr int MaximumRedirects = 20;

bool Contains(const Text& text, const char* sought) { return FindText(text.Arg(), sought, {}, false) != -1; }

// The visit's three handles, closed request first however the visit ends.
struct VisitHandles {
    Handle internet = 0, connection = 0, request = 0;
    ~VisitHandles() {
        if (internet) Close();
    }
    void Close() {
        CallDll(DllInternetCloseHandle, request);
        CallDll(DllInternetCloseHandle, connection);
        CallDll(DllInternetCloseHandle, internet);
        internet = connection = request = 0;
    }
};

// Set on the internet handle for connecting and on the request for sending
// and receiving, where every WinINet honours them.
void SetTimeouts(Handle handle) {
    uint32_t timeout = NetworkTimeoutMilliseconds();
    for (uint32_t option : {OptionConnectTimeout, OptionSendTimeout, OptionReceiveTimeout})
        CallDll(DllInternetSetOption, handle, option, AddressOf(&timeout), 4);
}

Bytes Visit(Text& url, Optional<int32_t> method, Optional<Text*> postTextParameter,
            Optional<Text*> sendCookiesParameter, Optional<Text*> receivedCookiesParameter,
            Optional<Text*> extraHeadersParameter, Optional<Text*> redirectUrlParameter, Optional<bool> noRedirect,
            Optional<Bytes*> postBytesParameter, Optional<Text*> proxyParameter,
            Optional<Text*> responseHeadersParameter, int hops) {
    // Omitted reference parameters are bound to fresh variables of this call.
    Text freshPostText, freshSendCookies, freshReceived, freshExtra, freshRedirect, freshProxy, freshResponse;
    Bytes freshPostBytes;
    Text& postText = postTextParameter.given ? *postTextParameter.value : freshPostText;
    Text& sendCookies = sendCookiesParameter.given ? *sendCookiesParameter.value : freshSendCookies;
    Text& receivedCookies = receivedCookiesParameter.given ? *receivedCookiesParameter.value : freshReceived;
    Text& extraHeaders = extraHeadersParameter.given ? *extraHeadersParameter.value : freshExtra;
    Text& redirectUrl = redirectUrlParameter.given ? *redirectUrlParameter.value : freshRedirect;
    Bytes& postBytes = postBytesParameter.given ? *postBytesParameter.value : freshPostBytes;
    Text& proxy = proxyParameter.given ? *proxyParameter.value : freshProxy;
    Text& responseHeaders = responseHeadersParameter.given ? *responseHeadersParameter.value : freshResponse;
    const int32_t methodValue = method.given ? method.value : 0;

    // 1-2. Verb and agent.
    const char* verb = methodValue == 1 ? "POST" : "GET";
    Text agent;
    if (FindText(extraHeaders.Arg(), "User-Agent:", {}, true) == -1) {
        agent = Join(defaultAgent);
    } else {
        Text between = ExtractBetween(extraHeaders.Arg(), "User-Agent:", "\r\n");
        agent = TrimSpaces(between.Arg());
        if (agent.Empty()) agent = HeaderLineValue(extraHeaders.Arg());
    }

    // 3-4. Internet handle and connection.
    VisitHandles handles;
    if (proxyParameter.given) {
        Text proxyList = Join("http=", proxy);
        handles.internet = CallDll(DllInternetOpen, Word(agent), OpenTypeProxy, Word(proxyList), 0, 0);
    } else {
        handles.internet = CallDll(DllInternetOpen, Word(agent), OpenTypeDirect, 0, 0, 0);
    }
    if (!handles.internet) {
        CallDll(DllInternetCloseHandle, 0);
        return Bytes();
    }
    SetTimeouts(handles.internet);
    Text host = UrlHost(url.Arg());
    handles.connection =
        CallDll(DllInternetConnect, handles.internet, Word(host), UrlPort(url.Arg()), 0, 0, ServiceHttp, 0, 0);
    if (!handles.connection) return Bytes();

    // 5-6. Flags and the request.
    int32_t flags = BitOr(FlagReload, FlagNeedFile);
    if (sendCookiesParameter.given) flags = BitOr(flags, FlagNoCookies);
    if (noRedirect.given && noRedirect.value) flags = BitOr(flags, FlagNoAutoRedirect);
    Text scheme = LeftText(url.Arg(), 5);
    Text loweredScheme = ToLower(scheme.Arg());
    flags = BitOr(flags, SameText(loweredScheme.Get(), "https") ? FlagSecure : FlagIgnoreRedirectToHttps);
    Text path = UrlPath(url.Arg());
    handles.request =
        CallDll(DllHttpOpenRequest, handles.connection, Word(verb), Word(path), Word("HTTP/1.1"), 0, 0, flags, 0);
    if (!handles.request) return Bytes();
    Handle request = handles.request;
    SetTimeouts(request);

    // 7. Header completion, in the caller's variable.
    if (!Contains(extraHeaders, "Referer:"))
        extraHeaders = extraHeaders.Empty() ? Join("Referer: ", url) : Join(extraHeaders, "\r\nReferer: ", url);
    if (!Contains(extraHeaders, "Accept:")) extraHeaders = Join(extraHeaders, "\r\nAccept: */*");
    if (!Contains(extraHeaders, "Accept-Language:")) extraHeaders = Join(extraHeaders, "\r\nAccept-Language: zh-cn");
    if (!Contains(extraHeaders, "Content-Type:"))
        extraHeaders = Join(extraHeaders, "\r\nContent-Type: application/x-www-form-urlencoded");
    if (!sendCookies.Empty()) extraHeaders = Join(extraHeaders, "\r\nCookie: ", sendCookies);

    // 8. Send.
    if (methodValue == 0) {
        CallDll(DllHttpSendRequestText, request, Word(extraHeaders), TextLength(extraHeaders.Arg()), 0, 0);
    } else {
        if (ByteSetLength(postBytes) == 0) postBytes = ToByteSet(postText.Arg());
        CallDll(DllHttpSendRequestBytes, request, Word(extraHeaders), TextLength(extraHeaders.Arg()), Word(postBytes),
                ByteSetLength(postBytes));
    }

    // 9. Body, 1024 bytes at a time. The count is cleared before every read,
    // so a failed read ends the loop instead of repeating a stale count.
    ByteSetBuilder collected;
    for (;;) {
        Bytes buffer = BlankByteSet(1024);
        uint32_t countRead = 0;
        CallDll(DllInternetReadFile, request, Word(buffer), 1024, AddressOf(&countRead));
        if (countRead == 0) break;
        collected.Append(buffer.Data(), countRead < 1024 ? countRead : 1024);
    }
    Bytes body = collected.Finish();

    // 10-11. Raw response headers, then close.
    responseHeaders = BlankText(5000);
    uint32_t headerLength = 5000;
    CallDll(DllHttpQueryInfo, request, RawHeadersCrlf, Word(responseHeaders), AddressOf(&headerLength), 0);
    handles.Close();

    // 12-14. Location, cookies, redirect default.
    receivedCookies = Text();
    TextArray lines = SplitText(responseHeaders.Arg(), "\r\n");
    for (uint32_t i = 1; i <= lines.Count(); ++i) {
        const char* line = lines.TextAt(i) ? lines.TextAt(i) : "";
        if (FindText(line, "Location:", {}, false) != -1) redirectUrl = HeaderLineValue(line);
        if (FindText(line, "Set-Cookie", {}, false) != -1) {
            Text cookie = ExtractBetween(line, "Set-Cookie:", ";");
            Text trimmed = TrimSpaces(cookie.Arg());
            receivedCookies = Join(receivedCookies, trimmed, "; ");
        }
    }
    if (sendCookiesParameter.given) MergeCookies(sendCookies, receivedCookies);
    if (redirectUrl.Empty()) redirectUrl = Join(responseHeaders);

    // 15. A 301 is followed with the Location value and this URL's path.
    Text status = ExtractBetween(responseHeaders.Arg(), "HTTP/1.1 ", " Moved");
    if (SameText(status.Get(), "301") && hops < MaximumRedirects) {
        Text followUp = Join(redirectUrl, path);
        redirectUrl = Text();
        return Visit(followUp, method, postTextParameter, sendCookiesParameter, receivedCookiesParameter,
                     extraHeadersParameter, redirectUrlParameter, noRedirect, postBytesParameter, proxyParameter,
                     responseHeadersParameter, hops + 1);
    }

    // 16-17. Charset.
    Bytes marker = ToByteSet("charset=utf-8");
    int32_t at = FindBytes(body, marker);
    if ((at != -1 && at < 500) || Contains(responseHeaders, "charset=utf-8")) body = Utf8ToGbk(body);
    return LeftBytes(body, ByteSetLength(body));
}

}  // namespace

uint32_t NetworkTimeoutMilliseconds() {
    // Tests that wait out a silent server may shorten the time-out.
    std::optional<int64_t> value = TestSetting(TestSwitch::NetTimeoutMilliseconds);
    return value && *value > 0 && *value <= UINT32_MAX ? static_cast<uint32_t>(*value) : 30000;
}

Bytes VisitWebPage(Text& url, Optional<int32_t> method, Optional<Text*> postText, Optional<Text*> sendCookies,
                   Optional<Text*> receivedCookies, Optional<Text*> extraHeaders, Optional<Text*> redirectUrl,
                   Optional<bool> noRedirect, Optional<Bytes*> postBytes, Optional<Text*> proxy,
                   Optional<Text*> responseHeaders) {
    return Visit(url, method, postText, sendCookies, receivedCookies, extraHeaders, redirectUrl, noRedirect,
                 postBytes, proxy, responseHeaders, 0);
}

Text GetPageText(const char* url) {
    Text address = Join(url);
    Bytes body = VisitWebPage(address);
    return ToText(body);
}

}  // namespace velmora::web
