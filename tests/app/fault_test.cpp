// The real Velmora.exe against faulty servers, hostile pages and a hostile
// disk, with one and with ten threads. Whatever goes wrong, a run ends in
// time, keeps every good picture whole, leaves nothing half written and
// writes nowhere but the Pictures folder.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>
#include "tests/app/app_test_support.h"
#include "tests/app/hostile_names.h"

namespace velmora::testing {
namespace {

// The fault cases need the test-only settings (time-outs, a full disk, refused
// allocations); the CMake entry that runs the switch-free cases against the
// release names Velmora.exe instead.
[[maybe_unused]] const bool testBuild = SetDefaultProgram("Velmora-test.exe");

enum class Outcome { Saved, Failed, Either };

struct PictureSpec {
    std::string name, link;
    Outcome outcome;
    std::string body = {};    // what a saved picture must hold
    std::string reason = {};  // how a failed line must say why (its start); empty: any reason
};

struct FaultCase {
    std::string label;
    std::string faultLink;  // the one faulty picture among good ones; empty: a heading without a link
    Outcome outcome;
    std::string faultBody = {};
    std::string reason = {};
    int timeouts = 1;  // each try ends within this many network time-outs
    // How often the picture is asked: once; up to four times for what may pass
    // the next time (0: one or more, as the platform reads the answer).
    int tries = 1;
    int waited = 0;  // the least the run waits between tries, in milliseconds
};

constexpr const char* existingContent = "a picture the user already had";

DWORD NetTimeout() {
    const char* text = std::getenv("VELMORA_NET_TIMEOUT_MS");
    return text ? static_cast<DWORD>(std::atoi(text)) : 30000;
}

// The longest wait a server's Retry-After may impose (the test build's
// setting, else 60 s).
DWORD RetryAfterCap() {
    const char* text = std::getenv("VELMORA_RETRY_AFTER_CAP_S");
    return 1000 * (text ? static_cast<DWORD>(std::atoi(text)) : 60);
}

// How long a run may take when its fault is asked `tries` times: each try
// within its time-outs, the waits between them (1 s, 2 s, 4 s, or what the
// server asked, capped), and 5 s.
DWORD Bound(int timeouts, int tries) {
    if (tries == 1) return timeouts * NetTimeout() + 5000;
    return 4 * timeouts * NetTimeout() + 3 * std::max<DWORD>(4000, RetryAfterCap()) + 5000;
}

std::string Tried(const std::string& reason, int tries) { return reason + "，已试 " + std::to_string(tries) + " 次"; }

// The address of a picture that the server's /hop reaches after `hops` redirects.
std::string AfterRedirects(int hops, int code, const std::string& then) {
    return "{{BASE}}/hop?n=" + std::to_string(hops - 1) + "&code=" + std::to_string(code) + "&then=" + Encode(then);
}

// Good pictures around the faulty one, and one the user already has (read-only).
std::vector<PictureSpec> PicturesAround(const std::string& tag, const PictureSpec& fault) {
    std::vector<PictureSpec> pictures;
    for (int k = 1; k <= 3; ++k) {
        size_t size = 30000 + 1000 * static_cast<size_t>(k);
        pictures.push_back({"Good" + std::to_string(k),
                            "{{BASE}}/r?size=" + std::to_string(size) + "&seed=" + std::to_string(k) + "&t=" + tag,
                            Outcome::Saved, PatternBytes(size, k)});
        if (k == 1) pictures.push_back(fault);
    }
    pictures.push_back({"Existing", "{{BASE}}/file/p01.jpg", Outcome::Saved, existingContent});
    return pictures;
}

void PlaceExistingPicture() {
    std::string path = PicturesFolder() + "\\Existing.jpg";
    ASSERT_TRUE(WriteContent(path, existingContent));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

std::string PageOf(const std::vector<PictureSpec>& pictures, const std::string& head = "<meta charset=\"utf-8\">") {
    std::string page = "<html>" + head;
    // The harvest takes only links that mention ".jpg"; a link that names
    // another picture type is left as it is.
    for (const PictureSpec& picture : pictures) {
        bool typed = picture.link.empty() || picture.link.find(".jpg") != std::string::npos ||
                     picture.link.find(".png") != std::string::npos;
        page += Entry(picture.name, picture.link + (typed ? "" : "&x=.jpg"));
    }
    return page + "</html>";
}

std::string LogText(const driver::RunResult& run) {
    std::string shown;
    for (const std::string& line : run.log) shown += driver::GbkToUtf8(line) + "\n";
    return shown;
}

// Everything a faulty run must still get right.
void ExpectSoundRun(const driver::RunResult& run, const std::vector<PictureSpec>& pictures, DWORD deadline,
                    const std::map<std::string, std::string>& outsideBefore) {
    ASSERT_TRUE(run.completed) << "no completion box";
    EXPECT_LE(run.milliseconds, deadline);
    EXPECT_EQ(run.log.size(), pictures.size()) << "one log line per picture; the log:\n" << LogText(run);
    std::vector<std::string> expectedFiles;
    for (const PictureSpec& picture : pictures) {
        size_t lines = std::count_if(run.log.begin(), run.log.end(),
                                     [&](const std::string& line) { return ParseLogLine(line).name == picture.name; });
        EXPECT_EQ(lines, 1u) << picture.name;
        LogLine line = LineFor(run.log, picture.name);
        bool saved = line.verb == "下载完成";
        bool failed = line.verb == "下载失败";
        if (picture.name == "Existing") {
            EXPECT_EQ(line.verb, "已经下载");
        } else if (picture.outcome == Outcome::Saved) {
            EXPECT_TRUE(saved) << picture.name << "\n" << LogText(run);
        } else if (picture.outcome == Outcome::Failed) {
            EXPECT_TRUE(failed) << picture.name << "\n" << LogText(run);
        } else {
            EXPECT_TRUE(saved || failed) << picture.name;
        }
        if (failed) {
            EXPECT_FALSE(line.reason.empty()) << picture.name << ": a failed line says why";
            EXPECT_EQ(line.reason.rfind(picture.reason, 0), 0u)
                << picture.name << ": " << driver::GbkToUtf8(line.reason) << ", not " << driver::GbkToUtf8(picture.reason);
        }
        std::string file = PicturesFolder() + "\\" + picture.name + ".jpg";
        if (saved || picture.name == "Existing") {
            expectedFiles.push_back(picture.name + ".jpg");
            EXPECT_TRUE(Content(file) == picture.body) << picture.name << " is not byte-identical";
        }
    }
    std::sort(expectedFiles.begin(), expectedFiles.end());
    EXPECT_EQ(FilesIn(PicturesFolder()), expectedFiles) << "a partial or temporary file remains";
    EXPECT_EQ(Differences(outsideBefore, OutsidePicturesSnapshot()), "") << "written outside the Pictures folder";
}

// An empty Pictures folder but for the picture the user already has.
void FreshPicturesFolder() {
    ClearPictures();
    PlaceExistingPicture();
}

// The time of a run for the README's fault table: "fault TAG N=n: what, run T ms".
void PrintRunTime(const std::string& tag, int threads, const std::string& what, DWORD milliseconds) {
    std::printf("fault %s N=%d: %s, run %lu ms\n", tag.c_str(), threads, driver::GbkToUtf8(what).c_str(), milliseconds);
}

// How the gallery page is served: what its head holds, the server's options
// (its headers), where it is and how many redirects lead there.
struct Serving {
    std::string head = "<meta charset=\"utf-8\">";
    std::string query = "ctype=text/html;%20charset=utf-8";
    std::string path = "/r";
    int redirects = 0;
};

std::string GalleryAddress(const std::string& tag, const Serving& serving) {
    std::string address = ServerUrl(serving.path + "?" + serving.query + "&page=" + tag);
    if (serving.redirects == 0) return address;
    return ServerUrl("/hop?n=" + std::to_string(serving.redirects - 1) + "&code=302&then=" + Encode(address));
}

// The taskbar calls the test build recorded (VELMORA_TASKBAR_RECORD), one per line.
std::wstring TaskbarRecordPath() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"velmora-taskbar.txt";
}

std::vector<std::string> TaskbarCalls() {
    std::vector<std::string> calls;
    std::istringstream lines(Content(driver::WideToGbk(TaskbarRecordPath().c_str())));
    for (std::string line; std::getline(lines, line);) calls.push_back(line);
    return calls;
}

// The button followed the run: on the window thread, the count rising to the
// total, red when and only when something failed, cleared once the box closed.
void ExpectTaskbarShowedTheRun(const driver::RunResult& run, const std::vector<std::string>& calls) {
    ASSERT_FALSE(calls.empty()) << "no taskbar call";
    bool failed = std::any_of(run.log.begin(), run.log.end(), [](const std::string& line) {
        return ParseLogLine(line).verb == "下载失败" || line.rfind("无法读取图库页面", 0) == 0;
    });
    int total = std::atoi(run.progress.substr(run.progress.find('/') + 1).c_str());
    int lastDone = -1;
    std::string lastProgress;
    bool red = false;
    for (const std::string& call : calls) {
        EXPECT_NE(call.find(" window-thread"), std::string::npos) << call;
        int done = 0, of = 0;
        if (std::sscanf(call.c_str(), "progress %d %d", &done, &of) == 2) {
            EXPECT_GE(done, lastDone) << call;
            lastDone = done;
            lastProgress = call.substr(0, call.find(" window-thread"));
        }
        red = red || call.rfind("state 2", 0) == 0;
    }
    int shown = total == 0 ? 1 : total;
    EXPECT_EQ(lastProgress, "progress " + std::to_string(shown) + " " + std::to_string(shown));
    EXPECT_EQ(red, failed) << "the error state when, and only when, something failed";
    EXPECT_EQ(calls.back().rfind("state 0", 0), 0u) << "cleared once the box is closed";
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& call) { return call.rfind("flash", 0) == 0; }),
              0) << "the window was in front: nothing to call the user back to";
}

