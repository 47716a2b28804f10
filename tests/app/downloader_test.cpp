// The whole tool, driven from outside as a user would: the real Velmora.exe,
// the real window, WinINet against our server, files in the Pictures folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include "tests/web/web_test_support.h"
#include "tools/driver/velmora_window.h"

namespace velmora::testing {
namespace {

using driver::ChildProcess;
using driver::OwnDirectory;

std::string PicturesFolder() {
    char profile[MAX_PATH] = {};
    GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH);
    return std::string(profile) + "\\Pictures";
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void ClearPictures() {
    for (const std::string& name : FilesIn(PicturesFolder())) DeleteFileA((PicturesFolder() + "\\" + name).c_str());
}

std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string GalleryFolder() {
    const char* files = std::getenv("VELMORA_SERVER_FILES");
    std::string path = std::string("Z:") + (files ? files : "");
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ToGbk(const std::string& utf8) {
    int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring text(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, text.data(), wide);
    int bytes = WideCharToMultiByte(936, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(936, 0, text.c_str(), -1, out.data(), bytes, nullptr, nullptr);
    out.resize(static_cast<size_t>(bytes - 1));
    return out;
}

struct Picture {
    std::string name;  // GBK, as the log shows it
    std::string file;  // on the server
};

// The sample gallery's pictures in page order, read from its page.
std::vector<Picture> SamplePictures() {
    std::string page = Content(GalleryFolder() + "\\gallery.html"), lower = page;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    std::vector<Picture> pictures;
    for (size_t at = 0; (at = lower.find("headingbase headingm\">", at)) != std::string::npos;) {
        at += 22;
        size_t end = page.find('<', at);
        size_t file = lower.find("/file/", end) + 6;
        pictures.push_back({ToGbk(page.substr(at, end - at)), page.substr(file, page.find('"', file) - file)});
    }
    return pictures;
}

struct Session {
    ChildProcess child;
    driver::VelmoraUnits units;
    explicit Session(const std::string& program = OwnDirectory() + "Velmora.exe") : child("\"" + program + "\"") {
        HWND window = child.WaitForTopWindow(nullptr, "Velmora", 60000);
        EXPECT_NE(window, nullptr);
        units = driver::FindUnits(window);
    }
    driver::RunResult Run(int threads) {
        EXPECT_TRUE(driver::SetThreadCount(units, threads));
        return driver::RunOnce(child, units, 300000);
    }
    DWORD Close() {
        PostMessageA(units.window, WM_CLOSE, 0, 0);
        return child.Wait(30000) ? child.ExitCode() : STILL_ACTIVE;
    }
};

void UseGallery(const std::string& url) { SetEnvironmentVariableA("VELMORA_GALLERY_URL", url.c_str()); }
void UseSampleGallery() { UseGallery(ServerUrl("/zh-CN/windows/wallpaper/?T1=all")); }

std::string SafeName(std::string name) {
    while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
    return name;
}

TEST(Downloader, SampleGalleryWithTenThreadsThenASecondRunFetchesNothing) {
    ClearPictures();
    UseSampleGallery();
    std::vector<Picture> pictures = SamplePictures();
    ASSERT_EQ(pictures.size(), 24u);
    Session session;
    driver::RunResult first = session.Run(10);
    ASSERT_TRUE(first.completed);
    EXPECT_EQ(first.boxText, "下载完成");
    EXPECT_EQ(first.progress, "24 / 24");
    ASSERT_EQ(first.log.size(), 24u);
    std::vector<std::string> expected;
    for (const Picture& picture : pictures) expected.push_back("下载完成：" + picture.name);
    std::vector<std::string> lines = first.log;
    std::sort(lines.begin(), lines.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
    for (const Picture& picture : pictures) {
        std::string stored = Content(PicturesFolder() + "\\" + SafeName(picture.name) + ".jpg");
        std::string served = Content(GalleryFolder() + "\\" + picture.file);
        EXPECT_FALSE(served.empty());
        EXPECT_TRUE(stored == served) << picture.name;
    }
    EXPECT_EQ(FilesIn(PicturesFolder()).size(), 24u) << "no temporary file left";

    size_t fetched = RequestsContaining("/file/").size();
    driver::RunResult second = session.Run(10);
    ASSERT_TRUE(second.completed);
    ASSERT_EQ(second.log.size(), 48u) << "the log keeps the first run's lines";
    for (size_t i = 24; i < 48; ++i) EXPECT_EQ(second.log[i].rfind("已经下载：", 0), 0u) << second.log[i];
    EXPECT_EQ(RequestsContaining("/file/").size(), fetched) << "the second run fetched pictures";
    EXPECT_EQ(second.progress, "24 / 24");
    EXPECT_EQ(session.Close(), 0u);
}

TEST(Downloader, OneThreadFetchesOnePictureAfterAnotherInPageOrder) {
    ClearPictures();
    UseSampleGallery();
    std::vector<Picture> pictures = SamplePictures();
    size_t before = RequestsContaining("/file/").size();
    Session session;
    driver::RunResult run = session.Run(1);
    ASSERT_TRUE(run.completed);
    ASSERT_EQ(run.log.size(), pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i) EXPECT_EQ(run.log[i], "下载完成：" + pictures[i].name);
    std::vector<std::string> requests = RequestsContaining("/file/");
    ASSERT_EQ(requests.size(), before + pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i)
        EXPECT_EQ(requests[before + i].rfind("GET /file/" + pictures[i].file + " ", 0), 0u) << i;
    EXPECT_EQ(session.Close(), 0u);
}

std::string Entry(const std::string& name, const std::string& link) {
    return "<h3 class=\"headingBase headingM\">" + name + "</h3><a class=\"navigationLink\" href=\"" + link +
           "\">立即获取</a>";
}

TEST(Downloader, FailedFetchesHostileNamesAndDuplicatesLeaveOnlyCompletePictures) {
    ClearPictures();
    std::string page = "<html><meta charset=\"utf-8\">" + Entry("Good", "{{BASE}}/file/p02.jpg") +
                       Entry("Missing", "{{BASE}}/r?status=404&body=gone&x=.jpg") +
                       Entry("Cut", "{{BASE}}/r?size=50000&cut=20000&x=.jpg") +
                       Entry("..\\..\\evil", "{{BASE}}/file/p10.jpg") + Entry("Twin", "{{BASE}}/file/p05.jpg") +
                       Entry("Twin", "{{BASE}}/file/p05.jpg") + "</html>";
    std::string utf8 = driver::GbkToUtf8(page);  // the literals here are code page 936
    UseGallery(ServerUrl("/r?ctype=text/html;%20charset=utf-8&body=" + Encode(utf8)));
    Session session;
    driver::RunResult run = session.Run(10);
    ASSERT_TRUE(run.completed);
    EXPECT_EQ(run.progress, "6 / 6");
    std::vector<std::string> lines = run.log;
    std::sort(lines.begin(), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "下载失败：Missing"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "下载失败：Cut"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "下载完成：Good"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "下载完成：..\\..\\evil"), lines.end());
    EXPECT_EQ(FilesIn(PicturesFolder()), (std::vector<std::string>{".._.._evil.jpg", "Good.jpg", "Twin.jpg"}));
    EXPECT_TRUE(Content(PicturesFolder() + "\\Twin.jpg") == Content(GalleryFolder() + "\\p05.jpg"));
    EXPECT_TRUE(Content(PicturesFolder() + "\\.._.._evil.jpg") == Content(GalleryFolder() + "\\p10.jpg"));
    EXPECT_EQ(GetFileAttributesA("C:\\users\\evil.jpg"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(session.Close(), 0u);
}

TEST(Downloader, ALongNameIsShortenedSoThePathFitsAndKeepsItsJpg) {
    ClearPictures();
    std::string name(300, 'L');
    UseGallery(ServerUrl("/r?ctype=text/html;%20charset=utf-8&body=" +
                         Encode(driver::GbkToUtf8(Entry(name, "{{BASE}}/file/p02.jpg")))));
    Session session;
    driver::RunResult run = session.Run(1);
    ASSERT_TRUE(run.completed);
    ASSERT_EQ(run.log.size(), 1u);
    EXPECT_EQ(run.log[0], "下载完成：" + name);
    std::vector<std::string> files = FilesIn(PicturesFolder());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].substr(files[0].size() - 4), ".jpg");
    EXPECT_EQ(files[0].find_first_not_of('L'), files[0].size() - 4);
    EXPECT_LT(PicturesFolder().size() + 1 + files[0].size(), size_t{MAX_PATH});
    EXPECT_EQ(session.Close(), 0u);
}

TEST(Downloader, ClosingTheWindowDuringARunEndsCleanly) {
    ClearPictures();
    std::string page = "<html>";
    for (int i = 0; i < 12; ++i)
        page += Entry("Slow" + std::to_string(i), "{{BASE}}/r?size=200000&stall=2&slow=" + std::to_string(i) + "&x=.jpg");
    UseGallery(ServerUrl("/r?ctype=text/html;%20charset=utf-8&body=" + Encode(driver::GbkToUtf8(page + "</html>"))));
    Session session;
    ASSERT_TRUE(driver::SetThreadCount(session.units, 10));
    driver::Click(session.units.startButton);
    for (int i = 0; i < 500 && RequestsContaining("slow=").size() < 10; ++i) Sleep(10);
    ASSERT_GE(RequestsContaining("slow=").size(), 10u) << "the workers never started";
    Sleep(300);  // the workers are waiting for their bodies now
    EXPECT_EQ(session.Close(), 0u);
    Sleep(2500);  // past the stall: nothing may appear after the end
    // Pictures whose fetch completed before the end may be kept, complete; nothing else.
    for (const std::string& file : FilesIn(PicturesFolder())) {
        EXPECT_EQ(file.find(".part"), std::string::npos) << file;
        EXPECT_TRUE(Content(PicturesFolder() + "\\" + file) == PatternBytes(200000)) << file;
    }
}

TEST(Downloader, AnEmptyPageCompletesAtOnce) {
    UseGallery(ServerUrl("/r?body="));
    Session session;
    driver::RunResult run = session.Run(10);
    ASSERT_TRUE(run.completed);
    EXPECT_EQ(run.progress, "0 / 0");
    EXPECT_TRUE(run.log.empty());
    EXPECT_EQ(session.Close(), 0u);
}

TEST(Downloader, TheOpenFolderButtonStartsTheShellWithTheQuotedFolder) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "velmora-shell";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((OwnDirectory() + "Velmora.exe").c_str(), (folder + "\\Velmora.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((OwnDirectory() + "fake_explorer.exe").c_str(), (folder + "\\explorer.exe").c_str(), FALSE));
    std::string log = folder + "\\explorer.log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("VELMORA_EXPLORER_LOG", log.c_str());
    Session session(folder + "\\Velmora.exe");
    ASSERT_NE(session.units.openFolder, nullptr);
    driver::Click(session.units.openFolder);
    for (int i = 0; i < 500 && GetFileAttributesA(log.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(20);
    Sleep(100);
    char profile[MAX_PATH] = {};
    GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH);
    EXPECT_EQ(Content(log), std::string("explorer.exe \"") + profile + "\\Pictures\"");
    EXPECT_EQ(session.Close(), 0u);
}

}  // namespace
}  // namespace velmora::testing
