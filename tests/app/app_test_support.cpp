#include "tests/app/app_test_support.h"
#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <shlobj.h>
#include <knownfolders.h>
#include "tests/support/folder_entries.h"

namespace velmora::testing {


std::wstring KnownPicturesFolder() {
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_DONT_VERIFY, nullptr, &path))) folder = path;
    CoTaskMemFree(path);
    return folder;
}

std::string PicturesFolder() { return driver::WideToGbk(KnownPicturesFolder().c_str()); }

namespace {
constexpr const wchar_t* shellFolders = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
}

ScopedPicturesFolder::ScopedPicturesFolder(const std::wstring& path) {
    DWORD size = 0;
    constexpr DWORD types = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    had_ = RegGetValueW(HKEY_CURRENT_USER, shellFolders, L"My Pictures", types, nullptr, nullptr, &size) == ERROR_SUCCESS;
    if (had_) {
        old_.assign(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(old_.size() * sizeof(wchar_t));
        had_ = RegGetValueW(HKEY_CURRENT_USER, shellFolders, L"My Pictures", types, nullptr, old_.data(), &size) ==
               ERROR_SUCCESS;
        old_.resize(std::wcslen(old_.c_str()));
    }
    RegSetKeyValueW(HKEY_CURRENT_USER, shellFolders, L"My Pictures", REG_EXPAND_SZ, path.c_str(),
                    static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

ScopedPicturesFolder::~ScopedPicturesFolder() {
    if (had_)
        RegSetKeyValueW(HKEY_CURRENT_USER, shellFolders, L"My Pictures", REG_EXPAND_SZ, old_.c_str(),
                        static_cast<DWORD>((old_.size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, shellFolders, L"My Pictures");
}

namespace {

void RemoveTree(const std::string& folder) {
    ForEachEntry(folder, [](const WIN32_FIND_DATAA& found, const std::string& path) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path);
            RemoveDirectoryA(path.c_str());
        } else {
            DeleteFileA(path.c_str());
        }
    });
}

// Volume and file index: the profile's shell folders are links to the one
// home that is also the Pictures folder, known by its identity, not its name.
std::pair<DWORD, uint64_t> Identity(const std::wstring& path) {
    HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    if (handle == INVALID_HANDLE_VALUE) return {0, 0};
    GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    return {info.dwVolumeSerialNumber, (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// Wide, so folders whose names no code page holds are walked too; paths as UTF-8.
void Walk(const std::wstring& folder, const std::wstring& picturesPath, std::map<std::string, std::string>& out,
          int depth) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = found.cFileName, path = folder + L"\\" + name;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // The Pictures folder is the program's to make and fill (it may be made during the run).
            if (_wcsicmp(path.c_str(), picturesPath.c_str()) == 0 || Identity(path) == Identity(picturesPath)) continue;
            out[Utf8(path.c_str())] = "folder";
            // WinINet's own cache and cookie store are left out: the page fetch asks for a
            // cache file, and WinINet makes its cookie index on the first page it reads.
            bool wininetStore = _wcsicmp(name.c_str(), L"INetCache") == 0 || _wcsicmp(name.c_str(), L"INetCookies") == 0;
            if (!wininetStore && depth < 8) Walk(path, picturesPath, out, depth + 1);
        } else if (name.rfind(L"vlm", 0) != 0 && name != L"velmora-taskbar.txt") {
            // (the driver's own output files, and the test build's record of its taskbar calls)
            out[Utf8(path.c_str())] =
                std::to_string(found.nFileSizeLow) + "@" + std::to_string(found.ftLastWriteTime.dwLowDateTime);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    ForEachEntry(folder, [&](const WIN32_FIND_DATAA& found, const std::string&) {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    });
    std::sort(names.begin(), names.end());
    return names;
}

void ClearPictures() { RemoveTree(PicturesFolder()); }

std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool WriteContent(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
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

std::vector<SamplePicture> SampleGallery() {
    std::string page = Content(GalleryFolder() + "\\gallery.html"), lower = page;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    std::vector<SamplePicture> pictures;
    for (size_t at = 0; (at = lower.find("headingbase headingm\">", at)) != std::string::npos;) {
        at += 22;
        size_t end = page.find('<', at);
        size_t file = lower.find("/file/", end) + 6;
        std::string utf8 = page.substr(at, end - at);
        int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
        std::wstring name(static_cast<size_t>(size), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), name.data(), size);
        pictures.push_back({name, ToGbk(utf8), page.substr(file, page.find('"', file) - file)});
    }
    return pictures;
}

LogLine ParseLogLine(const std::string& line) {
    static const std::string colon = "：", open = "（", close = "）", failed = "下载失败";
    LogLine parsed;
    size_t at = line.find(colon);
    if (at == std::string::npos) return {line, "", ""};
    parsed.verb = line.substr(0, at);
    parsed.name = line.substr(at + colon.size());
    size_t reason = parsed.name.rfind(open);
    bool closed = parsed.name.size() >= close.size() &&
                  parsed.name.compare(parsed.name.size() - close.size(), close.size(), close) == 0;
    if (parsed.verb == failed && closed && reason != std::string::npos) {
        parsed.reason = parsed.name.substr(reason + open.size(), parsed.name.size() - close.size() - reason - open.size());
        parsed.name.resize(reason);
    }
    return parsed;
}

LogLine LineFor(const std::vector<std::string>& log, const std::string& name) {
    for (const std::string& line : log) {
        LogLine parsed = ParseLogLine(line);
        if (parsed.name == name) return parsed;
    }
    return {};
}

std::string Entry(const std::string& name, const std::string& link) {
    if (link.empty()) return "<h3 class=\"headingBase headingM\">" + name + "</h3>";
    return "<h3 class=\"headingBase headingM\">" + name + "</h3><a class=\"navigationLink\" href=\"" + link +
           "\">立即获取</a>";
}

std::string PutPage(const std::string& name, const std::string& gbkPage) {
    std::string body = driver::GbkToUtf8(gbkPage);
    HINTERNET internet = InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET connection = InternetConnectA(internet, "127.0.0.1",
                                            static_cast<INTERNET_PORT>(std::atoi(std::getenv("VELMORA_SERVER_PORT"))),
                                            nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = HttpOpenRequestA(connection, "POST", ("/_put?name=" + name).c_str(), nullptr, nullptr,
                                         nullptr, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    HttpSendRequestA(request, nullptr, 0, body.data(), static_cast<DWORD>(body.size()));
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
    return ServerUrl("/r?ctype=text/html;%20charset=utf-8&page=" + name);
}

void UseGallery(const std::string& url) { SetEnvironmentVariableA("VELMORA_GALLERY_URL", url.c_str()); }

std::map<std::string, std::string> OutsidePicturesSnapshot() {
    std::map<std::string, std::string> files;
    // The folder the program saves into now (a test may have moved it).
    Walk(L"C:\\users", KnownPicturesFolder(), files, 0);
    ForEachEntry("C:", [&](const WIN32_FIND_DATAA& found, const std::string& path) {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files[path] = std::to_string(found.nFileSizeLow);
    });
    return files;
}

std::string Differences(const std::map<std::string, std::string>& before,
                        const std::map<std::string, std::string>& after) {
    std::string out;
    for (const auto& [path, state] : after) {
        auto old = before.find(path);
        if (old == before.end()) out += "new: " + path + "\n";
        else if (old->second != state) out += "changed: " + path + "\n";
    }
    for (const auto& [path, state] : before)
        if (!after.count(path)) out += "gone: " + path + "\n";
    return out;
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    char old[4096];
    DWORD length = GetEnvironmentVariableA(name, old, sizeof old);
    had_ = length > 0 && length < sizeof old;
    if (had_) old_.assign(old, length);
    SetEnvironmentVariableA(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }

namespace {
std::string& DefaultProgram() {
    static std::string program = "Velmora.exe";
    return program;
}
}  // namespace

bool SetDefaultProgram(const char* program) {
    DefaultProgram() = program;
    return true;
}

std::string ProgramUnderTest() {
    char program[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("VELMORA_PROGRAM", program, sizeof program);
    return driver::OwnDirectory() + (length > 0 && length < sizeof program ? std::string(program) : DefaultProgram());
}

Session::Session(const std::string& program) : child("\"" + program + "\"") {
    HWND window = child.WaitForTopWindow(nullptr, "Velmora", 60000);
    EXPECT_NE(window, nullptr);
    units = driver::FindUnits(window);
}

driver::RunResult Session::Run(int threads, DWORD timeoutMilliseconds) {
    EXPECT_TRUE(driver::SetThreadCount(units, threads));
    return driver::RunOnce(child, units, timeoutMilliseconds);
}

DWORD Session::Close(DWORD waitMilliseconds) {
    PostMessageA(units.window, WM_CLOSE, 0, 0);
    return child.Wait(waitMilliseconds) ? child.ExitCode() : STILL_ACTIVE;
}

}  // namespace velmora::testing