// Serves the pictures' page, runs the real program on it, checks the run and
// closes the window.
driver::RunResult RunAgainst(const std::vector<PictureSpec>& pictures, int threads, const std::string& tag,
                             DWORD deadline = NetTimeout() + 5000, const Serving& serving = {}) {
    PutPage(tag, PageOf(pictures, serving.head));
    UseGallery(GalleryAddress(tag, serving));
    auto outsideBefore = OutsidePicturesSnapshot();
    // Only the test build records its taskbar calls.
    const std::string program = ProgramUnderTest();
    bool recording = program.size() >= 16 && program.compare(program.size() - 16, 16, "Velmora-test.exe") == 0;
    ScopedEnvironment record("VELMORA_TASKBAR_RECORD", "1");
    DeleteFileW(TaskbarRecordPath().c_str());
    Session session;
    driver::RunResult run = session.Run(threads, deadline + 30000);
    ExpectSoundRun(run, pictures, deadline, outsideBefore);
    LogLine fault = LineFor(run.log, "Fault");
    PrintRunTime(tag, threads, fault.verb.empty() ? "gallery" : fault.verb, run.milliseconds);
    EXPECT_EQ(session.Close(), 0u);
    if (recording) ExpectTaskbarShowedTheRun(run, TaskbarCalls());
    return run;
}

// The picture behind an http address may be at an https one: the test CA is
// trusted in the prefix, as a user's Windows trusts the real ones.
[[maybe_unused]] const bool trusted = TrustTestCertificateAuthority();

class PictureFaults : public ::testing::TestWithParam<std::tuple<FaultCase, int>> {};

TEST_P(PictureFaults, EndInTimeAndKeepEveryGoodPictureWhole) {
    const auto& [fault, threads] = GetParam();
    std::string tag = fault.label + std::to_string(threads);
    // A mark of this run on the fault's address, so the server's log counts its requests.
    std::string mark = "w=" + tag + ".";
    std::string link = fault.faultLink.empty() ? ""
                       : fault.faultLink + (fault.faultLink.find('?') == std::string::npos ? "?" : "&") + mark;
    auto pictures = PicturesAround(tag, {"Fault", link, fault.outcome, fault.faultBody, fault.reason});
    FreshPicturesFolder();
    driver::RunResult run = RunAgainst(pictures, threads, tag, Bound(fault.timeouts, fault.tries));
    EXPECT_GE(run.milliseconds, static_cast<DWORD>(fault.waited)) << "the waits between tries";
    if (fault.tries == 1) {
        EXPECT_EQ(LineFor(run.log, "Fault").reason.find("已试"), std::string::npos) << "asked once";
    }
    bool ours = link.find("{{BASE}}") != std::string::npos || link.rfind("r?", 0) == 0 || link.rfind("//", 0) == 0;
    if (ours && fault.tries > 0) {
        EXPECT_EQ(RequestsContaining(mark).size(), static_cast<size_t>(fault.tries));
    }
}

