// The tool on the Windows its users have: any system code page, any user
// folder, a Pictures folder moved elsewhere, the keyboard alone, any DPI.
// ctest runs these in prefixes of several code pages, user names and DPIs
// (tests/CMakeLists.txt); every check reads what the platform holds, UTF-16.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <knownfolders.h>
#include <algorithm>
#include <functional>
#include "tests/app/app_test_support.h"

namespace velmora::testing {
namespace {

using driver::OwnDirectory;

std::wstring Wide(const std::string& utf8) {
    int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
    return out;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000, nullptr);
    return text;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ContentOf(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes;
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

void EmptyFolder(const std::wstring& folder) {
    for (const std::wstring& name : FilesIn(folder)) {
        SetFileAttributesW((folder + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW((folder + L"\\" + name).c_str());
    }
}

// A name as the Pictures folder has it: blanks and dots at the end go.
std::wstring FileNameOf(std::wstring name) {
    while (!name.empty() && (name.back() == L' ' || name.back() == L'.')) name.pop_back();
    return name + L".jpg";
}

bool WaitFor(const std::function<bool()>& done, DWORD milliseconds = 5000) {
    for (DWORD waited = 0; !done(); waited += 20) {
        if (waited >= milliseconds) return false;
        Sleep(20);
    }
    return true;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// A key as the keyboard gives it, to whatever window is in front.
void Press(WORD key, bool shift = false) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD code, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = code;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    if (shift) add(VK_SHIFT, false);
    add(key, false);
    add(key, true);
    if (shift) add(VK_SHIFT, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// A small gallery of the sample's pictures, its page held back `stall` seconds.
void UseSmallGallery(const std::string& tag, const std::string& stall = "0") {
    std::string page = "<html>" + Entry("秋天的落叶", "{{BASE}}/file/p01.jpg") + Entry("Mountain Lake", "{{BASE}}/file/p02.jpg") +
                       "</html>";
    UseGallery(PutPage(tag, page) + "&stall=" + stall);
}

UINT ScreenDpi() {
    HDC screen = GetDC(nullptr);
    UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return dpi;
}

TEST(AnyWindows, TheSampleGalleryInThisCodePageAndUserFolder) {
    std::wstring pictures = KnownPicturesFolder();
    EmptyFolder(pictures);
    UseGallery(ServerUrl("/zh-CN/windows/wallpaper/?T1=all"));
    std::vector<SamplePicture> sample = SampleGallery();
    ASSERT_EQ(sample.size(), 24u);
    Session session;
    const driver::VelmoraUnits& units = session.units;
    EXPECT_EQ(TextOf(units.window), L"Velmora");
    EXPECT_EQ(TextOf(units.startButton), L"开始下载");
    EXPECT_EQ(TextOf(units.openFolder), L"打开下载文件夹");
    EXPECT_EQ(TextOf(units.threadCount), L"10");
    std::vector<std::wstring> labels;
    for (HWND label : units.labels) labels.push_back(TextOf(label));
    std::sort(labels.begin(), labels.end());
    std::vector<std::wstring> expectedLabels = {L"0 / 0", L"将保存到图片用户文件夹中，已经下载的图片不会覆盖",
                                                L"设置下载线程数量："};
    std::sort(expectedLabels.begin(), expectedLabels.end());
    EXPECT_EQ(labels, expectedLabels);

    driver::RunResult first = session.Run(10);
    ASSERT_TRUE(first.completed);
    EXPECT_EQ(first.boxText, "下载完成");
    EXPECT_EQ(first.progress, "24 / 24");
    std::vector<std::string> lines = first.log, expectedLines;
    for (const SamplePicture& picture : sample) expectedLines.push_back("下载完成：" + picture.gbkName);
    std::sort(lines.begin(), lines.end());
    std::sort(expectedLines.begin(), expectedLines.end());
    EXPECT_EQ(lines, expectedLines);
    std::vector<std::wstring> expectedFiles;
    for (const SamplePicture& picture : sample) {
        expectedFiles.push_back(FileNameOf(picture.name));
        EXPECT_TRUE(ContentOf(pictures + L"\\" + FileNameOf(picture.name)) ==
                    Content(GalleryFolder() + "\\" + picture.file))
            << picture.gbkName;
    }
    std::sort(expectedFiles.begin(), expectedFiles.end());
    EXPECT_EQ(FilesIn(pictures), expectedFiles) << "every name as the page writes it, nothing else";

    size_t fetched = RequestsContaining("/file/").size();
    driver::RunResult second = session.Run(10);
    ASSERT_TRUE(second.completed);
    ASSERT_EQ(second.log.size(), 48u);
    for (size_t i = 24; i < 48; ++i) EXPECT_EQ(second.log[i].rfind("已经下载：", 0), 0u) << second.log[i];
    EXPECT_EQ(RequestsContaining("/file/").size(), fetched) << "the second run asked for pictures again";
    EXPECT_EQ(session.Close(), 0u);
}

// A Pictures folder moved where no code page can write its name: made at
// start, filled, and the one the open-folder link opens.
TEST(AnyWindows, AMovedPicturesFolderIsMadeFilledAndOpened) {
    const std::wstring moved = L"C:\\users\\Public\\Łódź ζ 图片 \U0001F5BC";
    EmptyFolder(moved);
    RemoveDirectoryW(moved.c_str());
    std::wstring profilePictures;
    {
        wchar_t profile[MAX_PATH] = {};
        GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
        profilePictures = std::wstring(profile) + L"\\Pictures";
    }
    std::vector<std::wstring> before = FilesIn(profilePictures);
    UseSmallGallery("moved");
    // The shell stands in for explorer.exe, beside a copy of the program, on
    // this prefix's own drive (the build's folder is shared by prefixes
    // running side by side).
    std::wstring own = Wide(driver::GbkToUtf8(OwnDirectory())), folder = L"C:\\users\\Public\\moved-shell";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((own + L"Velmora.exe").c_str(), (folder + L"\\Velmora.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((own + L"fake_explorer.exe").c_str(), (folder + L"\\explorer.exe").c_str(), FALSE));
    std::wstring log = folder + L"\\explorer.log";
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"VELMORA_EXPLORER_LOG", log.c_str());
    {
        ScopedPicturesFolder elsewhere(moved);
        Session session(driver::WideToGbk((folder + L"\\Velmora.exe").c_str()));
        EXPECT_NE(GetFileAttributesW(moved.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u) << "made at start";
        driver::RunResult run = session.Run(1);
        ASSERT_TRUE(run.completed) << "exit " << session.child.ExitCode() << " output " << session.child.Output();
        EXPECT_EQ(run.log, (std::vector<std::string>{"下载完成：秋天的落叶", "下载完成：Mountain Lake"}));
        EXPECT_EQ(FilesIn(moved), (std::vector<std::wstring>{L"Mountain Lake.jpg", L"秋天的落叶.jpg"}));
        EXPECT_TRUE(ContentOf(moved + L"\\秋天的落叶.jpg") == Content(GalleryFolder() + "\\p01.jpg"));
        driver::Click(session.units.openFolder);
        EXPECT_TRUE(WaitFor([&] { return Wide(ContentOf(log)) == L"explorer.exe \"" + moved + L"\""; }, 10000))
            << driver::WideToGbk(Wide(ContentOf(log)).c_str());
        EXPECT_EQ(session.Close(), 0u) << session.child.Output();
    }
    EXPECT_EQ(FilesIn(profilePictures), before) << "nothing in the profile's own Pictures folder";
    EmptyFolder(moved);
    RemoveDirectoryW(moved.c_str());
}

// The walk a keyboard user takes, keys sent as the keyboard sends them.
TEST(AnyWindows, TheKeyboardAlone) {
    EmptyFolder(KnownPicturesFolder());
    UseSmallGallery("keyboard", "1.5");
    Session session;
    const driver::VelmoraUnits& units = session.units;
    SetForegroundWindow(units.window);
    auto focusIs = [&](HWND unit) { return WaitFor([&] { return FocusOf(units.window) == unit; }); };
    EXPECT_TRUE(focusIs(units.startButton)) << "the focus starts on the start button; it is on " << FocusOf(units.window) << " start " << units.startButton << " window " << units.window << " log " << units.log;

    // Tab and Shift+Tab: start button, count box, open-folder link, list, and round again.
    for (HWND next : {units.threadCount, units.openFolder, units.log, units.startButton}) {
        Press(VK_TAB);
        EXPECT_TRUE(focusIs(next));
    }
    for (HWND previous : {units.log, units.openFolder}) {
        Press(VK_TAB, true);
        EXPECT_TRUE(focusIs(previous));
    }
    Press(VK_TAB);
    Press(VK_TAB);
    EXPECT_TRUE(focusIs(units.startButton));

    // In the count box Up and Down step the count as the arrows do, round 1 to 10.
    Press(VK_TAB);
    ASSERT_TRUE(focusIs(units.threadCount));
    auto countIs = [&](const wchar_t* count) { return WaitFor([&] { return TextOf(units.threadCount) == count; }); };
    Press(VK_DOWN);
    EXPECT_TRUE(countIs(L"9"));
    Press(VK_UP);
    EXPECT_TRUE(countIs(L"10"));
    Press(VK_UP);
    EXPECT_TRUE(countIs(L"1"));
    Press(VK_DOWN);
    EXPECT_TRUE(countIs(L"10"));

    // Enter in the count box presses the start button; the run takes the
    // focus from the units it disables to the list; the box takes it next,
    // Enter closes the box, and the focus comes back to the start button.
    size_t requests = RequestsContaining("page=keyboard").size();
    Press(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return RequestsContaining("page=keyboard").size() > requests; }));
    EXPECT_TRUE(focusIs(units.log)) << "the focus left the disabled units";
    HWND box = session.child.WaitForTopWindow("#32770", "提示", 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == box; })) << "the box has the keyboard";
    Press(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box) && IsWindowEnabled(units.startButton); }));
    EXPECT_TRUE(focusIs(units.startButton)) << "back on the start button after the run";

    // Space on the focused start button runs again.
    Press(VK_SPACE);
    box = session.child.WaitForTopWindow("#32770", "提示", 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(driver::LogLines(units.log).size(), 4u);
    Press(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box) && IsWindowEnabled(units.startButton); }));
    EXPECT_TRUE(focusIs(units.startButton));
    EXPECT_EQ(session.Close(), 0u);
}

