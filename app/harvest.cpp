// Gallery harvesting: cut the page at every tag and read names and links.
#include "app/downloader.h"

namespace velmora::app {

using namespace routine;

void HarvestGallery(const char* page, TextArray& names, TextArray& links) {
    Text cut = ReplaceSubtext(page, "<", "\r\n<");
    TextArray lines = SplitText(cut.Arg(), "\r\n");
    for (uint32_t i = 1; i <= lines.Count(); ++i) {
        const char* line = lines.TextAt(i) ? lines.TextAt(i) : "";
        if (FindText(line, "headingBase headingM", {}, true) < 1) continue;
        ++totalCount;
        int32_t g = FindText(line, ">", {}, true);
        Text name = RightText(line, TextLength(line) - g);
        names.AppendText(name.Get());
    }
    // One slot per download anchor, so the n-th name keeps the n-th anchor's
    // link; an anchor that offers no ".jpg" leaves its slot empty.
    for (uint32_t i = 1; i <= lines.Count(); ++i) {
        const char* line = lines.TextAt(i) ? lines.TextAt(i) : "";
        if (FindText(line, "navigationLink", {}, true) == -1) continue;
        if (FindText(line, ".jpg", {}, true) == -1) {
            links.AppendText(nullptr);
            continue;
        }
        Text link = TextBetween("href=\"", "\">立即获取", line);
        links.AppendText(link.Get());
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
