#include "web/url_routines.h"
#include <cstring>

namespace velmora::web {

using namespace routine;

bool SameText(const char* a, const char* b) { return std::strcmp(a ? a : "", b ? b : "") == 0; }

Text ExtractBetween(const char* text, const char* left, const char* right, Optional<int32_t> start,
                    Optional<bool> caseSensitive) {
    Text leftMarker = ReplaceSubtext(left, "#引号", "\"");
    Text rightMarker = ReplaceSubtext(right, "#引号", "\"");
    bool ignoreCase = !(caseSensitive.given && caseSensitive.value);
    int32_t p1 = FindText(text, leftMarker.Arg(), start, ignoreCase);
    if (p1 != -1) p1 += TextLength(leftMarker.Arg());
    int32_t p2 = FindText(text, rightMarker.Arg(), p1, ignoreCase);
    if (p1 == -1 || p2 == -1) return Text();
    return MidText(text, p1, p2 - p1);
}

Text HeaderLineValue(const char* line) {
    int32_t colon = FindText(line, ":", {}, false);
    if (colon == -1) return Text();
    Text rest = RightText(line, TextLength(line) - colon);
    return TrimSpaces(rest.Arg());
}

Text UrlHost(const char* url, Optional<bool> rootDomainOnly, Optional<bool> keepPort) {
    Text u = ToLower(url);
    Text last = RightText(u.Arg(), 1);
    if (!SameText(last.Get(), "/")) u = Join(u, "/");
    Text scheme = LeftText(u.Arg(), 8);
    if (SameText(scheme.Get(), "https://")) {
        u = ExtractBetween(u.Arg(), "https://", "/");
    } else {
        if (FindText(u.Arg(), "http://", {}, false) == -1) u = Join("http://", u);
        u = ExtractBetween(u.Arg(), "http://", "/");
    }
    if (rootDomainOnly.given && rootDomainOnly.value) {
        TextArray parts = SplitText(u.Arg(), ".");
        uint32_t n = parts.Count();
        if (n > 1) u = Join(parts.TextAt(n - 1), ".", parts.TextAt(n));
    }
    if (keepPort.given && keepPort.value) return u;
    int32_t colon = FindText(u.Arg(), ":", {}, false);
    if (colon != -1) return LeftText(u.Arg(), colon - 1);
    return u;
}

int32_t UrlPort(const char* url) {
    Text host = UrlHost(url, false, true);
    int32_t colon = FindTextReverse(host.Arg(), ":", false);
    if (colon != -1) {
        Text port = RightText(host.Arg(), TextLength(host.Arg()) - colon);
        return ToInteger(port.Arg());
    }
    Text scheme = ToLower(Text(LeftText(url, 5)).Arg());
    return SameText(scheme.Get(), "https") ? 443 : 80;
}

Text UrlPath(const char* url) {
    Text host = UrlHost(url);
    int32_t at = FindText(url, host.Arg(), {}, true);
    int32_t slash = FindText(url, "/", at, true);
    if (slash > 0) return RightText(url, TextLength(url) - slash + 1);
    return Join("/");
}

Text CookieName(const char* entry) {
    int32_t equals = FindText(entry, "=", {}, false);
    if (equals == -1) return TrimSpaces(entry);
    Text name = LeftText(entry, equals - 1);
    return TrimSpaces(name.Arg());
}

bool HasCookieNamed(const TextArray& entries, const char* name) {
    for (uint32_t i = 1; i <= entries.Count(); ++i) {
        Text entryName = CookieName(entries.TextAt(i) ? entries.TextAt(i) : "");
        if (SameText(entryName.Get(), name)) return true;
    }
    return false;
}

bool ArrayContainsText(const TextArray& entries, const char* text) {
    for (uint32_t i = 1; i <= entries.Count(); ++i)
        if (SameText(entries.TextAt(i), text)) return true;
    return false;
}

Text RemoveDuplicateEntries(const char* text, const char* delimiter) {
    TextArray parts = SplitText(text, delimiter);
    TextArray seen;
    Text result;
    for (uint32_t i = 1; i <= parts.Count(); ++i) {
        const char* part = parts.TextAt(i);
        if (ArrayContainsText(seen, part)) continue;
        seen.AppendText(part);
        result = Join(result, part, delimiter);
    }
    return LeftText(result.Arg(), TextLength(result.Arg()) - TextLength(delimiter));
}

Text MergeCookies(Text& cookies, Text& receivedCookies) {
    cookies = RemoveAllSpaces(cookies.Arg());
    receivedCookies = RemoveAllSpaces(receivedCookies.Arg());
    TextArray oldEntries = SplitText(cookies.Arg(), ";");
    TextArray newEntries = SplitText(receivedCookies.Arg(), ";");
    for (uint32_t i = 1; i <= oldEntries.Count(); ++i) {
        const char* entry = oldEntries.TextAt(i);
        Text name = CookieName(entry ? entry : "");
        if (!HasCookieNamed(newEntries, name.Arg())) newEntries.AppendText(entry);
    }
    cookies = Text();
    for (uint32_t i = 1; i <= newEntries.Count(); ++i) {
        const char* entry = newEntries.TextAt(i);
        Text ending = RightText(entry ? entry : "", 8);
        if (!SameText(ending.Get(), "=deleted")) cookies = Join(cookies, entry, "; ");
    }
    cookies = LeftText(cookies.Arg(), TextLength(cookies.Arg()) - 2);
    cookies = RemoveDuplicateEntries(cookies.Arg(), "; ");
    return Join(cookies);
}

}  // namespace velmora::web