std::vector<FaultCase> Faults() {
    const std::string r = "{{BASE}}/r?";
    const auto failed = Outcome::Failed, saved = Outcome::Saved;
    const std::string stall = std::to_string(NetTimeout() / 1000 + 4);
    return {
        // No answer, or a broken one.
        {"refused", "http://127.0.0.1:1/refused.jpg", failed, "", Tried("无法连接服务器", 4), 1, 4, 7000},
        {"closedBeforeAnyByte", r + "fault=silent", failed, "", Tried("无法连接服务器", 4), 1, 4, 7000},
        // Wine's WinINet takes headers cut short for a whole answer without a body.
        {"closedInHeaders", r + "fault=headers", failed, "", "", 1, 0},
        // Bodies cut short: with a length, chunked, or ended by the close alone.
        {"closedAfterNoBody", r + "size=40000&cut=0", failed, "", Tried("文件不完整", 4), 1, 4, 7000},
        {"closedAfterHalf", r + "size=40000&cut=20000", failed, "", Tried("文件不完整", 4), 1, 4, 7000},
        {"closedOneByteShort", r + "size=40000&cut=39999", failed, "", Tried("文件不完整", 4), 1, 4, 7000},
        {"chunkedCutShort", r + "size=40000&chunked=1&cut=20000", failed, "", Tried("文件不完整", 4), 1, 4, 7000},
        {"unframedCutShort", r + "size=40000&cl=none&cut=20000", failed, "", Tried("文件不完整", 4), 1, 4, 7000},
        {"pngUnframedCutShort", r + "size=40000&format=png&cl=none&cut=20000", failed, "", Tried("文件不完整", 4), 1, 4, 7000},
        {"webpUnframedCutShort", r + "size=40000&format=webp&cl=none&cut=20000", failed, "", Tried("文件不完整", 4), 1, 4, 7000},
        // A lying chunk size before the whole picture: WinINet hides the framing, so
        // what counts is whether the content ends as a JPEG ends; kept only whole.
        {"badChunkSize", r + "size=40000&chunksize=FFFFFFF4", Outcome::Either, PatternBytes(40000), "", 1, 0},
        {"overflowingChunkSize", r + "size=40000&chunksize=10000000000000000000000000", Outcome::Either,
         PatternBytes(40000), "", 1, 0},
        {"lengthAbove4GB", r + "size=40000&cl=4294967400", failed},
        // Whole pictures without a length: they end as their format ends.
        {"chunkedWhole", r + "size=40000&seed=6&chunked=1", saved, PatternBytes(40000, 6)},
        {"unframedWholeWithZeros", r + "size=40000&seed=7&cl=none&tail=16", saved,
         PatternBytes(40000, 7) + std::string(16, '\0')},
        {"pngUnframed", r + "size=40000&seed=1&format=png&cl=none", saved, FormatBytes("png", 40000, 1)},
        {"gifUnframed", r + "size=40000&seed=2&format=gif&cl=none", saved, FormatBytes("gif", 40000, 2)},
        {"webpUnframed", r + "size=40000&seed=3&format=webp&cl=none", saved, FormatBytes("webp", 40000, 3)},
        {"bmpUnframed", r + "size=40000&seed=4&format=bmp&cl=none", saved, FormatBytes("bmp", 40000, 4)},
        // Past the size limit: announced (and sent for as long as it is read), or streamed without a length.
        {"announces3GB", r + "size=0&cl=3221225472&endless=1", failed, "", "超过 256 MB"},
        {"endlessBody", r + "size=1000&cl=none&endless=1", failed, "", "超过 256 MB"},
        // Slow answers: silent past the time-out, or a drip of one byte a second.
        {"stallBeforeAnyByte", r + "size=40000&stallhead=" + stall, failed, "", Tried("连接超时", 4), 1, 4, 7000},
        {"stallBeforeBody", r + "size=40000&stall=" + stall, failed, "", "连接超时"},
        {"stallDripOneBytePerSecond", r + "size=40000&trickle=1", failed, "", "连接超时", 2},
        {"trickleThatCompletes", r + "size=6&seed=9&trickle=0.4", saved, PatternBytes(6, 9)},
        {"headerLines2000", r + "size=40000&seed=5&headerlines=2000", saved, PatternBytes(40000, 5)},
        // Answers that are no picture.
        {"htmlWith200", r + "status=200&ctype=text/html&body=%3Chtml%3Esign%20in%3C/html%3E", failed, "", "不是图片"},
        {"blanksThenHtml", r + "status=200&ctype=text/html&blanks=3000&body=%3Chtml%3Esign%20in%3C/html%3E", failed, "",
         "不是图片"},
        {"jsonWith200", r + "status=200&ctype=application/json&body=%7B%22error%22%3A%22expired%22%7D", failed, "",
         "不是图片"},
        {"partial206", r + "status=206&size=40000", failed, "", "服务器返回 206"},
        {"notFound", r + "status=404&ctype=text/html&body=%3Chtml%3Enot%20found%3C/html%3E", failed, "", "服务器返回 404"},
        {"serverError", r + "status=500&ctype=text/html&body=%3Chtml%3Eoops%3C/html%3E", failed, "",
         Tried("服务器返回 500", 4), 1, 4, 7000},
        // What may pass the next time is asked again: once more when it does,
        // after 1 s or what the server asked.
        {"serviceUnavailableOnce", r + "size=40000&seed=17&status=503&once=1", saved, PatternBytes(40000, 17), "", 1, 2,
         1000},
        {"resetMidBodyOnce", r + "size=40000&seed=18&cut=20000&once=1", saved, PatternBytes(40000, 18), "", 1, 2, 1000},
        {"closedBeforeAnyByteOnce", r + "size=40000&seed=19&fault=silent&once=1", saved, PatternBytes(40000, 19), "", 1,
         2, 1000},
        {"tooManyRequestsOnce", r + "size=40000&seed=20&status=429&h=Retry-After:2&once=1", saved,
         PatternBytes(40000, 20), "", 1, 2, 2000},
        // A Retry-After that cannot be used gives the back-off; one of a day is cut to the cap.
        {"serviceUnavailableMalformedRetryAfter", r + "status=503&h=Retry-After:soon&size=40000", failed, "",
         Tried("服务器返回 503", 4), 1, 4, 7000},
        {"tooManyRequestsNegativeRetryAfter", r + "status=429&h=Retry-After:-5&size=40000", failed, "",
         Tried("服务器返回 429", 4), 1, 4, 7000},
        {"tooManyRequestsForADay", r + "status=429&h=Retry-After:86400&size=40000", failed, "",
         Tried("服务器返回 429", 4), 1, 4, static_cast<int>(3 * RetryAfterCap())},
        // Redirects: ten are followed (any of the five codes), an eleventh or a loop ends the fetch.
        {"tenRedirects307", AfterRedirects(10, 307, r + "size=40000&seed=10"), saved, PatternBytes(40000, 10)},
        {"tenRedirects308", AfterRedirects(10, 308, r + "size=40000&seed=11"), saved, PatternBytes(40000, 11)},
        {"elevenRedirects", AfterRedirects(11, 302, r + "size=40000"), failed, "", "重定向过多"},
        {"redirectLoop", "{{BASE}}/loop?x=.jpg", failed, "", "重定向过多"},
        {"httpToHttps", AfterRedirects(1, 301, "{{TLS}}/r?size=40000&seed=12"), saved, PatternBytes(40000, 12)},
        // Addresses as pages write them.
        {"characterReference", r + "size=40000&amp;seed=13", saved, PatternBytes(40000, 13)},
        {"relativeAddress", "r?size=40000&seed=14", saved, PatternBytes(40000, 14)},
        {"protocolRelative", "//{{HOST}}/r?size=40000&seed=15", saved, PatternBytes(40000, 15)},
        {"chineseAndBlank", "{{BASE}}/r/秋色 大图.jpg?size=40000&seed=16", saved, PatternBytes(40000, 16)},
        {"headingWithoutLink", "", failed, "", "没有下载链接"},
        // An address that can never be reached is not asked again.
        {"unusableAddress", "http://no-such-host.invalid/a.jpg", failed, "", "无法连接服务器"},
    };
}

