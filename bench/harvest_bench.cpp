// The harvest (page to name and link lists, as DownloadAll does it) on
// synthetic gallery pages of 1, 5 and 20 MB, beside a plain C++ scan of the
// same page in the same run. Prints a table; never a test.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>
#include "app/downloader.h"
#include "bench/bench_table.h"
#include "program/program_header.h"
#include "runtime/runtime_app.h"

using namespace velmora;

namespace {

// About 2,500 pictures per MB, in the markup the harvest reads (GBK).
std::string GalleryPage(size_t megabytes) {
    static const char* const names[] = {"秋天的落叶", "Mountain Lake", "海边日落", "Northern Lights"};
    std::string page = "<html><body>\r\n";
    for (uint32_t i = 0; page.size() < megabytes << 20; ++i) {
        std::string n = std::to_string(i);
        page += "<div><h3 class=\"headingBase headingM\">";
        page += names[i % 4];
        page += n + "</h3><p class=\"description\">这张精选的桌面背景图片展现了自然风光与城市景色，适用于各种屏幕分辨率。"
                    "Download this wallpaper for your desktop background, free for personal use.</p>"
                    "<span class=\"meta\">1920 x 1200</span><a class=\"navigationLink\" href=\"http://127.0.0.1/p/" +
                n + ".jpg\">立即获取</a></div>\r\n";
    }
    return page;
}

// The same lists with the standard library: one lowered copy, then finds.
void PlainScan(const std::string& page, std::vector<std::string>& names, std::vector<std::string>& links) {
    std::string lower = page;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    const std::string_view heading = "headingbase headingm", link = "navigationlink";
    for (size_t at = 0; (at = lower.find(heading, at)) != std::string::npos; at += heading.size()) {
        size_t open = page.rfind('<', at), close = page.find('>', open);
        size_t end = page.find('<', close);
        names.emplace_back(page, close + 1, end - close - 1);
    }
    for (size_t at = 0; (at = lower.find(link, at)) != std::string::npos; at += link.size()) {
        size_t open = page.rfind('<', at), end = page.find('<', at);
        std::string_view tag(lower.data() + open, end - open);
        if (tag.find(".jpg") == std::string_view::npos) continue;
        size_t href = tag.find("href=\"");
        size_t stop = std::string_view(page.data() + open, end - open).find("\">立即获取");
        links.emplace_back(page, open + href + 6, stop - href - 6);
    }
}

volatile size_t sink;

}  // namespace

int main() {
    RuntimeApp app(&program::header, nullptr);
    InitializeRuntime();
    bench::PrintHeader("Harvest: page to name and link lists (best of 3 runs)", "page", "growth");
    double previous = 0;
    for (size_t megabytes : {1, 5, 20}) {
        std::string page = GalleryPage(megabytes);
        size_t pictures = 0;
        double ours = bench::BestSeconds(
            [&] {
                routine::TextArray names, links;
                app::HarvestGallery(page.c_str(), "http://127.0.0.1/gallery/", names, links);
                pictures = names.Count();
                sink = links.Count();
            },
            3);
        double plain = bench::BestSeconds(
            [&] {
                std::vector<std::string> names, links;
                PlainScan(page, names, links);
                sink = names.size() + links.size();
            },
            3);
        double megabytesExact = static_cast<double>(page.size()) / 1048576.0;
        std::printf("| %-40s | %10.1f | %12.1f | %12.1f | %9.2f | %11s |\n",
                    (std::to_string(megabytes) + " MB, " + std::to_string(pictures) + " pictures").c_str(),
                    megabytesExact, megabytesExact / ours, megabytesExact / plain, ours / plain,
                    previous > 0 ? (std::to_string(ours / previous).substr(0, 5) + "x").c_str() : "-");
        previous = ours;
    }
    std::printf("\ngrowth: our time over our time on the previous page (5x and 4x larger pages; linear = 5.0x, 4.0x).\n");
    return 0;
}
