// Text commands over a synthetic 4 MB GBK gallery page, beside plain C++
// doing the same work in the same run. Prints a table; never a test.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include "bench/bench_table.h"
#include "commands/core_commands.h"
#include "runtime/calling.h"
#include "runtime/memory.h"
#include "tools/host/minimal_program.h"

using namespace velmora;

namespace {

// A gallery page in the markup the harvest reads, about `bytes` long.
std::string GalleryPage(size_t bytes) {
    static const char* const names[] = {"秋天的落叶", "Mountain Lake", "海边日落", "Northern Lights",
                                        "竹林小径", "Desert Dunes", "雪山之巅", "城市夜景"};
    std::string page = "<html><head><meta charset=\"utf-8\"><title>壁纸</title></head><body>\r\n";
    for (uint32_t i = 0; page.size() < bytes; ++i) {
        std::string n = std::to_string(i);
        page += "<div class=\"tile\"><h3 class=\"headingBase headingM\">";
        page += names[i % 8];
        page += " " + n + "</h3><p>  精选桌面背景图片，适用于 Windows。 </p><a class=\"navigationLink\" "
                "href=\"http://127.0.0.1/wallpapers/p" + n + ".jpg\">立即获取</a></div>\r\n";
    }
    page.resize(bytes);
    return page;
}

ValueRecord TextRecord(const std::string& text) {
    return {reinterpret_cast<uint32_t>(text.c_str()), 0, Type::Text};
}

void FreeText(ValueRecord result) { FreeMemory(reinterpret_cast<void*>(result.low)); }

void FreeTextArray(ValueRecord result) {
    auto* array = reinterpret_cast<uint32_t*>(result.low);
    for (uint32_t i = 0; i < array[1]; ++i) FreeMemory(reinterpret_cast<void*>(array[2 + i]));
    FreeMemory(array);
}

struct Case {
    std::string name;
    // Runs the command on the page and frees what it made.
    std::function<void(const std::string&)> ours;
    std::function<void(const std::string&)> plain;
    // Prepares the input for this case from the raw page.
    std::function<std::string(const std::string&)> input = [](const std::string& page) { return page; };
};

volatile int64_t sink;

ValueRecord Find(const std::string& text, const char* sought) {
    ValueRecord arguments[4] = {TextRecord(text), {reinterpret_cast<uint32_t>(sought), 0, Type::Text},
                                {0, 0, 0}, {0, 0, Type::Logical}};
    return CallCoreCommand(CoreCommand(CmdFindText), 4, arguments);
}

Case FindCase(const char* label, const char* sought, bool hit) {
    std::string needle = sought;
    return Case{std::string("FindText ") + label + (hit ? ", hit at end" : ", miss"),
                [needle](const std::string& text) { sink = static_cast<int32_t>(Find(text, needle.c_str()).low); },
                [needle](const std::string& text) { sink = static_cast<int64_t>(std::string_view(text).find(needle)); },
                [needle, hit](const std::string& page) { return hit ? page + needle : page; }};
}

std::vector<Case> Cases() {
    std::vector<Case> cases = {
        FindCase("short needle", "zq", false),
        FindCase("short needle", "zq", true),
        FindCase("long needle", "headingBase headingM zz-no-such-class", false),
        FindCase("long needle", "headingBase headingM zz-no-such-class", true),
    };
    cases.push_back({"ReplaceSubtext \"<\" by \"\\r\\n<\"",
                     [](const std::string& text) {
                         static const char lt[] = "<", crlfLt[] = "\r\n<";
                         ValueRecord a[6] = {TextRecord(text), {reinterpret_cast<uint32_t>(lt), 0, Type::Text},
                                             {reinterpret_cast<uint32_t>(crlfLt), 0, Type::Text}, {}, {},
                                             {1, 0, Type::Logical}};
                         FreeText(CallCoreCommand(CoreCommand(CmdReplaceSubtext), 6, a));
                     },
                     [](const std::string& text) {
                         std::string out;
                         size_t from = 0;
                         for (size_t at; (at = text.find('<', from)) != std::string::npos; from = at + 1) {
                             out.append(text, from, at - from);
                             out += "\r\n<";
                         }
                         out.append(text, from);
                         sink = static_cast<int64_t>(out.size());
                     }});
    cases.push_back({"SplitText at \"\\r\\n\"",
                     [](const std::string& text) {
                         static const char crlf[] = "\r\n";
                         ValueRecord a[3] = {TextRecord(text), {reinterpret_cast<uint32_t>(crlf), 0, Type::Text}, {}};
                         FreeTextArray(CallCoreCommand(CoreCommand(CmdSplitText), 3, a));
                     },
                     [](const std::string& text) {
                         std::vector<std::string> parts;
                         std::string_view rest(text);
                         for (size_t at; (at = rest.find("\r\n")) != std::string_view::npos; rest.remove_prefix(at + 2))
                             parts.emplace_back(rest.substr(0, at));
                         if (!rest.empty()) parts.emplace_back(rest);
                         sink = static_cast<int64_t>(parts.size());
                     },
                     [](const std::string& page) {
                         std::string out;
                         for (char c : page) {
                             if (c == '<') out += "\r\n";
                             out.push_back(c);
                         }
                         return out;
                     }});
    cases.push_back({"TrimSpaces",
                     [](const std::string& text) {
                         ValueRecord a[1] = {TextRecord(text)};
                         FreeText(CallCoreCommand(CoreCommand(CmdTrimSpaces), 1, a));
                     },
                     [](const std::string& text) {
                         size_t first = text.find_first_not_of(' ');
                         size_t last = text.find_last_not_of(' ');
                         std::string out = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
                         sink = static_cast<int64_t>(out.size());
                     },
                     [](const std::string& page) { return "   " + page + "   "; }});
    cases.push_back({"ToLower",
                     [](const std::string& text) {
                         ValueRecord a[1] = {TextRecord(text)};
                         FreeText(CallCoreCommand(CoreCommand(CmdToLower), 1, a));
                     },
                     [](const std::string& text) {
                         std::string out = text;
                         std::transform(out.begin(), out.end(), out.begin(),
                                        [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
                         sink = static_cast<int64_t>(out.size());
                     }});
    return cases;
}

}  // namespace

int main() {
    host::StartRuntime();
    const std::string page = GalleryPage(4 << 20);
    const std::string doubled = GalleryPage(8 << 20);
    bench::PrintHeader("Text commands on a synthetic GBK gallery page (best of 5 runs)", "command");
    for (const Case& c : Cases()) {
        std::string input = c.input(page);
        std::string input2 = c.input(doubled);
        double ours = bench::BestSeconds([&] { c.ours(input); });
        double plain = bench::BestSeconds([&] { c.plain(input); });
        double ours2 = bench::BestSeconds([&] { c.ours(input2); });
        bench::PrintRow(c.name, static_cast<double>(input.size()) / 1048576.0, ours, plain, ours2);
    }
    std::printf("\nours/plain: time of the command over time of plain C++ (lower is better);\n"
                "2x input t: the command's time on the doubled page over its time on the page (2.00 = linear).\n");
    return 0;
}