INSTANTIATE_TEST_SUITE_P(Network, PictureFaults, ::testing::Combine(::testing::ValuesIn(Faults()), ::testing::Values(1, 10)),
                         [](const auto& info) {
                             return std::get<0>(info.param).label + "_N" + std::to_string(std::get<1>(info.param));
                         });

// A server that asks the run to slow down is given its pause by every worker:
// after its 429 no request reaches it before the time it asked for, the
// retries of other workers that were told only "503" included.
TEST(ServerPause, EveryWorkerWaitsTheTimeTheServerAsked) {
    const std::string r = "{{BASE}}/r?t=pause&";
    // The server that asks is reached through a redirect, under another name:
    // the pause holds both the name the links use and the one that answered.
    const std::string elsewhere = "http://localhost:" + std::string(std::getenv("VELMORA_SERVER_PORT")) + "/r?t=pause&";
    std::vector<PictureSpec> pictures = {
        {"Asks", AfterRedirects(1, 302, elsewhere + "size=40000&seed=21&status=429&h=Retry-After:2&once=1") + "&x=.jpg",
         Outcome::Saved, PatternBytes(40000, 21)},
        {"Busy1", r + "size=40000&seed=22&status=503&once=1", Outcome::Saved, PatternBytes(40000, 22)},
        {"Busy2", r + "size=40000&seed=23&status=503&once=1", Outcome::Saved, PatternBytes(40000, 23)},
        {"Plain", r + "size=40000&seed=24", Outcome::Saved, PatternBytes(40000, 24)},
        {"Existing", "{{BASE}}/file/p01.jpg", Outcome::Saved, existingContent},
    };
    FreshPicturesFolder();
    RunAgainst(pictures, 10, "pause", Bound(1, 2));
    // The timeline in order of arrival; a request line seen before is a retry.
    std::istringstream lines(PlainGet(ServerUrl("/_timeline?contains=t=pause&")));
    struct Request {
        double arrived, answered;
        std::string line;
    };
    std::vector<Request> requests;
    for (std::string line; std::getline(lines, line);) {
        Request request{};
        if (std::sscanf(line.c_str(), "%lf %lf", &request.arrived, &request.answered) == 2) {
            request.line = line.substr(line.find(" GET "));
            requests.push_back(request);
        }
    }
    std::sort(requests.begin(), requests.end(), [](const Request& a, const Request& b) { return a.arrived < b.arrived; });
    auto first429 = std::find_if(requests.begin(), requests.end(),
                                 [](const Request& r) { return r.line.find("status=429") != std::string::npos; });
    ASSERT_NE(first429, requests.end());
    std::set<std::string> seen;
    size_t retries = 0;
    for (const Request& request : requests) {
        if (!seen.insert(request.line).second) {
            ++retries;
            EXPECT_GE(request.arrived, first429->answered + 1.95) << "a retry inside the server's pause:" << request.line;
        }
    }
    EXPECT_EQ(retries, 3u) << "the 429 and the two 503s are asked again, once each";
}

// A run that ends while another window is in front calls the user back: the
// button flashes (the platform stops it when the window is activated).
TEST(Taskbar, ARunThatEndsBehindAnotherWindowFlashesTheButton) {
    const std::string tag = "behind";
    std::vector<PictureSpec> pictures = {
        {"Slow", "{{BASE}}/r?size=40000&seed=25&stall=1&t=behind", Outcome::Saved, PatternBytes(40000, 25)}};
    FreshPicturesFolder();
    UseGallery(PutPage(tag, PageOf(pictures)));
    ScopedEnvironment record("VELMORA_TASKBAR_RECORD", "1");
    DeleteFileW(TaskbarRecordPath().c_str());
    Session session;
    HWND other = CreateWindowExW(0, L"STATIC", L"another window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    for (int i = 0; i < 100 && GetForegroundWindow() != other; ++i) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(10);
    }
    ASSERT_EQ(GetForegroundWindow(), other) << "the other window did not come to the front";
    driver::Click(session.units.startButton);  // a sent click: the window need not be in front
    HWND box = session.child.WaitForTopWindow("#32770", "提示", 60000);
    ASSERT_NE(box, nullptr);
    driver::PressDialogButton(box, IDOK);
    DestroyWindow(other);
    EXPECT_EQ(session.Close(), 0u);
    std::vector<std::string> calls = TaskbarCalls();
    auto flash = std::find(calls.begin(), calls.end(), "flash window-thread");
    std::string shown;
    for (const std::string& call : calls) shown += call + "\n";
    ASSERT_NE(flash, calls.end()) << "the button did not flash:\n" << shown;
    auto done = std::find(calls.begin(), calls.end(), "progress 1 1 window-thread");
    EXPECT_LT(done - calls.begin(), flash - calls.begin()) << "the flash comes as the run ends";
}