// Minimised during a run, restored after the box appeared: the box is in
// front with the keyboard; clicked, the window is usable; activated again,
// the box is in front again.
TEST(AnyWindows, TheCompletionBoxIsNeverBehindTheWindow) {
    EmptyFolder(KnownPicturesFolder());
    UseSmallGallery("behind", "1.5");
    Session session;
    HWND window = session.units.window;
    driver::Click(session.units.startButton);
    PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);  // as the title bar's button does
    ASSERT_TRUE(WaitFor([&] { return IsIconic(window) != 0; }));
    HWND box = session.child.WaitForTopWindow("#32770", "提示", 30000);
    ASSERT_NE(box, nullptr);
    PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);  // as the taskbar button does
    ASSERT_TRUE(WaitFor([&] { return !IsIconic(window); }));
    // Owned by the window, the platform keeps it in front of the window (a
    // click there included); the window is not disabled. Wine's virtual
    // desktop may still draw a clicked window over a box of another thread,
    // so z-order itself is not asserted here.
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == box && GetWindow(box, GW_OWNER) == window; }))
        << "restored: the box is the window's, with the keyboard";
    EXPECT_TRUE(IsWindowEnabled(window));

    // A click in the window: the window is active and usable while the box is open.
    RECT list;
    GetWindowRect(session.units.log, &list);
    SetCursorPos(list.left + 10, list.bottom - 10);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }));
    EXPECT_TRUE(IsWindowEnabled(window) && IsWindowEnabled(session.units.openFolder));
    EXPECT_FALSE(IsWindowEnabled(session.units.startButton)) << "the run ends only with the box";
    // Away and back by the taskbar: the box in front again, with the keyboard.
    PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(window) != 0; }));
    PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == box; })) << "back again: the box has the keyboard";

    driver::PressDialogButton(box, IDOK);
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(session.units.startButton); }));
    EXPECT_EQ(session.Close(), 0u);
}

