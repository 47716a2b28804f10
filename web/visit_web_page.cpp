#include "web/visit_web_page.h"
#include <windows.h>
#include "runtime/test_settings.h"
#include <string>
#include "web/url_resolution.h"
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

// The status of an answer from its raw header block's first line ("HTTP/1.1 301 Moved"); 0 when none came.
int32_t StatusOf(const Text& headers) {
    int32_t space = FindText(headers.Arg(), " ", {}, false);
    if (space == -1 || FindText(headers.Arg(), "HTTP/", {}, true) != 1) return 0;
    Text rest = MidText(headers.Arg(), space + 1, 3);
    return ToInteger(rest.Arg());
}

bool IsRedirect(int32_t status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Why the last call, begun at `started`, failed, as a fetch failure.
int32_t LastFailure(uint32_t started) {
    uint32_t error = CallDll(DllGetLastError);
    return FailureOf(error, CallDll(DllGetTickCount) - started, NetworkTimeoutMilliseconds());
}

Bytes Visit(Text& url, Optional<int32_t> method, Optional<Text*> postTextParameter,
            Optional<Text*> sendCookiesParameter, Optional<Text*> receivedCookiesParameter,
            Optional<Text*> extraHeadersParameter, Optional<Text*> redirectUrlParameter, Optional<bool> noRedirect,
            Optional<Bytes*> postBytesParameter, Optional<Text*> proxyParameter,
            Optional<Text*> responseHeadersParameter, Optional<VisitOutcome*> outcomeParameter, int hops) {
    // Omitted reference parameters are bound to fresh variables of this call.
    Text freshPostText, freshSendCookies, freshReceived, freshExtra, freshRedirect, freshProxy, freshResponse;
    Bytes freshPostBytes;
    VisitOutcome freshOutcome;
    Text& postText = postTextParameter.given ? *postTextParameter.value : freshPostText;
    Text& sendCookies = sendCookiesParameter.given ? *sendCookiesParameter.value : freshSendCookies;
    Text& receivedCookies = receivedCookiesParameter.given ? *receivedCookiesParameter.value : freshReceived;
    Text& extraHeaders = extraHeadersParameter.given ? *extraHeadersParameter.value : freshExtra;
    Text& redirectUrl = redirectUrlParameter.given ? *redirectUrlParameter.value : freshRedirect;
    Bytes& postBytes = postBytesParameter.given ? *postBytesParameter.value : freshPostBytes;
    Text& proxy = proxyParameter.given ? *proxyParameter.value : freshProxy;
    Text& responseHeaders = responseHeadersParameter.given ? *responseHeadersParameter.value : freshResponse;
    VisitOutcome& outcome = outcomeParameter.given ? *outcomeParameter.value : freshOutcome;
    const int32_t methodValue = method.given ? method.value : 0;
    // A caller that switches WinINet's redirects off keeps the routine's own 301 re-visit;
    // any other is redirected here, as a browser would be, and never without end.
    const bool callerHandlesRedirects = noRedirect.given && noRedirect.value;
    outcome = VisitOutcome{};
    outcome.address = Join(url);

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
    int32_t flags = BitOr(FlagReload, FlagNeedFile, FlagNoAutoRedirect);
    if (sendCookiesParameter.given) flags = BitOr(flags, FlagNoCookies);
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
    uint32_t sent = 0;
    uint32_t started = CallDll(DllGetTickCount);
    if (methodValue == 0) {
        sent = CallDll(DllHttpSendRequestText, request, Word(extraHeaders), TextLength(extraHeaders.Arg()), 0, 0);
    } else {
        if (ByteSetLength(postBytes) == 0) postBytes = ToByteSet(postText.Arg());
        sent = CallDll(DllHttpSendRequestBytes, request, Word(extraHeaders), TextLength(extraHeaders.Arg()),
                       Word(postBytes), ByteSetLength(postBytes));
    }
    if (!sent) outcome.failure = LastFailure(started);

    // 9. Body, 1024 bytes at a time. The count is cleared before every read,
    // so a failed read ends the loop instead of repeating a stale count. A
    // body that drips, or passes the most a page may be, ends it too.
    ByteSetBuilder collected;
    DripGuard drip(NetworkTimeoutMilliseconds(), CallDll(DllGetTickCount));
    bool clean = false;
    while (sent) {
        Bytes buffer = BlankByteSet(1024);
        uint32_t countRead = 0, available = 0;
        started = CallDll(DllGetTickCount);
        // What has arrived, not a whole buffer: a body that drips is seen as it drips.
        uint32_t read = CallDll(DllInternetQueryDataAvailable, request, AddressOf(&available), 0, 0);
        if (read)
            read = CallDll(DllInternetReadFile, request, Word(buffer), available && available < 1024 ? available : 1024,
                           AddressOf(&countRead));
        if (countRead == 0) {
            clean = read != 0;
            if (!clean) outcome.failure = LastFailure(started);
            break;
        }
        collected.Append(buffer.Data(), countRead < 1024 ? countRead : 1024);
        if (collected.Length() > static_cast<uint32_t>(MaximumPageBytes)) {
            outcome.failure = FetchTooLarge;
            break;
        }
        if (!drip.Fine(CallDll(DllGetTickCount), countRead)) {
            outcome.failure = FetchTimedOut;
            break;
        }
    }
    Bytes body = collected.Finish();

    // 10-11. Raw response headers, however long the block, then close.
    responseHeaders = BlankText(5000);
    uint32_t headerLength = 5000;
    if (!CallDll(DllHttpQueryInfo, request, RawHeadersCrlf, Word(responseHeaders), AddressOf(&headerLength), 0) &&
        headerLength > 5000) {
        responseHeaders = BlankText(static_cast<int32_t>(headerLength));
        CallDll(DllHttpQueryInfo, request, RawHeadersCrlf, Word(responseHeaders), AddressOf(&headerLength), 0);
    }
    handles.Close();
    outcome.status = StatusOf(responseHeaders);
    if (clean && outcome.status != 0) outcome.failure = FetchFine;

    // 12-14. Location, cookies, redirect default.
    receivedCookies = Text();
    Text location, announcedLength;
    bool chunked = false;
    TextArray lines = SplitText(responseHeaders.Arg(), "\r\n");
    for (uint32_t i = 1; i <= lines.Count(); ++i) {
        const char* line = lines.TextAt(i) ? lines.TextAt(i) : "";
        if (FindText(line, "Content-Length:", {}, false) == 1) announcedLength = HeaderLineValue(line);
        if (FindText(line, "Transfer-Encoding:", {}, false) == 1) chunked = true;
        if (FindText(line, "Location:", {}, false) != -1) {
            redirectUrl = HeaderLineValue(line);
            location = Join(redirectUrl);
        }
        if (FindText(line, "Set-Cookie", {}, false) != -1) {
            Text cookie = ExtractBetween(line, "Set-Cookie:", ";");
            Text trimmed = TrimSpaces(cookie.Arg());
            receivedCookies = Join(receivedCookies, trimmed, "; ");
        }
    }
    // A page that broke off, or ended short of its length (WinINet ends a
    // short body as if it were whole), is not the page.
    if (outcome.status == 200 && outcome.failure == FetchCannotConnect) outcome.failure = FetchIncomplete;
    if (outcome.status == 200 && outcome.failure == FetchFine && !chunked && !announcedLength.Empty()) {
        Text received = ToText(ByteSetLength(body));
        if (!SameText(received.Get(), announcedLength.Get())) outcome.failure = FetchIncomplete;
    }
    if (sendCookiesParameter.given) MergeCookies(sendCookies, receivedCookies);
    if (redirectUrl.Empty()) redirectUrl = Join(responseHeaders);

    // 15. Redirects.
    if (callerHandlesRedirects) {
        // The caller's own: a 301 is followed with the Location value and this URL's path.
        Text status = ExtractBetween(responseHeaders.Arg(), "HTTP/1.1 ", " Moved");
        if (SameText(status.Get(), "301") && hops < MaximumRedirects) {
            Text followUp = Join(redirectUrl, path);
            redirectUrl = Text();
            return Visit(followUp, method, postTextParameter, sendCookiesParameter, receivedCookiesParameter,
                         extraHeadersParameter, redirectUrlParameter, noRedirect, postBytesParameter, proxyParameter,
                         responseHeadersParameter, outcomeParameter, hops + 1);
        }
    } else if (IsRedirect(outcome.status) && !location.Empty()) {
        // As a browser: the Location resolved against the address asked; a 303 (and a 301 or 302
        // after a POST, as browsers do) goes on with a GET.
        if (hops == MaximumRedirects) {
            outcome.failure = FetchTooManyRedirects;
            return Bytes();
        }
        std::string next = EncodeUrl(ResolveUrl(url.Get() ? url.Get() : "", location.Get() ? location.Get() : ""));
        if (!next.empty()) {
            Text followUp = Join(next.c_str());
            Optional<int32_t> nextMethod = method;
            if (outcome.status == 303 || ((outcome.status == 301 || outcome.status == 302) && methodValue == 1))
                nextMethod = 0;
            redirectUrl = Text();
            return Visit(followUp, nextMethod, postTextParameter, sendCookiesParameter, receivedCookiesParameter,
                         extraHeadersParameter, redirectUrlParameter, noRedirect, postBytesParameter, proxyParameter,
                         responseHeadersParameter, outcomeParameter, hops + 1);
        }
    }

    // 16-17. Charset.
    if (DeclaresUtf8(body, responseHeaders.Arg())) body = Utf8ToGbk(WithoutByteOrderMark(body));
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
                   Optional<Text*> responseHeaders, Optional<VisitOutcome*> outcome) {
    return Visit(url, method, postText, sendCookies, receivedCookies, extraHeaders, redirectUrl, noRedirect,
                 postBytes, proxy, responseHeaders, outcome, 0);
}

Text GetPageText(const char* url) {
    VisitOutcome outcome;
    return GetPageText(url, outcome);
}

Text GetPageText(const char* url, VisitOutcome& outcome) {
    Text address = Join(url);
    Bytes body = VisitWebPage(address, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, &outcome);
    return ToText(body);
}

}  // namespace velmora::web