// A gallery page that cannot be read, or holds nothing: one line says why,
// before the box; nothing is fetched or written.
struct PageFault {
    std::string label, gallery, line;
    int timeouts = 1;
};

class GalleryFaults : public ::testing::TestWithParam<std::tuple<PageFault, int>> {};

TEST_P(GalleryFaults, OneLineSaysWhyAndNothingIsWritten) {
    const auto& [fault, threads] = GetParam();
    FreshPicturesFolder();
    UseGallery(fault.gallery);
    auto outsideBefore = OutsidePicturesSnapshot();
    Session session;
    DWORD deadline = fault.timeouts * NetTimeout() + 5000;
    driver::RunResult run = session.Run(threads, deadline + 30000);
    ASSERT_TRUE(run.completed);
    EXPECT_LE(run.milliseconds, deadline);
    EXPECT_EQ(run.log, std::vector<std::string>{fault.line}) << LogText(run);
    EXPECT_EQ(run.progress, "0 / 0");
    EXPECT_EQ(FilesIn(PicturesFolder()), std::vector<std::string>{"Existing.jpg"});
    EXPECT_EQ(Content(PicturesFolder() + "\\Existing.jpg"), existingContent);
    EXPECT_EQ(Differences(outsideBefore, OutsidePicturesSnapshot()), "");
    PrintRunTime(fault.label + std::to_string(threads), threads, "page", run.milliseconds);
    EXPECT_EQ(session.Close(), 0u);
}

std::vector<PageFault> GalleryFaultCases() {
    const std::string unread = "无法读取图库页面（";
    return {
        {"pageRedirectLoop", ServerUrl("/loop"), unread + "重定向过多）"},
        {"pageRefused", "http://127.0.0.1:1/gallery", unread + "无法连接服务器）"},
        {"pageNotFound", ServerUrl("/r?status=404&body=gone"), unread + "服务器返回 404）"},
        {"stallPageDrip", ServerUrl("/r?ctype=text/html&trickle=1&body=" + std::string(2000, 'x')), unread + "连接超时）", 2},
        {"pageEndless", ServerUrl("/r?body=%3Chtml%3E&cl=none&endless=1"), unread + "超过 64 MB）"},
        {"pageWithoutEntries", ServerUrl("/r?ctype=text/html&body=%3Chtml%3E%3C/html%3E"), "图库页面中没有图片"},
        // Half a gallery is not the gallery: closed short of its length, with entries in the half that came.
        {"pageCutShort",
         ServerUrl("/r?ctype=text/html&cut=200&body=" +
                   Encode("<html>" + Entry("A", "{{BASE}}/r?size=3000&x=.jpg") + std::string(2000, ' ') + "</html>")),
         unread + "文件不完整）"},
    };
}

INSTANTIATE_TEST_SUITE_P(Pages, GalleryFaults,
                         ::testing::Combine(::testing::ValuesIn(GalleryFaultCases()), ::testing::Values(1, 10)),
                         [](const auto& info) {
                             return std::get<0>(info.param).label + "_N" + std::to_string(std::get<1>(info.param));
                         });

// Gallery pages as servers send them: UTF-8 declared in any of the ways
// browsers read, a long header block, the page behind redirects with its
// links relative to where it ended up, a link before any heading. A picture
// with a Chinese name tells whether the page was read as UTF-8; every
// picture is saved under its name.
struct GalleryVariant {
    std::string label;
    Serving serving;
    std::string faultLink = "{{BASE}}/r?size=36000&seed=21";
};

class GalleryVariants : public ::testing::TestWithParam<std::tuple<GalleryVariant, int>> {};

TEST_P(GalleryVariants, EveryPictureIsSavedUnderItsName) {
    const auto& [variant, threads] = GetParam();
    std::string tag = variant.label + std::to_string(threads);
    auto pictures = PicturesAround(tag, {"秋色 大图", variant.faultLink, Outcome::Saved, PatternBytes(36000, 21)});
    FreshPicturesFolder();
    RunAgainst(pictures, threads, tag, NetTimeout() + 5000, variant.serving);
}

std::vector<GalleryVariant> GalleryVariantCases() {
    auto serving = [](std::string head, std::string query, std::string path = "/r", int redirects = 0) {
        return Serving{std::move(head), std::move(query), std::move(path), redirects};
    };
    const std::string html = "ctype=text/html";
    return {
        {"charsetInTheHeaderInCapitals", serving("", "ctype=text/html;%20charset=UTF-8")},
        {"metaCharsetUnquotedUtf8", serving("<META CharSet=utf8>", html)},
        {"metaHttpEquivQuoted", serving("<meta http-equiv=\"Content-Type\" content=\"text/html; charset='UTF-8'\">", html)},
        {"byteOrderMarkAlone", serving("", html + "&bom=1")},
        {"headerBlockOf8000Bytes", serving("", "ctype=text/html;%20charset=utf-8&headerpad=8000")},
        {"behindRedirectsWithRelativeLinks",
         serving("<meta charset=\"utf-8\">", "ctype=text/html", "/r/%E7%94%BB%E5%BB%8A/index.html", 3),
         "图/秋色.jpg?size=36000&seed=21"},
        {"aLinkBeforeAnyHeading",
         serving("<a class=\"navigationLink\" href=\"{{BASE}}/r?size=500&stray=1&x=.jpg\">立即获取</a>", html + ";%20charset=utf-8")},
    };
}

INSTANTIATE_TEST_SUITE_P(Pages, GalleryVariants,
                         ::testing::Combine(::testing::ValuesIn(GalleryVariantCases()), ::testing::Values(1, 10)),
                         [](const auto& info) {
                             return std::get<0>(info.param).label + "_N" + std::to_string(std::get<1>(info.param));
                         });

class PageAndDiskFaults : public ::testing::TestWithParam<int> {};