// Every unit at its template rectangle scaled to the screen's DPI (exactly
// the template's at 96), and its text within it.
TEST(AnyWindows, TheLayoutAtTheScreensDpi) {
    UINT dpi = ScreenDpi();
    auto scaled = [&](int value) { return MulDiv(value, static_cast<int>(dpi), 96); };
    Session session;
    const driver::VelmoraUnits& units = session.units;
    RECT outer;
    GetWindowRect(units.window, &outer);
    EXPECT_EQ(outer.right - outer.left, scaled(472));
    EXPECT_EQ(outer.bottom - outer.top, scaled(407));
    struct Placed {
        HWND unit;
        RECT rect;  // template
        const wchar_t* text;
    };
    HWND note = nullptr, caption = nullptr;
    for (HWND label : units.labels) {
        if (TextOf(label) == L"将保存到图片用户文件夹中，已经下载的图片不会覆盖") note = label;
        if (TextOf(label) == L"设置下载线程数量：") caption = label;
    }
    const Placed placed[] = {
        {units.startButton, {368, 16, 72, 40}, L"开始下载"},
        {units.log, {32, 16, 328, 328}, nullptr},
        {note, {368, 64, 72, 88}, L"将保存到图片用户文件夹中，已经下载的图片不会覆盖"},
        {units.progress, {368, 176, 72, 40}, L"0 / 0"},
        {caption, {368, 256, 72, 40}, L"设置下载线程数量："},
        {units.threadCount, {368, 296, 72, 24}, L"10"},
        {units.openFolder, {368, 328, 88, 16}, L"打开下载文件夹"},
    };
    // The template's font, as this prefix has it, measures the texts.
    HFONT font = CreateFontW(-scaled(12), 0, 0, 0, 400, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, 0,
                             L"微软雅黑");
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    for (const Placed& unit : placed) {
        ASSERT_NE(unit.unit, nullptr);
        RECT rect;
        GetWindowRect(unit.unit, &rect);
        MapWindowPoints(nullptr, units.window, reinterpret_cast<POINT*>(&rect), 2);
        std::string name = unit.text ? driver::WideToGbk(unit.text) : "list";
        EXPECT_EQ(rect.left, scaled(unit.rect.left)) << name;
        EXPECT_EQ(rect.top, scaled(unit.rect.top)) << name;
        EXPECT_EQ(rect.right - rect.left, scaled(unit.rect.right)) << name;
        if (unit.unit == units.threadCount) {
            EXPECT_GE(rect.bottom - rect.top, scaled(unit.rect.bottom)) << "at least a line of text";
        } else {
            EXPECT_EQ(rect.bottom - rect.top, scaled(unit.rect.bottom)) << name;
        }
        if (!unit.text) continue;
        RECT text{0, 0, rect.right - rect.left, 0};
        DrawTextW(dc, unit.text, -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
        EXPECT_LE(text.right, rect.right - rect.left) << name << ": the text fits across";
        EXPECT_LE(text.bottom, rect.bottom - rect.top) << name << ": the text fits down";
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    ASSERT_NE(units.arrows, nullptr);
    {
        RECT arrows;
        GetWindowRect(units.arrows, &arrows);
        EXPECT_EQ(arrows.right - arrows.left, scaled(18)) << "the count's arrows";
    }
    EXPECT_EQ(session.Close(), 0u);
}

}  // namespace
}  // namespace velmora::testing
