// Gallery harvesting: cut the page at every tag and read its entries, each
// heading with the download link that follows it.
#include "app/downloader.h"
#include <string>
#include <utility>
#include <vector>
#include "web/url_resolution.h"
#include "web/url_routines.h"

namespace velmora::app {

using namespace routine;

namespace {

// An href as a browser reads and sends it: character references decoded,
// resolved against the page's address, what a URL cannot carry as it is
// sent as UTF-8, percent-encoded. Empty when it leads nowhere.
bool Ascii(const char* text) {
    for (; text && *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    return true;
}

// UTF-8 of a program text; ASCII, as most addresses are, is that already.
std::string Utf8Of(const char* text) {
    if (Ascii(text)) return text ? text : "";
    Text utf8 = web::GbkToUtf8(text);
    return utf8.Get() ? utf8.Get() : "";
}

Text PictureAddress(const char* href, const char* pageUrl) {
    std::string decoded = web::DecodeCharacterReferences(Utf8Of(href));
    std::string resolved = web::ResolveUrl(Utf8Of(pageUrl), decoded);
    if (resolved.empty()) return Text();
    return Join(web::EncodeUrl(resolved).c_str());
}

}  // namespace

void HarvestGallery(const char* page, const char* pageUrl, TextArray& names, TextArray& links) {
    Text cut = ReplaceSubtext(page, "<", "\r\n<");
    TextArray lines = SplitText(cut.Arg(), "\r\n");
    // One pass: a heading opens an entry, and the first download link after
    // it, before the next heading, is the entry's; a link that follows no
    // heading belongs to none.
    // Entries are gathered first and the two arrays made once at their size:
    // an array grown one element at a time is copied at every entry.
    std::vector<std::pair<Text, Text>> entries;
    bool entryHasLink = true;
    for (uint32_t i = 1; i <= lines.Count(); ++i) {
        const char* line = lines.TextAt(i) ? lines.TextAt(i) : "";
        if (FindText(line, "headingBase headingM", {}, true) >= 1) {
            ++totalCount;
            int32_t g = FindText(line, ">", {}, true);
            entries.emplace_back(RightText(line, TextLength(line) - g), Text());
            entryHasLink = false;
            continue;
        }
        if (entryHasLink || FindText(line, "navigationLink", {}, true) == -1 || FindText(line, ".jpg", {}, true) == -1)
            continue;
        Text href = TextBetween("href=\"", "\">立即获取", line);
        if (href.Empty()) continue;  // an anchor without an address downloads nothing
        entries.back().second = PictureAddress(href.Arg(), pageUrl);
        entryHasLink = true;
    }
    names.Resize(static_cast<int32_t>(entries.size()));
    links.Resize(static_cast<int32_t>(entries.size()));
    for (uint32_t k = 1; k <= entries.size(); ++k) {
        names.SetText(k, entries[k - 1].first.Get());
        links.SetText(k, entries[k - 1].second.Get());
    }
}

Text TextBetween(const char* start, const char* end, const char* source, Optional<int32_t> occurrence,
                 Optional<int32_t> startPosition) {
    int32_t times = occurrence.given && occurrence.value != 0 ? occurrence.value : 1;
    int32_t position = startPosition.given ? startPosition.value : 0;
    Text result;
    for (int32_t i = 0; i < times; ++i) {
        int32_t p1 = FindText(source, start, position, true);
        int32_t p2 = FindText(source, end, p1, true);
        int32_t startLength = TextLength(start);
        result = MidText(source, p1 + startLength, p2 - p1 - startLength);
        position = p2;
    }
    return TrimSpaces(result.Arg());
}

}  // namespace velmora::app