TEST_P(PageAndDiskFaults, FiftyMegabytesOfRandomBytesBeforeTheGallery) {
    std::string tag = "random" + std::to_string(GetParam());
    auto pictures = PicturesAround(tag, {"Fault", "{{BASE}}/r?size=500&seed=4", Outcome::Saved, PatternBytes(500, 4)});
    FreshPicturesFolder();
    // A zero byte would end the page text at once; without any the harvest must read it all.
    // Fifty megabytes on loopback and through the harvest take their time; the
    // bound is the shipped time-out plus five seconds.
    Serving noisy;
    noisy.query += "&random=52428800&nonul=1&seed=11";
    RunAgainst(pictures, GetParam(), tag, 35000, noisy);
}

// The shell's Pictures folder where it is hard to write: under a folder that
// does not exist (it cannot be made: the program makes only its last level),
// or in no code page with its path near the platform's 260 characters (the
// names shortened so every path fits; where no name fits, no fetch). Each
// picture ends with its line; nothing is written anywhere else.
TEST_P(PageAndDiskFaults, APicturesFolderThatIsHardToWriteTo) {
    struct Case {
        const char* label;
        size_t length;  // 0: under a missing folder
        bool saved;
    };
    for (Case c : {Case{"under a missing folder", 0, false}, Case{"200 characters in no code page", 200, true},
                   Case{"250 characters in no code page", 250, false}}) {
        std::string tag = "hard" + std::to_string(c.length) + "-" + std::to_string(GetParam());
        std::wstring folder;
        if (c.length == 0) {
            folder = L"C:\\users\\nobody-" + std::wstring(tag.begin(), tag.end()) + L"\\deeper\\Pictures";
        } else {
            // Levels of at most 100 characters (under Wine a name's 255 UTF-8 bytes are the host's
            // limit); the program makes only the last one, as it makes any Pictures folder.
            folder = L"C:\\users\\Public\\\U0001F5BC";
            while (folder.size() + 101 < c.length) {
                folder += std::wstring(100, L'\u017A') + L"\\";  // ź
                CreateDirectoryW(folder.c_str(), nullptr);
            }
            folder += std::wstring(c.length - folder.size(), L'\u017A');
        }
        std::vector<PictureSpec> pictures;
        for (int k = 1; k <= 3; ++k)
            pictures.push_back({"Good" + std::to_string(k), "{{BASE}}/r?size=2000&seed=" + std::to_string(k) + "&t=" + tag,
                                c.saved ? Outcome::Saved : Outcome::Failed, PatternBytes(2000, k)});
        UseGallery(PutPage(tag, PageOf(pictures)));
        driver::RunResult run;
        DWORD exitCode;
        {
            ScopedPicturesFolder elsewhere(folder);
            auto outsideBefore = OutsidePicturesSnapshot();
            Session session;
            run = session.Run(GetParam(), 60000);
            exitCode = session.Close();
            EXPECT_EQ(Differences(outsideBefore, OutsidePicturesSnapshot()), "") << c.label;
        }
        ASSERT_TRUE(run.completed) << c.label;
        EXPECT_LE(run.milliseconds, NetTimeout() + 5000);
        ASSERT_EQ(run.log.size(), pictures.size()) << c.label << "\n" << LogText(run);
        for (const PictureSpec& picture : pictures) {
            LogLine line = LineFor(run.log, picture.name);
            EXPECT_EQ(line.verb, c.saved ? "下载完成" : "下载失败") << c.label << ": " << picture.name;
            if (!c.saved) {
                EXPECT_EQ(line.reason.rfind("无法写入文件：", 0), 0u) << driver::GbkToUtf8(line.reason);
            }
        }
        size_t files = 0;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                ++files;
                EXPECT_LT(folder.size() + 1 + wcslen(found.cFileName), size_t{MAX_PATH}) << c.label;
                DeleteFileW((folder + L"\\" + found.cFileName).c_str());
            }
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
        EXPECT_EQ(files, c.saved ? 3u : 0u) << c.label;
        if (c.length == 0) {
            EXPECT_EQ(GetFileAttributesW(folder.substr(0, folder.rfind(L'\\')).c_str()), INVALID_FILE_ATTRIBUTES)
                << "nothing made above the folder";
        }
        RemoveDirectoryW(folder.c_str());
        EXPECT_EQ(exitCode, 0u) << c.label;
    }
}

