// The whole tool, driven from outside as a user would: the real Velmora.exe,
// the real window, WinINet against our server, files in the Pictures folder.
#include <gtest/gtest.h>
#include <algorithm>
#include "tests/app/app_test_support.h"

namespace velmora::testing {
namespace {

using driver::OwnDirectory;

using Picture = SamplePicture;

void UseSampleGallery() { UseGallery(ServerUrl("/zh-CN/windows/wallpaper/?T1=all")); }

std::string SafeName(std::string name) {
    while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
    return name;
}

TEST(Downloader, SampleGalleryWithTenThreadsThenASecondRunFetchesNothing) {
    ClearPictures();
    UseSampleGallery();
    std::vector<Picture> pictures = SampleGallery();
    ASSERT_EQ(pictures.size(), 24u);
    Session session;
    driver::RunResult first = session.Run(10);
    ASSERT_TRUE(first.completed);
    EXPECT_EQ(first.boxText, "下载完成");
    EXPECT_EQ(first.progress, "24 / 24");
    ASSERT_EQ(first.log.size(), 24u);
    std::vector<std::string> expected;
    for (const Picture& picture : pictures) expected.push_back("下载完成：" + picture.gbkName);
    std::vector<std::string> lines = first.log;
    std::sort(lines.begin(), lines.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
    for (const Picture& picture : pictures) {
        std::string stored = Content(PicturesFolder() + "\\" + SafeName(picture.gbkName) + ".jpg");
        std::string served = Content(GalleryFolder() + "\\" + picture.file);
        EXPECT_FALSE(served.empty());
        EXPECT_TRUE(stored == served) << picture.gbkName;
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
    std::vector<Picture> pictures = SampleGallery();
    size_t before = RequestsContaining("/file/").size();
    Session session;
    driver::RunResult run = session.Run(1);
    ASSERT_TRUE(run.completed);
    ASSERT_EQ(run.log.size(), pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i) EXPECT_EQ(run.log[i], "下载完成：" + pictures[i].gbkName);
    std::vector<std::string> requests = RequestsContaining("/file/");
    ASSERT_EQ(requests.size(), before + pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i)
        EXPECT_EQ(requests[before + i].rfind("GET /file/" + pictures[i].file + " ", 0), 0u) << i;
    EXPECT_EQ(session.Close(), 0u);
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
    EXPECT_NE(std::find(lines.begin(), lines.end(), "下载失败：Missing（服务器返回 404）"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "下载失败：Cut（文件不完整，已试 4 次）"), lines.end());
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
    EXPECT_EQ(run.log, std::vector<std::string>{"图库页面中没有图片"});
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
    EXPECT_EQ(Content(log), "explorer.exe \"" + driver::GbkToUtf8(PicturesFolder()) + "\"");
    EXPECT_EQ(session.Close(), 0u);
}

}  // namespace
}  // namespace velmora::testing