TEST_P(PageAndDiskFaults, AFolderNamedLikeThePictureIsNoPicture) {
    std::string tag = "folder" + std::to_string(GetParam());
    auto pictures = PicturesAround(tag, {"Fault", "{{BASE}}/r?size=500&f=" + tag, Outcome::Failed, "", "无法写入文件："});
    FreshPicturesFolder();
    ASSERT_TRUE(CreateDirectoryA((PicturesFolder() + "\\Fault.jpg").c_str(), nullptr));
    RunAgainst(pictures, GetParam(), tag);
    DWORD attributes = GetFileAttributesA((PicturesFolder() + "\\Fault.jpg").c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(RequestsContaining("f=" + tag).empty()) << "it fails without a fetch";
}

// With entries A (.jpg), B (.png), C and D (.jpg), C's picture once became
// "B.jpg": B's anchor must keep its place. B fails alone and is never fetched.
TEST_P(PageAndDiskFaults, AnEntryThatIsNoJpegFailsAloneAndTheOthersKeepTheirNames) {
    std::string tag = "png" + std::to_string(GetParam());
    auto pictures =
        PicturesAround(tag, {"Fault", "{{BASE}}/r?size=500&f=" + tag + "&x=.png", Outcome::Failed, "", "没有下载链接"});
    FreshPicturesFolder();
    RunAgainst(pictures, GetParam(), tag);
    EXPECT_TRUE(RequestsContaining("f=" + tag).empty());
}

TEST_P(PageAndDiskFaults, AFullDiskFailsWhatDoesNotFitAndLeavesNoPart) {
    std::string tag = "full" + std::to_string(GetParam());
    auto pictures = PicturesAround(tag, {"Fault", "{{BASE}}/r?size=30500&seed=7", Outcome::Either, PatternBytes(30500, 7)});
    for (PictureSpec& picture : pictures)
        if (picture.name != "Existing") picture.outcome = Outcome::Either;
    FreshPicturesFolder();
    // At most two of the four fit. One at a time, exactly the last two fail; side
    // by side, the bytes of a picture that failed half-way count too, so more may.
    ScopedEnvironment room("VELMORA_TEST_DISK_ROOM", "70000");
    driver::RunResult run = RunAgainst(pictures, GetParam(), tag);
    size_t failed = 0;
    for (const std::string& line : run.log) {
        LogLine parsed = ParseLogLine(line);
        if (parsed.verb != "下载失败") continue;
        ++failed;
        EXPECT_EQ(parsed.reason.rfind("无法写入文件：", 0), 0u) << driver::GbkToUtf8(line);
    }
    if (GetParam() == 1) {
        EXPECT_EQ(failed, 2u) << LogText(run);
    } else {
        EXPECT_GE(failed, 2u) << LogText(run);
    }
}

// Temporary files in the Pictures folder at start-up: ours of a process that
// died (nobody holds them) go; one a live writer holds open stays, and so do
// files that are not ours. Every picture is still saved.
TEST_P(PageAndDiskFaults, TemporaryFilesOfDeadRunsGoAndNothingElse) {
    std::string tag = "stale" + std::to_string(GetParam());
    auto pictures = PicturesAround(tag, {"Fault", "{{BASE}}/r?size=500&seed=3", Outcome::Saved, PatternBytes(500, 3)});
    FreshPicturesFolder();
    std::vector<std::string> dead, kept;
    for (const PictureSpec& picture : pictures)
        for (int k = 1; k <= 12; ++k) {
            std::string stem = PicturesFolder() + "\\" + picture.name + ".jpg.";
            dead.push_back(stem + "4-" + std::to_string(k) + ".part");
            kept.push_back(stem + std::to_string(k) + ".part");  // not a name of ours
        }
    kept.push_back(PicturesFolder() + "\\notes.txt");
    kept.push_back(PicturesFolder() + "\\Other.jpg.77-1.part.bak");
    for (const auto* paths : {&dead, &kept})
        for (const std::string& path : *paths) ASSERT_TRUE(WriteContent(path, "left behind"));
    // A writer that is alive: it holds its file open (sharing reads and writes, as any writer may).
    std::string live = PicturesFolder() + "\\Good1.jpg.9999-1.part";
    ASSERT_TRUE(WriteContent(live, "still being written"));
    HANDLE writer = CreateFileA(live.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    UseGallery(PutPage(tag, PageOf(pictures)));
    Session session;
    driver::RunResult run = session.Run(GetParam(), 60000);
    ASSERT_TRUE(run.completed);
    CloseHandle(writer);
    for (const PictureSpec& picture : pictures) {
        if (picture.name == "Existing") continue;
        EXPECT_EQ(LineFor(run.log, picture.name).verb, "下载完成") << picture.name;
        EXPECT_TRUE(Content(PicturesFolder() + "\\" + picture.name + ".jpg") == picture.body) << picture.name;
    }
    for (const std::string& path : dead) EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
    for (const std::string& path : kept) EXPECT_EQ(Content(path), "left behind") << path;
    EXPECT_EQ(Content(live), "still being written");
    EXPECT_EQ(FilesIn(PicturesFolder()).size(), kept.size() + 1 + pictures.size());
    EXPECT_EQ(session.Close(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Threads, PageAndDiskFaults, ::testing::Values(1, 10),
                         [](const auto& info) { return "N" + std::to_string(info.param); });

// Every hostile name a page can carry, on one page: each picture lands in the
// Pictures folder under its safe name, whole, and nothing lands elsewhere.
// Names that become the same file (also when they differ only in case) share
// it: one of them is saved, the others fail or find it already there.
class HostileNamePage : public ::testing::TestWithParam<int> {};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return text;
}

TEST_P(HostileNamePage, EveryNameLandsInThePicturesFolder) {
    std::string tag = "names" + std::to_string(GetParam());
    std::vector<HostileName> names;
    for (const HostileName& name : HostileNames())
        if (name.onPage) names.push_back(name);
    std::string page = "<html><meta charset=\"utf-8\">";
    std::map<std::string, std::vector<size_t>> byFile;  // lower-case file name -> entries
    for (size_t i = 0; i < names.size(); ++i) {
        page += Entry(names[i].name, "{{BASE}}/r?size=" + std::to_string(2000 + i) + "&seed=" +
                                         std::to_string(i % 50 + 1) + "&x=.jpg");
        if (!names[i].room) byFile[Lower(names[i].file + ".jpg")].push_back(i);
    }
    ClearPictures();
    UseGallery(PutPage(tag, page + "</html>"));
    auto outsideBefore = OutsidePicturesSnapshot();
    Session session;
    driver::RunResult run = session.Run(GetParam(), 120000);
    ASSERT_TRUE(run.completed);
    EXPECT_EQ(run.log.size(), names.size());
    EXPECT_EQ(run.progress, std::to_string(names.size()) + " / " + std::to_string(names.size())) << "every picture counted";
    // Each name whole in its own line ("|" and 0x1A once split or ended the worker's record).
    for (const HostileName& name : names) {
        size_t lines = std::count_if(run.log.begin(), run.log.end(),
                                     [&](const std::string& line) { return ParseLogLine(line).name == name.name; });
        size_t alike = std::count_if(names.begin(), names.end(), [&](const HostileName& n) { return n.name == name.name; });
        EXPECT_EQ(lines, alike) << driver::GbkToUtf8(name.name);
    }
    std::vector<std::string> files = FilesIn(PicturesFolder());
    for (const std::string& file : files) {
        auto shared = byFile.find(Lower(file));
        if (shared == byFile.end()) {
            // A long name, shortened: it must start like one and keep its ".jpg".
            auto longName = std::find_if(names.begin(), names.end(), [&](const HostileName& n) {
                return n.room && n.file.compare(0, 100, file, 0, 100) == 0;
            });
            ASSERT_NE(longName, names.end()) << "unexpected file " << driver::GbkToUtf8(file);
            EXPECT_EQ(file.substr(file.size() - 4), ".jpg");
            EXPECT_LT(PicturesFolder().size() + 1 + file.size(), size_t{MAX_PATH});
            continue;
        }
        std::string content = Content(PicturesFolder() + "\\" + file);
        size_t saved = 0;
        for (size_t i : shared->second) {
            bool done = std::find(run.log.begin(), run.log.end(), "下载完成：" + names[i].name) != run.log.end();
            if (done) {
                ++saved;
                EXPECT_TRUE(content == PatternBytes(2000 + i, static_cast<int>(i % 50 + 1))) << driver::GbkToUtf8(file);
            }
        }
        EXPECT_EQ(saved, 1u) << "one saved picture for " << driver::GbkToUtf8(file);
    }
    std::set<std::string> longStarts;  // long names that start alike are shortened to one file
    for (const HostileName& n : names)
        if (n.room) longStarts.insert(n.file.substr(0, 100));
    EXPECT_EQ(files.size(), byFile.size() + longStarts.size()) << "every safe name is one file, no temporary file left";
    EXPECT_EQ(Differences(outsideBefore, OutsidePicturesSnapshot()), "");
    EXPECT_EQ(session.Close(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Threads, HostileNamePage, ::testing::Values(1, 10),
                         [](const auto& info) { return "N" + std::to_string(info.param); });

// Closing the window at several moments ends the program at once with 0 and
// leaves only whole pictures.
class ClosingFaults : public ::testing::TestWithParam<int> {};

void ExpectOnlyWholePictures(const std::vector<PictureSpec>& pictures) {
    for (const std::string& file : FilesIn(PicturesFolder())) {
        auto picture = std::find_if(pictures.begin(), pictures.end(),
                                    [&](const PictureSpec& p) { return p.name + ".jpg" == file; });
        ASSERT_NE(picture, pictures.end()) << file;
        EXPECT_TRUE(Content(PicturesFolder() + "\\" + file) == picture->body) << file;
    }
}

TEST_P(ClosingFaults, DuringThePageFetch) {
    FreshPicturesFolder();
    std::string tag = "closepage" + std::to_string(GetParam());
    UseGallery(ServerUrl("/r?stallhead=20&body=x&t=" + tag));
    Session session;
    ASSERT_TRUE(driver::SetThreadCount(session.units, GetParam()));
    driver::Click(session.units.startButton);
    for (int i = 0; i < 500 && RequestsContaining(tag).empty(); ++i) Sleep(10);
    ASSERT_FALSE(RequestsContaining(tag).empty());
    DWORD start = GetTickCount();
    EXPECT_EQ(session.Close(), 0u);
    EXPECT_LE(GetTickCount() - start, 3000u);
    std::printf("closed during the page fetch (N=%d) in %lu ms\n", GetParam(), GetTickCount() - start);
    EXPECT_EQ(FilesIn(PicturesFolder()), std::vector<std::string>{"Existing.jpg"});
}

TEST_P(ClosingFaults, InTheMiddleOfABatch) {
    std::string tag = "closebatch" + std::to_string(GetParam());
    std::vector<PictureSpec> pictures;
    for (int k = 0; k < 12; ++k)
        pictures.push_back({"Slow" + std::to_string(k),
                            "{{BASE}}/r?size=200000&stall=" + std::string(k % 2 ? "20" : "0.5") + "&t=" + tag,
                            Outcome::Either, PatternBytes(200000)});
    FreshPicturesFolder();
    pictures.push_back({"Existing", "{{BASE}}/file/p01.jpg", Outcome::Saved, existingContent});
    UseGallery(PutPage(tag, PageOf(pictures)));
    Session session;
    ASSERT_TRUE(driver::SetThreadCount(session.units, GetParam()));
    driver::Click(session.units.startButton);
    for (int i = 0; i < 1000 && RequestsContaining(tag).size() < 2; ++i) Sleep(10);
    ASSERT_GE(RequestsContaining(tag).size(), 2u) << "the run did not get going";
    Sleep(200);
    DWORD start = GetTickCount();
    EXPECT_EQ(session.Close(), 0u);
    EXPECT_LE(GetTickCount() - start, 3000u);
    std::printf("closed in the middle of a batch (N=%d) in %lu ms\n", GetParam(), GetTickCount() - start);
    ExpectOnlyWholePictures(pictures);
}

TEST_P(ClosingFaults, WhileARetryWaits) {
    std::string tag = "closewait" + std::to_string(GetParam());
    auto pictures = PicturesAround(
        tag, {"Fault", "{{BASE}}/r?status=503&h=Retry-After:30&size=40000&t=" + tag, Outcome::Failed, ""});
    FreshPicturesFolder();
    UseGallery(PutPage(tag, PageOf(pictures)));
    Session session;
    ASSERT_TRUE(driver::SetThreadCount(session.units, GetParam()));
    driver::Click(session.units.startButton);
    bool waiting = false;
    for (int i = 0; i < 3000 && !waiting; ++i, Sleep(10))
        waiting = driver::WindowText(session.units.progress).rfind("等待服务器", 0) == 0;
    ASSERT_TRUE(waiting) << "the label never said that the run waits for the server";
    DWORD start = GetTickCount();
    EXPECT_EQ(session.Close(), 0u);
    EXPECT_LE(GetTickCount() - start, 3000u);
    std::printf("closed while a retry waits (N=%d) in %lu ms\n", GetParam(), GetTickCount() - start);
    ExpectOnlyWholePictures(pictures);
}

TEST_P(ClosingFaults, WhileTheCompletionBoxIsOpen) {
    std::string tag = "closebox" + std::to_string(GetParam());
    auto pictures = PicturesAround(tag, {"Fault", "{{BASE}}/r?status=404", Outcome::Failed, ""});
    FreshPicturesFolder();
    UseGallery(PutPage(tag, PageOf(pictures)));
    Session session;
    ASSERT_TRUE(driver::SetThreadCount(session.units, GetParam()));
    driver::Click(session.units.startButton);
    ASSERT_NE(session.child.WaitForTopWindow("#32770", "提示", 60000), nullptr);
    DWORD start = GetTickCount();
    EXPECT_EQ(session.Close(), 0u);
    EXPECT_LE(GetTickCount() - start, 3000u);
    std::printf("closed with the completion box open (N=%d) in %lu ms\n", GetParam(), GetTickCount() - start);
    ExpectOnlyWholePictures(pictures);
    EXPECT_EQ(FilesIn(PicturesFolder()).size(), 4u);
}

TEST(Closing, AnIdleWindow) {
    Session session;
    DWORD start = GetTickCount();
    EXPECT_EQ(session.Close(), 0u);
    EXPECT_LE(GetTickCount() - start, 3000u);
    std::printf("closed an idle window in %lu ms\n", GetTickCount() - start);
}

INSTANTIATE_TEST_SUITE_P(Threads, ClosingFaults, ::testing::Values(1, 10),
                         [](const auto& info) { return "N" + std::to_string(info.param); });

}  // namespace
}  // namespace velmora::testing
